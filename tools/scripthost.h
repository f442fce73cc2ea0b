#pragma once

#include "platform/control.h"
#include "platform/services.h"

#include <QHash>
#include <QIODevice>

#include <map>

// Runs compcall scripts: creates objects, drives them late-bound and prints what happens.
class ScriptHost final : public platform::services::Responder {
public:
    // Handlers running inside handlers, at most; a script that nests deeper stops with an error.
    static constexpr int MaxHandlerDepth = 64;

    explicit ScriptHost(QIODevice& out);
    ~ScriptHost() override;

    // Runs the whole script; returns the process exit status (0, or 2 for a script error,
    // which is reported on `err`).
    int run(const QString& script, QIODevice& err);

    // Responder: nothing waits for a person.
    int messageBox(const QString& text, platform::services::MsgIcon icon, platform::services::MsgButtons buttons,
                   const QString& title) override;
    std::optional<QString> openFileDialog(const platform::services::FileDialogRequest& request) override;
    void openDocument(const QString& text, const QUrl& url) override;
    void sendKeys(const QString& keys) override;
    void showModal(QWidget* window, QWidget* owner) override;

private:
    struct ScriptError {
        QString message;
        int line = 0; // where the failing statement is written, when not the running line
    };
    struct Handler {
        int line;
        QString statement;
    };
    class Binding;

    void print(const QString& line);
    void execute(const QString& statement, int line);
    void onEvent(Binding& binding, const platform::MemberInfo& event, std::span<platform::Variant> args);

    Binding& binding(const QString& name);
    std::pair<Binding*, QString> target(const QString& dotted);
    QList<platform::Variant> values(QStringView text);
    void report(const platform::Result<platform::Variant>& result, bool printValue);
    void create(const QString& var, const QString& progId, const platform::PropertyBag* bag);

    QIODevice& m_out;
    std::map<QString, std::unique_ptr<Binding>> m_bindings;
    std::shared_ptr<platform::Font> m_ambientFont;
    QList<std::span<platform::Variant>> m_eventArgs; // innermost handler last
    QList<const platform::MemberInfo*> m_events;
};
