// The demonstration window, driven through its controls as a person would.
#include "captionfit.h"
#include "form1.h"
#include "velloc/core/latebinding.h"
#include "testsupport.h"

#include "velloc/hosting/propertysheet.h"
#include "velloc/core/typeinfo.h"
#include "velloc/core/units.h"

#include <QApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace velloc;
using testsupport::RecordingHost;

namespace {

const QString Proceeding = R"(msgbox none ok "Proceeding with Encyrption.  Note the progress bar graphic can be )"
                           R"(changed to ANY graphic file you may want to use for a custom progress bar!")";
const QString NoFile = R"(msgbox critical ok "Please select a file to encode/decode")";
const QString NoKey = R"(msgbox critical ok "Please input the KEY used to encode or decode this file. NOTE: the )"
                      R"(KEY must be an exact match to decode")";
const QString NoText = R"(msgbox none ok "Please enter some text to encrypt first.")";

struct DemoWindow : ::testing::Test {
    void SetUp() override
    {
        auto created = Form1::create(dir.path());
        ASSERT_TRUE(created.ok()) << created.error().message().toStdString();
        form = std::move(created.value());
        form->window().show();
        // Progress windows would only slow the file tests down.
        Variant off = Variant::fromBool(false);
        ASSERT_TRUE(latebound::put(*form->window().component("Velloc1"), u"ShowProgress", off).ok());
    }
    void TearDown() override
    {
        for (const QString& title : recorder.titles)
            EXPECT_EQ(title, "Velloc") << "every box of the window bears its caption";
    }

    template <typename T>
    T* w(const char* name) { return form->window().find<T>(QLatin1String(name)); }
    void click(const char* name) { QTest::mouseClick(w<QAbstractButton>(name), Qt::LeftButton); }
    Variant read(QStringView property)
    {
        Result<Variant> r = latebound::get(*form->window().component("Velloc1"), property);
        EXPECT_TRUE(r.ok());
        return r ? r.value() : Variant();
    }
    QString makeFile(const QByteArray& content)
    {
        const QString path = dir.path() + "/subject.txt";
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        return path;
    }
    QByteArray contents(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    QTemporaryDir dir;
    RecordingHost recorder;
    std::unique_ptr<Form1> form;
};

TEST_F(DemoWindow, LayoutFollowsTheDescription)
{
    QWidget& window = form->window();
    EXPECT_EQ(window.size(), units::toPixels(QSize(8505, 6885)));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "a fixed border";
    EXPECT_EQ(w<QLineEdit>("Text1")->geometry(), units::toPixels(2640, 360, 3255, 285));
    EXPECT_EQ(w<QLineEdit>("Text1")->text(), dir.path() + "/LICENSE.rtf");
    EXPECT_EQ(w<QLineEdit>("Text2")->text(), "Harbour Lanterns");
    EXPECT_EQ(w<QLineEdit>("Text3")->text(), "30");
    EXPECT_TRUE(w<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(w<QPushButton>("Command5")->isEnabled());
    EXPECT_TRUE(w<QPushButton>("Command4")->isEnabled());
    // Frame children are placed relative to the frame.
    EXPECT_EQ(w<QWidget>("Option2")->parentWidget(), w<QWidget>("Frame1"));
    EXPECT_EQ(w<QWidget>("Option2")->pos(), units::toPixels(2955, 465, 0, 0).topLeft());
    EXPECT_EQ(w<QPushButton>("Command1")->font().family(), "Arial");
    EXPECT_TRUE(w<QPushButton>("Command1")->font().bold());
    EXPECT_EQ(w<QWidget>("Frame1")->toolTip(),
              "Select encryption type.  If no type is selected encryption type will default to standard.");
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_TRUE(w<QWidget>("LinkwellTxt1")->isVisible());
    EXPECT_EQ(form->window().control("Velloc1"), nullptr) << "the encryption control has no window at run time";
    auto picture = read(u"Picture").object();
    ASSERT_TRUE(picture);
}

// Tab alone walks the described focus order, the two links included, and comes round again.
// Only one option button of a group takes Tab (the selected one, as on the desktop); the arrow
// keys move the selection within the group.
TEST_F(DemoWindow, TabWalksTheDescribedOrderAndTheArrowsMoveAmongTheOptions)
{
    QWidget& window = form->window();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    w<QWidget>("Command1")->setFocus(Qt::TabFocusReason);
    QStringList seen;
    for (int i = 0; i < 17; ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(seen, (QStringList {"Command1", "Command2", "Text1", "Text2", "Option1", "Text3", "Command3", "Text4",
                                  "Command4", "LinkwellTxt1", "LinkwellTxt2", "Text6", "Command1", "Command2", "Text1",
                                  "Text2", "Option1"}))
        << "Command5 is disabled at start, so Tab passes over it";

    // Down from the selected option walks the first column in the described order.
    w<QWidget>("Option1")->setFocus(Qt::TabFocusReason);
    QStringList selected;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        selected << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(selected, (QStringList {"Option3", "Option4", "Option5"}));
    EXPECT_TRUE(w<QRadioButton>("Option5")->isChecked());
    EXPECT_EQ(read(u"ProtectionType").i4(), 4) << "choosing by key sets the cipher as a click does";
}

// Enter (or Space) on a focused link opens it as a click does; Enter on a focused button
// presses it.
TEST_F(DemoWindow, EnterOpensTheFocusedLinkAndPressesTheFocusedButton)
{
    QApplication::setActiveWindow(&form->window());
    for (const auto& [name, key, opened] : {std::tuple {"LinkwellTxt1", Qt::Key_Return, R"(open "http://www.torvane.example/")"},
                                            std::tuple {"LinkwellTxt2", Qt::Key_Enter, R"(open "Mailto:support@torvane.example")"},
                                            std::tuple {"LinkwellTxt2", Qt::Key_Space, R"(open "Mailto:support@torvane.example")"}}) {
        SCOPED_TRACE(name);
        recorder.log.clear();
        QWidget* link = w<QWidget>(name);
        link->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(link->hasFocus());
        QTest::keyClick(link, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(recorder.log, QStringList {opened});
    }

    recorder.log.clear();
    w<QLineEdit>("Text1")->clear();
    w<QWidget>("Command1")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w<QWidget>("Command1"), Qt::Key_Return);
    EXPECT_EQ(recorder.log, QStringList {NoFile}) << "Enter pressed Encrypt File";
    recorder.log.clear();
    w<QWidget>("Text4")->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w<QWidget>("Text4"), "ab");
    w<QWidget>("Command4")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w<QWidget>("Command4"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(w<QLineEdit>("Text6")->text().isEmpty()) << "Enter pressed Encrypt String";
}

TEST_F(DemoWindow, DecryptWithoutAPathShowsTheNoticeThenTheError)
{
    w<QLineEdit>("Text1")->clear();
    click("Command2");
    EXPECT_EQ(recorder.log, (QStringList {Proceeding, NoFile}));
    recorder.log.clear();
    click("Command1");
    EXPECT_EQ(recorder.log, QStringList {NoFile});
    recorder.log.clear();
    w<QLineEdit>("Text1")->setText("/some/file");
    w<QLineEdit>("Text2")->clear();
    click("Command1");
    EXPECT_EQ(recorder.log, QStringList {NoKey});
}

TEST_F(DemoWindow, EveryCipherButtonEnciphersAndRestoresTheFile)
{
    const QByteArray original = "the ledger of ships, kept after dark....    0000 by the harbour master\r\n";
    const QString path = makeFile(original);
    w<QLineEdit>("Text1")->setText(path);
    w<QLineEdit>("Text2")->setText("lantern");
    const QList<std::pair<const char*, int>> buttons {{"Option1", 0}, {"Option3", 2}, {"Option4", 3}, {"Option5", 4},
                                                      {"Option2", 1}, {"Option6", 5}, {"Option7", 6}, {"Option8", 7}};
    for (const auto& [button, type] : buttons) {
        SCOPED_TRACE(button);
        click(button);
        EXPECT_EQ(read(u"ProtectionType").i4(), type) << "the button selects the cipher its caption names";
        recorder.log.clear();
        click("Command1");
        EXPECT_EQ(recorder.log, QStringList {Proceeding});
        EXPECT_NE(contents(path), original);
        click("Command2");
        EXPECT_EQ(contents(path), original);
    }
}

TEST_F(DemoWindow, StringButtonsAlternate)
{
    click("Command4");
    EXPECT_EQ(recorder.log, QStringList {NoText});
    EXPECT_FALSE(w<QPushButton>("Command4")->isEnabled());
    QTest::keyClicks(w<QLineEdit>("Text4"), "Harbour dues, paid in full");
    EXPECT_TRUE(w<QPushButton>("Command4")->isEnabled()) << "typing enables it again";

    click("Command4");
    EXPECT_TRUE(w<QLineEdit>("Text4")->text().isEmpty());
    EXPECT_FALSE(w<QLineEdit>("Text6")->text().isEmpty());
    EXPECT_FALSE(w<QPushButton>("Command4")->isEnabled());
    EXPECT_TRUE(w<QPushButton>("Command5")->isEnabled());

    click("Command5");
    EXPECT_EQ(w<QLineEdit>("Text4")->text(), "Harbour dues, paid in full");
    EXPECT_TRUE(w<QLineEdit>("Text6")->text().isEmpty());
    EXPECT_TRUE(w<QPushButton>("Command4")->isEnabled());
    EXPECT_FALSE(w<QPushButton>("Command5")->isEnabled());
}

TEST_F(DemoWindow, StringsUseTheControlsKeyUntilAFileButtonSendsTheBox)
{
    // "abc" with the default key "Harbour Lanterns", walked from its end: a^s, b^n, c^r.
    w<QLineEdit>("Text2")->setText("zz");
    w<QLineEdit>("Text4")->setText("abc");
    click("Command4");
    EXPECT_EQ(w<QLineEdit>("Text6")->text(), (QString(QChar('a' ^ 's')) + QChar('b' ^ 'n') + QChar('c' ^ 'r')));

    const QString path = makeFile("x");
    w<QLineEdit>("Text1")->setText(path);
    click("Command1");
    w<QLineEdit>("Text4")->setText("abc");
    click("Command4");
    EXPECT_EQ(w<QLineEdit>("Text6")->text(), (QString(QChar('a' ^ 'z')) + QChar('b' ^ 'z') + QChar('c' ^ 'z')));
}

TEST_F(DemoWindow, BrowseTakesTheChosenFileAndACancelKeepsThePath)
{
    const QString before = w<QLineEdit>("Text1")->text();
    click("Command3");
    EXPECT_EQ(recorder.log, QStringList {R"(dialog open "File to Encrypt/Decrypt")"});
    EXPECT_EQ(w<QLineEdit>("Text1")->text(), before);
    recorder.fileToOpen = dir.path() + "/chosen.bin";
    click("Command3");
    EXPECT_EQ(w<QLineEdit>("Text1")->text(), dir.path() + "/chosen.bin");
}

TEST_F(DemoWindow, OffsetBoxSendsOnlyWholeNumbersTheOffsetHolds)
{
    QLineEdit* text3 = w<QLineEdit>("Text3");
    text3->setText("45");
    EXPECT_EQ(read(u"CeaserOffset").ui1(), 45);
    EXPECT_TRUE(text3->property("accepted").toBool());
    for (const char* bad : {"abc", "256", "-1", "4.5", ""}) {
        text3->setText(bad);
        EXPECT_EQ(read(u"CeaserOffset").ui1(), 45) << bad;
        EXPECT_FALSE(text3->property("accepted").toBool()) << bad;
    }
    EXPECT_TRUE(recorder.log.isEmpty()) << "no message box per keystroke";
}

// A string the control refuses is reported, and the window stays as it was before the click:
// the typed text, the other box and both buttons.
TEST_F(DemoWindow, AFailedStringCallLeavesTheBoxesAndButtonsAsTheyWere)
{
    QLineEdit* text4 = w<QLineEdit>("Text4");
    QLineEdit* text6 = w<QLineEdit>("Text6");
    text4->setText(QStringLiteral("price 5\u20ac"));
    click("Command4");
    ASSERT_EQ(recorder.log.size(), 1);
    EXPECT_TRUE(recorder.log[0].startsWith(R"(msgbox critical ok "Error 5: )")) << recorder.log[0].toStdString();
    EXPECT_TRUE(form->window().isVisible());
    EXPECT_EQ(text4->text(), QStringLiteral("price 5\u20ac"));
    EXPECT_TRUE(text6->text().isEmpty());
    EXPECT_TRUE(w<QPushButton>("Command4")->isEnabled());
    EXPECT_FALSE(w<QPushButton>("Command5")->isEnabled());

    text4->setText("price 5");
    click("Command4");
    const QString enciphered = QStringLiteral("\u20ac") + text6->text();
    text6->setText(enciphered); // edited into something no string can hold
    recorder.log.clear();
    click("Command5");
    ASSERT_EQ(recorder.log.size(), 1);
    EXPECT_TRUE(recorder.log[0].startsWith(R"(msgbox critical ok "Error 5: )")) << recorder.log[0].toStdString();
    EXPECT_EQ(text6->text(), enciphered);
    EXPECT_TRUE(text4->text().isEmpty());
    EXPECT_FALSE(w<QPushButton>("Command4")->isEnabled());
    EXPECT_TRUE(w<QPushButton>("Command5")->isEnabled());
}

// The darkest pixel inside a button's caption area: its caption's colour.
QColor captionColour(QPushButton* button)
{
    const QImage image = button->grab().toImage();
    const QRect area = captionfit::buttonContents(button).adjusted(2, 2, -2, -2);
    QColor darkest = Qt::white;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).lightness() < darkest.lightness())
                darkest = image.pixelColor(x, y);
    return darkest;
}

int distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// A disabled string button draws its caption in the style's disabled colour, not the enabled
// black: at start "Un-Encrypt String", after "Encrypt String" with no text both of them.
TEST_F(DemoWindow, DisabledButtonsDrawTheirCaptionsGreyed)
{
    QPushButton* command4 = w<QPushButton>("Command4");
    QPushButton* command5 = w<QPushButton>("Command5");
    const QColor enabledText = command4->palette().color(QPalette::Active, QPalette::ButtonText);
    const QColor disabledText = command4->palette().color(QPalette::Disabled, QPalette::ButtonText);
    ASSERT_GT(distance(enabledText, disabledText), 120);
    auto drawnEnabled = [&](QPushButton* b) { return distance(captionColour(b), enabledText) < 60; };
    auto drawnDisabled = [&](QPushButton* b) { return distance(captionColour(b), disabledText) < 60; };
    EXPECT_TRUE(drawnEnabled(command4));
    EXPECT_TRUE(drawnDisabled(command5)) << "Un-Encrypt String at start";

    click("Command4"); // no text: it disables itself
    EXPECT_TRUE(drawnDisabled(command4)) << "Encrypt String after an empty try";
    EXPECT_TRUE(drawnDisabled(command5));
    EXPECT_NE(captionColour(command4), captionColour(w<QPushButton>("Command1")));
}

// The progress window opens centred over the window whose button started the operation.
TEST_F(DemoWindow, ProgressWindowOpensCentredOverTheWindow)
{
    ASSERT_TRUE(latebound::put(*form->window().component("Velloc1"), u"ShowProgress", Variant::fromBool(true)).ok());
    QScreen* screen = form->window().screen();
    const QRect available = screen->availableGeometry();
    for (const QPoint corner : {available.topLeft() + QPoint(40, 30), available.bottomRight() - QPoint(form->window().width() + 10, form->window().height() + 20)}) {
        form->window().move(corner);
        QApplication::processEvents();
        w<QLineEdit>("Text1")->setText(makeFile(QByteArray(30000, 'x')));
        QRect progress;
        QScreen* progressScreen = nullptr;
        // The operation lets window messages run between blocks; the window is looked at then.
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == "PRG" && top->isVisible()) {
                    progress = top->frameGeometry();
                    progressScreen = top->screen();
                }
        });
        click("Command1");
        ASSERT_TRUE(progress.isValid()) << "the progress window was shown";
        EXPECT_EQ(progressScreen, screen);
        const QPoint offset = progress.center() - form->window().frameGeometry().center();
        // Within a window border's width: the frame is not known before the window is shown.
        EXPECT_LE(offset.manhattanLength(), 8) << "centred over the window at " << corner.x() << "," << corner.y();
        EXPECT_TRUE(available.contains(progress)) << "whole on the screen";
    }
}

// Every window the suite draws keeps each caption within its control: this window, the
// property pages of both controls and both About boxes. Also run at 120 dpi (see CMakeLists).
TEST_F(DemoWindow, EveryWindowOfTheSuiteKeepsItsCaptionsWhole)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), qEnvironmentVariableIsSet("VELLOC_TEST_DPI") ? qEnvironmentVariableIntValue("VELLOC_TEST_DPI") : 96)
        << "the screen runs at the resolution this run is for";
    EXPECT_EQ(captionfit::cut(&form->window()), QStringList {});
    // The labels that size themselves end before the boxes they name.
    for (const auto& [label, box] : {std::pair {"Label1", "Text1"}, std::pair {"Label2", "Text2"}})
        EXPECT_LT(w<QWidget>(label)->geometry().right() + 1, w<QWidget>(box)->geometry().left()) << label;

    for (const char* name : {"Velloc1", "LinkwellTxt1"}) {
        SCOPED_TRACE(name);
        auto sheet = PropertySheet::forControls({form->window().component(name)}, &form->window());
        ASSERT_TRUE(sheet.ok()) << sheet.error().message().toStdString();
        (*sheet)->show();
        ASSERT_GT((*sheet)->tabs()->count(), 1);
        for (int i = 0; i < (*sheet)->tabs()->count(); ++i) {
            (*sheet)->tabs()->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_EQ(captionfit::cut(sheet->get()), QStringList {}) << (*sheet)->tabs()->tabText(i).toStdString();
        }
    }

    int boxes = 0;
    recorder.onModal = [&](QWidget* box, QWidget*) {
        ++boxes;
        box->show();
        QApplication::processEvents();
        EXPECT_EQ(captionfit::cut(box), QStringList {}) << box->windowTitle().toStdString();
        box->hide();
    };
    for (const char* name : {"Velloc1", "LinkwellTxt1"})
        ASSERT_TRUE(form->window().component(name)->invoke(dispid::AboutBox, InvokeKind::Method, {}).ok()) << name;
    EXPECT_EQ(boxes, 2);
}

} // namespace
