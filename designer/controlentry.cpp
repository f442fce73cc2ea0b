#include "controlentry.h"

#include "designersession.h"

#include "velloc/hosting/controlhost.h"

#include <QDebug>

namespace velloc::designer {

ControlEntry::ControlEntry(ControlDescription description, DesignerSession* session, QObject* parent)
    : QObject(parent), m_description(std::move(description)), m_session(session)
{
}

void ControlEntry::initialize(QDesignerFormEditorInterface* core)
{
    if (m_initialized)
        return;
    m_session->attach(core);
    m_initialized = true;
}

QWidget* ControlEntry::createWidget(QWidget* parent)
{
    ControlHost* host = m_description.create(parent);
    if (host->isNull())
        qWarning().noquote() << QStringLiteral("%1 (%2) cannot be created: %3")
                                    .arg(m_description.className, m_description.progId, host->lastError().message());
    else if (m_session->core())
        host->setUserMode(false);
    return host;
}

} // namespace velloc::designer
