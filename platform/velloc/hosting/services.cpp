#include "velloc/hosting/services.h"

#include "velloc/io/pathcodec.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRegularExpression>
#include <QWidget>

namespace velloc::services {

QString iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QStringLiteral("none");
    case MsgIcon::Critical: return QStringLiteral("critical");
    case MsgIcon::Question: return QStringLiteral("question");
    case MsgIcon::Exclamation: return QStringLiteral("exclamation");
    case MsgIcon::Information: return QStringLiteral("information");
    }
    return {};
}

QString buttonsName(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return QStringLiteral("ok");
    case MsgButtons::OkCancel: return QStringLiteral("okcancel");
    case MsgButtons::AbortRetryIgnore: return QStringLiteral("abortretryignore");
    case MsgButtons::YesNoCancel: return QStringLiteral("yesnocancel");
    case MsgButtons::YesNo: return QStringLiteral("yesno");
    case MsgButtons::RetryCancel: return QStringLiteral("retrycancel");
    }
    return {};
}

int firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel: return msgresult::Ok;
    case MsgButtons::AbortRetryIgnore: return msgresult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return msgresult::Yes;
    case MsgButtons::RetryCancel: return msgresult::Retry;
    }
    return msgresult::Ok;
}

Responder::~Responder() = default;

int Responder::messageBox(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title)
{
    QMessageBox box;
    box.setText(text);
    // Without a title the window system names the program (its display name where it has one).
    box.setWindowTitle(title);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    struct B { QMessageBox::StandardButton qt; int result; };
    QList<B> list;
    switch (buttons) {
    case MsgButtons::Ok: list = {{QMessageBox::Ok, msgresult::Ok}}; break;
    case MsgButtons::OkCancel: list = {{QMessageBox::Ok, msgresult::Ok}, {QMessageBox::Cancel, msgresult::Cancel}}; break;
    case MsgButtons::AbortRetryIgnore:
        list = {{QMessageBox::Abort, msgresult::Abort}, {QMessageBox::Retry, msgresult::Retry}, {QMessageBox::Ignore, msgresult::Ignore}};
        break;
    case MsgButtons::YesNoCancel:
        list = {{QMessageBox::Yes, msgresult::Yes}, {QMessageBox::No, msgresult::No}, {QMessageBox::Cancel, msgresult::Cancel}};
        break;
    case MsgButtons::YesNo: list = {{QMessageBox::Yes, msgresult::Yes}, {QMessageBox::No, msgresult::No}}; break;
    case MsgButtons::RetryCancel: list = {{QMessageBox::Retry, msgresult::Retry}, {QMessageBox::Cancel, msgresult::Cancel}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const B& b : list)
        set |= b.qt;
    box.setStandardButtons(set);
    box.setDefaultButton(list.first().qt);
    const int chosen = box.exec();
    for (const B& b : list)
        if (b.qt == chosen)
            return b.result;
    return list.size() > 1 ? msgresult::Cancel : msgresult::Ok;
}

QStringList nameFilters(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString written = parts[i + 1];
        written.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" has always meant every file; Qt would list only names with a dot.
        QStringList patterns = written.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        patterns.removeDuplicates();
        // "Text (*.txt)|*.txt" shows its patterns already; they are not shown twice. Qt reads the
        // patterns from the last parentheses, so those are the ones it is to use.
        QString label = parts[i];
        if (label.endsWith(QStringLiteral(" (%1)").arg(written)))
            label.chop(written.size() + 3);
        out << QStringLiteral("%1 (%2)").arg(label, patterns.join(QLatin1Char(' ')));
    }
    return out;
}

namespace {

std::optional<QString> runFileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(request.owner, request.title);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!request.initDir.isEmpty())
        dialog.setDirectory(request.initDir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex > 0 ? request.filterIndex - 1 : 0;
        if (index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

} // namespace

std::optional<QString> Responder::openFileDialog(const FileDialogRequest& request)
{
    return runFileDialog(request, false);
}

std::optional<QString> Responder::saveFileDialog(const FileDialogRequest& request)
{
    return runFileDialog(request, true);
}

void Responder::openDocument(const QString& text, const QUrl& url)
{
    // The caller (a hyperlink, say) stays silent about a failure; the person is told here.
    if (!QDesktopServices::openUrl(url))
        messageBox(QStringLiteral("Cannot open \"%1\": no program is set up to open it.").arg(text),
                   MsgIcon::Exclamation, MsgButtons::Ok, QString());
}

static QList<std::pair<int, QString>> parseKeys(const QString& keys)
{
    static const QHash<QString, int> named = {
        {QStringLiteral("ENTER"), Qt::Key_Return}, {QStringLiteral("TAB"), Qt::Key_Tab},
        {QStringLiteral("ESC"), Qt::Key_Escape},   {QStringLiteral("ESCAPE"), Qt::Key_Escape},
        {QStringLiteral("BACKSPACE"), Qt::Key_Backspace}, {QStringLiteral("BS"), Qt::Key_Backspace},
        {QStringLiteral("DELETE"), Qt::Key_Delete}, {QStringLiteral("DEL"), Qt::Key_Delete},
        {QStringLiteral("HOME"), Qt::Key_Home},   {QStringLiteral("END"), Qt::Key_End},
        {QStringLiteral("UP"), Qt::Key_Up},       {QStringLiteral("DOWN"), Qt::Key_Down},
        {QStringLiteral("LEFT"), Qt::Key_Left},   {QStringLiteral("RIGHT"), Qt::Key_Right},
    };
    QList<std::pair<int, QString>> out;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QChar c = keys[i];
        if (c == QLatin1Char('~')) {
            out.append({Qt::Key_Return, QStringLiteral("\r")});
        } else if (c == QLatin1Char('{')) {
            const qsizetype end = keys.indexOf(QLatin1Char('}'), i + 2);
            if (end < 0)
                break;
            const QString literal = keys.mid(i + 1, end - i - 1);
            const QString name = literal.toUpper();
            i = end;
            static const QRegularExpression fkey(QStringLiteral("^F([1-9]|1[0-6])$"));
            if (auto m = fkey.match(name); m.hasMatch())
                out.append({Qt::Key_F1 + m.captured(1).toInt() - 1, QString()});
            else if (named.contains(name))
                out.append({named.value(name), name == QLatin1String("ENTER") ? QStringLiteral("\r") : QString()});
            else if (name.size() == 1)
                out.append({name[0].unicode(), literal});
        } else {
            out.append({c.toUpper().unicode(), QString(c)});
        }
    }
    return out;
}

void Responder::sendKeys(const QString& keys)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return;
    for (const auto& [key, text] : parseKeys(keys)) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    }
}

namespace {
class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop) : m_loop(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close || event->type() == QEvent::DeferredDelete)
            QMetaObject::invokeMethod(&m_loop, "quit", Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};
} // namespace

void Responder::showModal(QWidget* window, QWidget* owner)
{
    if (owner && window->parentWidget() != owner->window())
        window->setParent(owner->window(), window->windowFlags() | Qt::Dialog);
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    HideWatcher watcher(loop);
    window->installEventFilter(&watcher);
    window->show();
    if (window->isVisible())
        loop.exec();
    window->removeEventFilter(&watcher);
}

std::optional<QColor> Responder::chooseColor(const QColor& initial, const QString& title, QWidget* owner)
{
    QColorDialog dialog(initial, owner);
    dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<QFont> Responder::chooseFont(const QFont& initial, const QString& title, QWidget* owner)
{
    QFontDialog dialog(initial, owner);
    dialog.setWindowTitle(title);
    // The dialog shows the nearest font it has ("MS Sans Serif" 8.25 as a sans serif 8): confirmed
    // as it opened, the choice is the font it was given.
    const QFont opened = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont() == opened ? initial : dialog.selectedFont();
}

int cancellingButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return msgresult::Ok;
    case MsgButtons::AbortRetryIgnore: return msgresult::Abort;
    case MsgButtons::YesNo: return msgresult::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel: return msgresult::Cancel;
    }
    return msgresult::Ok;
}

bool isUnattended()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

namespace {
// Answers for a person who is not there, so that a host without a display never waits on a
// window nobody can see. The answer is the one that changes nothing.
class UnattendedResponder final : public Responder {
public:
    int messageBox(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title) override
    {
        const int answer = cancellingButton(buttons);
        qWarning("velloc: no one to answer the %s message box \"%s\"%s%s; answered %d",
                 qUtf8Printable(iconName(icon)), qUtf8Printable(text), title.isEmpty() ? "" : " titled ",
                 qUtf8Printable(title.isEmpty() ? QString() : QStringLiteral("\"%1\"").arg(title)), answer);
        return answer;
    }
    std::optional<QString> openFileDialog(const FileDialogRequest& request) override
    {
        qWarning("velloc: no one to choose a file for \"%s\"; the dialog is cancelled", qUtf8Printable(request.title));
        return std::nullopt;
    }
    std::optional<QString> saveFileDialog(const FileDialogRequest& request) override
    {
        qWarning("velloc: no one to name a file to save for \"%s\"; the dialog is cancelled", qUtf8Printable(request.title));
        return std::nullopt;
    }
    void showModal(QWidget* window, QWidget* owner) override
    {
        Q_UNUSED(owner);
        qWarning("velloc: no one to see the window \"%s\"; it is not shown", qUtf8Printable(window->windowTitle()));
    }
    std::optional<QColor> chooseColor(const QColor&, const QString& title, QWidget*) override
    {
        qWarning("velloc: no one to choose a colour for \"%s\"; the dialog is cancelled", qUtf8Printable(title));
        return std::nullopt;
    }
    std::optional<QFont> chooseFont(const QFont&, const QString& title, QWidget*) override
    {
        qWarning("velloc: no one to choose a font for \"%s\"; the dialog is cancelled", qUtf8Printable(title));
        return std::nullopt;
    }
};

struct Observer {
    int id;
    std::function<void(const MessageNotice&)> fn;
};
QList<Observer>& observers()
{
    static QList<Observer> list;
    return list;
}
} // namespace

Responder& interactiveResponder()
{
    static Responder r;
    return r;
}

Responder& unattendedResponder()
{
    static UnattendedResponder r;
    return r;
}

static Responder* g_responder = nullptr;

void setResponder(Responder* r)
{
    g_responder = r;
}

Responder& responder()
{
    if (g_responder)
        return *g_responder;
    return isUnattended() ? unattendedResponder() : interactiveResponder();
}

int addMessageObserver(std::function<void(const MessageNotice&)> observer)
{
    static int next = 1;
    observers().append({next, std::move(observer)});
    return next++;
}

void removeMessageObserver(int id)
{
    observers().removeIf([id](const Observer& o) { return o.id == id; });
}

int messageBox(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title)
{
    Responder& r = responder();
    const int answer = r.messageBox(text, icon, buttons, title);
    const MessageNotice notice {text, icon, buttons, title, answer, &r == &unattendedResponder()};
    // An observer may remove itself (its host closing); walk a copy.
    const QList<Observer> list = observers();
    for (const Observer& o : list)
        o.fn(notice);
    return answer;
}

std::optional<QString> openFileDialog(const FileDialogRequest& request)
{
    return responder().openFileDialog(request);
}

std::optional<QString> saveFileDialog(const FileDialogRequest& request)
{
    return responder().saveFileDialog(request);
}

void openDocument(const QString& text)
{
    responder().openDocument(text, documentUrl(text));
}

void sendKeys(const QString& keys)
{
    responder().sendKeys(keys);
}

void showModal(QWidget* window, QWidget* owner)
{
    responder().showModal(window, owner);
}

std::optional<QColor> chooseColor(const QColor& initial, const QString& title, QWidget* owner)
{
    return responder().chooseColor(initial, title, owner);
}

std::optional<QFont> chooseFont(const QFont& initial, const QString& title, QWidget* owner)
{
    return responder().chooseFont(initial, title, owner);
}

void doEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QUrl documentUrl(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    if (const auto m = scheme.match(text); m.hasMatch())
        return QUrl(m.captured(1).toLower() + text.mid(m.capturedLength(1)), QUrl::TolerantMode);
    if (text.startsWith(QLatin1String("\\\\"))) {
        QString rest = text.mid(2);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QUrl(QStringLiteral("smb://") + rest, QUrl::TolerantMode);
    }
    // Built from the path's bytes, so a name that is not UTF-8 still names its file.
    return QUrl::fromEncoded(QByteArray("file://") + encodePath(absolutePath(text)).toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace velloc::services
