// The hyperlink control in a host: what it draws, clicks, mouse forwarding, the disabled state,
// the font object, the properties' change notifications, and About with the library's box.
#include "testsupport.h"
#include "linkwelltxt.h"

#include "frmabout.h"
#include "handcursor.h"
#include "urllabel.h"

#include "velloc/store/picture.h"
#include "velloc/core/units.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QAccessible>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
using linkwell::frmAbout;
using linkwell::LinkwellTxt;
using linkwell::UrlLabel;
namespace dispids = linkwell::dispids;

namespace {

// Where the label's pixel (x, y) is, in twips, as the events report it.
QString at(int x, int y)
{
    return QStringLiteral("r4:") + QString::number(double(float(x * units::twipsPerPixelX()))) + QStringLiteral(", r4:")
        + QString::number(double(float(y * units::twipsPerPixelY())));
}

// How many pixels of the rendered widget have exactly this colour.
qsizetype pixelsOf(QWidget* w, const QColor& color)
{
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
    return std::count(pixels, pixels + image.width() * image.height(), color.rgb());
}

class LinkwellTxtTest : public ::testing::Test {
protected:
    RecordingHost host;
    std::shared_ptr<LinkwellTxt> control = host.adopt(std::make_shared<LinkwellTxt>());
    UrlLabel* label = control->lblURL();
};

struct MouseCase {
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    const char* codes; // "i2:button, i2:shift"
    bool releasedAway = false;
};

class MouseForwarding : public LinkwellTxtTest, public ::testing::WithParamInterface<MouseCase> {};

// Down, a move with the button held and up carry button, shift and position; a left click
// released over the label then raises Click, and only after Click is the address opened.
TEST_P(MouseForwarding, EventsCarryButtonShiftAndTwipsAndALeftClickRaisesClickBeforeOpening)
{
    const MouseCase c = GetParam();
    const QPoint up = c.releasedAway ? QPoint(label->width() + 40, 4) : QPoint(7, 4);
    sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 3), c.button, c.button, c.modifiers);
    sendMouse(label, QEvent::MouseMove, QPoint(6, 3), Qt::NoButton, c.button | Qt::RightButton, c.modifiers);
    sendMouse(label, QEvent::MouseButtonRelease, up, c.button, Qt::NoButton, c.modifiers);
    const QString codes = QLatin1String(c.codes);
    const int held = UrlLabel::buttonCode(c.button | Qt::RightButton);
    QStringList expected {QStringLiteral("event v.MouseDown(%1, %2)").arg(codes, at(5, 3)),
                          QStringLiteral("event v.MouseMove(i2:%1%2, %3)").arg(held).arg(codes.mid(codes.indexOf(u',')), at(6, 3)),
                          QStringLiteral("event v.MouseUp(%1, %2)").arg(codes, at(up.x(), up.y()))};
    if (c.button == Qt::LeftButton && !c.releasedAway)
        expected << QStringLiteral("event v.Click()") << QStringLiteral("open ") + varianttext::quote(LinkwellTxt::DefaultHyperlink);
    EXPECT_EQ(host.log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    ButtonsAndShift, MouseForwarding,
    ::testing::Values(MouseCase {Qt::LeftButton, Qt::NoModifier, "i2:1, i2:0"}, MouseCase {Qt::RightButton, Qt::NoModifier, "i2:2, i2:0"},
                      MouseCase {Qt::MiddleButton, Qt::NoModifier, "i2:4, i2:0"}, MouseCase {Qt::LeftButton, Qt::ShiftModifier, "i2:1, i2:1"},
                      MouseCase {Qt::LeftButton, Qt::ControlModifier, "i2:1, i2:2"}, MouseCase {Qt::RightButton, Qt::AltModifier, "i2:2, i2:4"},
                      MouseCase {Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, "i2:1, i2:7"},
                      MouseCase {Qt::LeftButton, Qt::NoModifier, "i2:1, i2:0", true}),
    [](const ::testing::TestParamInfo<MouseCase>& info) {
        const MouseCase& c = info.param;
        std::string name = c.button == Qt::LeftButton ? "Left" : c.button == Qt::RightButton ? "Right" : "Middle";
        if (c.modifiers & Qt::ShiftModifier)
            name += "Shift";
        if (c.modifiers & Qt::ControlModifier)
            name += "Ctrl";
        if (c.modifiers & Qt::AltModifier)
            name += "Alt";
        return name + (c.releasedAway ? "ReleasedAway" : "");
    });

// The caption is opened exactly as it stands, also as a Click handler has just changed it.
TEST_F(LinkwellTxtTest, ClickOpensTheCaptionAsGivenOrAsTheClickHandlerChangedIt)
{
    const QString caption = QStringLiteral("  $(rm -rf ~); `id` <b>x</b> ");
    ASSERT_TRUE(control->setHyperlink(caption).ok());
    mouseClick(label, QPoint(0, 0));
    EXPECT_EQ(host.log.last(), QStringLiteral("open ") + varianttext::quote(caption));
    host.log.clear();
    host.onEvent = [this](const QString& event, std::span<Variant>) {
        if (event == QLatin1String("Click")) {
            EXPECT_TRUE(control->setHyperlink(QStringLiteral("MailTo:someone@example.org")).ok());
        }
    };
    mouseClick(label, QPoint(1, 1));
    EXPECT_EQ(host.log.mid(2), QStringList({QStringLiteral("event v.Click()"), QStringLiteral("changed v.HyperLink"),
                                            QStringLiteral(R"(open "MailTo:someone@example.org")")}));
}

class DoubleClick : public LinkwellTxtTest, public ::testing::WithParamInterface<bool> {};

// A double click is one Click and one open, whether the window system delivers its second press
// as a press followed by a double click or as the double click alone.
TEST_P(DoubleClick, IsOneClickAndOneOpen)
{
    const QPoint p(2, 2);
    sendMouse(label, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    if (GetParam())
        sendMouse(label, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(host.log.filter(QStringLiteral("event v.Click")).size(), 1) << host.log.join('\n').toStdString();
    EXPECT_EQ(host.log.filter(QStringLiteral("open ")).size(), 1) << host.log.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Deliveries, DoubleClick, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "PressThenDoubleClick" : "DoubleClickOnly"); });

// An empty link names nothing: a click on it or Enter opens nothing (not the folder the program
// runs in); Enter still raises Click.
TEST_F(LinkwellTxtTest, EmptyLinkOpensNothing)
{
    ASSERT_TRUE(control->setHyperlink(QString()).ok());
    host.log.clear();
    mouseClick(label, QPoint(1, 1));
    QWidget window;
    control->widget()->setParent(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    control->widget()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control->widget()->hasFocus());
    const qsizetype clicks = host.log.filter(QStringLiteral("event v.Click")).size();
    QTest::keyClick(control->widget(), Qt::Key_Return);
    EXPECT_EQ(host.log.filter(QStringLiteral("event v.Click")).size(), clicks + 1) << host.log.join('\n').toStdString();
    EXPECT_TRUE(host.log.filter(QStringLiteral("open ")).isEmpty()) << host.log.join('\n').toStdString();
    control->widget()->setParent(nullptr);
}

// Assistive technology sees a link named by its caption, whose one action opens it as a click does.
TEST_F(LinkwellTxtTest, AssistiveTechnologySeesALinkThatOpens)
{
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("http://harbour.example/tides")).ok());
    host.log.clear();
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(control->widget());
    ASSERT_TRUE(link);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), "http://harbour.example/tides");
    EXPECT_TRUE(link->state().linked);
    QAccessibleActionInterface* actions = link->actionInterface();
    ASSERT_TRUE(actions);
    EXPECT_EQ(actions->actionNames(), QStringList {"open"});
    actions->doAction("open");
    EXPECT_EQ(host.log, (QStringList {QStringLiteral("event v.Click()"), QStringLiteral(R"(open "http://harbour.example/tides")")}));

    host.log.clear();
    ASSERT_TRUE(control->setEnabled(false).ok());
    actions->doAction("open");
    EXPECT_EQ(host.log, QStringList {QStringLiteral("changed v.Enabled")}) << "a disabled link opens nothing";
}

class ReleasedInHandler : public LinkwellTxtTest, public ::testing::WithParamInterface<const char*> {};

// The host drops its last reference from inside an event: the click still ends as it would
// have, and the control goes once the window system's event is over.
TEST_P(ReleasedInHandler, ControlGoesOnceTheEventIsOver)
{
    const std::weak_ptr<LinkwellTxt> weak = control;
    const QPointer<UrlLabel> watched = label;
    host.onEvent = [this](const QString& event, std::span<Variant>) {
        if (event == QLatin1String(GetParam())) {
            host.release(control.get());
            control.reset();
        }
    };
    mouseClick(label, QPoint(1, 1));
    EXPECT_EQ(host.log.last(), QStringLiteral("open ") + varianttext::quote(LinkwellTxt::DefaultHyperlink));
    EXPECT_FALSE(weak.expired());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(watched);
}

INSTANTIATE_TEST_SUITE_P(Events, ReleasedInHandler, ::testing::Values("MouseDown", "MouseUp", "Click"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

class KeyboardOpens : public LinkwellTxtTest, public ::testing::WithParamInterface<std::pair<Qt::Key, Qt::KeyboardModifiers>> {};

// The control takes focus by Tab (a click leaves the focus alone), frames its caption while
// focused, and Enter or Space opens the link as a click does: Click, then the address, and no
// mouse event. Disabled, it takes no focus and a key does nothing.
TEST_P(KeyboardOpens, LikeAClickWithoutMouseEvents)
{
    QWidget window;
    QWidget* face = control->widget();
    face->setParent(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(face->focusPolicy(), Qt::TabFocus);
    face->clearFocus();
    const QImage unfocused = face->grab().toImage();
    face->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(face->hasFocus());
    EXPECT_NE(face->grab().toImage(), unfocused) << "a focus frame is drawn";
    EXPECT_EQ(face->grab(label->geometry()).toImage(), unfocused.copy(label->geometry())) << "around the caption, not over it";

    const auto [key, modifiers] = GetParam();
    QTest::keyClick(face, key, modifiers);
    EXPECT_EQ(host.log, (QStringList {QStringLiteral("event v.Click()"), QStringLiteral("open ") + varianttext::quote(LinkwellTxt::DefaultHyperlink)}));

    host.log.clear();
    ASSERT_TRUE(control->setEnabled(false).ok());
    EXPECT_EQ(face->focusPolicy(), Qt::NoFocus);
    QTest::keyClick(face, key, modifiers);
    EXPECT_EQ(host.log, QStringList {QStringLiteral("changed v.Enabled")});
    face->setParent(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyboardOpens,
                         ::testing::Values(std::pair {Qt::Key_Return, Qt::KeyboardModifiers()},
                                           std::pair {Qt::Key_Enter, Qt::KeyboardModifiers(Qt::KeypadModifier)},
                                           std::pair {Qt::Key_Space, Qt::KeyboardModifiers()}),
                         [](const auto& info) {
                             return std::string(info.param.first == Qt::Key_Return ? "Return"
                                                : info.param.first == Qt::Key_Enter ? "KeypadEnter"
                                                                                    : "Space");
                         });

// A new instance shows the maker's address in dark blue, underlined, with the hand pointer over
// the label alone; disabled, it draws grey and raises nothing until enabled again.
TEST_F(LinkwellTxtTest, NewInstanceDrawsDarkBlueWithTheHandAndDisabledDrawsGreyAndRaisesNothing)
{
    EXPECT_EQ(label->text(), LinkwellTxt::DefaultHyperlink);
    EXPECT_GT(pixelsOf(label, QColor(0, 0, 192)), 0);
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->cursor().hotSpot(), linkwell::HandHotSpot);
    const QImage hand = linkwell::handCursorMask().toImage(); // drawn at the fingertip, clear in the corner
    EXPECT_TRUE(qGray(hand.pixel(linkwell::HandHotSpot)) < 128 && qGray(hand.pixel(0, 0)) >= 128);
    EXPECT_NE(control->widget()->cursor().shape(), Qt::BitmapCursor);
    ASSERT_TRUE(control->setEnabled(false).ok());
    host.log.clear();
    EXPECT_EQ(pixelsOf(label, QColor(0, 0, 192)), 0);
    EXPECT_GT(pixelsOf(label, units::toQColor(0x80000011)), 0);
    sendMouse(label, QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);
    mouseClick(label, QPoint(2, 2));
    mouseClick(label, QPoint(2, 2), Qt::RightButton);
    EXPECT_TRUE(host.log.isEmpty()) << host.log.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(control->setEnabled(true).ok());
    mouseClick(label, QPoint(2, 2));
    EXPECT_TRUE(host.log.contains(QStringLiteral("event v.Click()")));
}

// The key events are declared only: typing raises none of them (Enter and Space open the link,
// see KeyboardOpens), and the mouse outside the label raises nothing either.
TEST_F(LinkwellTxtTest, KeysAndTheMouseOutsideTheLabelRaiseNothing)
{
    QWidget* face = control->widget();
    const QPoint outside(face->width() - 2, face->height() - 2);
    ASSERT_EQ(face->childAt(outside), nullptr);
    sendMouse(face, QEvent::MouseMove, outside, Qt::NoButton, Qt::NoButton);
    mouseClick(face, outside);
    face->show();
    for (QWidget* target : {face, static_cast<QWidget*>(label)}) {
        target->setFocus();
        QTest::keyClicks(target, QStringLiteral("aA1"));
        QTest::keyClick(target, Qt::Key_F1);
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_Return, Qt::ControlModifier);
    }
    face->hide();
    EXPECT_TRUE(host.log.isEmpty());
}

// The label sizes itself to its caption and font, past the control's edge; the control keeps
// its size. The font read is the label's own object: a change through it shows at once.
TEST_F(LinkwellTxtTest, LabelFollowsItsCaptionAndItsOwnFontObjectButTheControlKeepsItsSize)
{
    const int width = label->width();
    const QPoint pos = label->pos();
    const QSize face = control->widget()->size(), extent = control->extent();
    ASSERT_TRUE(control->setHyperlink(LinkwellTxt::DefaultHyperlink + QStringLiteral("a/much/longer/path/than/fits/here")).ok());
    EXPECT_GT(label->geometry().right(), control->widget()->width());
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("x")).ok());
    EXPECT_LT(label->width(), width);
    host.log.clear();

    auto font = control->invoke(dispids::Font, InvokeKind::PropertyGet, {}).value().objectAs<Font>();
    ASSERT_TRUE(font);
    const int narrow = label->width();
    Font::Description d = font->description();
    d.size = 24;
    font->setDescription(d);
    EXPECT_GT(label->width(), narrow);
    EXPECT_TRUE(host.log.isEmpty());
    EXPECT_EQ(label->pos(), pos);
    EXPECT_EQ(control->widget()->size(), face);
    EXPECT_EQ(control->extent(), extent);

    // A font assigned is shared: later changes to it show too.
    auto mine = Font::create(d);
    ASSERT_TRUE(control->invoke(dispids::Font, InvokeKind::PropertyPutRef, {Variant::fromObject(mine)}).ok());
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed v.Font")}));
    d.italic = true;
    mine->setDescription(d);
    EXPECT_TRUE(label->font().italic());
}

struct Write {
    DispId id;
    Variant value;
    QString logged; // the change notified, or "error N" for a refused write
    InvokeKind kind = InvokeKind::PropertyPut;
};

// A write changes the label, then notifies the host under the persisted name; a refused write
// (wrong kind, colour outside the encoding) changes nothing and notifies nothing.
TEST_F(LinkwellTxtTest, WritesChangeTheLabelThenNotifyAndRefusedOnesChangeNothing)
{
    const auto error = [](int n) { return QStringLiteral("error %1").arg(n); };
    const auto colour = [](DispId id, std::uint32_t v, const QString& logged) {
        return Write {id, Variant::fromI4(std::int32_t(v)), logged};
    };
    const QList<Write> writes = {
        {dispids::Font, Variant::nothing(), error(errc::ObjectRequired), InvokeKind::PropertyPutRef},
        {dispids::Font, Variant::fromObject(Picture::create()), error(errc::TypeMismatch), InvokeKind::PropertyPutRef},
        {dispids::Enabled, Variant::fromString(QStringLiteral("maybe")), error(errc::TypeMismatch)},
        colour(dispids::ForeColor, 0x01000000, error(380)), colour(dispids::BackColor, 0x8000001F, error(380)),
        colour(dispids::ForeColor, 0x000000FF, QStringLiteral("changed v.ForeColor")),
        colour(dispids::BackColor, 0x8000001E, QStringLiteral("changed v.BackColor")), // the last system colour
        {dispids::Hyperlink, Variant::fromI4(123), QStringLiteral("changed v.HyperLink")}, // coerced to text
        {dispids::Enabled, Variant::fromBool(false), QStringLiteral("changed v.Enabled")},
    };
    const auto font = control->Font();
    for (const Write& w : writes) {
        host.log.clear();
        Result<Variant> r = control->invoke(w.id, w.kind, {w.value});
        EXPECT_EQ(r.ok() ? host.log.join(u'|') : error(r.error().number()) + host.log.join(u'|'), w.logged);
    }
    EXPECT_EQ(control->Font(), font);
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label->text(), QStringLiteral("123"));
    EXPECT_FALSE(label->isEnabled());
    // A host that refuses the change has the error reported to the caller.
    host.refuse = QStringLiteral("*");
    Result<void> r = control->setHyperlink(QStringLiteral("http://other.example/"));
    EXPECT_EQ(r.ok() ? 0 : r.error().number(), errc::PathFileAccess);
}

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
    QTimer::singleShot(5000, control->widget(), [&] { // ends a showing the key failed to end
        forced = true;
        if (frmAbout* box = frmAbout::loaded())
            box->hide();
    });
    ASSERT_TRUE(control->invoke(dispids::About, InvokeKind::Method, {}).ok());
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(forced);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(EnterAndEsc, AboutKeys, ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape),
                         [](const ::testing::TestParamInfo<Qt::Key>& info) {
                             return std::string(info.param == Qt::Key_Return ? "Return" : info.param == Qt::Key_Enter ? "Enter" : "Escape");
                         });

// Each About shows the box from its design state, owned by the control, and unloads it: the
// box's own hyperlink opens the maker's site each time. An About called while the box is
// shown reuses the one box, which the outer showing unloads.
TEST_F(LinkwellTxtTest, AboutTwiceShowsTheBoxTwiceEachTimeFromItsDesignStateAndReentryReusesIt)
{
    QList<QWidget*> shown;
    bool reenter = false;
    host.onModal = [&](QWidget* window, QWidget* owner) {
        auto* box = dynamic_cast<frmAbout*>(window);
        ASSERT_TRUE(box);
        EXPECT_EQ(owner, control->widget());
        shown << window;
        mouseClick(box->LinkwellTxt1->lblURL(), QPoint(1, 1));
        ASSERT_TRUE(box->LinkwellTxt1->setHyperlink(QStringLiteral("http://changed.example/")).ok());
        if (std::exchange(reenter, false)) {
            ASSERT_TRUE(control->About().ok());
        }
        EXPECT_EQ(frmAbout::loaded(), box);
    };
    for (int i = 0; i < 2; ++i) {
        Result<Variant> r = control->invoke(dispids::About, InvokeKind::Method, {});
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->type(), VarType::Empty);
        EXPECT_EQ(frmAbout::loaded(), nullptr);
    }
    const QString window = QStringLiteral(R"(window "About")"), open = QStringLiteral("open ") + varianttext::quote(LinkwellTxt::DefaultHyperlink);
    EXPECT_EQ(host.log, QStringList({window, open, window, open}));
    reenter = true;
    shown.clear();
    ASSERT_TRUE(control->About().ok());
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

} // namespace
