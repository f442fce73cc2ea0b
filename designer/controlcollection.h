#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QObject>

namespace velloc::designer {

class DesignerSession;

// The plugin Designer and QUiLoader load: one entry per control class of the registry, read
// when the plugin is loaded.
class ControlCollection final : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit ControlCollection(QObject* parent = nullptr);

    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_entries; }

private:
    DesignerSession* m_session;
    QList<QDesignerCustomWidgetInterface*> m_entries;
};

} // namespace velloc::designer
