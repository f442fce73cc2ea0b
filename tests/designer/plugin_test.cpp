// The plugin as Designer and QUiLoader see it: its entries come from the registry, one per
// control class, and each builds its generated proxy.

#include "controlcatalogue.h"
#include "designerhost.h"
#include "testsupport.h"

#include "velloc/hosting/controlhost.h"

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QDomDocument>
#include <QFile>
#include <QScopedPointer>

using namespace velloc;

namespace {

QDesignerCustomWidgetInterface* entryNamed(QDesignerCustomWidgetCollectionInterface* plugin, const QString& name)
{
    for (QDesignerCustomWidgetInterface* w : plugin->customWidgets())
        if (w->name() == name)
            return w;
    return nullptr;
}

struct EntryCase {
    const char* className;
    const char* progId;
    const char* includeFile;
    const char* objectName;
};

class PluginEntry : public ::testing::TestWithParam<EntryCase> {};

} // namespace

TEST(DesignerPlugin, ListsTheControlsAndNoPropertyPage)
{
    QString error;
    QDesignerCustomWidgetCollectionInterface* plugin = designertest::loadPlugin(&error);
    ASSERT_TRUE(plugin) << error.toStdString();
    QStringList names;
    for (QDesignerCustomWidgetInterface* w : plugin->customWidgets())
        names << w->name();
    names.sort();
    // BGPic and Hyperlink are registered as well, as property pages.
    EXPECT_EQ(names, (QStringList {QStringLiteral("Linkwell::LinkwellTxt"), QStringLiteral("Vellib::Velloc")}));
}

TEST_P(PluginEntry, DescribesAndCreatesItsProxy)
{
    const EntryCase& c = GetParam();
    QDesignerCustomWidgetCollectionInterface* plugin = designertest::loadPlugin(nullptr);
    ASSERT_TRUE(plugin);
    QDesignerCustomWidgetInterface* entry = entryNamed(plugin, QString::fromLatin1(c.className));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->group(), QStringLiteral("Velloc Controls"));
    EXPECT_EQ(entry->includeFile(), QString::fromLatin1(c.includeFile));
    EXPECT_FALSE(entry->isContainer());
    EXPECT_FALSE(entry->toolTip().isEmpty());
    EXPECT_FALSE(entry->whatsThis().isEmpty());
    const QList<QSize> sizes = entry->icon().availableSizes();
    ASSERT_FALSE(sizes.isEmpty());
    EXPECT_EQ(sizes.first(), QSize(16, 15));

    QDomDocument dom;
    ASSERT_TRUE(dom.setContent(entry->domXml()));
    const QDomElement widget = dom.documentElement().firstChildElement(QStringLiteral("widget"));
    EXPECT_EQ(widget.attribute(QStringLiteral("class")), entry->name());
    EXPECT_EQ(widget.attribute(QStringLiteral("name")), QString::fromLatin1(c.objectName));

    QScopedPointer<QWidget> created(entry->createWidget(nullptr));
    auto* host = qobject_cast<ControlHost*>(created.get());
    ASSERT_TRUE(host);
    ASSERT_FALSE(host->isNull()) << host->lastError().message().toStdString();
    // uic writes the entry's name as the class: the widget must be that class, not a stand-in.
    EXPECT_STREQ(host->metaObject()->className(), c.className);
    EXPECT_EQ(host->progId(), QString::fromLatin1(c.progId));
    EXPECT_TRUE(host->control());
}

INSTANTIATE_TEST_SUITE_P(BothControls, PluginEntry,
                         ::testing::Values(EntryCase {"Vellib::Velloc", "Vellib.Velloc",
                                                      "<velloc/proxies/vellib_velloc.h>", "velloc"},
                                           EntryCase {"Linkwell::LinkwellTxt", "Linkwell.LinkwellTxt",
                                                      "<velloc/proxies/linkwell_linkwelltxt.h>", "linkwellTxt"}),
                         [](const auto& info) { return std::string(info.param.objectName); });

// An entry Designer cannot use is left out with the reason; the rest of the registry is listed.
TEST(DesignerCatalogue, SkipsBrokenEntriesAndKeepsTheRest)
{
    testsupport::ScopedRegistry registry;
    Result<Module*> velpack = Module::load(QStringLiteral(VELPACK_MODULE));
    ASSERT_TRUE(velpack.ok()) << velpack.error().message().toStdString();
    ASSERT_TRUE(Registry::writeLibrary((*velpack)->typeLib(), QStringLiteral(VELPACK_MODULE)).ok());
    // The same classes claimed by a file that is no library, and an entry that is no JSON.
    const QString notALibrary = registry.file(QStringLiteral("libfake.so"));
    testsupport::writeAll(notALibrary, "not a shared library");
    Result<Module*> linkwell = Module::load(QStringLiteral(LINKWELL_LIBRARY));
    ASSERT_TRUE(linkwell.ok());
    ASSERT_TRUE(Registry::writeLibrary((*linkwell)->typeLib(), notALibrary).ok());
    testsupport::writeAll(registry.file(QStringLiteral("broken.json")), "{ not json");

    QStringList skipped;
    const QList<designer::ControlDescription> found = designer::scanRegistry(designer::suiteProxies(), &skipped);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().className, QStringLiteral("Vellib::Velloc"));
    ASSERT_EQ(skipped.size(), 2) << skipped.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(skipped.filter(QStringLiteral("libfake.so")).size() == 1) << skipped.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(skipped.filter(QStringLiteral("broken.json")).size() == 1) << skipped.join(QLatin1Char('\n')).toStdString();
}

// A control whose proxy this plugin does not carry is hosted late-bound, and uic's include names
// the header velloc_add_proxy() generates for it.
TEST(DesignerCatalogue, AControlWithoutABuiltInProxyIsHostedLateBound)
{
    QStringList skipped;
    const QList<designer::ControlDescription> found = designer::scanRegistry({}, &skipped);
    auto link = std::find_if(found.begin(), found.end(),
                             [](const auto& d) { return d.className == QLatin1String("Linkwell::LinkwellTxt"); });
    ASSERT_NE(link, found.end());
    EXPECT_EQ(link->includeFile, QStringLiteral("<linkwell_linkwelltxt.h>"));
    QScopedPointer<ControlHost> host(link->create(nullptr));
    ASSERT_FALSE(host->isNull());
    EXPECT_STREQ(host->metaObject()->className(), "velloc::ControlHost");
    EXPECT_TRUE(host->putProperty(QStringLiteral("Hyperlink"), Variant::fromString(QStringLiteral("ftp://quay"))));
    EXPECT_EQ(host->getProperty(QStringLiteral("Hyperlink")).toString().value(), QStringLiteral("ftp://quay"));
}
