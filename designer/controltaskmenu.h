#pragma once

#include "velloc/core/error.h"

#include <QDesignerTaskMenuExtension>
#include <QExtensionFactory>
#include <QPointer>

class QAction;

namespace velloc {
class ControlHost;
}

namespace velloc::designer {

// "Properties..." opens the control's property sheet, "About..." its About box.
class ControlTaskMenu final : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)
public:
    ControlTaskMenu(ControlHost* host, QObject* parent);

    QAction* preferredEditAction() const override;
    QList<QAction*> taskActions() const override;

private:
    void report(const QString& what, const Error& error);

    QPointer<ControlHost> m_host;
    QAction* m_properties = nullptr;
    QAction* m_about = nullptr;
};

class ControlTaskMenuFactory final : public QExtensionFactory {
    Q_OBJECT
public:
    using QExtensionFactory::QExtensionFactory;

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};

} // namespace velloc::designer
