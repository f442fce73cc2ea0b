#pragma once

#include "platform/control.h"
#include "platform/services.h"

#include <QStringList>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace testsupport {

// Hosts objects the way a program does, and writes what reaches the host as compcall prints it:
// `changed v.Key`, `event v.Progress(i4:10001)`, `msgbox critical ok "Cannot Locate File"`,
// `dialog open "TITLE"`, `open "TEXT"`, `window "CAPTION"`. It answers the services while it
// lives (a message box with its first button unless told otherwise).
class RecordingHost final : public platform::services::Responder {
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
    std::shared_ptr<platform::Object> create(const QString& modulePath, const platform::Guid& clsid,
                                             const QString& var = QStringLiteral("v"), bool init = true);
    // A new host holding one instance of the class, made by create().
    static std::unique_ptr<RecordingHost> with(const QString& modulePath, const platform::Guid& clsid, bool init = true);
    // Disconnects and forgets an object; `terminate` runs a control's Terminate first.
    void release(const platform::Object* object, bool terminate = false);

    // The object adopted last, and late-bound calls on it.
    std::shared_ptr<platform::Object> object() const { return m_last; }
    platform::Control& control() const { return dynamic_cast<platform::Control&>(*m_last); }
    platform::Result<platform::Variant> call(platform::DispId id, std::initializer_list<platform::Variant> args = {});
    platform::Result<platform::Variant> callWith(platform::DispId id, QList<platform::Variant>& args);
    platform::Result<platform::Variant> get(platform::DispId id);
    platform::Result<void> put(platform::DispId id, const platform::Variant& value);
    platform::Result<void> putRef(platform::DispId id, const platform::Variant& value);

    QStringList log;
    QStringList events() const; // the log's event lines only
    QStringList titles;         // message-box titles in order (compcall prints none)
    QList<platform::services::FileDialogRequest> requests;
    QList<QUrl> urls; // the documents opened, as addresses

    // The property change the host refuses ("*": every one), and how.
    QString refuse;
    platform::Error refusal {platform::errc::PathFileAccess, QStringLiteral("the host refuses the change")};
    std::shared_ptr<platform::Font> ambient = platform::Font::create();
    std::optional<int> messageAnswer;   // else the first button
    std::optional<QString> fileToOpen;  // else the dialog is cancelled
    // Run inside an event after it is logged (may assign to by-reference arguments), and inside
    // a modal showing after it is logged (the window is hidden afterwards).
    std::function<void(const QString& event, std::span<platform::Variant> args)> onEvent;
    std::function<void(QWidget* window, QWidget* owner)> onModal;

    int messageBox(const QString& text, platform::services::MsgIcon icon, platform::services::MsgButtons buttons,
                   const QString& title) override;
    std::optional<QString> openFileDialog(const platform::services::FileDialogRequest& request) override;
    void openDocument(const QString& text, const QUrl& url) override;
    void showModal(QWidget* window, QWidget* owner) override;

private:
    class Binding;
    void attach(std::shared_ptr<platform::Object> object, const QString& var);
    std::map<const platform::Object*, std::unique_ptr<Binding>> m_bindings;
    std::shared_ptr<platform::Object> m_last;
};

// Late-bound calls, as a host makes them.
platform::Result<platform::Variant> call(platform::Object& object, platform::DispId id,
                                         std::initializer_list<platform::Variant> args = {});
// With the caller's own argument variables, to see what a by-reference call leaves in them.
platform::Result<platform::Variant> callWith(platform::Object& object, platform::DispId id, QList<platform::Variant>& args);
platform::Result<platform::Variant> getProperty(platform::Object& object, platform::DispId id);
platform::Result<platform::Variant> putProperty(platform::Object& object, platform::DispId id, platform::Variant value);
platform::Result<platform::Variant> putRefProperty(platform::Object& object, platform::DispId id, platform::Variant value);

} // namespace testsupport
