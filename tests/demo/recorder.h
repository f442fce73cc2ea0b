#pragma once

#include "platform/services.h"

#include <QStringList>

#include <functional>

// Answers the services for a test and records what a person would have seen.
class Recorder final : public platform::services::Responder {
public:
    Recorder() { platform::services::setResponder(this); }
    ~Recorder() override { platform::services::setResponder(nullptr); }

    int messageBox(const QString& text, platform::services::MsgIcon icon, platform::services::MsgButtons buttons,
                   const QString& title) override
    {
        log << QStringLiteral("msgbox %1 %2 [%3] %4")
                   .arg(platform::services::iconName(icon), platform::services::buttonsName(buttons), title, text);
        return platform::services::firstButton(buttons);
    }
    std::optional<QString> openFileDialog(const platform::services::FileDialogRequest& request) override
    {
        log << QStringLiteral("dialog ") + request.title;
        return answer;
    }
    void openDocument(const QString& text, const QUrl&) override { log << QStringLiteral("open ") + text; }
    void showModal(QWidget* window, QWidget*) override
    {
        if (onModal)
            onModal(window);
    }

    QStringList log;
    std::optional<QString> answer;
    std::function<void(QWidget*)> onModal;
};
