#include "methodsdialog.h"

#include "velloc/hosting/propertyeditor.h"
#include "velloc/store/varianttext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace velloc;

namespace container {

MethodsDialog::MethodsDialog(std::shared_ptr<Object> object, const QString& name, QWidget* parent)
    : QDialog(parent), m_object(std::move(object)), m_name(name), m_methods(new QComboBox(this)), m_signature(new QLabel(this)),
      m_params(new QFormLayout), m_call(new QPushButton(tr("&Call"), this)), m_result(new QPlainTextEdit(this))
{
    setWindowTitle(tr("Methods of %1").arg(name));
    for (const MemberInfo& m : m_object->dispatch().info().members)
        if (m.kind == MemberKind::Method && !m.hidden)
            m_methods->addItem(m.name, m.id);
    m_signature->setWordWrap(true);
    m_result->setReadOnly(true);
    m_result->setObjectName(QStringLiteral("methodResult"));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_methods);
    layout->addWidget(m_signature);
    layout->addLayout(m_params);
    layout->addWidget(m_call);
    layout->addWidget(m_result);
    layout->addWidget(close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_methods, &QComboBox::currentIndexChanged, this, &MethodsDialog::showParameters);
    connect(m_call, &QPushButton::clicked, this, [this] { (void)call(); });
    showParameters();
    resize(480, 360);
}

const MemberInfo* MethodsDialog::current() const
{
    if (m_methods->currentIndex() < 0)
        return nullptr;
    return m_object->dispatch().info().find(m_methods->currentData().toInt(), MemberKind::Method);
}

void MethodsDialog::setMethod(const QString& method)
{
    m_methods->setCurrentIndex(m_methods->findText(method, Qt::MatchFixedString));
}

void MethodsDialog::setArgument(int index, const QString& text)
{
    if (index >= 0 && index < m_args.size())
        m_args[index]->setText(text);
}

void MethodsDialog::showParameters()
{
    while (m_params->rowCount() > 0)
        m_params->removeRow(0);
    m_args.clear();
    const MemberInfo* m = current();
    m_call->setEnabled(m);
    if (!m) {
        m_signature->setText(tr("%1 has no methods").arg(m_name));
        return;
    }
    QStringList params;
    for (const ParamInfo& p : m->params)
        params << QStringLiteral("%1%2 As %3").arg(p.byRef ? QStringLiteral("ByRef ") : QString(), p.name, p.type.displayName());
    QString signature = QStringLiteral("%1(%2)").arg(m->name, params.join(QStringLiteral(", ")));
    if (m->result.vt != VarType::Void)
        signature += QStringLiteral(" As %1").arg(m->result.displayName());
    if (!m->help.isEmpty())
        signature += QStringLiteral("\n") + m->help;
    m_signature->setText(signature);
    for (const ParamInfo& p : m->params) {
        PropertyType type;
        type.name = p.name;
        type.type = p.type;
        type.kind = PropertyType::namesFile(p.name) ? ValueKind::File : ValueKind::Text;
        const qsizetype index = m_args.size();
        QWidget* field = PropertyEditor::of(type).createEditor(type, nullptr, [this, type, index] {
            QLineEdit* edit = m_args.value(index);
            Result<std::optional<Variant>> chosen = PropertyEditor::of(type).choose(
                type, Variant::fromString(edit->text()), tr("%1 of %2").arg(type.name, m_name), this);
            if (chosen && *chosen)
                edit->setText((*chosen)->string());
        });
        auto* edit = qobject_cast<QLineEdit*>(field) ? qobject_cast<QLineEdit*>(field) : field->findChild<QLineEdit*>();
        edit->setToolTip(tr("Strings as typed; other types as the scripting host writes them (i2:5, bool:true, ...)"));
        m_args << edit;
        m_params->addRow(QStringLiteral("%1 (%2)").arg(p.name, p.type.displayName()), field);
    }
}

Result<Variant> MethodsDialog::argument(const ParamInfo& param, const QString& text)
{
    if (param.type.vt == VarType::BStr)
        return Variant::fromString(text);
    if (param.type.vt == VarType::Bool) {
        if (text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return Variant::fromBool(true);
        if (text.trimmed().compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return Variant::fromBool(false);
    }
    Result<Variant> parsed = varianttext::parseAll(text);
    if (parsed)
        return parsed;
    // Any other text goes to the control as a string, for it to convert or refuse.
    return Variant::fromString(text);
}

Result<Variant> MethodsDialog::call()
{
    const MemberInfo* m = current();
    if (!m)
        return Error(errc::NotSupported, tr("%1 has no methods").arg(m_name));
    QList<Variant> args;
    for (qsizetype i = 0; i < m->params.size(); ++i) {
        Result<Variant> a = argument(m->params[i], m_args.value(i) ? m_args[i]->text() : QString());
        if (!a) {
            m_result->setPlainText(tr("%1: error %2: %3").arg(m->params[i].name).arg(a.error().number()).arg(a.error().message()));
            return a.releaseError();
        }
        args << *a;
    }
    m_call->setEnabled(false);
    m_result->setPlainText(tr("Calling %1.%2...").arg(m_name, m->name));
    const QString methodName = m->name;
    const QList<ParamInfo> params = m->params;
    // The call may run the event loop (a long file operation shows its progress window).
    std::shared_ptr<Object> keep = m_object;
    Result<Variant> r = keep->invoke(m_methods->currentData().toInt(), InvokeKind::Method, std::span<Variant>(args.data(), args.size()));
    m_call->setEnabled(true);
    QString text = r ? tr("%1 returned %2").arg(methodName, varianttext::format(*r))
                     : tr("%1 failed: error %2: %3").arg(methodName).arg(r.error().number()).arg(r.error().message());
    for (qsizetype i = 0; i < params.size(); ++i)
        if (params[i].byRef)
            text += QStringLiteral("\n%1 = %2").arg(params[i].name, varianttext::format(args[i]));
    m_result->setPlainText(text);
    return r;
}

QString MethodsDialog::outcome() const
{
    return m_result->toPlainText();
}

} // namespace container
