#include "velloc/hosting/propertypage.h"

#include "velloc/core/units.h"

namespace velloc {

PropertyPage::~PropertyPage()
{
    delete m_widget.data();
}

QWidget* PropertyPage::widget()
{
    if (!m_widget) {
        m_widget = createWidget();
        m_widget->setFixedSize(units::toPixels(pageSize()));
    }
    return m_widget;
}

Result<void> PropertyPage::setSelectedControls(QList<std::shared_ptr<Object>> controls)
{
    m_selected = std::move(controls);
    widget();
    return selectionChanged();
}

Result<void> PropertyPage::apply()
{
    VELLOC_TRY_VOID(applyChanges());
    setChanged(false);
    return {};
}

void PropertyPage::setChanged(bool changed)
{
    if (m_changed == changed)
        return;
    m_changed = changed;
    if (m_site)
        m_site->pageChanged(*this);
}

Result<std::shared_ptr<Object>> PropertyPage::selectedControl(qsizetype index) const
{
    if (index < 0 || index >= m_selected.size() || !m_selected[index])
        return Error(errc::SubscriptOutOfRange,
                     QStringLiteral("Subscript out of range: the page has %1 selected control(s)").arg(m_selected.size()));
    return m_selected[index];
}

DispatchTable PropertyPage::emptyInterface(QString name, Guid iid)
{
    return DispatchTable(InterfaceInfo {std::move(name), iid, true, false, true, true});
}

} // namespace velloc
