#include "velloc/hosting/standardpropertypage.h"

#include "velloc/core/latebinding.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

namespace velloc {

StandardPropertyPage::~StandardPropertyPage() = default;

QWidget* StandardPropertyPage::createWidget()
{
    auto* face = new QWidget;
    auto* layout = new QVBoxLayout(face);
    auto* caption = new QLabel(QStringLiteral("&Property Name:"), face);
    m_names = new QComboBox(face);
    m_names->setObjectName(QStringLiteral("cboPropertyName"));
    caption->setBuddy(m_names);
    layout->addWidget(caption);
    layout->addWidget(m_names);
    layout->addWidget(createEditor(), 1);
    QObject::connect(m_names, &QComboBox::currentIndexChanged, face, [this](int index) {
        m_current = index;
        showCurrent();
    });
    return face;
}

QStringList StandardPropertyPage::propertyNames() const
{
    QStringList names;
    for (const Entry& e : m_entries)
        names << e.name;
    return names;
}

QString StandardPropertyPage::currentProperty() const
{
    return m_current >= 0 && m_current < m_entries.size() ? m_entries[m_current].name : QString();
}

PropertyType StandardPropertyPage::currentType() const
{
    return m_current >= 0 && m_current < m_entries.size() ? m_entries[m_current].type : PropertyType {};
}

void StandardPropertyPage::selectProperty(const QString& name)
{
    widget();
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].name.compare(name, Qt::CaseInsensitive) == 0)
            m_names->setCurrentIndex(int(i));
}

Variant StandardPropertyPage::value(const QString& name) const
{
    for (const Entry& e : m_entries)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return e.value;
    return {};
}

void StandardPropertyPage::edit(Variant value)
{
    if (m_filling || m_current < 0 || m_current >= m_entries.size())
        return;
    Entry& e = m_entries[m_current];
    e.value = std::move(value);
    e.edited = true;
    setChanged(true);
}

void StandardPropertyPage::showCurrent()
{
    m_filling = true;
    showValue(m_current >= 0 && m_current < m_entries.size() ? m_entries[m_current].value : Variant());
    m_filling = false;
}

Result<void> StandardPropertyPage::selectionChanged()
{
    QList<Entry> entries;
    if (!selectedControls().isEmpty() && selectedControls().first()) {
        Object& first = *selectedControls().first();
        for (const MemberInfo& m : first.dispatch().info().members) {
            if (m.kind != MemberKind::PropertyGet || !m.params.isEmpty())
                continue;
            PropertyType type = PropertyType::of(m);
            if (type.kind != kind())
                continue;
            if (!latebound::has(first, m.name, MemberKind::PropertyPut)
                && !latebound::has(first, m.name, MemberKind::PropertyPutRef))
                continue;
            entries.append(Entry {std::move(type), m.name, VELLOC_TRY(latebound::get(first, m.name))});
        }
    }
    const QString previous = currentProperty();
    m_entries = std::move(entries);
    m_current = -1;
    {
        const QSignalBlocker block(m_names);
        m_names->clear();
        m_names->addItems(propertyNames());
        m_names->setCurrentIndex(-1);
    }
    int index = m_entries.isEmpty() ? -1 : 0;
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].name == previous)
            index = int(i);
    m_names->setCurrentIndex(index);
    if (index < 0)
        showCurrent();
    return {};
}

Result<void> StandardPropertyPage::applyChanges()
{
    if (selectedControls().isEmpty())
        return {};
    Object& first = *VELLOC_TRY(selectedControl(0));
    for (Entry& e : m_entries) {
        if (!e.edited)
            continue;
        const bool byRef = e.value.type() == VarType::Dispatch && latebound::has(first, e.name, MemberKind::PropertyPutRef);
        if (byRef)
            VELLOC_TRY_VOID(latebound::putRef(first, e.name, e.value));
        else
            VELLOC_TRY_VOID(latebound::put(first, e.name, e.value));
        e.edited = false;
    }
    return {};
}

} // namespace velloc
