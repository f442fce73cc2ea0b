// The library's published identity: the interfaces older programs bind to by member id, the
// classes, the toolbox bitmap, and what the built library file carries.
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

// The control's interface and then its events, each member as the type library lists it
// (help strings aside): older programs bind by these ids, in this order.
TEST(TypeLib, InterfacesKeepTheirMemberIdsOrderAndParameters)
{
    const QString mouse = QStringLiteral("([in, out] Button: i2, [in, out] Shift: i2, [in, out] X: r4, [in, out] Y: r4)");
    const QString key = QStringLiteral("([in, out] KeyCode: i2, [in, out] Shift: i2)");
    const QStringList expected = {
        QStringLiteral("0x68030003 propget BackColor() -> OLE_COLOR"), QStringLiteral("0x68030003 propput BackColor(New_BackColor: OLE_COLOR)"),
        QStringLiteral("0x68030002 propget ForeColor() -> OLE_COLOR"), QStringLiteral("0x68030002 propput ForeColor(New_ForeColor: OLE_COLOR)"),
        QStringLiteral("0xFFFFFE00 propget Font() -> Font"),           QStringLiteral("0xFFFFFE00 propputref Font(New_Font: Font)"),
        QStringLiteral("0x68030001 propget Hyperlink() -> bstr"),      QStringLiteral("0x68030001 propput Hyperlink(New_Hyperlink: bstr)"),
        QStringLiteral("0x68030000 propget Enabled() -> bool"),        QStringLiteral("0x68030000 propput Enabled(New_Enabled: bool)"),
        QStringLiteral("0xFFFFFDD8 method About() -> variant"),        QStringLiteral("0x00000001 event Click()"),
        QStringLiteral("0x00000002 event KeyDown") + key,              QStringLiteral("0x00000003 event KeyPress([in, out] KeyAscii: i2)"),
        QStringLiteral("0x00000004 event KeyUp") + key,                QStringLiteral("0x00000005 event MouseDown") + mouse,
        QStringLiteral("0x00000006 event MouseMove") + mouse,          QStringLiteral("0x00000007 event MouseUp") + mouse,
    };
    QStringList members;
    for (const QString& line : formatTypeLib(linkwell::linkwellTypeLib()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("  0x")))
            members << line.section(QLatin1String(" helpstring"), 0, 0).trimmed();
    EXPECT_EQ(members, expected);
    // The page's interface has no members.
    EXPECT_TRUE(linkwell::Hyperlink::table().info().members.isEmpty());
}

TEST(TypeLib, ClassesAndToolboxBitmap)
{
    const TypeLibInfo& lib = linkwell::linkwellTypeLib();
    ASSERT_EQ(lib.classes.size(), 2);
    const ClassInfo& control = lib.classes[0];
    EXPECT_EQ(control.clsid, linkwell::LinkwellTxt::Clsid);
    EXPECT_EQ(control.progId, QStringLiteral("Linkwell.LinkwellTxt"));
    EXPECT_EQ(control.defaultInterface, &linkwell::LinkwellTxt::table().info());
    EXPECT_EQ(control.eventInterface, &linkwell::LinkwellTxt::eventTable());
    EXPECT_EQ(control.propertyPages, QList<Guid>({StandardColorPage::Clsid, StandardFontPage::Clsid, linkwell::Hyperlink::Clsid}));
    EXPECT_EQ(lib.classes[1].clsid, linkwell::Hyperlink::Clsid);
    EXPECT_TRUE(lib.classes[1].propertyPage && !lib.classes[1].control);

    const QImage image = lib.bitmap(30000);
    EXPECT_EQ(image, linkwell::toolboxBitmap());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    EXPECT_GE(colours.size(), 3);
    EXPECT_TRUE(lib.bitmap(30001).isNull());
}

TEST(BuiltLibrary, PublishesTheTablesAndCreatesTheControlByItsProgrammaticIdentifier)
{
    QTemporaryDir registry;
    Registry::setLocation(registry.path());
    Result<Module*> module = Module::load(QStringLiteral(LINKWELL_LIBRARY));
    ASSERT_TRUE(module.ok()) << module.error().message().toStdString();
    EXPECT_EQ(formatTypeLib(module.value()->typeLib()), formatTypeLib(linkwell::linkwellTypeLib()));
    ASSERT_EQ(module.value()->registerServer(), hr::Ok);
    {
        Result<std::shared_ptr<Object>> object = createObject(QStringLiteral("linkwell.linkwelltxt"));
        ASSERT_TRUE(object.ok()) << object.error().message().toStdString();
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
