#include "formsite.h"

#include "designform.h"

#include "velloc/store/varianttext.h"

using namespace velloc;

namespace container {

Result<void> FormSite::propertyChanged(Control& control, const QString& name)
{
    emit m_form.controlPropertyChanged(m_form.nameOf(&control), name);
    return {};
}

std::shared_ptr<Font> FormSite::ambientFont()
{
    return m_form.ambientFont();
}

bool FormSite::userMode() const
{
    return m_form.runMode();
}

void FormSite::onEvent(Object& source, const MemberInfo& event, std::span<Variant> args)
{
    QStringList texts;
    for (const Variant& v : args)
        texts << varianttext::format(v);
    emit m_form.eventRaised(m_form.nameOf(&source), event.name, texts);
}

} // namespace container
