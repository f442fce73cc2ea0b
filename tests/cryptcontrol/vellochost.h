#pragma once

#include "platform/control.h"
#include "platform/services.h"

#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>

// Hosts one encryption control loaded from the built library, the way a program does: sited,
// with its events and the services' dialogs recorded as lines of text.
class VellocHost final : public platform::ControlSite, public platform::EventSink, public platform::services::Responder {
public:
    // Creates a new instance through the library's class factory and runs InitProperties.
    static std::unique_ptr<VellocHost> create(bool init = true);
    ~VellocHost() override;

    platform::Result<platform::Variant> call(platform::DispId id, std::initializer_list<platform::Variant> args = {});
    // Calls with the caller's own argument variables (to see what a by-reference call leaves).
    platform::Result<platform::Variant> callWith(platform::DispId id, QList<platform::Variant>& args);
    platform::Result<platform::Variant> get(platform::DispId id);
    platform::Result<void> put(platform::DispId id, const platform::Variant& value);
    platform::Result<void> putRef(platform::DispId id, const platform::Variant& value);

    platform::Control& control() { return *m_control; }
    std::shared_ptr<platform::Object> object() const { return m_object; }

    // "changed Key", "Statred(10)", "Progress(10001)", "Finished()", "msgbox critical ok Cannot Locate File".
    QStringList log;
    bool refuseChanges = false;
    // Runs inside each event, after it is logged; may assign to the arguments.
    std::function<void(const QString& event, std::span<platform::Variant> args)> handler;
    std::optional<QString> dialogAnswer;

    // ControlSite
    platform::Result<void> propertyChanged(platform::Control&, const QString& name) override;
    std::shared_ptr<platform::Font> ambientFont() override;
    bool userMode() const override { return true; }
    // EventSink
    void onEvent(platform::Object&, const platform::MemberInfo& event, std::span<platform::Variant> args) override;
    // Responder
    int messageBox(const QString& text, platform::services::MsgIcon icon, platform::services::MsgButtons buttons,
                   const QString& title) override;
    std::optional<QString> openFileDialog(const platform::services::FileDialogRequest& request) override;
    void showModal(QWidget* window, QWidget* owner) override;

    QStringList events() const; // the log's event lines only

private:
    VellocHost() = default;
    std::shared_ptr<platform::Object> m_object;
    platform::Control* m_control = nullptr;
    int m_cookie = 0;
};

// A scratch folder removed with its contents, also when files in it were made read-only.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    QString path(const QString& name) const;
    QString path() const { return m_path; }
    QStringList entries() const;

private:
    QString m_path;
};

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
QByteArray patternBytes(int size, unsigned seed = 1);
