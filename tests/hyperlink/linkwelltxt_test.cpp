// The hyperlink control in a host: what a new instance shows, clicks, mouse forwarding,
// the disabled state, the font object and the properties' change notifications.
#include "testhost.h"

#include "handcursor.h"
#include "urllabel.h"

#include "platform/picture.h"
#include "platform/units.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;
using linkwell::LinkwellTxt;
using linkwell::UrlLabel;

namespace {

QString px(float twips) { return QString::number(double(twips)); }

// Where the label's pixel (x, y) is, in twips, as the events report it.
QString at(int x, int y)
{
    return px(float(x * units::twipsPerPixelX())) + QStringLiteral(", ") + px(float(y * units::twipsPerPixelY()));
}

// How many pixels of the rendered label have exactly this colour.
int pixelsOf(QWidget* w, const QColor& color)
{
    const QImage image = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == color.rgb())
                ++n;
    return n;
}

class LinkwellTxtTest : public ::testing::Test {
protected:
    TestHost host;
    std::shared_ptr<LinkwellTxt> control = host.create();
    UrlLabel* label = control->lblURL();
};

TEST_F(LinkwellTxtTest, NewInstanceShowsTheMakersAddressInDarkBlueUnderlinedWithTheHandPointer)
{
    ASSERT_TRUE(control->initProperties().ok());
    EXPECT_EQ(label->text(), LinkwellTxt::DefaultHyperlink);
    EXPECT_EQ(control->ForeColor(), 0x00C00000u);
    EXPECT_EQ(control->BackColor(), 0x8000000Fu);
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 192));
    Font::Description design;
    design.name = QStringLiteral("MS Sans Serif");
    design.size = 8.25;
    design.weight = 400;
    design.underline = true;
    EXPECT_EQ(control->Font()->description(), design);
    EXPECT_TRUE(label->font().underline());
    EXPECT_TRUE(control->Enabled());
    EXPECT_FALSE(label->wordWrap());
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(control->extent(), QSize(2910, 375));
    EXPECT_EQ(control->widget()->size(), units::toPixels(QSize(2910, 375)));
    EXPECT_EQ(label->pos(), QPoint(units::toPixelsX(165), units::toPixelsY(75)));
    EXPECT_EQ(label->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(label->cursor().hotSpot(), QPoint(6, 0));
    // The pointer belongs to the label alone.
    EXPECT_NE(control->widget()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(LinkwellTxtTest, ClickRaisesClickBeforeTheAddressIsOpened)
{
    mouseClick(label, QPoint(2, 2));
    EXPECT_EQ(host.log, QStringList({QStringLiteral("MouseDown(1, 0, %1)").arg(at(2, 2)),
                                     QStringLiteral("MouseUp(1, 0, %1)").arg(at(2, 2)), QStringLiteral("Click()"),
                                     QStringLiteral("open ") + LinkwellTxt::DefaultHyperlink}));
}

TEST_F(LinkwellTxtTest, ClickHandlerThatChangesTheHyperlinkChangesThatClicksTarget)
{
    host.onEventHook = [this](const QString& event, std::span<Variant>) {
        if (event == QLatin1String("Click")) {
            ASSERT_TRUE(control->setHyperlink(QStringLiteral("MailTo:someone@example.org")).ok());
        }
    };
    mouseClick(label, QPoint(1, 1));
    EXPECT_EQ(host.log.mid(2), QStringList({QStringLiteral("Click()"), QStringLiteral("changed HyperLink"),
                                            QStringLiteral("open MailTo:someone@example.org")}));
}

class ReleasedInHandler : public LinkwellTxtTest, public ::testing::WithParamInterface<const char*> {};

// The host drops its last reference from inside an event: the click still ends as it would
// have, and the control goes once the window system's event is over.
TEST_P(ReleasedInHandler, ControlGoesOnceTheEventIsOver)
{
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("c:\\MyLocalDirectoryPath")).ok());
    const std::weak_ptr<LinkwellTxt> weak = control;
    const QPointer<UrlLabel> watched = label;
    host.onEventHook = [this](const QString& event, std::span<Variant>) {
        if (event == QLatin1String(GetParam())) {
            host.release(control.get());
            control.reset();
        }
    };
    mouseClick(label, QPoint(1, 1));
    EXPECT_EQ(host.log.last(), QStringLiteral("open c:\\MyLocalDirectoryPath"));
    EXPECT_FALSE(weak.expired());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(watched);
}

INSTANTIATE_TEST_SUITE_P(Events, ReleasedInHandler, ::testing::Values("MouseDown", "MouseUp", "Click"));

TEST_F(LinkwellTxtTest, CaptionIsHandedOverUnchecked)
{
    // (An empty caption leaves the auto-sized label without an area to click.)
    for (const QString& caption : {QStringLiteral("  padded  "), QStringLiteral("$(rm -rf ~); `id`"),
                                   QStringLiteral("<b>not bold</b>")}) {
        host.log.clear();
        ASSERT_TRUE(control->setHyperlink(caption).ok());
        EXPECT_EQ(label->text(), caption);
        mouseClick(label, QPoint(0, 0));
        EXPECT_EQ(host.log.last(), QStringLiteral("open ") + caption) << caption.toStdString();
    }
}

struct MouseCase {
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    int buttonCode;
    int shiftCode;
};

class MouseForwarding : public LinkwellTxtTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(MouseForwarding, DownAndUpCarryTheButtonShiftAndPositionInTwips)
{
    const MouseCase c = GetParam();
    sendMouse(label, QEvent::MouseButtonPress, QPoint(5, 3), c.button, c.button, c.modifiers);
    sendMouse(label, QEvent::MouseButtonRelease, QPoint(7, 4), c.button, Qt::NoButton, c.modifiers);
    QStringList expected {QStringLiteral("MouseDown(%1, %2, %3)").arg(c.buttonCode).arg(c.shiftCode).arg(at(5, 3)),
                          QStringLiteral("MouseUp(%1, %2, %3)").arg(c.buttonCode).arg(c.shiftCode).arg(at(7, 4))};
    // Only the left button clicks.
    if (c.button == Qt::LeftButton)
        expected << QStringLiteral("Click()") << QStringLiteral("open ") + LinkwellTxt::DefaultHyperlink;
    EXPECT_EQ(host.log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    ButtonsAndShift, MouseForwarding,
    ::testing::Values(MouseCase {Qt::LeftButton, Qt::NoModifier, 1, 0}, MouseCase {Qt::RightButton, Qt::NoModifier, 2, 0},
                      MouseCase {Qt::MiddleButton, Qt::NoModifier, 4, 0}, MouseCase {Qt::LeftButton, Qt::ShiftModifier, 1, 1},
                      MouseCase {Qt::LeftButton, Qt::ControlModifier, 1, 2}, MouseCase {Qt::RightButton, Qt::AltModifier, 2, 4},
                      MouseCase {Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 1, 7}));

TEST_F(LinkwellTxtTest, MoveReportsEveryButtonHeld)
{
    sendMouse(label, QEvent::MouseMove, QPoint(3, 2), Qt::NoButton, Qt::NoButton);
    sendMouse(label, QEvent::MouseMove, QPoint(4, 2), Qt::NoButton, Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(host.log, QStringList({QStringLiteral("MouseMove(0, 0, %1)").arg(at(3, 2)),
                                     QStringLiteral("MouseMove(3, 1, %1)").arg(at(4, 2))}));
}

TEST_F(LinkwellTxtTest, ReleaseAwayFromTheLabelDoesNotClick)
{
    sendMouse(label, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, QPoint(label->width() + 40, 2), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(host.log.size(), 2);
    EXPECT_TRUE(host.log[1].startsWith(QLatin1String("MouseUp(1, 0, ")));
}

TEST_F(LinkwellTxtTest, WhatAHandlerWritesIntoTheArgumentsChangesNothing)
{
    host.onEventHook = [](const QString&, std::span<Variant> args) {
        for (Variant& a : args)
            a = Variant::fromI2(99);
    };
    sendMouse(label, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(host.log[1], QStringLiteral("MouseUp(1, 0, %1)").arg(at(2, 2)));
}

TEST_F(LinkwellTxtTest, MouseOverTheRestOfTheControlRaisesNothing)
{
    QWidget* face = control->widget();
    const QPoint outside(face->width() - 2, face->height() - 2);
    ASSERT_EQ(face->childAt(outside), nullptr);
    sendMouse(face, QEvent::MouseMove, outside, Qt::NoButton, Qt::NoButton);
    mouseClick(face, outside);
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(LinkwellTxtTest, DisabledControlDrawsGreyAndRaisesNothing)
{
    const QColor darkBlue(0, 0, 192);
    ASSERT_GT(pixelsOf(label, darkBlue), 0);
    ASSERT_TRUE(control->setEnabled(false).ok());
    host.log.clear();
    EXPECT_FALSE(control->Enabled());
    EXPECT_EQ(pixelsOf(label, darkBlue), 0);
    EXPECT_GT(pixelsOf(label, units::toQColor(0x80000011)), 0);

    sendMouse(label, QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);
    mouseClick(label, QPoint(2, 2));
    mouseClick(label, QPoint(2, 2), Qt::RightButton);
    EXPECT_TRUE(host.log.isEmpty()) << host.log.join(QLatin1Char('\n')).toStdString();

    ASSERT_TRUE(control->setEnabled(true).ok());
    mouseClick(label, QPoint(2, 2));
    EXPECT_TRUE(host.log.contains(QStringLiteral("Click()")));
}

TEST_F(LinkwellTxtTest, KeyEventsAreNeverRaised)
{
    QWidget* face = control->widget();
    face->show();
    for (QWidget* target : {face, static_cast<QWidget*>(label)}) {
        target->setFocus();
        for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Space, Qt::Key_F1}) {
            QTest::keyClick(target, key);
            QTest::keyClick(target, key, Qt::ShiftModifier);
        }
    }
    face->hide();
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(LinkwellTxtTest, LongerHyperlinkWidensTheLabelButNotTheControl)
{
    const int before = label->width();
    const QSize faceBefore = control->widget()->size();
    ASSERT_TRUE(control->setHyperlink(LinkwellTxt::DefaultHyperlink + QStringLiteral("a/much/longer/path/than/fits/here")).ok());
    EXPECT_GT(label->width(), before);
    EXPECT_GT(label->geometry().right(), control->widget()->width());
    EXPECT_EQ(control->widget()->size(), faceBefore);
    EXPECT_EQ(control->extent(), QSize(2910, 375));

    ASSERT_TRUE(control->setHyperlink(QStringLiteral("x")).ok());
    EXPECT_LT(label->width(), before);
    EXPECT_EQ(label->pos(), QPoint(units::toPixelsX(165), units::toPixelsY(75)));
}

TEST_F(LinkwellTxtTest, FontReadIsTheLabelsOwnObject)
{
    Result<Variant> read = control->invoke(linkwell::dispids::Font, InvokeKind::PropertyGet, {});
    ASSERT_TRUE(read.ok());
    auto font = read->objectAs<Font>();
    ASSERT_TRUE(font);
    EXPECT_EQ(font, label->fontObject());

    // A change through the returned object shows at once, without a property write.
    const int width = label->width();
    Font::Description bigger = font->description();
    bigger.size = 24;
    font->setDescription(bigger);
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 24.0);
    EXPECT_GT(label->width(), width);
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(LinkwellTxtTest, FontWriteSharesTheGivenObject)
{
    Font::Description d;
    d.name = QStringLiteral("Tahoma");
    d.size = 9.75;
    auto mine = Font::create(d);
    ASSERT_TRUE(control->invoke(linkwell::dispids::Font, InvokeKind::PropertyPutRef, {Variant::fromObject(mine)}).ok());
    EXPECT_EQ(control->Font(), mine);
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed Font")}));
    d.italic = true;
    mine->setDescription(d);
    EXPECT_TRUE(label->font().italic());
}

struct RefusedFont {
    const char* what;
    Variant value;
    InvokeKind kind;
    int error;
};

TEST_F(LinkwellTxtTest, FontRefusesWhatIsNotAFontObjectAssignedByReference)
{
    const QList<RefusedFont> cases = {
        {"by value", Variant::fromObject(Font::create()), InvokeKind::PropertyPut, errc::PropertyReadOnly},
        {"nothing", Variant::nothing(), InvokeKind::PropertyPutRef, errc::ObjectRequired},
        {"a picture", Variant::fromObject(Picture::create()), InvokeKind::PropertyPutRef, errc::TypeMismatch},
        {"a string", Variant::fromString(QStringLiteral("Tahoma")), InvokeKind::PropertyPutRef, errc::ObjectRequired},
    };
    const auto before = control->Font();
    for (const RefusedFont& c : cases) {
        Result<Variant> r = control->invoke(linkwell::dispids::Font, c.kind, {c.value});
        ASSERT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.error().number(), c.error) << c.what;
        EXPECT_EQ(control->Font(), before) << c.what;
    }
    EXPECT_TRUE(host.log.isEmpty());
}

struct Write {
    DispId id;
    Variant value;
    const char* notified;
};

TEST_F(LinkwellTxtTest, EveryWriteChangesTheLabelThenNotifiesUnderThePersistedName)
{
    const QList<Write> writes = {
        {linkwell::dispids::BackColor, Variant::fromI4(0x00FFFFFF), "BackColor"},
        {linkwell::dispids::ForeColor, Variant::fromI4(0x000000FF), "ForeColor"},
        {linkwell::dispids::Hyperlink, Variant::fromString(QStringLiteral("\\\\host\\share")), "HyperLink"},
        {linkwell::dispids::Enabled, Variant::fromBool(false), "Enabled"},
    };
    for (const Write& w : writes) {
        host.log.clear();
        // The label already holds the new value when the host hears of it.
        host.onEventHook = {};
        ASSERT_TRUE(control->invoke(w.id, InvokeKind::PropertyPut, {w.value}).ok()) << w.notified;
        EXPECT_EQ(host.log, QStringList({QStringLiteral("changed ") + QLatin1String(w.notified)}));
        Result<Variant> read = control->invoke(w.id, InvokeKind::PropertyGet, {});
        ASSERT_TRUE(read.ok());
        EXPECT_TRUE(Variant::equalByValue(read.value(), w.value)) << w.notified;
    }
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label->text(), QStringLiteral("\\\\host\\share"));
    EXPECT_FALSE(label->isEnabled());
}

TEST_F(LinkwellTxtTest, AHostThatRefusesTheChangeReportsToTheCaller)
{
    host.refuseChanges = true;
    Result<void> r = control->setHyperlink(QStringLiteral("http://other.example/"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), errc::PathFileAccess);
}

TEST_F(LinkwellTxtTest, ColoursOutsideTheEncodingAreRefusedAndTheOldOneKept)
{
    const std::uint32_t refused[] = {0x12345678, 0x01000000, 0x8000001F, 0x80000100, 0xFFFFFFFF};
    for (std::uint32_t value : refused) {
        for (DispId id : {linkwell::dispids::BackColor, linkwell::dispids::ForeColor}) {
            Result<Variant> r = control->invoke(id, InvokeKind::PropertyPut, {Variant::fromI4(std::int32_t(value))});
            ASSERT_FALSE(r.ok()) << std::hex << value;
            EXPECT_EQ(r.error().number(), linkwell::InvalidPropertyValue);
        }
    }
    EXPECT_EQ(control->BackColor(), 0x8000000Fu);
    EXPECT_EQ(control->ForeColor(), 0x00C00000u);
    EXPECT_TRUE(host.log.isEmpty());
    // The system colours, up to index 30, are colours like any other.
    EXPECT_TRUE(control->setBackColor(0x8000001E).ok());
    EXPECT_TRUE(control->setForeColor(0x80000008).ok());
}

TEST_F(LinkwellTxtTest, ValuesAreCoercedToTheDeclaredTypes)
{
    ASSERT_TRUE(control->invoke(linkwell::dispids::Hyperlink, InvokeKind::PropertyPut, {Variant::fromI4(123)}).ok());
    EXPECT_EQ(control->Hyperlink(), QStringLiteral("123"));
    Result<Variant> r = control->invoke(linkwell::dispids::Enabled, InvokeKind::PropertyPut,
                                        {Variant::fromString(QStringLiteral("maybe"))});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), errc::TypeMismatch);
    EXPECT_TRUE(control->Enabled());
}

TEST(HandCursor, IsA32By32MonochromeHandWithItsHotSpotOnTheFingertip)
{
    const QImage bitmap = linkwell::handCursorBitmap().toImage();
    const QImage mask = linkwell::handCursorMask().toImage();
    ASSERT_EQ(bitmap.size(), QSize(32, 32));
    ASSERT_EQ(mask.size(), QSize(32, 32));
    EXPECT_EQ(linkwell::handCursorBitmap().depth(), 1);
    EXPECT_EQ(linkwell::HandHotSpot, QPoint(6, 0));
    const auto black = [&](int x, int y) { return qGray(bitmap.pixel(x, y)) < 128; };
    const auto drawn = [&](int x, int y) { return qGray(mask.pixel(x, y)) < 128; };
    // The fingertip is drawn in black; the corner is transparent; the palm has a white inside.
    EXPECT_TRUE(drawn(6, 0) && black(6, 0));
    EXPECT_FALSE(drawn(0, 0));
    EXPECT_FALSE(drawn(31, 31));
    EXPECT_TRUE(drawn(10, 14) && !black(10, 14));
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            opaque += drawn(x, y);
    EXPECT_GT(opaque, 150);
}

} // namespace
