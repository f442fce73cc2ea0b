#pragma once

#include "coresupport.h"

#include "velloc/hosting/control.h"
#include "velloc/hosting/services.h"

#include <QStringList>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace testsupport {

// Hosts objects the way a program does, and writes what reaches the host as compcall prints it:
// `changed v.Key`, `event v.Progress(i4:10001)`, `msgbox critical ok "Cannot Locate File"`,
// `dialog open "TITLE"`, `dialog save "TITLE"`, `open "TEXT"`, `window "CAPTION"`. It answers the services
// while it lives (a message box with its first button unless told otherwise).
class RecordingHost final : public velloc::services::Responder {
public:
    RecordingHost();
    ~RecordingHost() override;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // Sites the object (when it is a control) under a script variable's name and connects its
    // events. The host keeps a reference until release().
    template <typename T>
    std::shared_ptr<T> adopt(std::shared_ptr<T> object, const QString& var = QStringLiteral("v"))
    {
        attach(object, var);
        return object;
    }
    // Loads a component library, creates the class, adopts it and runs InitProperties.
    std::shared_ptr<velloc::Object> create(const QString& modulePath, const velloc::Guid& clsid,
                                             const QString& var = QStringLiteral("v"), bool init = true);
    // A new host holding one instance of the class, made by create().
    static std::unique_ptr<RecordingHost> with(const QString& modulePath, const velloc::Guid& clsid, bool init = true);
    // Disconnects and forgets an object; `terminate` runs a control's Terminate first.
    void release(const velloc::Object* object, bool terminate = false);

    // The object adopted last, and late-bound calls on it.
    std::shared_ptr<velloc::Object> object() const { return m_last; }
    velloc::Control& control() const { return dynamic_cast<velloc::Control&>(*m_last); }
    velloc::Result<velloc::Variant> call(velloc::DispId id, std::initializer_list<velloc::Variant> args = {});
    velloc::Result<velloc::Variant> callWith(velloc::DispId id, QList<velloc::Variant>& args);
    velloc::Result<velloc::Variant> get(velloc::DispId id);
    velloc::Result<void> put(velloc::DispId id, const velloc::Variant& value);
    velloc::Result<void> putRef(velloc::DispId id, const velloc::Variant& value);

    QStringList log;
    QStringList events() const; // the log's event lines only
    QStringList titles;         // message-box titles in order (compcall prints none)
    QList<velloc::services::FileDialogRequest> requests;
    QList<QUrl> urls; // the documents opened, as addresses

    // The property change the host refuses ("*": every one), and how.
    QString refuse;
    velloc::Error refusal {velloc::errc::PathFileAccess, QStringLiteral("the host refuses the change")};
    std::shared_ptr<velloc::Font> ambient = velloc::Font::create();
    std::optional<int> messageAnswer;   // else the first button
    std::optional<QString> fileToOpen;  // else the dialog is cancelled
    std::optional<QString> fileToSave;  // else the dialog is cancelled
    // Run inside an event after it is logged (may assign to by-reference arguments), and inside
    // a modal showing after it is logged (the window is hidden afterwards).
    std::function<void(const QString& event, std::span<velloc::Variant> args)> onEvent;
    std::function<void(QWidget* window, QWidget* owner)> onModal;
    // A chooser is confirmed with what it opened at unless told otherwise; what it opened at is
    // kept (logged as `choose color|font "TITLE"`).
    std::optional<QColor> colorToChoose;
    std::optional<QFont> fontToChoose;
    QList<QColor> colorsOffered;
    QList<QFont> fontsOffered;

    int messageBox(const QString& text, velloc::services::MsgIcon icon, velloc::services::MsgButtons buttons,
                   const QString& title) override;
    std::optional<QString> openFileDialog(const velloc::services::FileDialogRequest& request) override;
    std::optional<QString> saveFileDialog(const velloc::services::FileDialogRequest& request) override;
    void openDocument(const QString& text, const QUrl& url) override;
    void showModal(QWidget* window, QWidget* owner) override;
    std::optional<QColor> chooseColor(const QColor& initial, const QString& title, QWidget* owner) override;
    std::optional<QFont> chooseFont(const QFont& initial, const QString& title, QWidget* owner) override;

private:
    class Binding;
    void attach(std::shared_ptr<velloc::Object> object, const QString& var);
    std::map<const velloc::Object*, std::unique_ptr<Binding>> m_bindings;
    velloc::services::Responder* m_previousResponder = nullptr;
    std::shared_ptr<velloc::Object> m_last;
};

} // namespace testsupport
