#include "velloc/hosting/control.h"

#include "velloc/core/units.h"

namespace velloc {

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

namespace {
bool skipped(const PersistedProperty& p, std::initializer_list<QStringView> except)
{
    return std::any_of(except.begin(), except.end(),
                       [&](QStringView name) { return name.compare(p.name, Qt::CaseInsensitive) == 0; });
}
} // namespace

Result<void> Control::readEntry(const PersistedProperty& p, const PropertyBag* bag)
{
    Variant value = bag ? bag->read(p.name, p.defaultValue(*this)) : p.defaultValue(*this);
    if (p.storedAs != VarType::Empty)
        value = VELLOC_TRY(value.convertTo(p.storedAs));
    // An object is handed over as stored: the property knows which objects it takes.
    if (p.type != VarType::Dispatch)
        value = VELLOC_TRY(value.convertTo(p.type));
    return p.load(*this, value);
}

Result<void> Control::writeEntry(const PersistedProperty& p, PropertyBag& bag)
{
    Variant value = VELLOC_TRY(p.value(*this));
    if (p.storedAs != VarType::Empty)
        value = VELLOC_TRY(value.convertTo(p.storedAs));
    bag.write(p.name, value, p.defaultValue(*this));
    return {};
}

Result<void> Control::initPersisted(std::initializer_list<QStringView> except)
{
    for (const PersistedProperty& p : dispatch().persisted())
        if (!skipped(p, except))
            VELLOC_TRY_VOID(readEntry(p, nullptr));
    return {};
}

Result<void> Control::readPersisted(const PropertyBag& bag, std::initializer_list<QStringView> except)
{
    for (const PersistedProperty& p : dispatch().persisted())
        if (!skipped(p, except))
            VELLOC_TRY_VOID(readEntry(p, &bag));
    return {};
}

Result<void> Control::writePersisted(PropertyBag& bag, std::initializer_list<QStringView> except)
{
    for (const PersistedProperty& p : dispatch().persisted())
        if (!skipped(p, except))
            VELLOC_TRY_VOID(writeEntry(p, bag));
    return {};
}

Result<void> Control::writePersistedEntry(PropertyBag& bag, QStringView name)
{
    for (const PersistedProperty& p : dispatch().persisted())
        if (name.compare(p.name, Qt::CaseInsensitive) == 0)
            return writeEntry(p, bag);
    return Error(errc::InvalidArgument, QStringLiteral("%1 has no persisted property %2").arg(className(), name));
}

std::shared_ptr<Font> Control::ambientFont() const
{
    if (m_site)
        if (auto font = m_site->ambientFont())
            return font;
    return Font::create();
}

} // namespace velloc
