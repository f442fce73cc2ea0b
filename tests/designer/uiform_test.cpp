// controls.ui built the two ways a program builds a form: compiled by uic against the installed
// proxies' headers, and loaded at run time by QUiLoader through the plugin.

#include "designerhost.h"
#include "formvalues.h"
#include "testsupport.h"
#include "ui_controls.h"

#include <QBuffer>
#include <QFileInfo>
#include <QScopedPointer>
#include <QUiLoader>

TEST(DesignerForms, UicBuildsTheFormWithTheFileValues)
{
    QWidget form;
    Ui::ControlsForm ui;
    ui.setupUi(&form);
    // The typed members are the proxies themselves.
    Vellib::Velloc* velloc = ui.velloc;
    Linkwell::LinkwellTxt* link = ui.linkwellTxt;
    EXPECT_EQ(velloc->protectionType(), Vellib::Velloc::PType::Ceaser);
    EXPECT_TRUE(link->userMode());
    designertest::expectFileValues(&form);
}

TEST(DesignerForms, QUiLoaderBuildsTheFormWithTheFileValues)
{
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QFileInfo(QStringLiteral(VELLOC_DESIGNER_PLUGIN)).absolutePath());
    EXPECT_TRUE(loader.availableWidgets().contains(QStringLiteral("Vellib::Velloc")));
    QBuffer file;
    file.setData(designertest::readText(designertest::sourceFile(QStringLiteral("controls.ui"))).toUtf8());
    QScopedPointer<QWidget> form(loader.load(&file));
    ASSERT_TRUE(form) << loader.errorString().toStdString();
    EXPECT_STREQ(form->findChild<QWidget*>(QStringLiteral("velloc"))->metaObject()->className(), "Vellib::Velloc");
    // A program runs its controls: no design-time face.
    EXPECT_TRUE(form->findChild<velloc::ControlHost*>(QStringLiteral("linkwellTxt"))->userMode());
    designertest::expectFileValues(form.get());
}
