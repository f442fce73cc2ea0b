// The built-in controls of a window description: their entries read through their members,
// refused where a key holds the wrong type, and written back key by key.
#include "velloc/hosting/builtincontrol.h"
#include "velloc/hosting/formloader.h"
#include "velloc/store/varianttext.h"

#include <QApplication>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace velloc;

namespace {

QJsonObject entryOf(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

// A host that says whether it runs, with the form's font as its ambient one.
struct Site final : ControlSite {
    Result<void> propertyChanged(Control&, const QString& name) override
    {
        changed << name;
        return {};
    }
    std::shared_ptr<Font> ambientFont() override { return font; }
    bool userMode() const override { return running; }
    QStringList changed;
    std::shared_ptr<Font> font = Font::create();
    bool running = false;
};

struct Made {
    std::shared_ptr<BuiltInControl> control;
    Site site;
};

std::unique_ptr<Made> make(const QJsonObject& entry, const FormLoader::Variables& variables = {})
{
    auto made = std::make_unique<Made>();
    Result<std::shared_ptr<Object>> object = FormLoader::createControl(entry, made->site, variables);
    EXPECT_TRUE(object.ok()) << object.error().message().toStdString();
    if (object)
        made->control = std::dynamic_pointer_cast<BuiltInControl>(object.value());
    return made;
}

QString get(Object& object, const char* member)
{
    Result<Variant> v = object.invoke(*object.idOfName(QString::fromLatin1(member)), InvokeKind::PropertyGet, {});
    return v ? varianttext::format(*v) : QStringLiteral("error %1").arg(v.error().number());
}

Result<void> put(Object& object, const char* member, Variant value)
{
    return object.putProperty(*object.idOfName(QString::fromLatin1(member)), std::move(value));
}

struct ReadCase {
    const char* name;
    const char* entry;
    const char* member;
    const char* expected; // the member's value in the text form of a bag
};

class EntryKeys : public ::testing::TestWithParam<ReadCase> {};

TEST_P(EntryKeys, AreReadThroughTheMembersTheyName)
{
    std::unique_ptr<Made> made = make(entryOf(GetParam().entry), {{QStringLiteral("HOME"), QStringLiteral("/harbour")}});
    ASSERT_TRUE(made->control);
    EXPECT_EQ(get(*made->control, GetParam().member), GetParam().expected);
    EXPECT_TRUE(made->site.changed.isEmpty()) << "reading an entry tells the host nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryKeys,
    ::testing::Values(
        ReadCase {"Caption", R"({"kind": "label", "caption": "at ${HOME}"})", "Caption", R"(bstr:"at /harbour")"},
        ReadCase {"TextOfATextBox", R"({"kind": "textbox", "text": "30"})", "Text", R"(bstr:"30")"},
        ReadCase {"ColourAsANumber", R"({"kind": "frame", "foreColor": 255})", "ForeColor", "i4:255"},
        ReadCase {"ColourAsText", R"({"kind": "button", "backColor": "0x8000000D"})", "BackColor", "i4:-2147483635"},
        ReadCase {"DefaultColourIsTheStyles", R"({"kind": "textbox"})", "BackColor", "i4:-2147483643"},
        ReadCase {"Font", R"({"kind": "button", "font": "font:\"Arial\" 14.25 700 -"})", "Font", R"(font:"Arial" 14.25 700 -)"},
        ReadCase {"FontLeftToTheForm", R"({"kind": "label"})", "Font", R"(font:"MS Sans Serif" 8.25 400 -)"},
        ReadCase {"Disabled", R"({"kind": "button", "enabled": false})", "Enabled", "bool:false"},
        ReadCase {"OptionChosen", R"({"kind": "optionbutton", "value": true})", "Value", "bool:true"},
        ReadCase {"ToolTip", R"({"kind": "frame", "toolTip": "Pick one"})", "ToolTipText", R"(bstr:"Pick one")"},
        ReadCase {"Hidden", R"({"kind": "label", "visible": false})", "Visible", "bool:false"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    const char* entry;
    const char* expected; // the start of the message
};

class RefusedKeys : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedKeys, NameTheKey)
{
    const QJsonObject entry = entryOf(GetParam().entry);
    Site site;
    Result<std::shared_ptr<Object>> object = FormLoader::createControl(entry, site);
    ASSERT_FALSE(object.ok());
    EXPECT_EQ(object.error().number(), errc::InvalidArgument);
    EXPECT_TRUE(object.error().message().startsWith(QLatin1String(GetParam().expected))) << object.error().message().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedKeys,
    ::testing::Values(RefusalCase {"CaptionNotText", R"({"kind": "label", "caption": 5})", "caption takes a text"},
                      RefusalCase {"ColourName", R"({"kind": "label", "foreColor": "blue"})", "foreColor is not a colour"},
                      RefusalCase {"ColourHighByte", R"({"kind": "label", "backColor": 2164260864})", "backColor is not a colour"},
                      RefusalCase {"ColourFraction", R"({"kind": "label", "backColor": 12.5})", "backColor is not a colour"},
                      RefusalCase {"FlagAsText", R"({"kind": "button", "enabled": "no"})", "enabled takes true or false"},
                      RefusalCase {"FontUnread", R"({"kind": "label", "font": "font:Arial"})", "font: "},
                      RefusalCase {"FontNotAFont", R"({"kind": "label", "font": "bstr:\"Arial\""})", "font is not a font"}),
    [](const auto& info) { return std::string(info.param.name); });

// Written back, an entry keeps each key the control still holds the value of as it was written;
// only what changed is written again.
TEST(BuiltInControl, EntryChangesOnlyInTheKeysOfChangedValues)
{
    const QJsonObject entry = entryOf(R"({"name": "Label1", "kind": "label", "caption": "at ${HOME}", "foreColor": "0xFF",
                                          "enabled": false, "autoSize": true})");
    const FormLoader::Variables variables {{QStringLiteral("HOME"), QStringLiteral("/harbour")}};
    std::unique_ptr<Made> made = make(entry, variables);
    ASSERT_TRUE(made->control);
    Result<QJsonObject> same = made->control->entryWith(entry, variables);
    ASSERT_TRUE(same.ok());
    EXPECT_EQ(*same, entry);

    ASSERT_TRUE(put(*made->control, "ForeColor", Variant::fromI4(0x0000C000)).ok());
    ASSERT_TRUE(put(*made->control, "Enabled", Variant::fromBool(true)).ok());
    ASSERT_TRUE(put(*made->control, "BackColor", Variant::fromI4(0x00FFFFFF)).ok());
    ASSERT_TRUE(put(*made->control, "Visible", Variant::fromBool(true)).ok());
    EXPECT_EQ(made->site.changed, (QStringList {"foreColor", "enabled", "backColor", "visible"}));
    QJsonObject expected = entry;
    expected.insert("foreColor", 0xC000);
    expected.insert("enabled", true);     // back at its default, but the key was written: it stays
    expected.insert("backColor", 0xFFFFFF);  // added; Visible at its default is not
    EXPECT_EQ(made->control->entryWith(entry, variables).value(), expected);
}

// What the members hold is what the face shows: colours, fonts, a caption an auto-sized label
// fits again, and Visible only while the host runs.
TEST(BuiltInControl, MembersReachTheFace)
{
    std::unique_ptr<Made> made = make(entryOf(R"({"kind": "label", "caption": "A", "autoSize": true, "width": 15, "height": 15})"));
    ASSERT_TRUE(made->control);
    auto* label = qobject_cast<QLabel*>(made->control->widget());
    ASSERT_TRUE(label);
    const int narrow = label->width();
    EXPECT_GT(narrow, 1) << "an auto-sized label fits its caption";
    ASSERT_TRUE(put(*made->control, "Caption", Variant::fromString("A much longer caption")).ok());
    EXPECT_GT(label->width(), narrow);

    ASSERT_TRUE(put(*made->control, "ForeColor", Variant::fromI4(0x0000FF)).ok());
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    ASSERT_TRUE(put(*made->control, "ForeColor", Variant::fromI4(std::int32_t(0x80000012u))).ok());
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QApplication::palette(label).color(QPalette::Active, QPalette::WindowText))
        << "the default colour is the style's own";
    EXPECT_EQ(put(*made->control, "ForeColor", Variant::fromI4(0x01000000)).error().number(), errc::InvalidPropertyValue);

    Font::Description arial;
    arial.name = QStringLiteral("Arial");
    arial.size = 20;
    auto font = Font::create(arial);
    Variant byRef = Variant::fromObject(font);
    ASSERT_TRUE(made->control->invoke(dispid::Font, InvokeKind::PropertyPutRef, std::span<Variant>(&byRef, 1)).ok());
    EXPECT_EQ(label->font().family(), "Arial");
    const int before = label->width();
    arial.size = 30;
    font->setDescription(arial); // the font object is shared: its holder follows it
    EXPECT_GT(label->width(), before);

    QWidget window;
    label->setParent(&window);
    ASSERT_TRUE(put(*made->control, "Visible", Variant::fromBool(false)).ok());
    EXPECT_TRUE(label->isVisibleTo(&window)) << "a form being designed shows every control";
    made->site.running = true;
    ASSERT_TRUE(put(*made->control, "Visible", Variant::fromBool(false)).ok());
    EXPECT_FALSE(label->isVisibleTo(&window));
    label->setParent(nullptr);
}

} // namespace
