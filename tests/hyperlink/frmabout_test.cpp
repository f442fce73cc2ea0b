// The library's about box and the control's About.
#include "testhost.h"

#include "frmabout.h"
#include "urllabel.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;
using linkwell::frmAbout;
using linkwell::LinkwellTxt;

namespace {

class AboutKeys : public ::testing::TestWithParam<Qt::Key> {};

// With the platform's own modal display: the key ends the showing, and About returns.
TEST_P(AboutKeys, CloseTheBox)
{
    auto control = std::make_shared<LinkwellTxt>();
    control->widget()->show();
    bool pressed = false, forced = false;
    QTimer::singleShot(0, [&] {
        frmAbout* box = frmAbout::loaded();
        ASSERT_TRUE(box && box->isVisible());
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, GetParam());
        pressed = true;
    });
    QTimer safety; // ends a showing the key failed to end
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [&] {
        forced = true;
        if (frmAbout* box = frmAbout::loaded())
            box->hide();
    });
    safety.start(5000);
    Result<Variant> r = control->invoke(linkwell::dispids::About, InvokeKind::Method, {});
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(forced);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(EnterAndEsc, AboutKeys, ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));

// Each About shows the box from its design state, owned by the control, and unloads it; an
// About called while the box is shown reuses the one box, which the outer showing unloads.
TEST(AboutBox, AboutTwiceShowsTheBoxTwiceEachTimeFromItsDesignStateAndReentryReusesIt)
{
    TestHost host;
    auto control = host.create();
    QList<QWidget*> owners, shown;
    QStringList captions;
    bool reenter = false;
    host.onModal = [&](QWidget* window, QWidget* owner) {
        owners << owner;
        shown << window;
        auto* box = dynamic_cast<frmAbout*>(window);
        ASSERT_TRUE(box);
        captions << box->LinkwellTxt1->Hyperlink();
        ASSERT_TRUE(box->LinkwellTxt1->setHyperlink(QStringLiteral("http://changed.example/")).ok());
        if (std::exchange(reenter, false)) {
            ASSERT_TRUE(control->About().ok());
        }
        EXPECT_EQ(frmAbout::loaded(), box);
    };
    for (int i = 0; i < 2; ++i) {
        Result<Variant> r = control->invoke(linkwell::dispids::About, InvokeKind::Method, {});
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->type(), VarType::Empty);
        EXPECT_EQ(frmAbout::loaded(), nullptr);
    }
    EXPECT_EQ(host.log, QStringList({QStringLiteral("window About"), QStringLiteral("window About")}));
    EXPECT_EQ(captions, QStringList({LinkwellTxt::DefaultHyperlink, LinkwellTxt::DefaultHyperlink}));
    EXPECT_EQ(owners, QList<QWidget*>({control->widget(), control->widget()}));

    reenter = true;
    shown.clear();
    ASSERT_TRUE(control->About().ok());
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

// The box draws its picture from the top-left corner, white beyond it, and its hyperlink
// opens the maker's site.
TEST(AboutBox, ShowsThePictureAndItsHyperlinkOpensTheMakersSite)
{
    TestHost host;
    frmAbout box;
    const QImage picture = frmAbout::backgroundPicture();
    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(3, 3), picture.pixelColor(3, 3));
    ASSERT_GT(shown.height(), picture.height() + 2);
    EXPECT_EQ(shown.pixelColor(2, picture.height() + 1), QColor(Qt::white));
    mouseClick(box.LinkwellTxt1->lblURL(), QPoint(1, 1));
    EXPECT_EQ(host.log, QStringList({QStringLiteral("open ") + LinkwellTxt::DefaultHyperlink}));
}

} // namespace
