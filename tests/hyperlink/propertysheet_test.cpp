// The control's own page Hyperlink, and the runtime's property sheet and standard pages with
// the hyperlink control and with objects of other shapes.
#include "testsupport.h"
#include "linkwelltxt.h"

#include "hyperlink.h"
#include "typelib.h"
#include "urllabel.h"

#include "velloc/core/module.h"
#include "velloc/store/picture.h"
#include "velloc/hosting/propertysheet.h"
#include "velloc/store/registry.h"
#include "velloc/hosting/standardcolorpage.h"
#include "velloc/hosting/standardfontpage.h"
#include "velloc/hosting/standardpicturepage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
using linkwell::Hyperlink;
using linkwell::LinkwellTxt;

namespace {

// A control with a caption and a picture, and the pages it is given; it counts the pictures
// assigned to it.
class PictureHolder final : public Control {
public:
    explicit PictureHolder(QList<Guid> pages = {}) : m_pages(std::move(pages)) {}

    QString className() const override { return QStringLiteral("PictureHolder"); }
    QList<Guid> propertyPages() const override { return m_pages; }
    const DispatchTable& dispatch() const override
    {
        static const DispatchTable t = [] {
            DispatchTable t(InterfaceInfo {QStringLiteral("_PictureHolder"), Guid::literal("{5D1C0F6E-0000-4000-8000-000000000001}"),
                                           true});
            const TypeRef picture {VarType::Dispatch, QStringLiteral("IPictureDisp")};
            t.get<PictureHolder>(QStringLiteral("Caption"), 1, {VarType::BStr, {}}, {},
                                 [](PictureHolder&) -> Result<Variant> { return Variant::fromString(QStringLiteral("c")); });
            t.get<PictureHolder>(QStringLiteral("Picture"), 2, picture, {},
                                 [](PictureHolder& h) -> Result<Variant> { return Variant::fromObject(h.picture); });
            t.put<PictureHolder>(
                QStringLiteral("Picture"), 2, QStringLiteral("value"), picture, {},
                [](PictureHolder& h, const Variant& v) -> Result<void> {
                    h.picture = v.objectAs<Picture>();
                    ++h.puts;
                    return {};
                },
                MemberKind::PropertyPutRef);
            return t;
        }();
        return t;
    }

    std::shared_ptr<Picture> picture = Picture::create();
    int puts = 0;

protected:
    QWidget* createWidget() override { return new QWidget; }

private:
    QList<Guid> m_pages;
};

// The sheet creates the control's own page out of the built library, registered in a scratch
// registry, as a host finds it.
class Sheet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_registry = new ScopedRegistry;
        Result<Module*> module = Module::load(QStringLiteral(LINKWELL_LIBRARY));
        ASSERT_TRUE(module.ok()) << module.error().message().toStdString();
        ASSERT_EQ(module.value()->registerServer(), hr::Ok);
    }
    static void TearDownTestSuite()
    {
        delete s_registry;
    }
    static inline ScopedRegistry* s_registry = nullptr;

    static std::unique_ptr<PropertySheet> sheetFor(QList<std::shared_ptr<Object>> objects)
    {
        Result<std::unique_ptr<PropertySheet>> sheet = PropertySheet::forControls(std::move(objects));
        return sheet.ok() ? std::move(sheet.value()) : nullptr;
    }
    template <typename T>
    static T* partOf(PropertyPage& page, const char* name)
    {
        return page.widget()->findChild<T*>(QLatin1String(name));
    }

    RecordingHost host;
    std::shared_ptr<Hyperlink> page = std::make_shared<Hyperlink>();
};

// The library file publishes the same tables as this program's copy, with the toolbox bitmap,
// and creates the control by its programmatic identifier; it can be unloaded once no object
// of it is left, and unregistering removes its classes.
TEST_F(Sheet, BuiltLibraryPublishesTheTablesAndCreatesTheControlByItsProgrammaticIdentifier)
{
    Result<Module*> module = Module::load(QStringLiteral(LINKWELL_LIBRARY));
    ASSERT_TRUE(module.ok());
    const TypeLibInfo& lib = module.value()->typeLib();
    EXPECT_EQ(formatTypeLib(lib), formatTypeLib(linkwell::linkwellTypeLib()));
    EXPECT_EQ(lib.classes.value(0).propertyPages, QList<Guid>({StandardColorPage::Clsid, StandardFontPage::Clsid, Hyperlink::Clsid}));
    EXPECT_TRUE(!lib.bitmap(30000).isNull() && lib.bitmap(30000) == linkwell::toolboxBitmap());
    {
        Result<std::shared_ptr<Object>> object = createObject(QStringLiteral("linkwell.linkwelltxt"));
        ASSERT_TRUE(object.ok()) << object.error().message().toStdString();
        EXPECT_FALSE(module.value()->canUnloadNow());
        Result<Variant> link = object.value()->invoke(linkwell::dispids::Hyperlink, InvokeKind::PropertyGet, {});
        EXPECT_EQ(link.ok() ? link->string() : QString(), LinkwellTxt::DefaultHyperlink);
    }
    EXPECT_TRUE(module.value()->canUnloadNow());
    EXPECT_EQ(module.value()->unregisterServer(), hr::Ok);
    EXPECT_FALSE(Registry::findClasses(QStringLiteral("Linkwell.LinkwellTxt")).ok());
    ASSERT_EQ(module.value()->registerServer(), hr::Ok);
}

// The page shows the first control's values, and applies its text as it stands, even empty.
TEST_F(Sheet, HyperlinkPageShowsAndAppliesOnlyTheFirstOfSeveralSelectedControls)
{
    auto first = host.adopt(std::make_shared<linkwell::LinkwellTxt>());
    auto second = host.adopt(std::make_shared<linkwell::LinkwellTxt>());
    ASSERT_TRUE(second->setEnabled(false).ok());
    host.log.clear();
    ASSERT_TRUE(page->setSelectedControls({first, second}).ok());
    EXPECT_EQ(page->txtHyperLink->text(), LinkwellTxt::DefaultHyperlink);
    EXPECT_EQ(page->chkEnabled->checkState(), Qt::Checked);
    QWidget* next = page->chkEnabled->nextInFocusChain(); // Tab goes from the box to the text
    while (!(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, page->txtHyperLink.data());
    const int width = first->lblURL()->width();
    for (const QString& text : {QStringLiteral(" \\\\NetworkAliasName\\c\\ "), QString()}) {
        page->txtHyperLink->setText(text);
        ASSERT_TRUE(page->apply().ok());
        EXPECT_EQ(first->lblURL()->text(), text);
    }
    EXPECT_LT(first->lblURL()->width(), width);
    EXPECT_TRUE(second->Hyperlink() == LinkwellTxt::DefaultHyperlink && !second->Enabled());
    const QString link = QStringLiteral("changed v.HyperLink"), enabled = QStringLiteral("changed v.Enabled");
    EXPECT_EQ(host.log, QStringList({link, enabled, link, enabled}));
    // A selection the page cannot show is an error for the host.
    EXPECT_EQ(page->setSelectedControls({}).error().number(), errc::SubscriptOutOfRange);
    EXPECT_EQ(page->setSelectedControls({Font::create()}).error().number(), errc::NotSupported);
}

// A disabled control shows a cleared box, applied back as false; only a ticked box applies true.
TEST_F(Sheet, HyperlinkPageEnabledBoxShowsTheControlAndAppliesOnlyATickAsTrue)
{
    // The control's Enabled, what the page shows for it, what the developer leaves in the box, and
    // what is applied.
    const QList<std::tuple<bool, Qt::CheckState, Qt::CheckState, bool>> rows = {
        {false, Qt::Unchecked, Qt::Unchecked, false}, {true, Qt::Checked, Qt::Checked, true},
        {false, Qt::Unchecked, Qt::Checked, true},    {true, Qt::Checked, Qt::Unchecked, false},
        {true, Qt::Checked, Qt::PartiallyChecked, false}};
    for (const auto& [enabled, shown, set, applied] : rows) {
        page = std::make_shared<Hyperlink>();
        auto control = host.adopt(std::make_shared<linkwell::LinkwellTxt>());
        ASSERT_TRUE(control->setEnabled(enabled).ok());
        ASSERT_TRUE(page->setSelectedControls({control}).ok());
        EXPECT_EQ(page->chkEnabled->checkState(), shown);
        EXPECT_TRUE(page->changed()); // filling the page is itself a change
        ASSERT_TRUE(page->apply().ok());
        EXPECT_EQ(control->Enabled(), enabled);
        EXPECT_FALSE(page->changed());
        page->chkEnabled->setTristate(set == Qt::PartiallyChecked);
        page->chkEnabled->setCheckState(set);
        EXPECT_EQ(page->changed(), set != shown) << set;
        ASSERT_TRUE(page->apply().ok());
        EXPECT_EQ(control->Enabled(), applied) << set;
    }
}

// The sheet shows the colour, font and own page in that order, the own page from the loaded
// library. Each page learns the selection when its tab is first shown; Apply writes every
// changed page to the first control only and turns itself off; Cancel applies nothing more.
TEST_F(Sheet, ColourFontAndOwnPageApplyToTheFirstControlCancelAppliesNothing)
{
    auto control = host.adopt(std::make_shared<linkwell::LinkwellTxt>());
    auto sheet = sheetFor({control, host.adopt(std::make_shared<linkwell::LinkwellTxt>())});
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->tabs()->count(), 3);
    EXPECT_EQ(sheet->tabs()->tabText(0), QStringLiteral("Color"));
    EXPECT_EQ(sheet->tabs()->tabText(1), QStringLiteral("Font"));
    EXPECT_EQ(sheet->tabs()->tabText(2), QStringLiteral("Hyperlink"));
    EXPECT_NE(&sheet->pages()[2]->dispatch(), &Hyperlink::table());
    auto* text = partOf<QLineEdit>(*sheet->pages()[2], "txtHyperLink");
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_FALSE(sheet->applyButton()->isEnabled());
    sheet->show();
    sheet->tabs()->setCurrentIndex(2);
    EXPECT_EQ(text->text(), LinkwellTxt::DefaultHyperlink);
    EXPECT_TRUE(sheet->applyButton()->isEnabled()); // the page marked itself changed while filling
    partOf<QCheckBox>(*sheet->pages()[2], "chkEnabled")->setChecked(false);
    sheet->tabs()->setCurrentIndex(0);
    dynamic_cast<StandardColorPage&>(*sheet->pages()[0]).selectProperty(QStringLiteral("ForeColor"));
    auto* colour = partOf<QLineEdit>(*sheet->pages()[0], "txtColor");
    colour->clear();
    QTest::keyClicks(colour, QStringLiteral("&H000000FF&"));
    host.log.clear();
    QTest::mouseClick(sheet->applyButton(), Qt::LeftButton);
    EXPECT_EQ(control->ForeColor(), 0x000000FFu);
    EXPECT_FALSE(control->Enabled());
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed v.ForeColor"), QStringLiteral("changed v.HyperLink"),
                                     QStringLiteral("changed v.Enabled")}));
    EXPECT_FALSE(sheet->applyButton()->isEnabled());
    // An error while applying is shown, and the sheet stays open with its edits.
    sheet->tabs()->setCurrentIndex(2);
    partOf<QCheckBox>(*sheet->pages()[2], "chkEnabled")->setChecked(true);
    host.refuse = QStringLiteral("*");
    host.log.clear();
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed v.HyperLink"), QStringLiteral(R"(msgbox exclamation ok "the host refuses the change")")}));
    EXPECT_TRUE(sheet->applyButton()->isEnabled());
    host.refuse.clear();
    text->setText(QStringLiteral("http://edited.example/"));
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(control->Hyperlink(), LinkwellTxt::DefaultHyperlink);
    EXPECT_FALSE(control->Enabled());
}

TEST_F(Sheet, SeveralControlsGetOnlyThePagesTheyAllListAndAClassThatIsNoPageIsRefused)
{
    auto other = std::make_shared<PictureHolder>(QList<Guid> {StandardPicturePage::Clsid, StandardFontPage::Clsid});
    auto sheet = sheetFor({host.adopt(std::make_shared<linkwell::LinkwellTxt>()), other});
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->tabs()->count(), 1);
    EXPECT_EQ(sheet->tabs()->tabText(0), QStringLiteral("Font"));
    for (const Guid& clsid : {LinkwellTxt::Clsid, Guid::literal("{00000000-1111-2222-3333-444444444444}")})
        EXPECT_EQ(PropertySheet::createPage(clsid).error().number(), errc::CannotCreateObject);
}

TEST_F(Sheet, FontPageAssignsANewFontAndLeavesTheOldObjectAlone)
{
    auto control = host.adopt(std::make_shared<linkwell::LinkwellTxt>());
    const auto before = control->Font();
    Font::Description expected = before->description();
    StandardFontPage fonts;
    ASSERT_TRUE(fonts.setSelectedControls({control}).ok());
    EXPECT_TRUE(partOf<QCheckBox>(fonts, "chkUnderline")->isChecked());
    partOf<QComboBox>(fonts, "cboSize")->setCurrentText(QStringLiteral("12"));
    partOf<QCheckBox>(fonts, "chkBold")->setChecked(true);
    host.log.clear();
    ASSERT_TRUE(fonts.apply().ok());
    EXPECT_EQ(before->description(), expected); // the old object is left alone
    expected.size = 12;
    expected.weight = 700;
    EXPECT_EQ(control->Font()->description(), expected);
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed v.Font")}));
}

// Only a picture property is offered: Browse loads a file and Clear empties it, each assigned
// by reference; for a control without one the buttons are off.
TEST_F(Sheet, PicturePageLoadsAndClearsPictureProperties)
{
    QTemporaryDir dir;
    QImage image(21, 13, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(host.fileToOpen.emplace(dir.filePath(QStringLiteral("p.png")))));
    auto holder = std::make_shared<PictureHolder>();
    StandardPicturePage pictures;
    ASSERT_TRUE(pictures.setSelectedControls({holder}).ok());
    EXPECT_EQ(pictures.propertyNames(), QStringList({QStringLiteral("Picture")}));
    QTest::mouseClick(partOf<QPushButton>(pictures, "cmdBrowse"), Qt::LeftButton);
    EXPECT_EQ(host.log, QStringList({QStringLiteral(R"(dialog open "Select Picture")")}));
    ASSERT_TRUE(pictures.apply().ok());
    EXPECT_EQ(holder->picture->image().size(), QSize(21, 13));
    QTest::mouseClick(partOf<QPushButton>(pictures, "cmdClear"), Qt::LeftButton);
    ASSERT_TRUE(pictures.apply().ok());
    EXPECT_TRUE(holder->picture->isEmpty());
    EXPECT_EQ(holder->puts, 2);
    ASSERT_TRUE(pictures.setSelectedControls({host.adopt(std::make_shared<linkwell::LinkwellTxt>())}).ok());
    EXPECT_FALSE(partOf<QPushButton>(pictures, "cmdBrowse")->isEnabled());
}

} // namespace
