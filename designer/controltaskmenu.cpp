#include "controltaskmenu.h"

#include "designersession.h"

#include "velloc/hosting/controlhost.h"
#include "velloc/hosting/services.h"

#include <QAction>

namespace velloc::designer {

ControlTaskMenu::ControlTaskMenu(ControlHost* host, QObject* parent)
    : QObject(parent), m_host(host), m_properties(new QAction(tr("Properties..."), this)),
      m_about(new QAction(tr("About..."), this))
{
    m_properties->setObjectName(QStringLiteral("vellocProperties"));
    m_about->setObjectName(QStringLiteral("vellocAbout"));
    const bool hasObject = host && !host->isNull();
    m_properties->setEnabled(hasObject);
    m_about->setEnabled(hasObject && host->object()->dispatch().info().find(dispid::AboutBox, MemberKind::Method));
    connect(m_properties, &QAction::triggered, this, [this] {
        if (m_host)
            if (Result<void> r = DesignerSession::showProperties(*m_host); !r)
                report(tr("The property pages cannot be shown"), r.error());
    });
    connect(m_about, &QAction::triggered, this, [this] {
        if (m_host)
            if (Result<void> r = DesignerSession::showAbout(*m_host); !r)
                report(tr("The About box cannot be shown"), r.error());
    });
}

QAction* ControlTaskMenu::preferredEditAction() const
{
    return m_properties;
}

QList<QAction*> ControlTaskMenu::taskActions() const
{
    return {m_properties, m_about};
}

void ControlTaskMenu::report(const QString& what, const Error& error)
{
    services::messageBox(QStringLiteral("%1: %2 (error %3)").arg(what, error.message()).arg(error.number()),
                         services::MsgIcon::Critical, services::MsgButtons::Ok, m_host ? m_host->progId() : QString());
}

QObject* ControlTaskMenuFactory::createExtension(QObject* object, const QString& iid, QObject* parent) const
{
    if (iid != QLatin1String(Q_TYPEID(QDesignerTaskMenuExtension)))
        return nullptr;
    auto* host = qobject_cast<ControlHost*>(object);
    return host ? new ControlTaskMenu(host, parent) : nullptr;
}

} // namespace velloc::designer
