// The demonstration window, driven through its controls as a person would.
#include "form1.h"
#include "printers.h"
#include "recorder.h"

#include "platform/units.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString Proceeding = "msgbox none ok [Velloc] Proceeding with Encyrption.  Note the progress bar graphic can be "
                           "changed to ANY graphic file you may want to use for a custom progress bar!";
const QString NoFile = "msgbox critical ok [Velloc] Please select a file to encode/decode";
const QString NoKey = "msgbox critical ok [Velloc] Please input the KEY used to encode or decode this file. NOTE: the "
                      "KEY must be an exact match to decode";
const QString NoText = "msgbox none ok [Velloc] Please enter some text to encrypt first.";

struct DemoWindow : ::testing::Test {
    void SetUp() override
    {
        auto created = Form1::create(dir.path());
        ASSERT_TRUE(created.ok()) << created.error().message().toStdString();
        form = std::move(created.value());
        form->window().show();
        // Progress windows would only slow the file tests down.
        Variant off = Variant::fromBool(false);
        ASSERT_TRUE(form->window().component("Velloc1")->invoke(0x68030002, InvokeKind::PropertyPut, {off}).ok());
    }

    template <typename T>
    T* w(const char* name) { return form->window().find<T>(QLatin1String(name)); }
    void click(const char* name) { QTest::mouseClick(w<QAbstractButton>(name), Qt::LeftButton); }
    Variant read(DispId id)
    {
        Result<Variant> r = form->window().component("Velloc1")->invoke(id, InvokeKind::PropertyGet, {});
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
    Recorder recorder;
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
    auto picture = read(0x68030003).object();
    ASSERT_TRUE(picture);
}

TEST_F(DemoWindow, FocusMovesInTheDescribedOrder)
{
    const QStringList order {"Command1", "Command2", "Text1", "Text2", "Option1", "Option3", "Option4", "Option5",
                             "Text3", "Command3", "Option2", "Option6", "Option7", "Option8", "Text4", "Command4",
                             "LinkwellTxt1", "LinkwellTxt2", "Command5", "Text6"};
    auto takesTab = [](QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; };
    QStringList expected;
    for (const QString& name : order)
        if (takesTab(form->window().control(name)))
            expected << name;
    ASSERT_GT(expected.size(), 15);
    QWidget* first = w<QWidget>("Command1");
    QStringList seen {first->objectName()};
    for (QWidget* at = first->nextInFocusChain(); at != first && seen.size() < 200; at = at->nextInFocusChain())
        if (order.contains(at->objectName()) && takesTab(at) && !seen.contains(at->objectName()))
            seen << at->objectName();
    EXPECT_EQ(seen, expected);
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
        EXPECT_EQ(read(0x68030001).i4(), type) << "the button selects the cipher its caption names";
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
    EXPECT_EQ(recorder.log, QStringList {"dialog File to Encrypt/Decrypt"});
    EXPECT_EQ(w<QLineEdit>("Text1")->text(), before);
    recorder.answer = dir.path() + "/chosen.bin";
    click("Command3");
    EXPECT_EQ(w<QLineEdit>("Text1")->text(), dir.path() + "/chosen.bin");
}

TEST_F(DemoWindow, OffsetBoxSendsOnlyWholeNumbersTheOffsetHolds)
{
    QLineEdit* text3 = w<QLineEdit>("Text3");
    text3->setText("45");
    EXPECT_EQ(read(0x68030000).ui1(), 45);
    EXPECT_TRUE(text3->property("accepted").toBool());
    for (const char* bad : {"abc", "256", "-1", "4.5", ""}) {
        text3->setText(bad);
        EXPECT_EQ(read(0x68030000).ui1(), 45) << bad;
        EXPECT_FALSE(text3->property("accepted").toBool()) << bad;
    }
    EXPECT_TRUE(recorder.log.isEmpty()) << "no message box per keystroke";
}

TEST_F(DemoWindow, ControlErrorIsShownAndTheWindowStays)
{
    w<QLineEdit>("Text4")->setText(QStringLiteral("price \u20ac5"));
    click("Command4");
    ASSERT_EQ(recorder.log.size(), 1);
    EXPECT_TRUE(recorder.log[0].startsWith("msgbox critical ok [Velloc] Error 5: ")) << recorder.log[0].toStdString();
    EXPECT_TRUE(form->window().isVisible());
}

} // namespace
