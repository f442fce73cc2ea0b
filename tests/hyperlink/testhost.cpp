#include "testhost.h"

#include "platform/varianttext.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace platform;

TestHost::~TestHost()
{
    while (!m_controls.empty())
        release(m_controls.begin()->first);
    services::setResponder(nullptr);
}

std::shared_ptr<linkwell::LinkwellTxt> TestHost::create()
{
    auto control = std::make_shared<linkwell::LinkwellTxt>();
    control->setSite(this);
    m_controls[control.get()] = {control, control->advise(this)};
    return control;
}

void TestHost::release(Control* control)
{
    auto it = m_controls.find(control);
    if (it == m_controls.end())
        return;
    const auto [held, cookie] = it->second;
    m_controls.erase(it);
    held->unadvise(cookie);
    held->setSite(nullptr);
}

Result<void> TestHost::propertyChanged(Control&, const QString& name)
{
    log << QStringLiteral("changed ") + name;
    if (refuseChanges)
        return Error(errc::PathFileAccess, QStringLiteral("the host refuses the change"));
    return {};
}

void TestHost::onEvent(Object&, const MemberInfo& event, std::span<Variant> args)
{
    QStringList shown;
    for (const Variant& a : args) {
        QString text = varianttext::format(a);
        shown << text.mid(text.indexOf(QLatin1Char(':')) + 1);
    }
    log << QStringLiteral("%1(%2)").arg(event.name, shown.join(QStringLiteral(", ")));
    if (onEventHook)
        onEventHook(event.name, args);
}

int TestHost::messageBox(const QString& text, services::MsgIcon, services::MsgButtons buttons, const QString&)
{
    log << QStringLiteral("msgbox ") + text;
    return services::firstButton(buttons);
}

std::optional<QString> TestHost::openFileDialog(const services::FileDialogRequest& request)
{
    log << QStringLiteral("dialog ") + request.title;
    return fileToOpen;
}

void TestHost::showModal(QWidget* window, QWidget* owner)
{
    log << QStringLiteral("window ") + window->windowTitle();
    if (onModal)
        onModal(window, owner);
    window->hide();
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

void mouseClick(QWidget* widget, QPoint at, Qt::MouseButton button)
{
    const QPointer<QWidget> guard(widget);
    sendMouse(widget, QEvent::MouseButtonPress, at, button, button);
    if (guard)
        sendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
