// The type library the library publishes, compared with the interface it must present.
#include "vellochost.h"

#include "platform/registry.h"
#include "velloc.h"

#include <QLabel>
#include <QSet>

#include <gtest/gtest.h>

using namespace platform;

namespace {

const TypeLibInfo& published()
{
    Result<Module*> module = Module::load(QStringLiteral(VELPACK_MODULE));
    EXPECT_TRUE(module.ok());
    return module.value()->typeLib();
}

struct Row {
    DispId id;
    const char* name;
    MemberKind kind;
    QList<std::tuple<const char*, const char*, bool>> params; // name, type, by reference
    const char* result;
    const char* help;
};

TEST(VellibTypeLib, MembersInInterfaceOrder)
{
    using K = MemberKind;
    const char* fileHelp = "Name of File To Operate On";
    const char* pictureHelp = "Returns/sets a graphic to be displayed in a control.";
    const char* showHelp = "Show Progress during Operation";
    const char* typeHelp = "Set's the type Protection";
    const char* offsetHelp = "Number between 1 and 255 used during the Ceaser Encryption.";
    const QList<Row> expected {
        {0x60030006, "Encode", K::Method, {}, "bool", ""},
        {0x60030007, "EncodeString", K::Method, {{"StringData", "bstr", true}}, "bstr", ""},
        {0x60030008, "Decode", K::Method, {}, "bool", ""},
        {0x60030009, "DecodeString", K::Method, {{"StringData", "bstr", true}}, "bstr", ""},
        {0x6003000A, "CRC", K::Method, {{"Filename", "bstr", true}}, "variant", ""},
        {0x68030005, "KEY", K::PropertyGet, {}, "bstr", ""},
        {0x68030005, "KEY", K::PropertyPut, {{"New_Key", "bstr", false}}, "void", ""},
        {0x68030004, "File", K::PropertyGet, {}, "bstr", fileHelp},
        {0x68030004, "File", K::PropertyPut, {{"New_File", "bstr", false}}, "void", fileHelp},
        {0x68030003, "Picture", K::PropertyGet, {}, "IPictureDisp", pictureHelp},
        {0x68030003, "Picture", K::PropertyPutRef, {{"New_Picture", "IPictureDisp", false}}, "void", pictureHelp},
        {0x68030002, "ShowProgress", K::PropertyGet, {}, "bool", showHelp},
        {0x68030002, "ShowProgress", K::PropertyPut, {{"New_ShowProgress", "bool", false}}, "void", showHelp},
        {0x60030014, "CancelOperation", K::Method, {}, "bool", "Stops Current Operation"},
        {-552, "About", K::Method, {}, "variant", ""},
        {0x68030001, "ProtectionType", K::PropertyGet, {}, "PType", typeHelp},
        {0x68030001, "ProtectionType", K::PropertyPut, {{"New_ProtectionType", "PType", false}}, "void", typeHelp},
        {0x68030000, "CeaserOffset", K::PropertyGet, {}, "ui1", offsetHelp},
        {0x68030000, "CeaserOffset", K::PropertyPut, {{"New_CeaserOffset", "ui1", false}}, "void", offsetHelp},
    };
    const TypeLibInfo& lib = published();
    const ClassInfo* velloc = lib.findClass(Guid::literal("{1A9BCAD9-4913-11D3-B3D9-303549C10000}"));
    ASSERT_TRUE(velloc);
    const InterfaceInfo& itf = *velloc->defaultInterface;
    EXPECT_EQ(itf.name, "_Velloc");
    EXPECT_EQ(itf.iid, Guid::literal("{C0E9A775-BC9A-11D3-BB5E-403D57C10000}"));
    EXPECT_TRUE(itf.dual && itf.hidden && itf.nonExtensible);
    ASSERT_EQ(itf.members.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const Row& row = expected[i];
        const MemberInfo& m = itf.members[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(m.id, row.id);
        EXPECT_EQ(m.name, row.name);
        EXPECT_EQ(m.kind, row.kind);
        EXPECT_EQ(m.result.displayName(), row.result);
        EXPECT_EQ(m.help, row.help);
        ASSERT_EQ(m.params.size(), row.params.size());
        for (qsizetype p = 0; p < row.params.size(); ++p) {
            EXPECT_EQ(m.params[p].name, std::get<0>(row.params[p]));
            EXPECT_EQ(m.params[p].type.displayName(), std::get<1>(row.params[p]));
            EXPECT_EQ(m.params[p].byRef, std::get<2>(row.params[p]));
        }
    }
    // Browser attributes.
    const Guid bgpic = Guid::literal("{1A9BCADD-4913-11D3-B3D9-303549C10000}");
    const Guid standardPicture = Guid::literal("{7EBDAAE2-8120-11CF-899F-00AA00688B10}");
    EXPECT_EQ(itf.find(0x68030004, K::PropertyGet)->propertyPage, bgpic);
    EXPECT_EQ(itf.find(0x68030003, K::PropertyGet)->propertyPage, standardPicture);
    EXPECT_EQ(itf.find(0x68030002, K::PropertyGet)->category, "FileSetup");
    EXPECT_EQ(velloc->propertyPages, (QList<Guid> {bgpic, standardPicture}));
}

TEST(VellibTypeLib, EventsEnumerationAndIdentity)
{
    const TypeLibInfo& lib = published();
    EXPECT_EQ(lib.name, "Vellib");
    EXPECT_EQ(lib.libid, Guid::literal("{1A9BCAC6-4913-11D3-B3D9-303549C10000}"));
    EXPECT_EQ(lib.majorVersion, 16);
    EXPECT_EQ(lib.minorVersion, 0);
    EXPECT_EQ(lib.lcid, 1033);
    EXPECT_EQ(lib.version.fileVersion, "3.0.0.10");

    const ClassInfo* velloc = lib.findClass(Guid::literal("{1A9BCAD9-4913-11D3-B3D9-303549C10000}"));
    ASSERT_TRUE(velloc);
    EXPECT_EQ(velloc->progId, "Vellib.Velloc");
    EXPECT_TRUE(velloc->control);
    const InterfaceInfo& events = *velloc->eventInterface;
    EXPECT_EQ(events.name, "__Velloc");
    EXPECT_EQ(events.iid, Guid::literal("{C0E9A777-BC9A-11D3-BB5E-403D57C10000}"));
    EXPECT_TRUE(events.dispatchOnly);
    const QList<std::tuple<DispId, QString, QString, QString>> expected {
        {1, "Progress", "CurrentProgress", ""},
        {2, "Statred", "BytesToGo", ""},
        {3, "Finished", "", "Fired when Operation Ends"},
        {4, "Canceled", "", "Fired when The CancelOperation Method is called"},
    };
    ASSERT_EQ(events.members.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const auto& [id, name, param, help] = expected[i];
        const MemberInfo& e = events.members[i];
        EXPECT_EQ(e.id, id);
        EXPECT_EQ(e.name, name);
        EXPECT_EQ(e.help, help);
        if (param.isEmpty()) {
            EXPECT_TRUE(e.params.isEmpty()) << name.toStdString();
        } else {
            ASSERT_EQ(e.params.size(), 1);
            EXPECT_EQ(e.params[0].name, param);
            EXPECT_EQ(e.params[0].type.vt, VarType::I4);
            EXPECT_TRUE(e.params[0].byRef);
        }
    }

    ASSERT_EQ(lib.enums.size(), 1);
    const EnumInfo& ptype = lib.enums[0];
    EXPECT_EQ(ptype.name, "PType");
    EXPECT_EQ(ptype.guid, Guid::literal("{C0E9A776-BC9A-11D3-BB5E-403D57C10000}"));
    const QStringList names {"Standard", "RLE", "Ceaser", "Class", "String1", "VX1", "VX2", "VX3", "VX4", "VX5"};
    ASSERT_EQ(ptype.values.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(ptype.values[i].value, i);
        EXPECT_EQ(ptype.values[i].name, names[i]);
        EXPECT_EQ(ptype.values[i].help, names[i]);
    }

    const ClassInfo* page = lib.findClass(Guid::literal("{1A9BCADD-4913-11D3-B3D9-303549C10000}"));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->name, "BGPic");
    ASSERT_TRUE(page->defaultInterface);
    EXPECT_EQ(page->defaultInterface->name, "_BGPic");
    EXPECT_EQ(page->defaultInterface->iid, Guid::literal("{C0E9A778-BC9A-11D3-BB5E-403D57C10000}"));
    EXPECT_TRUE(page->defaultInterface->members.isEmpty());
}

} // namespace

namespace {

TEST(VellibTypeLib, CarriesItsToolboxBitmap)
{
    const QImage bitmap = published().bitmap(30000);
    EXPECT_EQ(bitmap.size(), QSize(16, 15));
    EXPECT_EQ(bitmap.depth(), 24);
    EXPECT_TRUE(published().bitmap(1).isNull());
}

TEST(VellocFace, PicturesAreRealImagesOfTheirSizes)
{
    auto host = VellocHost::create();
    QWidget* face = host->control().widget();
    QLabel* logo = nullptr;
    for (QLabel* label : face->findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            logo = label;
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->pixmap().size(), QSize(73, 50));
    // Drawn, not blank: more than a handful of distinct colours.
    const QImage image = logo->pixmap().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8);
}

} // namespace
