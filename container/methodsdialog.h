#pragma once

#include "velloc/core/object.h"

#include <QDialog>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace container {

// Calls a control's methods: lists them with their parameters, takes the arguments (with a
// file chooser for parameters named like files), and shows the result or the error.
class MethodsDialog final : public QDialog {
    Q_OBJECT
public:
    MethodsDialog(std::shared_ptr<velloc::Object> object, const QString& name, QWidget* parent = nullptr);

    void setMethod(const QString& method);
    void setArgument(int index, const QString& text);
    // Calls the chosen method with the arguments as typed; the outcome is also shown.
    velloc::Result<velloc::Variant> call();

    QComboBox* methods() const { return m_methods; }
    QString outcome() const;

    // An argument as typed, for a parameter of this type: text as it stands for strings, else a
    // value in the scripting host's text form, or the text for the control to convert.
    static velloc::Result<velloc::Variant> argument(const velloc::ParamInfo& param, const QString& text);

private:
    void showParameters();
    const velloc::MemberInfo* current() const;

    std::shared_ptr<velloc::Object> m_object;
    QString m_name;
    QComboBox* m_methods;
    QLabel* m_signature;
    QFormLayout* m_params;
    QList<QLineEdit*> m_args;
    QPushButton* m_call;
    QPlainTextEdit* m_result;
};

} // namespace container
