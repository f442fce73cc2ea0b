#include "testsupport.h"

#include "velloc/hosting/propertyeditor.h"
#include "velloc/store/varianttext.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

using namespace velloc;
using namespace testsupport;

namespace {

const QList<EnumInfo> Enums {{QStringLiteral("PType"), {}, {{QStringLiteral("Standard"), 0, {}}, {QStringLiteral("VX1"), 5, {}}}}};

PropertyType typeOf(const char* name, TypeRef type, DispId id = 1)
{
    MemberInfo m;
    m.name = QString::fromUtf8(name);
    m.id = id;
    m.kind = MemberKind::PropertyGet;
    m.result = std::move(type);
    return PropertyType::of(m, Enums);
}

QString outcome(Result<Variant> v)
{
    return v ? varianttext::format(*v) : QStringLiteral("error %1: %2").arg(v.error().number()).arg(v.error().message());
}

// One row per kind of value: the declared type that picks the kind, the editor it gets, what
// typed texts become, and the refusal that keeps the old value.
struct EditorCase {
    const char* name;
    const char* property;
    TypeRef type;
    ValueKind kind;
    const char* widget; // the in-place editor's class; a line with a "..." button is "chooser"
    QList<std::pair<const char*, const char*>> texts; // typed -> the value, or "error N: message"
};

void PrintTo(const EditorCase& c, std::ostream* os)
{
    *os << c.name;
}

class Editors : public ::testing::TestWithParam<EditorCase> {};

TEST_P(Editors, KindEditorAndText)
{
    const EditorCase& c = GetParam();
    const PropertyType type = typeOf(c.property, c.type);
    ASSERT_EQ(type.kind, c.kind);
    const PropertyEditor& editor = PropertyEditor::of(type);

    QWidget parent;
    QWidget* made = editor.createEditor(type, &parent, [] {});
    const QString widget = made->findChild<QToolButton*>() ? QStringLiteral("chooser") : QString::fromUtf8(made->metaObject()->className());
    EXPECT_EQ(widget, QString::fromUtf8(c.widget));
    EXPECT_EQ(editor.hasChooser(), widget == QLatin1String("chooser"));

    for (const auto& [typed, expected] : c.texts) {
        Result<Variant> v = editor.parse(type, QString::fromUtf8(typed));
        EXPECT_EQ(outcome(v), QString::fromUtf8(expected)) << typed;
        if (!v)
            continue;
        // What is shown reads back as the same value, through the editor widget too.
        PropertyEditor::setEditorText(made, editor.display(type, *v));
        EXPECT_EQ(outcome(editor.parse(type, PropertyEditor::editorText(made))), QString::fromUtf8(expected)) << typed;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Editors,
    ::testing::Values(
        EditorCase {"Text", "Caption", {VarType::BStr, {}}, ValueKind::Text, "QLineEdit", {{" 12 ", R"(bstr:" 12 ")"}}},
        EditorCase {"Short", "Width", {VarType::I2, {}}, ValueKind::Number, "QLineEdit",
                    {{" 300 ", "i2:300"}, {"2.5", "i2:2"}, {"-32768", "i2:-32768"},
                     {"40000", "error 6: Width takes a whole number from -32768 to 32767"},
                     {"wide", "error 13: Width takes a whole number from -32768 to 32767"}}},
        EditorCase {"Byte", "Level", {VarType::UI1, {}}, ValueKind::Number, "QLineEdit",
                    {{"255", "ui1:255"}, {"256", "error 6: Level takes a whole number from 0 to 255"}, {"", "error 13: Level takes a whole number from 0 to 255"}}},
        EditorCase {"Enumeration", "ProtectionType", {VarType::I4, QStringLiteral("PType")}, ValueKind::Enum, "QComboBox",
                    {{"5 - VX1", "i4:5"}, {"vx1", "i4:5"}, {"200", "i4:200"}, {"-3", "i4:-3"},
                     {"VX9", "error 13: ProtectionType takes a number from -2147483648 to 2147483647 or one of the names of PType"}}},
        EditorCase {"Boolean", "Enabled", {VarType::Bool, {}}, ValueKind::Bool, "QComboBox",
                    {{"true", "bool:true"}, {" FALSE", "bool:false"}, {"yes", "error 13: Enabled takes True or False"}}},
        EditorCase {"Colour", "ForeColor", {VarType::I4, QStringLiteral("OLE_COLOR")}, ValueKind::Color, "chooser",
                    {{"&H00C00000&", "i4:12582912"}, {"&H8000000F&", "i4:-2147483633"}, {"0xFF", "i4:255"},
                     {"255", "i4:255"}, {"ff00", "i4:65280"},
                     {"&H100000000&", "error 13: ForeColor takes a colour such as &H000000FF& or 255, or a system colour &H80000000& to &H8000001E&"},
                     {"&H12345678&", "error 13: ForeColor takes a colour such as &H000000FF& or 255, or a system colour &H80000000& to &H8000001E&"},
                     {"&H80000020&", "error 13: ForeColor takes a colour such as &H000000FF& or 255, or a system colour &H80000000& to &H8000001E&"},
                     {"red", "error 13: ForeColor takes a colour such as &H000000FF& or 255, or a system colour &H80000000& to &H8000001E&"}}},
        EditorCase {"Font", "Font", {VarType::Dispatch, QStringLiteral("IFontDisp")}, ValueKind::Font, "chooser",
                    {{R"(font:"Tahoma" 9.75 700 iu)", R"(font:"Tahoma" 9.75 700 iu)"}, {"(None)", "nothing"}}},
        EditorCase {"Picture", "Picture", {VarType::Dispatch, QStringLiteral("IPictureDisp")}, ValueKind::Picture, "chooser",
                    {{"(None)", "nothing"}, {"", "nothing"}}},
        EditorCase {"FileName", "FileName", {VarType::BStr, {}}, ValueKind::File, "chooser", {{"/tmp/a b.txt", R"(bstr:"/tmp/a b.txt")"}}},
        EditorCase {"Object", "Container", {VarType::Dispatch, {}}, ValueKind::Object, "QLineEdit", {{"(None)", "nothing"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Refusals whose message comes from below the editor: only the number is the editor's concern.
TEST(Editors, RefusalsOfObjectsCarryTheReadersError)
{
    const PropertyType font = typeOf("Font", {VarType::Dispatch, QStringLiteral("Font")});
    EXPECT_EQ(PropertyEditor::of(font).parse(font, QStringLiteral("Tahoma")).error().number(), errc::InvalidArgument);
    const PropertyType picture = typeOf("Picture", {VarType::Dispatch, QStringLiteral("StdPicture")});
    EXPECT_EQ(PropertyEditor::of(picture).parse(picture, QStringLiteral("/no/such.bmp")).error().number(), errc::FileNotFound);
}

// The standard font property is a font whatever its alias says; a picture or font alias on a
// type that is no object is not one, and an enumeration's name wins over everything.
TEST(Editors, KindFollowsTheDeclaredType)
{
    EXPECT_EQ(typeOf("F", {VarType::Dispatch, {}}, dispid::Font).kind, ValueKind::Font);
    EXPECT_EQ(typeOf("Picture", {VarType::BStr, QStringLiteral("Picture")}).kind, ValueKind::Text);
    EXPECT_EQ(typeOf("Path", {VarType::I4, QStringLiteral("PType")}).kind, ValueKind::Enum);
    EXPECT_EQ(typeOf("Path", {VarType::BStr, {}}).kind, ValueKind::File);
    EXPECT_EQ(typeOf("Ratio", {VarType::R8, {}}).kind, ValueKind::Text);
}

// Choosers open at the current value; confirming it unchanged, or cancelling, gives nothing.
TEST(Editors, ChoosersOpenAtTheValueAndConfirmingGivesNothing)
{
    RecordingHost host;
    const PropertyType color = typeOf("BackColor", {VarType::I4, QStringLiteral("OLE_COLOR")});
    const PropertyEditor& colors = PropertyEditor::of(color);
    const Variant current = Variant::fromI4(0x00C00000);
    EXPECT_EQ(colors.choose(color, current, QStringLiteral("T"), nullptr).value(), std::nullopt);
    EXPECT_EQ(host.colorsOffered.value(0), QColor(0, 0, 0xC0));
    host.colorToChoose = QColor(0xFF, 0, 0);
    EXPECT_EQ(outcome(colors.choose(color, current, QStringLiteral("T"), nullptr).value().value()), "i4:255");

    const PropertyType file = typeOf("FileName", {VarType::BStr, {}});
    const PropertyEditor& files = PropertyEditor::of(file);
    EXPECT_EQ(files.choose(file, Variant::fromString("/a"), QStringLiteral("F"), nullptr).value(), std::nullopt) << "cancelled";
    EXPECT_EQ(host.requests.last().fileName, "/a");
    host.fileToOpen = QStringLiteral("/a");
    EXPECT_EQ(files.choose(file, Variant::fromString("/a"), QStringLiteral("F"), nullptr).value(), std::nullopt) << "confirmed";
    host.fileToOpen = QStringLiteral("/b");
    EXPECT_EQ(outcome(files.choose(file, Variant::fromString("/a"), QStringLiteral("F"), nullptr).value().value()), R"(bstr:"/b")");

    const PropertyType picture = typeOf("Picture", {VarType::Dispatch, QStringLiteral("IPictureDisp")});
    QTemporaryDir dir;
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(host.fileToOpen.emplace(dir.filePath(QStringLiteral("p.png")))));
    Result<std::optional<Variant>> chosen = PropertyEditor::of(picture).choose(picture, Variant::nothing(), QStringLiteral("P"), nullptr);
    ASSERT_TRUE(chosen && *chosen);
    EXPECT_FALSE((*chosen)->isNothing());
    host.fileToOpen = dir.filePath(QStringLiteral("missing.png"));
    EXPECT_EQ(PropertyEditor::of(picture).choose(picture, Variant::nothing(), QStringLiteral("P"), nullptr).error().number(),
              errc::FileNotFound);
    EXPECT_EQ(host.log.filter(QStringLiteral("dialog open")).size(), 5);
}

} // namespace
