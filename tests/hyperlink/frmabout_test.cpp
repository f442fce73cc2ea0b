// The library's about box and the control's About.
#include "testhost.h"

#include "frmabout.h"
#include "urllabel.h"

#include "platform/services.h"
#include "platform/units.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;
using linkwell::frmAbout;
using linkwell::LinkwellTxt;

namespace {

TEST(AboutBox, LooksAsDesigned)
{
    frmAbout box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box.size(), units::toPixels(QSize(5460, 4620)));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_FALSE(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(box.windowIcon().isNull());

    EXPECT_EQ(box.cmdClose->text(), QStringLiteral("Close"));
    EXPECT_EQ(box.cmdClose->geometry(), units::toPixels(2115, 3960, 1065, 360));
    EXPECT_TRUE(box.cmdClose->isDefault());
    EXPECT_EQ(box.Label1->pos(), QPoint(units::toPixelsX(360), units::toPixelsY(4380)));
    EXPECT_TRUE(box.Label1->text().contains(QLatin1String("Linkwell")));

    ASSERT_TRUE(box.LinkwellTxt1);
    QWidget* link = box.LinkwellTxt1->widget();
    EXPECT_EQ(link->parentWidget(), &box);
    EXPECT_EQ(link->geometry(), units::toPixels(2580, 2400, 2775, 315));
    EXPECT_EQ(box.LinkwellTxt1->BackColor(), 0x00FFFFFFu);
    EXPECT_EQ(box.LinkwellTxt1->Hyperlink(), LinkwellTxt::DefaultHyperlink);
    const Font::Description font = box.LinkwellTxt1->Font()->description();
    EXPECT_EQ(font.name, QStringLiteral("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(font.size, 8.25);
    EXPECT_EQ(font.weight, 400);
    EXPECT_TRUE(font.underline);

    const QImage picture = frmAbout::backgroundPicture();
    EXPECT_EQ(picture.size(), QSize(369, 260));
    EXPECT_FALSE(picture.hasAlphaChannel());
    // The client area shows the picture at its top-left corner and white beyond it.
    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(3, 3), picture.pixelColor(3, 3));
    if (shown.height() > picture.height() + 2) {
        EXPECT_EQ(shown.pixelColor(2, picture.height() + 1), QColor(Qt::white));
    }
}

TEST(AboutBox, ClickOnItsHyperlinkOpensTheMakersSite)
{
    TestHost host;
    frmAbout box;
    mouseClick(box.LinkwellTxt1->lblURL(), QPoint(1, 1));
    EXPECT_EQ(host.log, QStringList({QStringLiteral("open ") + LinkwellTxt::DefaultHyperlink}));
}

class AboutKeys : public ::testing::TestWithParam<Qt::Key> {};

// With the platform's own modal display: the key ends the showing, and About returns.
TEST_P(AboutKeys, CloseTheBox)
{
    auto control = std::make_shared<LinkwellTxt>();
    QWidget* owner = control->widget();
    owner->show();
    bool pressed = false;
    bool forced = false;
    QTimer::singleShot(0, [&] {
        frmAbout* box = frmAbout::loaded();
        ASSERT_TRUE(box);
        ASSERT_TRUE(box->isVisible());
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(target, GetParam());
        pressed = true;
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [&] {
        forced = true;
        if (frmAbout* box = frmAbout::loaded())
            box->hide();
    });
    safety.start(5000);
    Result<Variant> r = control->invoke(linkwell::dispids::About, InvokeKind::Method, {});
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->isEmpty());
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(forced);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
    owner->hide();
}

INSTANTIATE_TEST_SUITE_P(EnterAndEsc, AboutKeys, ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));

TEST(AboutBox, AboutTwiceShowsTheBoxTwiceEachTimeFromItsDesignState)
{
    TestHost host;
    auto control = host.create();
    QList<QWidget*> owners;
    QStringList captions;
    host.onModal = [&](QWidget* window, QWidget* owner) {
        owners << owner;
        auto* box = dynamic_cast<frmAbout*>(window);
        ASSERT_TRUE(box);
        EXPECT_EQ(frmAbout::loaded(), box);
        captions << box->LinkwellTxt1->Hyperlink();
        // What this showing changes does not survive it.
        ASSERT_TRUE(box->LinkwellTxt1->setHyperlink(QStringLiteral("http://changed.example/")).ok());
    };
    for (int i = 0; i < 2; ++i) {
        Result<Variant> r = control->invoke(linkwell::dispids::About, InvokeKind::Method, {});
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->type(), VarType::Empty);
        EXPECT_EQ(frmAbout::loaded(), nullptr);
    }
    EXPECT_EQ(host.log.filter(QStringLiteral("window")),
              QStringList({QStringLiteral("window About"), QStringLiteral("window About")}));
    EXPECT_EQ(captions, QStringList({LinkwellTxt::DefaultHyperlink, LinkwellTxt::DefaultHyperlink}));
    EXPECT_EQ(owners, QList<QWidget*>({control->widget(), control->widget()}));
}

TEST(AboutBox, AboutCalledWhileTheBoxIsShownReusesTheOneBox)
{
    TestHost host;
    auto control = host.create();
    QList<QWidget*> shown;
    host.onModal = [&](QWidget* window, QWidget*) {
        shown << window;
        if (shown.size() == 1) {
            ASSERT_TRUE(control->About().ok());
        }
        // The inner showing must not unload the box the outer one still shows.
        EXPECT_EQ(frmAbout::loaded(), window);
    };
    ASSERT_TRUE(control->About().ok());
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

} // namespace
