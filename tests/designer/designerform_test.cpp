// The controls in Qt's own form editor: a form window opens controls.ui through the plugin, the
// property sheet extension and the task menu change the controls, the undo stack takes the
// changes back, and the saved form carries them.

#include "designerhost.h"
#include "formvalues.h"
#include "testsupport.h"

#include "velloc/hosting/propertysheet.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QDesignerFormEditorInterface>
#include <QDesignerFormWindowCursorInterface>
#include <QDesignerFormWindowInterface>
#include <QDesignerFormWindowManagerInterface>
#include <QDesignerPropertySheetExtension>
#include <QDesignerTaskMenuExtension>
#include <QExtensionManager>
#include <QFileInfo>
#include <QLineEdit>
#include <QScopedPointer>
#include <QTabWidget>
#include <QUiLoader>
#include <QUndoStack>

using namespace velloc;

namespace {

class DesignerForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        core = designertest::designerCore();
        form = core->formWindowManager()->createFormWindow(nullptr);
        const QString path = designertest::sourceFile(QStringLiteral("controls.ui"));
        form->setFileName(path);
        ASSERT_TRUE(form->setContents(designertest::readText(path)));
        velloc = form->mainContainer()->findChild<ControlHost*>(QStringLiteral("velloc"));
        link = form->mainContainer()->findChild<ControlHost*>(QStringLiteral("linkwellTxt"));
        ASSERT_TRUE(velloc && link);
    }
    void TearDown() override { delete form; }

    QDesignerPropertySheetExtension* sheetOf(QObject* widget)
    {
        return qt_extension<QDesignerPropertySheetExtension*>(core->extensionManager(), widget);
    }
    QDesignerTaskMenuExtension* taskMenuOf(QObject* widget)
    {
        return qt_extension<QDesignerTaskMenuExtension*>(core->extensionManager(), widget);
    }
    QAction* action(QObject* widget, const QString& text)
    {
        QDesignerTaskMenuExtension* menu = taskMenuOf(widget);
        if (!menu)
            return nullptr;
        for (QAction* a : menu->taskActions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    // The form as Designer saves it, loaded again as a program would.
    QWidget* reload()
    {
        QUiLoader loader;
        loader.clearPluginPaths();
        loader.addPluginPath(QFileInfo(QStringLiteral(VELLOC_DESIGNER_PLUGIN)).absolutePath());
        QBuffer saved;
        saved.setData(form->contents().toUtf8());
        QWidget* w = loader.load(&saved);
        EXPECT_TRUE(w) << loader.errorString().toStdString() << "\n" << form->contents().toStdString();
        return w;
    }

    QDesignerFormEditorInterface* core = nullptr;
    QDesignerFormWindowInterface* form = nullptr;
    ControlHost* velloc = nullptr;
    ControlHost* link = nullptr;
};

struct SheetCase {
    const char* control;
    const char* property;
    QVariant value;
    const char* expected; // the control's value, as a compcall literal
};

class DesignerSheet : public DesignerForm, public ::testing::WithParamInterface<SheetCase> {};

} // namespace

TEST_F(DesignerForm, OpensTheFileWithDesignTimeControls)
{
    designertest::expectFileValues(form->mainContainer());
    EXPECT_FALSE(velloc->userMode());
    EXPECT_FALSE(link->userMode());
}

// Each change made where Designer's property editor makes it reaches the control at once.
TEST_P(DesignerSheet, AChangeReachesTheControl)
{
    const SheetCase& c = GetParam();
    ControlHost* host = QLatin1String(c.control) == QLatin1String("velloc") ? velloc : link;
    QDesignerPropertySheetExtension* sheet = sheetOf(host);
    ASSERT_TRUE(sheet);
    const int index = sheet->indexOf(QString::fromLatin1(c.property));
    ASSERT_GE(index, 0);
    EXPECT_TRUE(sheet->isVisible(index));
    sheet->setProperty(index, c.value);
    const Variant now = host->getProperty(QString::fromLatin1(c.property));
    EXPECT_EQ(host->lastError().number(), 0) << host->lastError().message().toStdString();
    EXPECT_TRUE(testsupport::sameVariant(now, testsupport::lit(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    BothControls, DesignerSheet,
    ::testing::Values(SheetCase {"velloc", "KEY", QStringLiteral("north wind"), R"("north wind")"},
                      SheetCase {"velloc", "ProtectionType", 7, "i4:7"},
                      SheetCase {"velloc", "ShowProgress", true, "bool:true"},
                      SheetCase {"velloc", "File", QStringLiteral("/tmp/ledger.txt"), R"("/tmp/ledger.txt")"},
                      SheetCase {"velloc", "CeaserOffset", 200, "ui1:200"},
                      SheetCase {"linkwellTxt", "Hyperlink", QStringLiteral("mailto:pilot@torvane.example"),
                                 R"("mailto:pilot@torvane.example")"},
                      SheetCase {"linkwellTxt", "ForeColor", QColor(0x10, 0x20, 0x30), "i4:3153936"},
                      SheetCase {"linkwellTxt", "Enabled", false, "bool:false"}),
    [](const auto& info) { return std::string(info.param.control) + "_" + info.param.property; });

// The property editor edits a byte as a whole number; the control refuses what does not fit.
TEST_F(DesignerForm, AByteOutOfRangeIsRefusedByTheControl)
{
    QDesignerPropertySheetExtension* sheet = sheetOf(velloc);
    const int index = sheet->indexOf(QStringLiteral("CeaserOffset"));
    ASSERT_GE(index, 0);
    sheet->setProperty(index, 9);
    sheet->setProperty(index, 300);
    EXPECT_EQ(velloc->lastError().number(), errc::Overflow);
    EXPECT_TRUE(testsupport::sameVariant(velloc->getProperty(QStringLiteral("CeaserOffset")), testsupport::lit("ui1:9")));
}

TEST_F(DesignerForm, PropertiesAreGroupedByTheirCategory)
{
    QDesignerPropertySheetExtension* sheet = sheetOf(velloc);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->propertyGroup(sheet->indexOf(QStringLiteral("ShowProgress"))), QStringLiteral("FileSetup"));
    EXPECT_NE(sheet->propertyGroup(sheet->indexOf(QStringLiteral("KEY"))), QStringLiteral("FileSetup"));
}

TEST_F(DesignerForm, TheTaskMenuOffersPropertiesAndAbout)
{
    for (ControlHost* host : {velloc, link}) {
        QDesignerTaskMenuExtension* menu = taskMenuOf(host);
        ASSERT_TRUE(menu);
        QStringList texts;
        for (QAction* a : menu->taskActions()) {
            texts << a->text();
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
        }
        EXPECT_EQ(texts, (QStringList {QStringLiteral("Properties..."), QStringLiteral("About...")}));
        EXPECT_EQ(menu->preferredEditAction()->text(), QStringLiteral("Properties..."));
    }
}

// A page's change becomes one undoable command, and the saved form carries it.
TEST_F(DesignerForm, WhatAPageAppliesReachesTheUndoStackAndTheSavedForm)
{
    QStringList pages;
    designertest::ModalResponder responder([&pages](QWidget* window) {
        auto* sheet = dynamic_cast<PropertySheet*>(window);
        ASSERT_TRUE(sheet);
        for (int i = 0; i < sheet->tabs()->count(); ++i)
            pages << sheet->tabs()->tabText(i);
        for (int i = 0; i < sheet->tabs()->count(); ++i) {
            sheet->tabs()->setCurrentIndex(i);
            if (auto* edit = sheet->tabs()->widget(i)->findChild<QLineEdit*>(QStringLiteral("txtHyperLink")))
                edit->setText(QStringLiteral("https://www.torvane.example/charts"));
        }
        sheet->accept();
    });
    QUndoStack* undo = form->commandHistory();
    const int commands = undo->count();
    QAction* properties = action(link, QStringLiteral("Properties..."));
    ASSERT_TRUE(properties);
    properties->trigger();
    ASSERT_EQ(responder.shown.size(), 1) << responder.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_GE(pages.size(), 3) << pages.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(link->getProperty(QStringLiteral("Hyperlink")).toString().value(),
              QStringLiteral("https://www.torvane.example/charts"));
    EXPECT_EQ(undo->count(), commands + 1);

    QScopedPointer<QWidget> saved(reload());
    ASSERT_TRUE(saved);
    EXPECT_EQ(designertest::hostIn(saved.get(), "linkwellTxt")->getProperty(QStringLiteral("Hyperlink")).toString().value(),
              QStringLiteral("https://www.torvane.example/charts"));

    undo->undo();
    EXPECT_EQ(link->getProperty(QStringLiteral("Hyperlink")).toString().value(),
              QStringLiteral("https://www.torvane.example/tides"));
}

// A picture chosen in the Picture page has no file Designer could name: it is kept all the same.
TEST_F(DesignerForm, APictureFromThePicturePageReachesTheSavedForm)
{
    testsupport::ScratchDir scratch;
    QImage chosen(5, 4, QImage::Format_RGB32);
    chosen.fill(QColor(12, 200, 90));
    chosen.setPixelColor(0, 0, QColor(250, 250, 0));
    ASSERT_TRUE(chosen.save(scratch.path(QStringLiteral("chosen.png"))));
    designertest::ModalResponder responder([](QWidget* window) {
        auto* sheet = dynamic_cast<PropertySheet*>(window);
        ASSERT_TRUE(sheet);
        for (int i = 0; i < sheet->tabs()->count(); ++i) {
            sheet->tabs()->setCurrentIndex(i);
            if (auto* browse = sheet->tabs()->widget(i)->findChild<QAbstractButton*>(QStringLiteral("cmdBrowse")))
                browse->click();
        }
        sheet->accept();
    });
    responder.fileToOpen = scratch.path(QStringLiteral("chosen.png"));
    QAction* properties = action(velloc, QStringLiteral("Properties..."));
    ASSERT_TRUE(properties);
    properties->trigger();
    auto pictureOf = [](ControlHost* host) {
        return ControlHost::toPixmap(host->getProperty(QStringLiteral("Picture"))).toImage().convertToFormat(QImage::Format_RGB32);
    };
    ASSERT_EQ(pictureOf(velloc), chosen) << responder.shown.join(QLatin1Char('\n')).toStdString();

    QScopedPointer<QWidget> saved(reload());
    ASSERT_TRUE(saved);
    ControlHost* again = designertest::hostIn(saved.get(), "velloc");
    ASSERT_TRUE(again);
    EXPECT_EQ(pictureOf(again), chosen);
    // The rest of the file is still there.
    EXPECT_EQ(again->getProperty(QStringLiteral("KEY")).toString().value(), QStringLiteral("harbour lights"));

    form->commandHistory()->undo();
    EXPECT_EQ(pictureOf(velloc), designertest::fileImage());
}

TEST_F(DesignerForm, AboutShowsTheControlsAboutBox)
{
    for (ControlHost* host : {velloc, link}) {
        designertest::ModalResponder responder([](QWidget* window) { window->close(); });
        QAction* about = action(host, QStringLiteral("About..."));
        ASSERT_TRUE(about);
        about->trigger();
        EXPECT_EQ(responder.shown.size(), 1) << host->progId().toStdString();
        EXPECT_TRUE(responder.shown.value(0).contains(QStringLiteral("About"), Qt::CaseInsensitive))
            << responder.shown.value(0).toStdString();
    }
}

// Every property the file sets, and every one changed in Designer, survives saving and loading.
TEST_F(DesignerForm, SavingKeepsTheFileAndTheChanges)
{
    {
        QScopedPointer<QWidget> saved(reload());
        ASSERT_TRUE(saved);
        designertest::expectFileValues(saved.get());
    }
    QDesignerPropertySheetExtension* sheet = sheetOf(velloc);
    form->cursor()->setWidgetProperty(velloc, QStringLiteral("KEY"), QStringLiteral("spring tide"));
    form->cursor()->setWidgetProperty(velloc, QStringLiteral("ProtectionType"), 9);
    EXPECT_TRUE(sheet->isChanged(sheet->indexOf(QStringLiteral("KEY"))));
    QScopedPointer<QWidget> saved(reload());
    ASSERT_TRUE(saved);
    ControlHost* again = designertest::hostIn(saved.get(), "velloc");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->getProperty(QStringLiteral("KEY")).toString().value(), QStringLiteral("spring tide"));
    EXPECT_EQ(again->getProperty(QStringLiteral("ProtectionType")).toI4().value(), 9);
    const QString xml = form->contents();
    EXPECT_TRUE(xml.contains(QStringLiteral("<header location=\"global\">velloc/proxies/vellib_velloc.h</header>"))) << xml.toStdString();
}
