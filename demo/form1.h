#pragma once

#include "velloc/hosting/formloader.h"
#include "velloc/core/latebinding.h"
#include "velloc/hosting/services.h"

#include <QObject>

#include <map>

class QLineEdit;
class QPushButton;

// The demonstration window's behaviour: its handlers, bound to the loaded window's controls by
// name. Every call into a control goes late-bound through its dispatch interface.
class Form1 final : public QObject {
public:
    static inline const QString ProgramName = QStringLiteral("Velloc");

    // Loads the stored description; `dataDir` is where the suite's own files are installed.
    static velloc::Result<std::unique_ptr<Form1>> create(const QString& dataDir);

    velloc::Form& window() { return *m_window; }

    // The handlers, as the window's controls trigger them.
    void encryptFile();
    void decryptFile();
    void browse();
    void encryptString();
    void unencryptString();
    void text4Changed();
    void text3Changed();
    void cipherChosen(int protectionType);

private:
    Form1() = default;
    void bind();
    // Calls a member of a component by name; a failure is shown to the user and returned.
    velloc::Result<velloc::Variant> invoke(const QString& component, const QString& member, velloc::InvokeKind kind,
                                               QList<velloc::Variant> args = {});
    bool put(const QString& component, const QString& member, velloc::Variant value);
    bool checkFileAndKey();
    void notice(const QString& text, velloc::services::MsgIcon icon);

    std::unique_ptr<velloc::Form> m_window;
    std::map<QString, velloc::latebound::Caller> m_callers; // by component name
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QLineEdit* m_text3 = nullptr;
    QLineEdit* m_text4 = nullptr;
    QLineEdit* m_text6 = nullptr;
    QPushButton* m_command4 = nullptr;
    QPushButton* m_command5 = nullptr;
};
