#include "testcomponent.h"
#include "testsupport.h"

#include "velloc/hosting/commondialog.h"
#include "velloc/core/units.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace velloc;
using namespace testsupport;

namespace {

TEST(Services, DocumentUrlIsTheAddressTheDesktopOpens)
{
    const std::pair<const char*, const char*> rows[] = {
        {"MailTo:someone@example.com", "mailto:someone@example.com"},
        {"MAILTO:someone@example.com", "mailto:someone@example.com"},
        {"Http://www.example.com/Path", "http://www.example.com/Path"},
        {"HTTPS://example.com/a?b=c", "https://example.com/a?b=c"},
        {"file:///tmp/x.txt", "file:///tmp/x.txt"},
        {R"(\\server\share\dir\file.txt)", "smb://server/share/dir/file.txt"},
        {R"(\\server\public docs)", "smb://server/public docs"},
        {"/tmp/some folder/a.txt", "file:///tmp/some folder/a.txt"},
    };
    for (const auto& [text, url] : rows)
        EXPECT_EQ(services::documentUrl(QString::fromUtf8(text)).toString(), QString::fromUtf8(url));
    EXPECT_EQ(services::documentUrl(QStringLiteral("notes/readme.txt")),
              QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("notes/readme.txt"))));
}

// Runs `act` on the application's modal window of type W once it shows.
template <typename W>
void actOnModal(QTimer& poll, const std::function<void(W&)>& act)
{
    auto acted = std::make_shared<bool>(false);
    QObject::connect(&poll, &QTimer::timeout, [acted, act] {
        if (auto* window = qobject_cast<W*>(QApplication::activeModalWidget()); window && !*acted) {
            *acted = true;
            act(*window);
        }
    });
    poll.start(10);
}

// The real message box: the button a person clicks is the answer the caller gets; Escape (no
// button here) answers with the box's cancelling button.
TEST(Services, TheRealMessageBoxAnswersWithTheChosenButton)
{
    using B = services::MsgButtons;
    namespace r = services::msgresult;
    const std::tuple<B, QMessageBox::StandardButton, int> rows[] = {
        {B::OkCancel, QMessageBox::Ok, r::Ok}, {B::AbortRetryIgnore, QMessageBox::Ignore, r::Ignore},
        {B::AbortRetryIgnore, QMessageBox::Retry, r::Retry}, {B::YesNoCancel, QMessageBox::No, r::No},
        {B::YesNo, QMessageBox::Yes, r::Yes}, {B::RetryCancel, QMessageBox::Cancel, r::Cancel},
        {B::Ok, QMessageBox::NoButton, r::Ok}, {B::OkCancel, QMessageBox::NoButton, r::Cancel},
        {B::YesNoCancel, QMessageBox::NoButton, r::Cancel}, {B::RetryCancel, QMessageBox::NoButton, r::Cancel},
    };
    for (const auto& [buttons, click, answer] : rows) {
        QTimer poll;
        QString seen;
        actOnModal<QMessageBox>(poll, [&, click = click](QMessageBox& box) {
            seen = box.windowTitle() + u'/' + box.text();
            if (click == QMessageBox::NoButton)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(click)->click();
        });
        EXPECT_EQ(services::responder().messageBox(QStringLiteral("Proceed?"), services::MsgIcon::Question, buttons,
                                                    QStringLiteral("Title")),
                  answer);
        EXPECT_EQ(seen, QStringLiteral("Title/Proceed?"));
    }
}

// Takes the addresses of one scheme in place of a desktop program.
class UrlTaker : public QObject {
    Q_OBJECT
public:
    QList<QUrl> taken;
public slots:
    void take(const QUrl& url) { taken << url; }
};

// The desktop host's open service: an address a program takes opens without a word; one that
// no program is set up to open is named in a message box (the caller, a hyperlink say, stays
// silent about it). The offscreen platform has no programs at all.
TEST(Services, AnAddressNoProgramOpensIsNamedInAMessageBox)
{
    UrlTaker taker;
    QDesktopServices::setUrlHandler(QStringLiteral("velloc-taken"), &taker, "take");
    QTimer poll;
    QStringList seen;
    actOnModal<QMessageBox>(poll, [&](QMessageBox& box) {
        seen << box.text();
        box.button(QMessageBox::Ok)->click();
    });
    services::openDocument(QStringLiteral("Velloc-Taken:harbour"));
    EXPECT_EQ(taker.taken, QList<QUrl> {QUrl(QStringLiteral("velloc-taken:harbour"))});
    services::openDocument(QStringLiteral("Mailto:support@torvane.example"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("velloc-taken"));
    EXPECT_EQ(seen, QStringList {QStringLiteral("Cannot open \"Mailto:support@torvane.example\": no program is set up to open it.")});
}

// The real file dialog, driven the way a person would: the request's settings show, and the
// chosen file comes back as a path; cancelling chooses nothing.
TEST(Services, TheRealFileDialogShowsTheRequestAndReturnsTheChoice)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    services::FileDialogRequest request;
    request.title = QStringLiteral("Pick one");
    request.filter = QStringLiteral("Text (*.txt)|*.txt|Logs|*.log;*.old|All|*.*");
    request.filterIndex = 2;
    request.initDir = dir.path();
    QStringList seen;
    for (bool choose : {true, false}) {
        QTimer poll;
        actOnModal<QFileDialog>(poll, [&](QFileDialog& dialog) {
            seen = QStringList {dialog.windowTitle(), dialog.nameFilters().join(u';'), dialog.selectedNameFilter(),
                                dialog.directory().absolutePath()};
            dialog.selectFile(dir.filePath(QStringLiteral("a.txt")));
            if (choose)
                static_cast<QDialog&>(dialog).accept(); // the dialog checks the choice as its Open button does
            else
                dialog.reject();
        });
        const std::optional<QString> chosen = services::responder().openFileDialog(request);
        EXPECT_EQ(chosen, choose ? std::optional(dir.filePath(QStringLiteral("a.txt"))) : std::nullopt);
        EXPECT_EQ(seen, (QStringList {QStringLiteral("Pick one"), QStringLiteral("Text (*.txt);Logs (*.log *.old);All (*)"),
                                      QStringLiteral("Logs (*.log *.old)"), QDir(dir.path()).absolutePath()}));
    }
}

// The real save dialog takes a name that does not exist yet, and says it is for saving.
TEST(Services, TheRealSaveDialogTakesANewName)
{
    QTemporaryDir dir;
    services::FileDialogRequest request;
    request.title = QStringLiteral("Save Form");
    request.filter = QStringLiteral("Form descriptions (*.json)|*.json");
    request.initDir = dir.path();
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QTimer poll;
    actOnModal<QFileDialog>(poll, [&](QFileDialog& dialog) {
        mode = dialog.acceptMode();
        dialog.selectFile(dir.filePath(QStringLiteral("new.json")));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(services::responder().saveFileDialog(request), std::optional(dir.filePath(QStringLiteral("new.json"))));
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("new.json")))) << "the dialog only names the file";
}

// A filter's patterns as the dialog applies them; "*.*" lists every file, README and Makefile too.
TEST(Services, FileDialogFiltersMeanWhatTheySay)
{
    const QList<std::pair<QString, QString>> cases {
        {QStringLiteral("Text (*.txt)|*.txt"), QStringLiteral("Text (*.txt)")},
        {QStringLiteral("ALL Files|*.*"), QStringLiteral("ALL Files (*)")},
        {QStringLiteral("ALL Files (*.*)|*.*"), QStringLiteral("ALL Files (*)")},
        {QStringLiteral("Pictures|*.bmp;*.jpg"), QStringLiteral("Pictures (*.bmp *.jpg)")},
        {QStringLiteral("Mixed|*.*;*.txt;*"), QStringLiteral("Mixed (* *.txt)")},
        {QStringLiteral("Dotted|a.*"), QStringLiteral("Dotted (a.*)")},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(services::nameFilters(filter), QStringList {expected}) << filter.toStdString();
    EXPECT_EQ(services::nameFilters(QStringLiteral("A|*.a|B|*.b")), (QStringList {QStringLiteral("A (*.a)"), QStringLiteral("B (*.b)")}));

    QTemporaryDir dir;
    for (const char* name : {"README", "Makefile", "a.txt"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString all = services::nameFilters(QStringLiteral("ALL Files|*.*")).first();
    const QStringList patterns = all.section(u'(', -1).chopped(1).split(u' ');
    EXPECT_EQ(QDir(dir.path()).entryList(patterns, QDir::Files, QDir::Name), (QStringList {"Makefile", "README", "a.txt"}));
}

// An installed responder answers without a person: the message boxes, the documents, and the
// file dialog the common dialog asks with its settings. (The scripts hold cancelling and saving.)
// A host that cannot ask at all takes a box's first button.
TEST(Services, AnInstalledResponderAnswersForThePerson)
{
    RecordingHost responder;
    responder.messageAnswer = services::msgresult::No;
    EXPECT_EQ(services::messageBox(QStringLiteral("Cannot Locate File"), services::MsgIcon::Critical,
                                   services::MsgButtons::YesNo, QStringLiteral("Velloc")),
              services::msgresult::No);
    services::openDocument(QStringLiteral("MailTo:a@b.c"));
    EXPECT_EQ(responder.log, (QStringList {QStringLiteral(R"(msgbox critical yesno "Cannot Locate File")"),
                                           QStringLiteral(R"(open "MailTo:a@b.c")")}));
    EXPECT_EQ(responder.titles, QStringList {QStringLiteral("Velloc")});
    EXPECT_EQ(responder.urls, QList<QUrl> {QUrl(QStringLiteral("mailto:a@b.c"))});

    auto dialog = std::make_shared<CommonDialog>();
    for (const auto& [name, value] : {std::pair {u"DialogTitle", R"("Choose a file")"}, {u"Filter", R"("Text|*.txt|All|*.*")"},
                                      {u"FilterIndex", "i4:2"}, {u"InitDir", R"("/tmp")"}, {u"Flags", "i4:4100"},
                                      {u"FileName", R"("start.txt")"}})
        ASSERT_TRUE(putProperty(*dialog, dialog->idOfName(name).value(), lit(value)).ok()) << value;
    responder.log.clear();
    ASSERT_TRUE(dialog->invoke(CommonDialog::ShowOpenId, InvokeKind::Method, {}).ok());
    EXPECT_EQ(responder.log, QStringList {QStringLiteral(R"(dialog open "Choose a file")")});
    ASSERT_EQ(responder.requests.size(), 1);
    const services::FileDialogRequest& r = responder.requests[0];
    EXPECT_EQ(QStringList({r.title, r.filter, r.initDir, r.fileName, QString::number(r.filterIndex), QString::number(r.flags)}),
              (QStringList {QStringLiteral("Choose a file"), QStringLiteral("Text|*.txt|All|*.*"), QStringLiteral("/tmp"),
                            QStringLiteral("start.txt"), QStringLiteral("2"), QStringLiteral("4100")}));

    using B = services::MsgButtons;
    namespace a = services::msgresult;
    for (const auto& [buttons, answer] : {std::pair {B::Ok, a::Ok}, {B::OkCancel, a::Ok}, {B::AbortRetryIgnore, a::Abort},
                                          {B::YesNoCancel, a::Yes}, {B::YesNo, a::Yes}, {B::RetryCancel, a::Retry}})
        EXPECT_EQ(services::firstButton(buttons), answer);
}

TEST(Services, AModalWindowReturnsWhenItIsClosedAndPendingEventsRun)
{
    QWidget owner;
    owner.show();
    QDialog window;
    bool sawModal = false;
    QTimer::singleShot(20, [&] {
        sawModal = window.isVisible() && window.isModal() && window.parentWidget() == &owner;
        window.close();
    });
    services::responder().showModal(&window, &owner);
    EXPECT_TRUE(sawModal);
    EXPECT_FALSE(window.isVisible());

    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    services::doEvents();
    EXPECT_TRUE(ran);
}

TEST(Services, SendKeysTypesIntoTheFocusedWidget)
{
    QLineEdit edit;
    edit.show();
    QApplication::setActiveWindow(&edit);
    edit.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
    QSignalSpy returns(&edit, &QLineEdit::returnPressed);
    const std::pair<const char*, const char*> rows[] = {
        {"Hello{BS}{BACKSPACE}p~", "Help"}, {"{a}{+}{~}{{}{}}", "a+~{}"}, {"abc{HOME}x{END}y{LEFT}{DEL}", "xabc"}};
    for (const auto& [keys, text] : rows) {
        edit.clear();
        services::responder().sendKeys(QString::fromUtf8(keys));
        EXPECT_EQ(edit.text(), QString::fromUtf8(text)) << keys;
    }
    services::responder().sendKeys(QStringLiteral("{ENTER}"));
    EXPECT_EQ(returns.count(), 2);

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

// Twips at the offscreen screen's 96 DPI, rounded to the nearest pixel; colours are blue-green-red
// or, with the high bit, system colours.
TEST(Units, ConvertTwipsAndColours)
{
    EXPECT_EQ(units::toPixels(150, 300, 1440, 7), QRect(10, 20, 96, 0));
    EXPECT_EQ(units::toTwipsX(74), 1110);
    EXPECT_EQ(units::toTwipsY(-2), -30);
    EXPECT_EQ(units::toPixelsX(8), 1);
    EXPECT_EQ(units::toPixelsX(7), 0);
    EXPECT_EQ(units::toQColor(0x00123456), QColor(0x56, 0x34, 0x12));
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(units::toQColor(0x8000000F), palette.color(QPalette::Button));
    EXPECT_EQ(units::toQColor(0x80000005), palette.color(QPalette::Base));
    EXPECT_EQ(units::toQColor(0x80000012), palette.color(QPalette::ButtonText));
    for (std::uint32_t valid : {0x00FFFFFFu, 0x80000018u})
        EXPECT_TRUE(units::isValidOleColor(valid)) << valid;
    for (std::uint32_t invalid : {0x80000100u, 0x8000001Fu, 0x01000000u})
        EXPECT_FALSE(units::isValidOleColor(invalid)) << invalid;
}

} // namespace

#include "services_test.moc"
