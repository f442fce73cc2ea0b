#pragma once

#include "velloc/hosting/control.h"
#include "velloc/hosting/services.h"

#include <QHash>
#include <QIODevice>

#include <map>
#include <optional>

// Runs compcall scripts: creates objects, drives them late-bound and prints what happens.
class ScriptHost final : public velloc::services::Responder {
public:
    // Handlers running inside handlers, at most; a script that nests deeper stops with an error.
    static constexpr int MaxHandlerDepth = 64;

    explicit ScriptHost(QIODevice& out);
    ~ScriptHost() override;

    // Runs the whole script; returns the process exit status (0, or 2 for a script error,
    // which is reported on `err`).
    int run(const QString& script, QIODevice& err);

    // Responder: nothing waits for a person.
    int messageBox(const QString& text, velloc::services::MsgIcon icon, velloc::services::MsgButtons buttons,
                   const QString& title) override;
    std::optional<QString> openFileDialog(const velloc::services::FileDialogRequest& request) override;
    void openDocument(const QString& text, const QUrl& url) override;
    void sendKeys(const QString& keys) override;
    void showModal(QWidget* window, QWidget* owner) override;

private:
    // What a statement gives back. Its error is a script error: it stops the script (an error
    // raised by a call is printed instead, and the script goes on).
    using Status = velloc::Result<void>;
    struct ScriptError {
        QString message;
        int line = 0; // where the failing statement is written
    };
    struct Handler {
        int line;
        QString statement;
    };
    struct Statement;
    class Binding;

    static const Statement statements[];

    void print(const QString& line);
    // Runs one statement; false once a script error stopped the script.
    bool execute(const QString& statement, int line);
    void fail(const QString& message, int line);
    void onEvent(Binding& binding, const velloc::MemberInfo& event, std::span<velloc::Variant> args);

    velloc::Result<Binding*> binding(const QString& name);
    velloc::Result<std::pair<Binding*, QString>> target(const QString& dotted);
    velloc::Result<QList<velloc::Variant>> values(QStringView text);
    velloc::Result<velloc::Control*> control(Binding& binding, const char* purpose);
    void report(const velloc::Result<velloc::Variant>& result, bool printValue);
    Status create(const QString& var, const QString& progId, const velloc::PropertyBag* bag);
    Status invokeByName(QStringView rest, velloc::InvokeKind kind, const char* keyword);
    void invokeMember(Binding& binding, velloc::DispId id, velloc::InvokeKind kind, QList<velloc::Variant>& args);

    // The statements, one each.
    Status echo(QStringView rest, int line);
    Status newObject(QStringView rest, int line);
    Status load(QStringView rest, int line);
    Status save(QStringView rest, int line);
    Status bag(QStringView rest, int line);
    Status get(QStringView rest, int line);
    Status set(QStringView rest, int line);
    Status setref(QStringView rest, int line);
    Status call(QStringView rest, int line);
    Status invoke(QStringView rest, int line);
    Status on(QStringView rest, int line);
    Status arg(QStringView rest, int line);
    Status click(QStringView rest, int line);
    Status release(QStringView rest, int line);

    QIODevice& m_out;
    std::map<QString, std::unique_ptr<Binding>> m_bindings;
    std::shared_ptr<velloc::Font> m_ambientFont;
    QList<std::span<velloc::Variant>> m_eventArgs; // innermost handler last
    QList<const velloc::MemberInfo*> m_events;
    // The script error that stopped the script. From then on the host prints nothing and runs
    // no handler: the call that raised the failing handler's event returns without a word.
    std::optional<ScriptError> m_failure;
};
