// The library's about box: its face, its logo, the window placement it uses, and About
// through the built library with the platform's own modal display.
#include "testsupport.h"

#include "frmabout.h"
#include "velloc.h"

#include "velloc/core/units.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
using velpack::frmAbout;

namespace {

// Where the box should be: centred on the screen (within a pixel, as the centring rounds
// halves), the size of its frame, 6915 x 5085 twips.
void expectCentredFrame(QRect actual)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size = units::toPixels(QSize(6915, 5085));
    EXPECT_LE(std::abs(actual.x() - (screen.x() + (screen.width() - size.width()) / 2)), 1);
    EXPECT_LE(std::abs(actual.y() - (screen.y() + (screen.height() - size.height()) / 2)), 1);
    EXPECT_EQ(actual.size(), size);
}

// Loaded at 6915 x 5130 twips, the window takes its frame's size and keeps it; it is a
// borderless topmost tool window with no taskbar entry, every text fits its label, and the
// name's shadow lies under the name, one pixel left and down.
TEST(VelpackAboutBox, LoadingFillsTheTextsAndLogoAndSizesAndCentresTheSplashWindow)
{
    frmAbout box;
    EXPECT_EQ(box.lblCopyright->text(), velpack::vellibTypeLib().version.legalCopyright);
    expectCentredFrame(box.geometry());
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(box.windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    for (QLabel* label : {box.AppName[0], box.AppName[1], box.lblVersion, box.lblVer, box.lblCopyright}) {
        EXPECT_FALSE(label->text().isEmpty());
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
        EXPECT_LE(QFontMetrics(label->font()).height(), label->height() + 2) << label->text().toStdString();
    }
    EXPECT_EQ(box.AppName[1]->pos() - box.AppName[0]->pos(), QPoint(-1, 1));
    EXPECT_LT(box.children().indexOf(box.AppName[1]), box.children().indexOf(box.AppName[0]));
    // The focus taker lies wholly outside the window; the help button wholly inside.
    EXPECT_FALSE(box.rect().intersects(box.cmdFocus->geometry()));
    EXPECT_TRUE(box.rect().contains(box.cmdHelp->geometry()));
    EXPECT_FALSE(box.Timer1->isActive());

    // The logo is a JPEG picture, not a flat fill: dark at the top, under the white texts, and
    // bright at the padlock; the box shows it unscaled.
    const QImage logo = QImage::fromData(frmAbout::logoJpeg(), "JPEG");
    EXPECT_TRUE(logo.pixelColor(226, 20).lightness() < 80 && logo.pixelColor(95, 200).lightness() > 120);
    EXPECT_TRUE(box.Image1->pixmap().size() == logo.size() && box.Image1->size() == logo.size());
}

// Only true itself (-1) means the topmost layer; neither place, size nor visibility changes,
// and a missing window is left alone.
TEST(VelpackOnTop, ChangesTheLayerButNeitherPlaceNorSizeNorVisibility)
{
    QWidget window;
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    window.setGeometry(40, 30, 200, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (std::int16_t isOnTop : {-1, -1, 0, -1, 1, 1, -1, -2, 0}) { // each value from either layer
        EXPECT_EQ(velpack::OnTop(&window, isOnTop).type(), VarType::Empty);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), isOnTop == -1) << isOnTop;
        EXPECT_EQ(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), isOnTop == -1) << isOnTop;
        EXPECT_TRUE(window.isVisible() && window.geometry() == QRect(40, 30, 200, 120)) << isOnTop;
        EXPECT_EQ(velpack::OnTop(nullptr, isOnTop).type(), VarType::Empty);
    }
}

// Shows the box with the platform's own modal display and records what it looked like; it is
// made the responder once the host is created.
class ModalRecorder final : public services::Responder {
public:
    ~ModalRecorder() override { services::setResponder(nullptr); }

    struct Showing {
        QPointer<QWidget> window;
        QWidget* owner = nullptr;
        QRect geometry;
        bool topmost = false;
        QString version;
        qint64 elapsedMs = 0;
    };
    QList<Showing> showings;
    QStringList keys, opened;
    std::function<void(QWidget&)> whileShown; // runs inside the modal display, once the box is up

    void showModal(QWidget* window, QWidget* owner) override
    {
        Showing s {window, owner};
        QTimer look;
        look.setSingleShot(true);
        QObject::connect(&look, &QTimer::timeout, window, [&s, window, this] {
            s.geometry = window->isVisible() ? window->geometry() : QRect();
            s.topmost = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            s.version = window->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
            if (whileShown)
                whileShown(*window);
        });
        look.start(50);
        // Far beyond the box's own time: a box that never closes fails the test, not the run.
        QTimer failsafe;
        failsafe.setSingleShot(true);
        QObject::connect(&failsafe, &QTimer::timeout, window, [window] { window->hide(); });
        failsafe.start(60000);
        QElapsedTimer clock;
        clock.start();
        services::Responder::showModal(window, owner);
        s.elapsedMs = failsafe.isActive() ? clock.elapsed() : -1;
        showings.append(s);
    }
    void sendKeys(const QString& k) override { keys << k; }
    void openDocument(const QString& text, const QUrl&) override { opened << text; }
    // A missing help file would be reported here: the file is then not opened.
    int messageBox(const QString&, services::MsgIcon, services::MsgButtons buttons, const QString&) override
    {
        return services::firstButton(buttons);
    }
};

// Twice without anyone acting, the box shows centred with the exact version line, owned by the
// control, and hides itself after its five seconds; the one loaded box is reused, so only the
// first showing, which loaded it, puts it on top. Its help button presses F1, which opens the
// help file beside the library. Terminate unloads the box.
TEST(VelpackAbout, ClosesItselfAfterFiveSecondsTwiceReusingTheLoadedBoxUntilTerminate)
{
    ModalRecorder recorder;
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(host);
    services::setResponder(&recorder);
    for (int round = 0; round < 2; ++round) {
        Result<Variant> r = host->call(velpack::dispids::About);
        ASSERT_TRUE(r.ok()) << r.error().message().toStdString();
        EXPECT_EQ(r.value().type(), VarType::Empty);
    }
    ASSERT_EQ(recorder.showings.size(), 2);
    for (const ModalRecorder::Showing& s : recorder.showings) {
        EXPECT_EQ(s.version, QStringLiteral("Version: 3.0 Build 10"));
        EXPECT_EQ(s.owner, host->control().widget());
        EXPECT_GE(s.elapsedMs, 4000); // -1: the box did not close itself
        expectCentredFrame(s.geometry);
        ASSERT_TRUE(s.window);
        EXPECT_FALSE(s.window->isVisible());
    }
    EXPECT_EQ(recorder.showings[0].window, recorder.showings[1].window);
    EXPECT_TRUE(recorder.showings[0].topmost);
    EXPECT_FALSE(recorder.showings[1].topmost);

    recorder.whileShown = [&recorder](QWidget& box) {
        box.findChild<QPushButton*>(QStringLiteral("cmdHelp"))->click();
        // The key the button sent, as it reaches the box's focused button and rises to the box.
        if (recorder.keys == QStringList {QStringLiteral("{F1}")}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(box.findChild<QPushButton*>(QStringLiteral("cmdFocus")), &press);
        }
        box.hide();
    };
    ASSERT_TRUE(host->call(velpack::dispids::About).ok());
    EXPECT_EQ(recorder.keys, QStringList {QStringLiteral("{F1}")});
    const QString help = QFileInfo(QStringLiteral(VELPACK_MODULE)).absolutePath() + QStringLiteral("/velpack.html");
    EXPECT_EQ(recorder.opened, QStringList {help});
    EXPECT_TRUE(readAll(help).contains("obfuscation, not cryptography"));

    host->control().terminate();
    EXPECT_FALSE(recorder.showings[0].window);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

} // namespace
