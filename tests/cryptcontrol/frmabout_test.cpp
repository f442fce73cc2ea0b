// The library's about box: its face, its logo, the window placement it uses, and About
// through the built library with the platform's own modal display.
#include "vellochost.h"

#include "frmabout.h"
#include "velloc.h"

#include "platform/units.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;
using velpack::frmAbout;

namespace {

QRect pixels(QRect twips)
{
    return units::toPixels(twips.x(), twips.y(), twips.width(), twips.height());
}

QLabel* appName(QWidget& box, int index)
{
    for (QLabel* label : box.findChildren<QLabel*>(QStringLiteral("AppName")))
        if (label->property("index").toInt() == index)
            return label;
    return nullptr;
}

// The part of the screen the box should cover: centred, the size of its frame.
QRect centredFrame()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size = units::toPixels(QSize(6915, 5085));
    return QRect(screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2,
                 size.width(), size.height());
}

// Within a pixel: the centring rounds halves.
void expectNear(QRect actual, QRect expected)
{
    EXPECT_LE(std::abs(actual.x() - expected.x()), 1) << actual.x() << " vs " << expected.x();
    EXPECT_LE(std::abs(actual.y() - expected.y()), 1) << actual.y() << " vs " << expected.y();
    EXPECT_EQ(actual.size(), expected.size());
}

struct Placed {
    const char* name;
    int index; // AppName's element, else -1
    QRect twips;
};

TEST(VelpackAboutBox, PartsSitWhereTheFormPlacesThem)
{
    frmAbout box;
    const QList<Placed> placed = {
        {"Shape1", -1, {0, 0, 6915, 5085}},           {"Image1", -1, {75, 60, 6780, 4680}},
        {"AppName", 0, {2940, 75, 1095, 270}},        {"AppName", 1, {2925, 90, 1095, 270}},
        {"lblVersion", -1, {2715, 390, 4095, 255}},   {"lblVer", -1, {5055, 630, 1785, 255}},
        {"lblCopyright", -1, {60, 4770, 6780, 255}},  {"cmdHelp", -1, {105, 60, 315, 315}},
        {"cmdFocus", -1, {8400, 4920, 615, 1935}},
    };
    for (const Placed& p : placed) {
        SCOPED_TRACE(QStringLiteral("%1(%2)").arg(QLatin1String(p.name)).arg(p.index).toStdString());
        QWidget* w = p.index < 0 ? box.findChild<QWidget*>(QLatin1String(p.name)) : appName(box, p.index);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->parentWidget(), &box);
        EXPECT_EQ(w->geometry(), pixels(p.twips));
    }
    // The focus taker lies wholly outside the window; the help button wholly inside.
    EXPECT_FALSE(box.rect().intersects(box.cmdFocus->geometry()));
    EXPECT_TRUE(box.rect().contains(box.cmdHelp->geometry()));
}

TEST(VelpackAboutBox, LoadingFillsTheTextsAndSizesTheWindowToItsFrame)
{
    frmAbout box;
    EXPECT_EQ(box.lblVersion->text(), QStringLiteral("Version: 3.0 Build 10"));
    EXPECT_EQ(box.lblVer->text(), QStringLiteral("Velloc runtime "));
    EXPECT_EQ(appName(box, 0)->text(), QStringLiteral("Velpack"));
    EXPECT_EQ(appName(box, 1)->text(), QStringLiteral("Velpack"));
    EXPECT_FALSE(box.lblCopyright->text().isEmpty());
    EXPECT_EQ(box.lblCopyright->text(), velpack::vellibTypeLib().version.legalCopyright);
    EXPECT_EQ(velpack::vellibTypeLib().version.fileVersion, QStringLiteral("3.0.0.10"));

    // Loaded at 6915 x 5130, the window takes the frame's 6915 x 5085 and keeps it.
    EXPECT_EQ(box.size(), units::toPixels(QSize(6915, 5085)));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    expectNear(box.geometry(), centredFrame());
}

TEST(VelpackAboutBox, EveryTextFitsItsLabel)
{
    frmAbout box;
    for (QLabel* label : {appName(box, 0), appName(box, 1), box.lblVersion, box.lblVer, box.lblCopyright}) {
        SCOPED_TRACE(label->text().toStdString());
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width());
        EXPECT_LE(metrics.height(), label->height() + 2);
    }
}

TEST(VelpackAboutBox, LooksLikeASplashWindow)
{
    frmAbout box;
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool); // no taskbar entry
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(box.autoFillBackground());

    QLabel* face = appName(box, 0);
    QLabel* shadow = appName(box, 1);
    EXPECT_EQ(shadow->pos() - face->pos(), QPoint(-1, 1));
    // The shadow lies under the name.
    EXPECT_LT(box.children().indexOf(shadow), box.children().indexOf(face));
    // Light text over the logo's dark top, the shadow darker still.
    EXPECT_EQ(shadow->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    for (QLabel* text : {box.lblVersion, box.lblVer})
        EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(box.cmdHelp->toolTip(), QStringLiteral("Help"));
    EXPECT_FALSE(box.cmdHelp->icon().isNull());
    EXPECT_EQ(box.cmdFocus->text(), QStringLiteral("Dummy to take focus from other buttons"));
    EXPECT_FALSE(box.Timer1->isActive());
}

TEST(VelpackAboutBox, LogoIsAJpegOfItsSizeAndShownUnscaled)
{
    const QByteArray& jpeg = frmAbout::logoJpeg();
    ASSERT_GE(jpeg.size(), 3);
    EXPECT_EQ(jpeg.left(3), QByteArray("\xFF\xD8\xFF", 3));
    QBuffer buffer(const_cast<QByteArray*>(&jpeg));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(452, 312));
    // A picture, not a flat fill: the top (under the white texts) is dark, the padlock bright.
    EXPECT_LT(image.pixelColor(226, 20).lightness(), 80);
    EXPECT_GT(image.pixelColor(95, 200).lightness(), 120);

    frmAbout box;
    EXPECT_EQ(box.Image1->pixmap().size(), QSize(452, 312));
    EXPECT_EQ(box.Image1->size(), QSize(452, 312));
}

struct Placement {
    std::int16_t isOnTop;
    bool topmost;
};

class OnTopPlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(OnTopPlacement, ChangesTheLayerButNeitherPlaceNorSizeNorVisibility)
{
    QWidget window;
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    window.setGeometry(40, 30, 200, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();
    for (bool start : {true, false}) {
        velpack::OnTop(&window, start ? -1 : 0);
        const Variant result = velpack::OnTop(&window, GetParam().isOnTop);
        EXPECT_EQ(result.type(), VarType::Empty);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), GetParam().topmost);
        ASSERT_TRUE(window.windowHandle());
        EXPECT_EQ(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), GetParam().topmost);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.geometry(), before);
    }
}

// Only true itself (-1) means the topmost layer.
INSTANTIATE_TEST_SUITE_P(Values, OnTopPlacement,
                         ::testing::Values(Placement {-1, true}, Placement {0, false}, Placement {1, false},
                                           Placement {2, false}, Placement {-2, false}));

TEST(VelpackOnTop, LeavesAMissingWindowAlone)
{
    EXPECT_EQ(velpack::OnTop(nullptr, -1).type(), VarType::Empty);
}

// ---- About through the built library ----

// Shows the box with the platform's own modal display and records what it looked like.
class ModalRecorder final : public services::Responder {
public:
    ModalRecorder() { services::setResponder(this); }
    ~ModalRecorder() override { services::setResponder(nullptr); }

    struct Showing {
        QPointer<QWidget> window;
        QWidget* owner = nullptr;
        bool visible = false;
        QRect geometry;
        bool topmost = false;
        QString version;
        qint64 elapsedMs = 0;
        bool forced = false;
    };
    QList<Showing> showings;
    QStringList keys;
    QStringList opened;
    QStringList boxes;
    // Runs inside the modal display, once the box is up.
    std::function<void(QWidget&)> whileShown;

    void showModal(QWidget* window, QWidget* owner) override
    {
        Showing s;
        s.window = window;
        s.owner = owner;
        QTimer look;
        look.setSingleShot(true);
        QObject::connect(&look, &QTimer::timeout, window, [&s, window, this] {
            s.visible = window->isVisible();
            s.geometry = window->geometry();
            s.topmost = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            if (auto* version = window->findChild<QLabel*>(QStringLiteral("lblVersion")))
                s.version = version->text();
            if (whileShown)
                whileShown(*window);
        });
        look.start(50);
        // Far beyond the box's own time: a box that never closes fails the test, not the run.
        QTimer failsafe;
        failsafe.setSingleShot(true);
        QObject::connect(&failsafe, &QTimer::timeout, window, [&s, window] {
            s.forced = true;
            window->hide();
        });
        failsafe.start(60000);
        QElapsedTimer clock;
        clock.start();
        services::Responder::showModal(window, owner);
        s.elapsedMs = clock.elapsed();
        showings.append(s);
    }
    void sendKeys(const QString& k) override { keys << k; }
    void openDocument(const QString& text, const QUrl&) override { opened << text; }
    int messageBox(const QString& text, services::MsgIcon, services::MsgButtons buttons, const QString&) override
    {
        boxes << text;
        return services::firstButton(buttons);
    }
};

TEST(VelpackAbout, ClosesItselfAfterFiveSecondsTwiceReusingTheLoadedBox)
{
    auto host = VellocHost::create();
    ASSERT_TRUE(host);
    ModalRecorder recorder;

    for (int round = 0; round < 2; ++round) {
        Result<Variant> r = host->call(velpack::dispids::About);
        ASSERT_TRUE(r.ok()) << r.error().message().toStdString();
        EXPECT_EQ(r.value().type(), VarType::Empty);
    }
    ASSERT_EQ(recorder.showings.size(), 2);
    for (qsizetype i = 0; i < recorder.showings.size(); ++i) {
        SCOPED_TRACE(i);
        const ModalRecorder::Showing& s = recorder.showings[i];
        EXPECT_FALSE(s.forced) << "the box did not close itself";
        EXPECT_TRUE(s.visible);
        EXPECT_EQ(s.version, QStringLiteral("Version: 3.0 Build 10"));
        EXPECT_EQ(s.owner, host->control().widget());
        // No person acted: the box waited its time rather than closing at once.
        EXPECT_GE(s.elapsedMs, 4000);
        expectNear(s.geometry, centredFrame());
        ASSERT_TRUE(s.window);
        EXPECT_FALSE(s.window->isVisible());
    }
    // One loaded box, shown twice; only the first showing, which loaded it, put it on top.
    EXPECT_EQ(recorder.showings[0].window, recorder.showings[1].window);
    EXPECT_TRUE(recorder.showings[0].topmost);
    EXPECT_FALSE(recorder.showings[1].topmost);
}

TEST(VelpackAbout, HelpButtonPressesF1AndF1OpensTheHelpFileBesideTheLibrary)
{
    auto host = VellocHost::create();
    ASSERT_TRUE(host);
    ModalRecorder recorder;
    recorder.whileShown = [&recorder](QWidget& box) {
        auto* help = box.findChild<QPushButton*>(QStringLiteral("cmdHelp"));
        auto* focus = box.findChild<QPushButton*>(QStringLiteral("cmdFocus"));
        if (!help || !focus)
            return;
        help->click();
        // The key the button sent, as it reaches the box's focused button and rises to the box.
        if (recorder.keys == QStringList {QStringLiteral("{F1}")}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(focus, &press);
        }
        box.hide();
    };
    ASSERT_TRUE(host->call(velpack::dispids::About).ok());

    EXPECT_EQ(recorder.keys, QStringList {QStringLiteral("{F1}")});
    const QString expected = QFileInfo(QStringLiteral(VELPACK_MODULE)).absolutePath() + QStringLiteral("/velpack.html");
    ASSERT_EQ(recorder.opened, QStringList {expected});
    EXPECT_TRUE(recorder.boxes.isEmpty());
    const QByteArray page = readAll(expected);
    EXPECT_TRUE(page.contains("obfuscation, not cryptography"));
    for (const char* member : {"ProtectionType", "EncodeString", "Statred", "VX5", "CancelOperation"})
        EXPECT_TRUE(page.contains(member)) << member;
}

TEST(VelpackAbout, TerminateUnloadsTheBox)
{
    QPointer<QWidget> shown;
    {
        auto host = VellocHost::create();
        ASSERT_TRUE(host);
        ModalRecorder recorder;
        recorder.whileShown = [](QWidget& box) { box.hide(); };
        ASSERT_TRUE(host->call(velpack::dispids::About).ok());
        ASSERT_EQ(recorder.showings.size(), 1);
        shown = recorder.showings[0].window;
        ASSERT_TRUE(shown);
        host->control().terminate();
        EXPECT_FALSE(shown);
    }
    // A new control loads a new box, with its loading steps.
    auto host = VellocHost::create();
    ASSERT_TRUE(host);
    ModalRecorder recorder;
    recorder.whileShown = [](QWidget& box) { box.hide(); };
    ASSERT_TRUE(host->call(velpack::dispids::About).ok());
    ASSERT_EQ(recorder.showings.size(), 1);
    EXPECT_TRUE(recorder.showings[0].topmost);
}

} // namespace
