#pragma once

#include "velloc/core/export.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

namespace velloc::services {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// The button a person chose.
namespace msgresult {
inline constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
}

VELLOC_EXPORT QString iconName(MsgIcon icon);       // "critical", ...
VELLOC_EXPORT QString buttonsName(MsgButtons buttons); // "okcancel", ...
VELLOC_EXPORT int firstButton(MsgButtons buttons);

struct FileDialogRequest {
    QString title;
    QString fileName;
    QString filter;      // "Text (*.txt)|*.txt|All|*.*"
    int filterIndex = 0;
    QString initDir;
    int flags = 0;
    QWidget* owner = nullptr;
};

// Everything that waits for a person or leaves the process goes through the responder, so
// tests and scripting hosts run without a person and record what would have been shown.
class VELLOC_EXPORT Responder {
public:
    virtual ~Responder();
    virtual int messageBox(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title);
    // The chosen path, or nothing when cancelled.
    virtual std::optional<QString> openFileDialog(const FileDialogRequest& request);
    // The path to write to (it may not exist yet), or nothing when cancelled.
    virtual std::optional<QString> saveFileDialog(const FileDialogRequest& request);
    // Hands the address to the desktop; when no program takes it, says so in a message box.
    virtual void openDocument(const QString& text, const QUrl& url);
    virtual void sendKeys(const QString& keys);
    // Shows `window` modally, owned by `owner`, and returns when it is hidden or closed.
    virtual void showModal(QWidget* window, QWidget* owner);
    // The colour or font chosen in a dialog that opens at `initial`; nothing when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor& initial, const QString& title, QWidget* owner);
    virtual std::optional<QFont> chooseFont(const QFont& initial, const QString& title, QWidget* owner);
};

// Installs a responder (nullptr: the default one). The caller keeps ownership.
VELLOC_EXPORT void setResponder(Responder* responder);
// The installed responder; else, with a display, the interactive one; else (no application,
// or the offscreen or minimal platform) the unattended one, which never waits: a message box
// gets its cancelling answer (Cancel, No, Abort; OK when it has only OK), a file dialog is
// cancelled, a modal window is not shown, and each is reported on the log.
VELLOC_EXPORT Responder& responder();
VELLOC_EXPORT Responder& interactiveResponder();
VELLOC_EXPORT Responder& unattendedResponder();
// True when no person can answer: no GUI application, or the offscreen or minimal platform.
VELLOC_EXPORT bool isUnattended();
// The answer the unattended responder gives.
VELLOC_EXPORT int cancellingButton(MsgButtons buttons);

// What hosts are told of every message box raised through messageBox(), after it was answered,
// whoever answered it.
struct MessageNotice {
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    QString title;
    int answer = 0;
    bool unattended = false; // answered by the unattended responder
};
VELLOC_EXPORT int addMessageObserver(std::function<void(const MessageNotice&)> observer);
VELLOC_EXPORT void removeMessageObserver(int id);

VELLOC_EXPORT int messageBox(const QString& text, MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok,
                               const QString& title = QString());
VELLOC_EXPORT std::optional<QString> openFileDialog(const FileDialogRequest& request);
VELLOC_EXPORT std::optional<QString> saveFileDialog(const FileDialogRequest& request);
// Opens a document, address or folder with its default program. Never through a shell.
VELLOC_EXPORT void openDocument(const QString& text);
// Sends key strokes ("{F1}", "{ENTER}" or "~", plain characters) to the active window.
VELLOC_EXPORT void sendKeys(const QString& keys);
VELLOC_EXPORT void showModal(QWidget* window, QWidget* owner);
VELLOC_EXPORT std::optional<QColor> chooseColor(const QColor& initial, const QString& title, QWidget* owner);
VELLOC_EXPORT std::optional<QFont> chooseFont(const QFont& initial, const QString& title, QWidget* owner);
// A file dialog's filter ("Text (*.txt)|*.txt|All|*.*") as Qt's name filters; "*.*" means
// every file, those without a dot in their names too.
VELLOC_EXPORT QStringList nameFilters(const QString& filter);
// Lets the thread's pending window messages run.
VELLOC_EXPORT void doEvents();

// What openDocument hands the desktop: schemes matched without regard to case, \\host\share
// paths as smb:// addresses, local paths as file:// ones.
VELLOC_EXPORT QUrl documentUrl(const QString& text);

} // namespace velloc::services
