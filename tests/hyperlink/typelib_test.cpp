// The library's published identity: type library, interfaces, events, version record,
// toolbox bitmap, and what the built library file carries.
#include "hyperlink.h"
#include "linkwelltxt.h"
#include "linkwelltypelib.h"

#include "platform/module.h"
#include "platform/registry.h"
#include "platform/standardcolorpage.h"
#include "platform/standardfontpage.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct Member {
    const char* name;
    DispId id;
    MemberKind kind;
    const char* type; // result of a get or method, parameter of a put
    const char* param;
    const char* help;
};

const char* const BackHelp = "Returns/sets the background color used to display text and graphics in an object.";
const char* const ForeHelp = "Returns/sets the foreground color used to display text and graphics in an object.";
const char* const FontHelp = "Returns a Font object.";
const char* const LinkHelp = "Set Hyperlink path to access.  Click 'CUSTOM' tab for more information";
const char* const EnabledHelp = "Returns/sets a value that determines whether an object can respond to user-generated events.";

// The interface as the control's documentation gives it, in interface order.
const Member Expected[] = {
    {"BackColor", 0x68030003, MemberKind::PropertyGet, "OLE_COLOR", nullptr, BackHelp},
    {"BackColor", 0x68030003, MemberKind::PropertyPut, "OLE_COLOR", "New_BackColor", BackHelp},
    {"ForeColor", 0x68030002, MemberKind::PropertyGet, "OLE_COLOR", nullptr, ForeHelp},
    {"ForeColor", 0x68030002, MemberKind::PropertyPut, "OLE_COLOR", "New_ForeColor", ForeHelp},
    {"Font", -512, MemberKind::PropertyGet, "Font", nullptr, FontHelp},
    {"Font", -512, MemberKind::PropertyPutRef, "Font", "New_Font", FontHelp},
    {"Hyperlink", 0x68030001, MemberKind::PropertyGet, "bstr", nullptr, LinkHelp},
    {"Hyperlink", 0x68030001, MemberKind::PropertyPut, "bstr", "New_Hyperlink", LinkHelp},
    {"Enabled", 0x68030000, MemberKind::PropertyGet, "bool", nullptr, EnabledHelp},
    {"Enabled", 0x68030000, MemberKind::PropertyPut, "bool", "New_Enabled", EnabledHelp},
    {"About", -552, MemberKind::Method, "variant", nullptr, ""},
};

TEST(TypeLib, DefaultInterfaceMatchesTheDocumentedMembersInOrder)
{
    const InterfaceInfo& itf = linkwell::LinkwellTxt::table().info();
    EXPECT_EQ(itf.name, QStringLiteral("_LinkwellTxt"));
    EXPECT_EQ(itf.iid.toString(), QStringLiteral("{A0369AC1-B6D8-11D3-901D-00207816FA15}"));
    EXPECT_TRUE(itf.dual && itf.hidden && itf.nonExtensible && !itf.dispatchOnly);
    ASSERT_EQ(itf.members.size(), qsizetype(std::size(Expected)));
    for (qsizetype i = 0; i < itf.members.size(); ++i) {
        const MemberInfo& m = itf.members[i];
        const Member& e = Expected[i];
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(e.name, memberKindName(e.kind)).toStdString());
        EXPECT_EQ(m.name, QLatin1String(e.name));
        EXPECT_EQ(m.id, e.id);
        EXPECT_EQ(m.kind, e.kind);
        EXPECT_EQ(m.help, QLatin1String(e.help));
        if (e.param) {
            ASSERT_EQ(m.params.size(), 1);
            EXPECT_EQ(m.params[0].name, QLatin1String(e.param));
            EXPECT_EQ(m.params[0].type.displayName(), QLatin1String(e.type));
            EXPECT_FALSE(m.params[0].byRef);
        } else {
            EXPECT_TRUE(m.params.isEmpty());
            EXPECT_EQ(m.result.displayName(), QLatin1String(e.type));
        }
    }
    // Font has no by-value write, only the assignment of an object.
    EXPECT_EQ(itf.find(dispid::Font, MemberKind::PropertyPut), nullptr);
}

struct Event {
    const char* name;
    DispId id;
    QList<std::pair<const char*, VarType>> params;
    const char* help;
};

TEST(TypeLib, EventInterfaceHasTheSevenEventsWithByReferenceParameters)
{
    const QList<std::pair<const char*, VarType>> key {{"KeyCode", VarType::I2}, {"Shift", VarType::I2}};
    const QList<std::pair<const char*, VarType>> mouse {
        {"Button", VarType::I2}, {"Shift", VarType::I2}, {"X", VarType::R4}, {"Y", VarType::R4}};
    const QList<Event> expected = {
        {"Click", 1, {}, "Occurs when the user presses and then releases a mouse button over an object."},
        {"KeyDown", 2, key, "Occurs when the user presses a key while an object has the focus."},
        {"KeyPress", 3, {{"KeyAscii", VarType::I2}}, "Occurs when the user presses and releases an ANSI key."},
        {"KeyUp", 4, key, "Occurs when the user releases a key while an object has the focus."},
        {"MouseDown", 5, mouse, "Occurs when the user presses the mouse button while an object has the focus."},
        {"MouseMove", 6, mouse, "Occurs when the user moves the mouse."},
        {"MouseUp", 7, mouse, "Occurs when the user releases the mouse button while an object has the focus."},
    };
    const InterfaceInfo& events = linkwell::LinkwellTxt::eventTable();
    EXPECT_EQ(events.name, QStringLiteral("__LinkwellTxt"));
    EXPECT_EQ(events.iid.toString(), QStringLiteral("{A0369AC3-B6D8-11D3-901D-00207816FA15}"));
    EXPECT_TRUE(events.dispatchOnly);
    ASSERT_EQ(events.members.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const MemberInfo& m = events.members[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(m.name, QLatin1String(expected[i].name));
        EXPECT_EQ(m.id, expected[i].id);
        EXPECT_EQ(m.help, QLatin1String(expected[i].help));
        EXPECT_EQ(m.result.vt, VarType::Void);
        ASSERT_EQ(m.params.size(), expected[i].params.size());
        for (qsizetype p = 0; p < m.params.size(); ++p) {
            EXPECT_EQ(m.params[p].name, QLatin1String(expected[i].params[p].first));
            EXPECT_EQ(m.params[p].type.vt, expected[i].params[p].second);
            EXPECT_TRUE(m.params[p].byRef);
        }
    }
}

TEST(TypeLib, LibraryClassesAndVersionRecord)
{
    const TypeLibInfo& lib = linkwell::linkwellTypeLib();
    EXPECT_EQ(lib.name, QStringLiteral("Linkwell"));
    EXPECT_EQ(lib.libid.toString(), QStringLiteral("{A0369ABE-B6D8-11D3-901D-00207816FA15}"));
    EXPECT_EQ(lib.majorVersion, 1);
    EXPECT_EQ(lib.minorVersion, 0);
    EXPECT_EQ(lib.lcid, 1033);
    EXPECT_EQ(lib.helpString, QStringLiteral("Torvane Software - Linkwell"));
    EXPECT_EQ(lib.helpFile, QStringLiteral("C:\\WINDOWS\\SYSTEM\\Linkwell.chm"));
    EXPECT_EQ(lib.version.fileVersion, QStringLiteral("1.00.0055"));
    EXPECT_TRUE(lib.version.selfRegister);
    EXPECT_EQ(lib.version.description,
              QStringLiteral("ActiveX control which works like a hyperlink.  Both email and web addresses as well as local "
                             "and network drives can be used."));

    ASSERT_EQ(lib.interfaces.size(), 3);
    EXPECT_EQ(lib.interfaces[0]->name, QStringLiteral("_LinkwellTxt"));
    EXPECT_EQ(lib.interfaces[1]->name, QStringLiteral("__LinkwellTxt"));
    EXPECT_EQ(lib.interfaces[2]->name, QStringLiteral("_Hyperlink"));
    EXPECT_EQ(lib.interfaces[2]->iid.toString(), QStringLiteral("{A0369AC4-B6D8-11D3-901D-00207816FA15}"));
    EXPECT_TRUE(lib.interfaces[2]->members.isEmpty());

    ASSERT_EQ(lib.classes.size(), 2);
    const ClassInfo& control = lib.classes[0];
    EXPECT_EQ(control.name, QStringLiteral("LinkwellTxt"));
    EXPECT_EQ(control.clsid.toString(), QStringLiteral("{A0369AC2-B6D8-11D3-901D-00207816FA15}"));
    EXPECT_EQ(control.progId, QStringLiteral("Linkwell.LinkwellTxt"));
    EXPECT_TRUE(control.control);
    EXPECT_EQ(control.defaultInterface, lib.interfaces[0]);
    EXPECT_EQ(control.eventInterface, lib.interfaces[1]);
    EXPECT_EQ(control.propertyPages,
              QList<Guid>({StandardColorPage::Clsid, StandardFontPage::Clsid, linkwell::Hyperlink::Clsid}));
    EXPECT_EQ(StandardColorPage::Clsid.toString(), QStringLiteral("{7EBDAAE1-8120-11CF-899F-00AA00688B10}"));
    EXPECT_EQ(StandardFontPage::Clsid.toString(), QStringLiteral("{7EBDAAE0-8120-11CF-899F-00AA00688B10}"));
    const ClassInfo& page = lib.classes[1];
    EXPECT_EQ(page.name, QStringLiteral("Hyperlink"));
    EXPECT_EQ(page.clsid.toString(), QStringLiteral("{A0369AC5-B6D8-11D3-901D-00207816FA15}"));
    EXPECT_TRUE(page.propertyPage);
    EXPECT_FALSE(page.control);
    EXPECT_EQ(page.defaultInterface, lib.interfaces[2]);
}

TEST(TypeLib, ToolboxBitmapIsResource30000Of16By15In24BitColour)
{
    const QImage image = linkwell::linkwellTypeLib().bitmap(30000);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(16, 15));
    EXPECT_EQ(image.depth(), 24);
    EXPECT_EQ(image, linkwell::toolboxBitmap());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    EXPECT_GE(colours.size(), 3);
    EXPECT_TRUE(linkwell::linkwellTypeLib().bitmap(30001).isNull());
}

TEST(BuiltLibrary, PublishesTheTablesAndCreatesTheControlByItsProgrammaticIdentifier)
{
    QTemporaryDir registry;
    ASSERT_TRUE(registry.isValid());
    Registry::setLocation(registry.path());
    Result<Module*> module = Module::load(QStringLiteral(LINKWELL_LIBRARY));
    ASSERT_TRUE(module.ok()) << module.error().message().toStdString();
    EXPECT_EQ(formatTypeLib(module.value()->typeLib()), formatTypeLib(linkwell::linkwellTypeLib()));
    ASSERT_EQ(module.value()->registerServer(), hr::Ok);
    {
        Result<std::shared_ptr<Object>> object = createObject(QStringLiteral("linkwell.linkwelltxt"));
        ASSERT_TRUE(object.ok()) << object.error().message().toStdString();
        EXPECT_EQ(object.value()->className(), QStringLiteral("LinkwellTxt"));
        EXPECT_FALSE(module.value()->canUnloadNow());
        Result<Variant> link = object.value()->invoke(linkwell::dispids::Hyperlink, InvokeKind::PropertyGet, {});
        ASSERT_TRUE(link.ok());
        EXPECT_EQ(link->string(), linkwell::LinkwellTxt::DefaultHyperlink);
    }
    EXPECT_TRUE(module.value()->canUnloadNow());
    EXPECT_EQ(module.value()->unregisterServer(), hr::Ok);
    EXPECT_FALSE(Registry::findClass(QStringLiteral("Linkwell.LinkwellTxt")).ok());
    Registry::setLocation({});
}

} // namespace
