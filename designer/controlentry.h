#pragma once

#include "controlcatalogue.h"

#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <QObject>

namespace velloc::designer {

class DesignerSession;

// One widget-box entry: a control class of the registry.
class ControlEntry final : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    ControlEntry(ControlDescription description, DesignerSession* session, QObject* parent);

    QString name() const override { return m_description.className; }
    QString group() const override { return groupName(); }
    QString toolTip() const override { return m_description.toolTip; }
    QString whatsThis() const override { return m_description.whatsThis; }
    QString includeFile() const override { return m_description.includeFile; }
    QIcon icon() const override { return m_description.icon; }
    bool isContainer() const override { return false; }
    QString domXml() const override { return m_description.domXml(); }

    // In Designer (after initialize()) the control shows its design-time face; loaded by
    // QUiLoader it runs.
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface* core) override;

private:
    ControlDescription m_description;
    DesignerSession* m_session;
    bool m_initialized = false;
};

} // namespace velloc::designer
