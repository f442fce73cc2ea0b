#include "testsupport.h"

#include "platform/units.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace platform;
using namespace testsupport;

namespace {

struct Address {
    const char* label;
    QString text;
    QString url;
};

void PrintTo(const Address& a, std::ostream* os)
{
    *os << a.label;
}

class DocumentUrl : public ::testing::TestWithParam<Address> {};

TEST_P(DocumentUrl, MapsTextToTheAddressTheDesktopOpens)
{
    EXPECT_EQ(services::documentUrl(GetParam().text).toString(), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DocumentUrl,
    ::testing::Values(
        Address {"mail address", QStringLiteral("MailTo:someone@example.com"), QStringLiteral("mailto:someone@example.com")},
        Address {"mail address in capitals", QStringLiteral("MAILTO:someone@example.com"),
                 QStringLiteral("mailto:someone@example.com")},
        Address {"web address", QStringLiteral("Http://www.example.com/Path"), QStringLiteral("http://www.example.com/Path")},
        Address {"secure web address", QStringLiteral("HTTPS://example.com/a?b=c"), QStringLiteral("https://example.com/a?b=c")},
        Address {"file address", QStringLiteral("file:///tmp/x.txt"), QStringLiteral("file:///tmp/x.txt")},
        Address {"network share", QStringLiteral("\\\\server\\share\\dir\\file.txt"),
                 QStringLiteral("smb://server/share/dir/file.txt")},
        Address {"network share with a space", QStringLiteral("\\\\server\\public docs"),
                 QStringLiteral("smb://server/public docs")},
        Address {"local path", QStringLiteral("/tmp/some folder/a.txt"), QStringLiteral("file:///tmp/some folder/a.txt")},
        Address {"relative path", QStringLiteral("notes/readme.txt"),
                 QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("notes/readme.txt"))).toString()}));

TEST(Services, OpeningADocumentGoesThroughTheResponder)
{
    RecordingResponder responder;
    services::openDocument(QStringLiteral("MailTo:a@b.c"));
    EXPECT_EQ(responder.log, QStringList {QStringLiteral("open MailTo:a@b.c mailto:a@b.c")});
}

TEST(Services, MessageBoxesGoThroughTheResponder)
{
    RecordingResponder responder;
    responder.messageAnswer = services::msgresult::No;
    EXPECT_EQ(services::messageBox(QStringLiteral("Cannot Locate File"), services::MsgIcon::Critical,
                                   services::MsgButtons::YesNo, QStringLiteral("Velloc")),
              services::msgresult::No);
    EXPECT_EQ(responder.log, QStringList {QStringLiteral("msgbox critical yesno Velloc Cannot Locate File")});
}

struct Box {
    services::MsgButtons buttons;
    QMessageBox::StandardButton click;
    int result;
    const char* name;
};

void PrintTo(const Box& b, std::ostream* os)
{
    *os << b.name;
}

class InteractiveMessageBox : public ::testing::TestWithParam<Box> {};

// The real message box: the button a person clicks is the answer the caller gets.
TEST_P(InteractiveMessageBox, AnswersWithTheClickedButton)
{
    const Box& b = GetParam();
    EXPECT_EQ(services::buttonsName(b.buttons), QString::fromLatin1(b.name));
    bool clicked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || clicked)
            return;
        EXPECT_EQ(box->text(), QStringLiteral("Proceed?"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Title"));
        QAbstractButton* button = box->button(b.click);
        ASSERT_TRUE(button);
        clicked = true;
        button->click();
    });
    poll.start(10);
    const int answer = services::responder().messageBox(QStringLiteral("Proceed?"), services::MsgIcon::Question, b.buttons,
                                                        QStringLiteral("Title"));
    EXPECT_TRUE(clicked);
    EXPECT_EQ(answer, b.result);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, InteractiveMessageBox,
    ::testing::Values(Box {services::MsgButtons::Ok, QMessageBox::Ok, services::msgresult::Ok, "ok"},
                      Box {services::MsgButtons::OkCancel, QMessageBox::Ok, services::msgresult::Ok, "okcancel"},
                      Box {services::MsgButtons::OkCancel, QMessageBox::Cancel, services::msgresult::Cancel, "okcancel"},
                      Box {services::MsgButtons::AbortRetryIgnore, QMessageBox::Ignore, services::msgresult::Ignore,
                           "abortretryignore"},
                      Box {services::MsgButtons::AbortRetryIgnore, QMessageBox::Retry, services::msgresult::Retry,
                           "abortretryignore"},
                      Box {services::MsgButtons::YesNoCancel, QMessageBox::No, services::msgresult::No, "yesnocancel"},
                      Box {services::MsgButtons::YesNoCancel, QMessageBox::Cancel, services::msgresult::Cancel,
                           "yesnocancel"},
                      Box {services::MsgButtons::YesNo, QMessageBox::Yes, services::msgresult::Yes, "yesno"},
                      Box {services::MsgButtons::RetryCancel, QMessageBox::Cancel, services::msgresult::Cancel,
                           "retrycancel"}));

class EscapedMessageBox : public ::testing::TestWithParam<std::pair<services::MsgButtons, int>> {};

// Escape is the person's way of not choosing: it answers with the box's cancelling button.
TEST_P(EscapedMessageBox, AnswersWithTheCancellingButton)
{
    bool pressed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || pressed)
            return;
        pressed = true;
        QTest::keyClick(box, Qt::Key_Escape);
    });
    poll.start(10);
    EXPECT_EQ(services::responder().messageBox(QStringLiteral("Go on?"), services::MsgIcon::None, GetParam().first, {}),
              GetParam().second);
    EXPECT_TRUE(pressed);
}

INSTANTIATE_TEST_SUITE_P(Buttons, EscapedMessageBox,
                         ::testing::Values(std::pair {services::MsgButtons::Ok, services::msgresult::Ok},
                                           std::pair {services::MsgButtons::OkCancel, services::msgresult::Cancel},
                                           std::pair {services::MsgButtons::YesNoCancel, services::msgresult::Cancel},
                                           std::pair {services::MsgButtons::RetryCancel, services::msgresult::Cancel}));

// The real file dialog, driven the way a person would: the request's settings show, and the
// chosen file comes back as a path.
class InteractiveFileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.txt", "b.log"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        request.title = QStringLiteral("Pick one");
        request.filter = QStringLiteral("Text (*.txt)|*.txt|Logs|*.log;*.old|All|*.*");
        request.filterIndex = 2;
        request.initDir = dir.path();
    }
    // Runs the dialog; `act` gets it once it shows.
    std::optional<QString> runDialog(const std::function<void(QFileDialog&)>& act)
    {
        bool acted = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || acted)
                return;
            acted = true;
            seenTitle = dialog->windowTitle();
            seenFilters = dialog->nameFilters();
            seenFilter = dialog->selectedNameFilter();
            seenDir = dialog->directory().absolutePath();
            act(*dialog);
        });
        poll.start(10);
        const std::optional<QString> chosen = services::responder().openFileDialog(request);
        EXPECT_TRUE(acted);
        return chosen;
    }

    QTemporaryDir dir;
    services::FileDialogRequest request;
    QString seenTitle;
    QStringList seenFilters;
    QString seenFilter;
    QString seenDir;
};

TEST_F(InteractiveFileDialog, ShowsTheRequestAndReturnsTheChosenFile)
{
    const std::optional<QString> chosen = runDialog([&](QFileDialog& dialog) {
        dialog.selectFile(dir.filePath(QStringLiteral("a.txt")));
        static_cast<QDialog&>(dialog).accept(); // the dialog checks the choice as its Open button does
    });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("a.txt")));
    EXPECT_EQ(seenTitle, QStringLiteral("Pick one"));
    EXPECT_EQ(seenFilters, (QStringList {QStringLiteral("Text (*.txt)"), QStringLiteral("Logs (*.log *.old)"),
                                         QStringLiteral("All (*.*)")}));
    EXPECT_EQ(seenFilter, QStringLiteral("Logs (*.log *.old)"));
    EXPECT_EQ(seenDir, QDir(dir.path()).absolutePath());
}

TEST_F(InteractiveFileDialog, CancellingChoosesNothing)
{
    EXPECT_FALSE(runDialog([](QFileDialog& dialog) { dialog.reject(); }).has_value());
}

TEST(Services, TheFirstButtonAnswersForHostsThatCannotAsk)
{
    EXPECT_EQ(services::firstButton(services::MsgButtons::Ok), services::msgresult::Ok);
    EXPECT_EQ(services::firstButton(services::MsgButtons::OkCancel), services::msgresult::Ok);
    EXPECT_EQ(services::firstButton(services::MsgButtons::AbortRetryIgnore), services::msgresult::Abort);
    EXPECT_EQ(services::firstButton(services::MsgButtons::YesNoCancel), services::msgresult::Yes);
    EXPECT_EQ(services::firstButton(services::MsgButtons::YesNo), services::msgresult::Yes);
    EXPECT_EQ(services::firstButton(services::MsgButtons::RetryCancel), services::msgresult::Retry);
}

TEST(Services, AModalWindowReturnsWhenItIsClosed)
{
    QWidget owner;
    owner.show();
    QDialog window;
    window.setWindowTitle(QStringLiteral("About"));
    bool sawModal = false;
    QTimer::singleShot(20, [&] {
        sawModal = window.isVisible() && window.isModal() && window.parentWidget() == &owner;
        window.close();
    });
    services::responder().showModal(&window, &owner);
    EXPECT_TRUE(sawModal);
    EXPECT_FALSE(window.isVisible());
}

TEST(Services, PendingEventsRun)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    services::doEvents();
    EXPECT_TRUE(ran);
}

class SendKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.show();
        QApplication::setActiveWindow(&edit);
        edit.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
    }
    QLineEdit edit;
};

TEST_F(SendKeys, TypesIntoTheFocusedWidget)
{
    QSignalSpy returns(&edit, &QLineEdit::returnPressed);
    services::responder().sendKeys(QStringLiteral("Hello{BS}{BACKSPACE}p~"));
    EXPECT_EQ(edit.text(), QStringLiteral("Help"));
    EXPECT_EQ(returns.count(), 1);
    services::responder().sendKeys(QStringLiteral("{ENTER}"));
    EXPECT_EQ(returns.count(), 2);
}

TEST_F(SendKeys, BracesSendACharacterAsItIs)
{
    services::responder().sendKeys(QStringLiteral("{a}{+}{~}{{}{}}"));
    EXPECT_EQ(edit.text(), QStringLiteral("a+~{}"));
}

TEST_F(SendKeys, NamedKeysMoveTheCursor)
{
    services::responder().sendKeys(QStringLiteral("abc{HOME}x{END}y{LEFT}{DEL}"));
    EXPECT_EQ(edit.text(), QStringLiteral("xabc"));
}

TEST_F(SendKeys, FunctionKeysReachTheWidget)
{
    struct KeyRecorder : QObject {
        QList<int> keys;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress)
                keys << static_cast<QKeyEvent*>(e)->key();
            return false;
        }
    } recorder;
    edit.installEventFilter(&recorder);
    services::responder().sendKeys(QStringLiteral("{F1}{f12}{TAB}"));
    EXPECT_EQ(recorder.keys, (QList<int> {Qt::Key_F1, Qt::Key_F12, Qt::Key_Tab}));
    edit.removeEventFilter(&recorder);
}

TEST(Units, TwipsAndPixelsAtTheScreensResolution)
{
    ASSERT_DOUBLE_EQ(units::twipsPerPixelY(), 15.0);
    EXPECT_EQ(units::toPixels(QSize(1110, 960)), QSize(74, 64));
    EXPECT_EQ(units::toPixels(150, 300, 1440, 7), QRect(10, 20, 96, 0));
    EXPECT_EQ(units::toTwipsX(74), 1110);
    EXPECT_EQ(units::toTwipsY(-2), -30);
    EXPECT_EQ(units::toPixelsX(8), 1);  // rounds to the nearest pixel
    EXPECT_EQ(units::toPixelsX(7), 0);
}

TEST(Units, ColoursAreBlueGreenRed)
{
    EXPECT_EQ(units::toQColor(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(units::toQColor(0x0000FF00), QColor(0, 255, 0));
    EXPECT_EQ(units::toQColor(0x00FF0000), QColor(0, 0, 255));
    EXPECT_EQ(units::toQColor(0x00123456), QColor(0x56, 0x34, 0x12));
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(units::toQColor(0x8000000F), palette.color(QPalette::Button));
    EXPECT_EQ(units::toQColor(0x80000005), palette.color(QPalette::Base));
    EXPECT_EQ(units::toQColor(0x80000012), palette.color(QPalette::ButtonText));
    EXPECT_TRUE(units::isValidOleColor(0x00FFFFFF));
    EXPECT_TRUE(units::isValidOleColor(0x80000018));
    EXPECT_FALSE(units::isValidOleColor(0x80000100));
    EXPECT_FALSE(units::isValidOleColor(0x8000001F));
    EXPECT_FALSE(units::isValidOleColor(0x01000000));
}

} // namespace
