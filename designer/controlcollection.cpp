#include "controlcollection.h"

#include "controlentry.h"
#include "designersession.h"

#include <QDebug>

namespace velloc::designer {

ControlCollection::ControlCollection(QObject* parent) : QObject(parent), m_session(new DesignerSession(this))
{
    QStringList skipped;
    for (ControlDescription& d : scanRegistry(suiteProxies(), &skipped))
        m_entries << new ControlEntry(std::move(d), m_session, this);
    for (const QString& why : std::as_const(skipped))
        qWarning().noquote() << QStringLiteral("Velloc controls: skipped %1").arg(why);
}

} // namespace velloc::designer
