#pragma once

#include "linkwelltxt.h"

#include "platform/control.h"
#include "platform/services.h"

#include <QEvent>
#include <QStringList>

#include <functional>
#include <map>

// Sites hyperlink controls the way a program does, and records what reaches the host as lines:
// "changed HyperLink", "Click()", "MouseDown(1, 0, 75, 45)", "open TEXT", "window CAPTION".
class TestHost final : public platform::ControlSite, public platform::EventSink, public platform::services::Responder {
public:
    TestHost() { platform::services::setResponder(this); }
    ~TestHost() override;

    // A new control, sited here, with its events connected.
    std::shared_ptr<linkwell::LinkwellTxt> create();
    // Disconnects and forgets a control (the host's reference is dropped).
    void release(platform::Control* control);

    QStringList log;
    bool refuseChanges = false;
    std::shared_ptr<platform::Font> ambient = platform::Font::create();
    // Runs inside each event after it is logged.
    std::function<void(const QString& event, std::span<platform::Variant> args)> onEventHook;
    // Runs inside a modal showing after it is logged; the window is then hidden.
    std::function<void(QWidget* window, QWidget* owner)> onModal;
    std::optional<QString> fileToOpen;

    platform::Result<void> propertyChanged(platform::Control&, const QString& name) override;
    std::shared_ptr<platform::Font> ambientFont() override { return ambient; }
    bool userMode() const override { return true; }
    void onEvent(platform::Object&, const platform::MemberInfo& event, std::span<platform::Variant> args) override;
    int messageBox(const QString& text, platform::services::MsgIcon, platform::services::MsgButtons buttons,
                   const QString&) override;
    std::optional<QString> openFileDialog(const platform::services::FileDialogRequest& request) override;
    void openDocument(const QString& text, const QUrl&) override { log << QStringLiteral("open ") + text; }
    void showModal(QWidget* window, QWidget* owner) override;

private:
    std::map<platform::Control*, std::pair<std::shared_ptr<platform::Control>, int>> m_controls;
};

// One mouse event as the window system delivers it to a widget.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses and releases the button at a point of a widget.
void mouseClick(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);
