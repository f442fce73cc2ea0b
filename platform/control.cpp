#include "platform/control.h"

#include "platform/units.h"

namespace platform {

Control::~Control()
{
    delete m_widget.data();
}

QWidget* Control::widget()
{
    if (!m_widget) {
        m_widget = createWidget();
        if (m_extent.isValid())
            m_widget->resize(units::toPixels(m_extent));
    }
    return m_widget;
}

void Control::setExtent(QSize twips)
{
    m_extent = twips;
    if (m_widget)
        m_widget->resize(units::toPixels(twips));
}

Result<void> Control::propertyChanged(const QString& name)
{
    if (!m_site)
        return {};
    return m_site->propertyChanged(*this, name);
}

std::shared_ptr<Font> Control::ambientFont() const
{
    if (m_site)
        if (auto font = m_site->ambientFont())
            return font;
    return Font::create();
}

} // namespace platform
