// The runtime's property sheet and standard pages, with the hyperlink control and with
// objects of other shapes.
#include "testhost.h"

#include "hyperlink.h"
#include "linkwelltypelib.h"

#include "platform/module.h"
#include "platform/picture.h"
#include "platform/propertysheet.h"
#include "platform/registry.h"
#include "platform/standardcolorpage.h"
#include "platform/standardfontpage.h"
#include "platform/standardpicturepage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;
using linkwell::Hyperlink;
using linkwell::LinkwellTxt;

namespace {

const TypeRef OleColor {VarType::I4, QStringLiteral("OLE_COLOR")};
const TypeRef PictureType {VarType::Dispatch, QStringLiteral("IPictureDisp")};

// The sheet creates the control's own page out of the built library, registered in a scratch
// registry, as a host finds it.
class Sheet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_registry = new QTemporaryDir;
        Registry::setLocation(s_registry->path());
        Result<Module*> module = Module::load(QStringLiteral(LINKWELL_LIBRARY));
        ASSERT_TRUE(module.ok()) << module.error().message().toStdString();
        ASSERT_EQ(module.value()->registerServer(), hr::Ok);
    }
    static void TearDownTestSuite()
    {
        Registry::setLocation({});
        delete s_registry;
        s_registry = nullptr;
    }
    static inline QTemporaryDir* s_registry = nullptr;

    std::unique_ptr<PropertySheet> sheetFor(QList<std::shared_ptr<Object>> objects)
    {
        Result<std::unique_ptr<PropertySheet>> sheet = PropertySheet::forControls(std::move(objects));
        EXPECT_TRUE(sheet.ok()) << (sheet.ok() ? "" : sheet.error().message().toStdString());
        return sheet.ok() ? std::move(sheet.value()) : nullptr;
    }

    template <typename T>
    static T* pageOf(PropertySheet& sheet, int index)
    {
        return dynamic_cast<T*>(sheet.pages().value(index).get());
    }
    template <typename T>
    static T* partOf(PropertySheet& sheet, int index, const char* name)
    {
        return sheet.pages().value(index)->widget()->findChild<T*>(QLatin1String(name));
    }

    TestHost host;
};

TEST_F(Sheet, HyperlinkControlGetsColourFontAndItsOwnPageInThatOrder)
{
    auto control = host.create();
    auto sheet = sheetFor({control});
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->tabs()->count(), 3);
    EXPECT_EQ(sheet->tabs()->tabText(0), QStringLiteral("Color"));
    EXPECT_EQ(sheet->tabs()->tabText(1), QStringLiteral("Font"));
    EXPECT_EQ(sheet->tabs()->tabText(2), QStringLiteral("Hyperlink"));
    EXPECT_EQ(sheet->pages()[2]->className(), QStringLiteral("Hyperlink"));
}

TEST_F(Sheet, APageLearnsTheSelectionWhenItsTabIsFirstShown)
{
    auto control = host.create();
    auto sheet = sheetFor({control});
    ASSERT_TRUE(sheet);
    auto* text = partOf<QLineEdit>(*sheet, 2, "txtHyperLink");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_FALSE(sheet->applyButton()->isEnabled());
    sheet->tabs()->setCurrentIndex(2);
    EXPECT_EQ(text->text(), LinkwellTxt::DefaultHyperlink);
    // The page marks itself changed while filling, so Apply is on.
    EXPECT_TRUE(sheet->applyButton()->isEnabled());
}

TEST_F(Sheet, OkAppliesAndClosesCancelAppliesNothing)
{
    for (bool ok : {true, false}) {
        auto control = host.create();
        auto sheet = sheetFor({control});
        ASSERT_TRUE(sheet);
        sheet->show();
        sheet->tabs()->setCurrentIndex(2);
        partOf<QLineEdit>(*sheet, 2, "txtHyperLink")->setText(QStringLiteral("http://edited.example/"));
        QTest::mouseClick(ok ? sheet->okButton() : sheet->cancelButton(), Qt::LeftButton);
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(sheet->result(), ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(control->Hyperlink(), ok ? QStringLiteral("http://edited.example/") : LinkwellTxt::DefaultHyperlink);
    }
}

TEST_F(Sheet, ApplyWritesEveryChangedPageAndTurnsItselfOff)
{
    auto control = host.create();
    auto sheet = sheetFor({control});
    ASSERT_TRUE(sheet);
    sheet->tabs()->setCurrentIndex(2);
    partOf<QCheckBox>(*sheet, 2, "chkEnabled")->setChecked(false);
    sheet->tabs()->setCurrentIndex(0);
    auto* colours = pageOf<StandardColorPage>(*sheet, 0);
    colours->selectProperty(QStringLiteral("ForeColor"));
    colours->widget()->findChild<QLineEdit*>(QStringLiteral("txtColor"))->clear();
    QTest::keyClicks(colours->widget()->findChild<QLineEdit*>(QStringLiteral("txtColor")), QStringLiteral("&H000000FF&"));
    host.log.clear();
    QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
    EXPECT_EQ(control->ForeColor(), 0x000000FFu);
    EXPECT_FALSE(control->Enabled());
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed ForeColor"), QStringLiteral("changed HyperLink"),
                                     QStringLiteral("changed Enabled")}));
    EXPECT_FALSE(sheet->applyButton()->isEnabled());
}

TEST_F(Sheet, AnErrorWhileApplyingIsShownAndTheSheetStaysOpen)
{
    auto holder = std::make_shared<PropertyHolder>(
        QList<PropertyHolder::Property> {
            {QStringLiteral("Hyperlink"), {VarType::BStr, {}}, Variant::fromString(QStringLiteral("a"))},
            {QStringLiteral("Enabled"), {VarType::Bool, {}}, Variant::fromBool(true)}},
        QList<Guid> {Hyperlink::Clsid});
    holder->refused << QStringLiteral("Hyperlink");
    auto sheet = sheetFor({holder});
    ASSERT_TRUE(sheet);
    sheet->show();
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(host.log, QStringList({QStringLiteral("msgbox Invalid property value")}));
    EXPECT_TRUE(sheet->applyButton()->isEnabled());
    sheet->reject();
}

TEST_F(Sheet, SeveralControlsGetOnlyThePagesTheyAllList)
{
    auto control = host.create();
    auto other = std::make_shared<PropertyHolder>(QList<PropertyHolder::Property> {},
                                                  QList<Guid> {StandardPicturePage::Clsid, StandardFontPage::Clsid});
    auto sheet = sheetFor({control, other});
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->tabs()->count(), 1);
    EXPECT_EQ(sheet->tabs()->tabText(0), QStringLiteral("Font"));
}

TEST_F(Sheet, PagesAreCreatedByClassIdentifier)
{
    struct Case {
        Guid clsid;
        const char* className; // null: refused
    };
    const QList<Case> cases = {
        {StandardColorPage::Clsid, "StandardColor"},
        {StandardFontPage::Clsid, "StandardFont"},
        {StandardPicturePage::Clsid, "StandardPicture"},
        {Hyperlink::Clsid, "Hyperlink"},
        {LinkwellTxt::Clsid, nullptr},
        {Guid::literal("{00000000-1111-2222-3333-444444444444}"), nullptr},
    };
    for (const Case& c : cases) {
        Result<std::shared_ptr<PropertyPage>> page = PropertySheet::createPage(c.clsid);
        if (c.className) {
            ASSERT_TRUE(page.ok()) << page.error().message().toStdString();
            EXPECT_EQ(page.value()->className(), QLatin1String(c.className));
        } else {
            ASSERT_FALSE(page.ok()) << c.clsid.toString().toStdString();
            EXPECT_EQ(page.error().number(), errc::CannotCreateObject);
        }
    }
}

TEST_F(Sheet, PageOfARegisteredLibraryIsLoadedFromIt)
{
    Result<std::shared_ptr<Object>> control = createObject(QStringLiteral("Linkwell.LinkwellTxt"));
    ASSERT_TRUE(control.ok());
    {
        Result<std::unique_ptr<PropertySheet>> sheet = PropertySheet::forControls({control.value()});
        ASSERT_TRUE(sheet.ok()) << sheet.error().message().toStdString();
        ASSERT_EQ(sheet.value()->pages().size(), 3);
        // The page comes out of the loaded library, not out of this program's own copy.
        EXPECT_NE(&sheet.value()->pages()[2]->dispatch(), &Hyperlink::table());
        EXPECT_EQ(sheet.value()->pages()[2]->caption(), QStringLiteral("Hyperlink"));
        sheet.value()->tabs()->setCurrentIndex(2);
        auto* text = sheet.value()->pages()[2]->widget()->findChild<QLineEdit*>(QStringLiteral("txtHyperLink"));
        ASSERT_TRUE(text);
        EXPECT_EQ(text->text(), LinkwellTxt::DefaultHyperlink);
    }
}

TEST_F(Sheet, ColourPageEditsOnlyTheColourPropertiesOfTheFirstControl)
{
    auto first = host.create();
    auto second = host.create();
    StandardColorPage page;
    ASSERT_TRUE(page.setSelectedControls({first, second}).ok());
    EXPECT_EQ(page.propertyNames(), QStringList({QStringLiteral("BackColor"), QStringLiteral("ForeColor")}));
    EXPECT_EQ(page.currentProperty(), QStringLiteral("BackColor"));
    EXPECT_FALSE(page.changed());

    auto* set = page.widget()->findChild<QComboBox*>(QStringLiteral("cboColorSet"));
    auto* colours = page.widget()->findChild<QListWidget*>(QStringLiteral("lstColors"));
    // BackColor is the system's button face, shown in the system colours.
    EXPECT_EQ(set->currentIndex(), 1);
    ASSERT_TRUE(colours->currentItem());
    EXPECT_EQ(colours->currentItem()->text(), QStringLiteral("Button Face"));

    set->setCurrentIndex(0);
    colours->setCurrentItem(colours->findItems(QStringLiteral("Red"), Qt::MatchExactly).value(0));
    EXPECT_TRUE(page.changed());
    host.log.clear();
    ASSERT_TRUE(page.apply().ok());
    EXPECT_EQ(first->BackColor(), 0x000000FFu);
    EXPECT_EQ(first->ForeColor(), 0x00C00000u);
    EXPECT_EQ(second->BackColor(), 0x8000000Fu);
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed BackColor")}));
}

TEST(ColourText, ParsesTheFormsADeveloperTypes)
{
    const QList<std::pair<const char*, std::optional<std::uint32_t>>> cases = {
        {"&H00C00000&", 0x00C00000u}, {"&H8000000F&", 0x8000000Fu}, {"0xFF", 0x000000FFu}, {"ff00", 0x0000FF00u},
        {"&H12345678&", std::nullopt}, {"&H80000020&", std::nullopt}, {"red", std::nullopt}, {"", std::nullopt},
        {"&H123456789&", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StandardColorPage::parseColor(QLatin1String(text)), value) << text;
    EXPECT_EQ(StandardColorPage::formatColor(0x8000000F), QStringLiteral("&H8000000F&"));
}

TEST_F(Sheet, FontPageAssignsANewFontAndLeavesTheOldObjectAlone)
{
    auto control = host.create();
    const auto before = control->Font();
    const Font::Description original = before->description();
    StandardFontPage page;
    ASSERT_TRUE(page.setSelectedControls({control}).ok());
    EXPECT_EQ(page.propertyNames(), QStringList({QStringLiteral("Font")}));
    auto* size = page.widget()->findChild<QComboBox*>(QStringLiteral("cboSize"));
    auto* bold = page.widget()->findChild<QCheckBox*>(QStringLiteral("chkBold"));
    auto* name = page.widget()->findChild<QComboBox*>(QStringLiteral("cboFont"));
    EXPECT_EQ(name->currentText(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(size->currentText(), QStringLiteral("8.25"));
    EXPECT_TRUE(page.widget()->findChild<QCheckBox*>(QStringLiteral("chkUnderline"))->isChecked());
    EXPECT_FALSE(page.changed());

    size->setCurrentText(QStringLiteral("12"));
    bold->setChecked(true);
    host.log.clear();
    ASSERT_TRUE(page.apply().ok());
    const Font::Description now = control->Font()->description();
    EXPECT_DOUBLE_EQ(now.size, 12.0);
    EXPECT_EQ(now.weight, 700);
    EXPECT_TRUE(now.underline);
    EXPECT_EQ(now.name, QStringLiteral("MS Sans Serif"));
    EXPECT_NE(control->Font(), before);
    EXPECT_EQ(before->description(), original);
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed Font")}));
}

TEST_F(Sheet, PicturePageLoadsClearsAndAssignsPictures)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.png"));
    QImage image(21, 13, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(file));

    auto holder = std::make_shared<PropertyHolder>(QList<PropertyHolder::Property> {
        {QStringLiteral("Caption"), {VarType::BStr, {}}, Variant::fromString(QStringLiteral("c"))},
        {QStringLiteral("Picture"), PictureType, Variant::fromObject(Picture::create()), true},
        {QStringLiteral("BackColor"), OleColor, Variant::fromI4(0)},
    });
    StandardPicturePage page;
    ASSERT_TRUE(page.setSelectedControls({holder}).ok());
    EXPECT_EQ(page.propertyNames(), QStringList({QStringLiteral("Picture")}));

    host.fileToOpen = file;
    QTest::mouseClick(page.widget()->findChild<QPushButton*>(QStringLiteral("cmdBrowse")), Qt::LeftButton);
    EXPECT_EQ(host.log, QStringList({QStringLiteral("dialog Select Picture")}));
    ASSERT_TRUE(page.changed());
    ASSERT_TRUE(page.apply().ok());
    auto picture = holder->value(QStringLiteral("Picture")).objectAs<Picture>();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image().size(), QSize(21, 13));

    QTest::mouseClick(page.widget()->findChild<QPushButton*>(QStringLiteral("cmdClear")), Qt::LeftButton);
    ASSERT_TRUE(page.apply().ok());
    picture = holder->value(QStringLiteral("Picture")).objectAs<Picture>();
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->isEmpty());
    EXPECT_EQ(holder->puts, QStringList({QStringLiteral("Picture"), QStringLiteral("Picture")}));

    Result<void> bad = page.loadFile(dir.filePath(QStringLiteral("missing.png")));
    EXPECT_FALSE(bad.ok());
}

TEST_F(Sheet, PicturePageWithNothingToEditOffersNoButtons)
{
    auto control = host.create();
    StandardPicturePage page;
    ASSERT_TRUE(page.setSelectedControls({control}).ok());
    EXPECT_TRUE(page.propertyNames().isEmpty());
    EXPECT_FALSE(page.widget()->findChild<QPushButton*>(QStringLiteral("cmdBrowse"))->isEnabled());
    ASSERT_TRUE(page.apply().ok());
    EXPECT_TRUE(host.log.isEmpty());
}

} // namespace
