#include "propertybrowser.h"

#include "designform.h"

#include "velloc/store/registry.h"
#include "velloc/hosting/builtincontrol.h"
#include "velloc/store/varianttext.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <limits>

using namespace velloc;

namespace container {

namespace {

const QString NameRow = QStringLiteral("(Name)");
const QString FormPrefix = QStringLiteral("form:"); // rows of the form's own keys
// The place and size every control has, kept by the form, not by the control.
const QStringList GeometryRows {QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Width"), QStringLiteral("Height")};

// Kept in the description for every control: Visible (where the control has none of its own
// and is shown while the form runs) and its place in the tab order.
const QString VisibleRow = QStringLiteral("Visible");
const QString TabIndexRow = QStringLiteral("TabIndex");

PropertyType extenderType(const QString& name)
{
    PropertyType t;
    t.name = name;
    if (name == VisibleRow) {
        t.type = TypeRef {VarType::Bool, {}};
        t.kind = ValueKind::Bool;
    } else {
        t.type = TypeRef {VarType::I4, {}};
        t.kind = ValueKind::Number;
        t.maximum = std::numeric_limits<std::int32_t>::max();
    }
    return t;
}

// Twips: a place anywhere a 32-bit number reaches, a size of at least one.
PropertyType geometryType(qsizetype which)
{
    PropertyType t;
    t.name = GeometryRows[which];
    t.type = TypeRef {VarType::I4, {}};
    t.kind = ValueKind::Number;
    t.minimum = which >= 2 ? 1 : std::numeric_limits<std::int32_t>::min();
    t.maximum = std::numeric_limits<std::int32_t>::max();
    return t;
}

int geometryValue(QRect r, qsizetype which)
{
    return std::array {r.x(), r.y(), r.width(), r.height()}[which];
}
constexpr int PropertyRole = Qt::UserRole;

enum Column { PropertyColumn, ValueColumn, MessageColumn };

// The enumerations of the type library that describes an object's class, if any.
QList<EnumInfo> enumsOf(const DesignItem& item)
{
    Result<Registry::ClassEntry> cls = firstClass(item.entry.value(QStringLiteral("progId")).toString());
    if (!cls)
        return {};
    Result<Module*> module = Module::load(cls->modulePath);
    return module ? (*module)->typeLib().enums : QList<EnumInfo>();
}

// Each row's editor comes from the editor registry by the property's kind; the edit goes to
// the browser, not the model.
class PropertyDelegate final : public QStyledItemDelegate {
public:
    explicit PropertyDelegate(PropertyBrowser* browser) : QStyledItemDelegate(browser), m_browser(browser) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const QString name = index.siblingAtColumn(PropertyColumn).data(PropertyRole).toString();
        if (const PropertyType* type = m_browser->typeOf(name))
            return PropertyEditor::of(*type).createEditor(*type, parent, [browser = m_browser, name] { browser->chooseValue(name); });
        return new QLineEdit(parent);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        PropertyEditor::setEditorText(editor, index.data(Qt::DisplayRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        const QString name = index.siblingAtColumn(PropertyColumn).data(PropertyRole).toString();
        const QString text = PropertyEditor::editorText(editor);
        if (text != index.data(Qt::DisplayRole).toString())
            (void)m_browser->edit(name, text); // a refusal is shown beside the row
    }

private:
    PropertyBrowser* m_browser;
};

} // namespace

QList<PropertyRow> PropertyRow::of(const Object& object, const QList<EnumInfo>& enums)
{
    const InterfaceInfo& info = object.dispatch().info();
    QList<PropertyRow> rows;
    for (const MemberInfo& m : info.members) {
        if (m.kind != MemberKind::PropertyGet || m.hidden || !m.params.isEmpty())
            continue;
        PropertyRow row;
        static_cast<PropertyType&>(row) = PropertyType::of(m, enums);
        row.id = m.id;
        row.help = m.help;
        row.category = m.category;
        const bool put = info.find(m.id, MemberKind::PropertyPut);
        const bool putRef = info.find(m.id, MemberKind::PropertyPutRef);
        row.writable = put || putRef;
        row.byRef = putRef;
        rows << row;
    }
    return rows;
}

PropertyBrowser::PropertyBrowser(QWidget* parent)
    : QWidget(parent), m_title(new QLabel(this)), m_orderBox(new QComboBox(this)), m_tree(new QTreeWidget(this))
{
    m_orderBox->setObjectName(QStringLiteral("propertyOrder"));
    m_orderBox->addItems({tr("Interface order"), tr("Alphabetical"), tr("By category")});
    m_tree->setObjectName(QStringLiteral("propertyTree"));
    m_tree->setHeaderLabels({tr("Property"), tr("Value"), tr("Message")});
    m_tree->setItemDelegate(new PropertyDelegate(this));
    m_tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                            | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    // The value takes what the dock gives; the full text of a value or message is its tool tip.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(PropertyColumn, QHeaderView::ResizeToContents);
    m_tree->header()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(MessageColumn, QHeaderView::ResizeToContents);
    m_tree->setTextElideMode(Qt::ElideMiddle);
    m_title->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_title);
    layout->addWidget(m_orderBox);
    layout->addWidget(m_tree);
    connect(m_orderBox, &QComboBox::currentIndexChanged, this, [this](int i) { setOrder(Order(i)); });
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        QTreeWidgetItem* r = m_tree->itemAt(at);
        const QString name = r ? r->data(PropertyColumn, PropertyRole).toString() : QString();
        if (!isChanged(name) || !m_form || m_form->runMode())
            return;
        QMenu menu(this);
        menu.addAction(tr("&Reset %1 to its default").arg(name), this, [this, name] { (void)reset(name); });
        menu.exec(m_tree->viewport()->mapToGlobal(at));
    });
    rebuild();
}

void PropertyBrowser::setForm(DesignForm* form)
{
    m_form = form;
    connect(form, &DesignForm::selectionChanged, this, &PropertyBrowser::rebuild);
    connect(form, &DesignForm::itemsChanged, this, [this] {
        if (!m_form->item(m_control) || m_form->selection().value(0) != m_control)
            rebuild();
    });
    connect(form, &DesignForm::controlPropertyChanged, this, [this](const QString& control) {
        // The form's own keys (the focus order among them) number every control.
        if (control == m_control || control.isEmpty())
            refreshValues();
    });
    connect(form, &DesignForm::runModeChanged, this, &PropertyBrowser::readOnlyChanged);
    rebuild();
}

void PropertyBrowser::setOrder(Order order)
{
    m_order = order;
    if (m_orderBox->currentIndex() != int(order))
        m_orderBox->setCurrentIndex(int(order));
    rebuild();
}

const PropertyType* PropertyBrowser::typeOf(const QString& name) const
{
    static const std::array<PropertyType, 4> geometry {geometryType(0), geometryType(1), geometryType(2), geometryType(3)};
    static const PropertyType visible = extenderType(VisibleRow), tabIndex = extenderType(TabIndexRow);
    if (const qsizetype g = GeometryRows.indexOf(name); g >= 0)
        return &geometry[g];
    if (const PropertyRow* own = property(name))
        return own;
    if (name == VisibleRow)
        return &visible;
    return name == TabIndexRow ? &tabIndex : nullptr;
}

const PropertyRow* PropertyBrowser::property(const QString& name) const
{
    for (const PropertyRow& r : m_rows)
        if (r.name.compare(name, Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

QTreeWidgetItem* PropertyBrowser::row(const QString& property) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(PropertyColumn, PropertyRole).toString().compare(property, Qt::CaseInsensitive) == 0)
            return *it;
    return nullptr;
}

void PropertyBrowser::rebuild()
{
    m_tree->clear();
    m_rows.clear();
    const QString previous = m_control;
    m_control = m_form ? m_form->selection().value(0) : QString();
    if (previous != m_control)
        m_messages.clear();
    const DesignItem* item = m_form ? m_form->item(m_control) : nullptr;
    if (!item) {
        m_control.clear();
        if (!m_form) {
            m_title->setText(tr("No form"));
            return;
        }
        // Nothing selected: the form's own keys.
        m_title->setText(tr("%1 (the form)").arg(m_form->formValue(QStringLiteral("name")).toString()));
        for (const QString& key : DesignForm::formKeys()) {
            const QString label = key == QLatin1String("name") ? NameRow : key.at(0).toUpper() + key.mid(1);
            auto* r = new QTreeWidgetItem(m_tree, {label});
            r->setData(PropertyColumn, PropertyRole, FormPrefix + key);
        }
        refreshValues();
        readOnlyChanged();
        return;
    }
    const int others = int(m_form->selection().size()) - 1;
    m_title->setText(others > 0 ? tr("%1 (and %n more selected)", nullptr, others).arg(item->name) : item->name);
    auto* nameRow = new QTreeWidgetItem(m_tree, {NameRow, item->name});
    nameRow->setData(PropertyColumn, PropertyRole, NameRow);
    nameRow->setToolTip(PropertyColumn, tr("The name the form knows the control by"));
    for (const QString& g : GeometryRows) {
        auto* r = new QTreeWidgetItem(m_tree, {g});
        r->setData(PropertyColumn, PropertyRole, g);
        r->setToolTip(PropertyColumn, tr("In twips, as the form keeps it; every selected control takes it"));
    }
    if (item->control && !item->control->invisibleAtRunTime() && !item->ownsVisible()) {
        auto* r = new QTreeWidgetItem(m_tree, {VisibleRow});
        r->setData(PropertyColumn, PropertyRole, VisibleRow);
        r->setToolTip(PropertyColumn, tr("True or False: whether the control is shown while the form runs; every selected control takes it"));
    }
    auto* tabIndex = new QTreeWidgetItem(m_tree, {TabIndexRow});
    tabIndex->setData(PropertyColumn, PropertyRole, TabIndexRow);
    tabIndex->setToolTip(PropertyColumn, tr("The control's place in the tab order, from 0; the others keep their order around it"));
    if (item->object) {
        m_rows = PropertyRow::of(*item->object, enumsOf(*item));
        readDefaults(*item);
    }
    else if (!item->problem.isEmpty())
        nameRow->setText(MessageColumn, item->problem);

    QList<const PropertyRow*> ordered;
    for (const PropertyRow& r : m_rows)
        ordered << &r;
    if (m_order != Order::Interface)
        std::stable_sort(ordered.begin(), ordered.end(), [](const PropertyRow* a, const PropertyRow* b) {
            return a->name.compare(b->name, Qt::CaseInsensitive) < 0;
        });
    QHash<QString, QTreeWidgetItem*> categories;
    for (const PropertyRow* r : std::as_const(ordered)) {
        QTreeWidgetItem* parent = nullptr;
        if (m_order == Order::Category) {
            const QString category = r->category.isEmpty() ? tr("Misc") : r->category;
            parent = categories.value(category);
            if (!parent) {
                parent = new QTreeWidgetItem(m_tree, {category});
                parent->setFlags(Qt::ItemIsEnabled);
                QFont bold = parent->font(PropertyColumn);
                bold.setBold(true);
                parent->setFont(PropertyColumn, bold);
                categories.insert(category, parent);
            }
        }
        auto* rowItem = parent ? new QTreeWidgetItem(parent, {r->name}) : new QTreeWidgetItem(m_tree, {r->name});
        rowItem->setData(PropertyColumn, PropertyRole, r->name);
        const QString tip = r->help.isEmpty() ? r->type.displayName() : QStringLiteral("%1\n(%2)").arg(r->help, r->type.displayName());
        rowItem->setToolTip(PropertyColumn, tip);
        rowItem->setToolTip(ValueColumn, tip);
    }
    if (m_order == Order::Category) {
        m_tree->sortItems(PropertyColumn, Qt::AscendingOrder);
        m_tree->expandAll();
    }
    refreshValues();
    readOnlyChanged();
}

void PropertyBrowser::refreshValues()
{
    if (m_form && m_control.isEmpty())
        for (const QString& key : DesignForm::formKeys())
            if (QTreeWidgetItem* r = row(FormPrefix + key))
                r->setText(ValueColumn, m_form->formValue(key).toVariant().toString());
    const DesignItem* item = m_form ? m_form->item(m_control) : nullptr;
    if (!item) {
        showMessageColumn();
        return;
    }
    if (QTreeWidgetItem* nameRow = row(NameRow))
        nameRow->setText(ValueColumn, item->name);
    for (qsizetype i = 0; i < GeometryRows.size(); ++i)
        if (QTreeWidgetItem* r = row(GeometryRows[i]))
            r->setText(ValueColumn, QString::number(geometryValue(item->twips, i)));
    if (QTreeWidgetItem* r = row(VisibleRow))
        r->setText(ValueColumn, item->visibleAtRunTime() ? QStringLiteral("True") : QStringLiteral("False"));
    if (QTreeWidgetItem* r = row(TabIndexRow))
        r->setText(ValueColumn, QString::number(m_form->tabOrderMode().order().indexOf(item->name)));
    for (const PropertyRow& r : std::as_const(m_rows)) {
        QTreeWidgetItem* rowItem = row(r.name);
        if (!rowItem)
            continue;
        Result<Variant> value = item->object->invoke(r.id, InvokeKind::PropertyGet, {});
        const QString shown = value ? r.display(*value) : QString();
        rowItem->setText(ValueColumn, shown);
        const QString message = value ? m_messages.value(r.name)
                                      : tr("error %1: %2").arg(value.error().number()).arg(value.error().message());
        rowItem->setText(MessageColumn, message);
        rowItem->setToolTip(MessageColumn, message);
        const QString tip = r.help.isEmpty() ? r.type.displayName() : QStringLiteral("%1\n(%2)").arg(r.help, r.type.displayName());
        rowItem->setToolTip(ValueColumn, message.isEmpty() ? QStringLiteral("%1\n%2").arg(shown, tip) : QStringLiteral("%1\n%2").arg(shown, message));
        rowItem->setForeground(MessageColumn, QBrush(Qt::red));
        // What differs from a new instance of the class shows bold, as it is what the form saves.
        const auto fallback = m_defaults.constFind(r.name);
        QFont font = rowItem->font(ValueColumn);
        font.setBold(value && fallback != m_defaults.cend() && r.display(*fallback) != shown);
        rowItem->setFont(ValueColumn, font);
        rowItem->setFont(PropertyColumn, font);
    }
    showMessageColumn();
}

void PropertyBrowser::showMessageColumn()
{
    // The column takes room from the values only while it has something to say.
    bool any = false;
    for (QTreeWidgetItemIterator it(m_tree); *it && !any; ++it)
        any = !(*it)->text(MessageColumn).isEmpty();
    m_tree->setColumnHidden(MessageColumn, !any);
}

bool PropertyBrowser::isChanged(const QString& property) const
{
    QTreeWidgetItem* r = row(property);
    return r && r->font(ValueColumn).bold();
}

Result<void> PropertyBrowser::reset(const QString& property)
{
    const PropertyRow* r = this->property(property);
    if (!r || !m_defaults.contains(r->name))
        return Error(errc::NotSupported, tr("%1 has no default for %2").arg(m_control, property));
    return put(r->name, m_defaults.value(r->name));
}

void PropertyBrowser::readDefaults(const DesignItem& item)
{
    // A new instance of the class, never sited, tells what each property starts at.
    m_defaults.clear();
    const std::optional<BuiltInControl::Kind> builtIn = BuiltInControl::kindOf(item.kindOf());
    const QString progId = builtIn ? item.kindOf() : item.entry.value(QStringLiteral("progId")).toString();
    static QHash<QString, QHash<QString, Variant>> cache;
    if (const auto cached = cache.constFind(progId); cached != cache.cend()) {
        m_defaults = *cached;
        return;
    }
    Result<std::shared_ptr<Object>> fresh = builtIn ? Result<std::shared_ptr<Object>>(BuiltInControl::create(*builtIn)) : createObject(progId);
    auto* control = fresh ? dynamic_cast<Control*>(fresh->get()) : nullptr;
    if (!control || !control->initProperties())
        return;
    for (const PropertyRow& r : std::as_const(m_rows))
        if (Result<Variant> v = (*fresh)->invoke(r.id, InvokeKind::PropertyGet, {}))
            m_defaults.insert(r.name, *v);
    control->terminate();
    cache.insert(progId, m_defaults);
}

void PropertyBrowser::readOnlyChanged()
{
    const bool readOnly = !m_form || m_form->runMode();
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        const QString name = (*it)->data(PropertyColumn, PropertyRole).toString();
        if (name.isEmpty())
            continue;
        const PropertyRow* r = property(name);
        const bool editable = !readOnly
                              && (name == NameRow || name.startsWith(FormPrefix) || GeometryRows.contains(name) || (!r && name == VisibleRow)
                                  || name == TabIndexRow || (r && r->writable));
        (*it)->setFlags(editable ? ((*it)->flags() | Qt::ItemIsEditable) : ((*it)->flags() & ~Qt::ItemIsEditable));
        if (r && !r->writable)
            (*it)->setForeground(ValueColumn, QBrush(Qt::gray));
    }
}

Result<void> PropertyBrowser::edit(const QString& property, const QString& text)
{
    if (!m_form)
        return Error(errc::InvalidArgument, tr("No form"));
    if (m_form->runMode())
        return Error(errc::PropertyReadOnly, tr("Properties cannot be changed in run mode"));
    if (property.startsWith(FormPrefix)) {
        Result<void> set = m_form->editor().setFormValue(property.mid(FormPrefix.size()), text);
        if (QTreeWidgetItem* r = row(property)) {
            r->setText(MessageColumn, set ? QString() : tr("error %1: %2").arg(set.error().number()).arg(set.error().message()));
            r->setToolTip(MessageColumn, r->text(MessageColumn));
            showMessageColumn();
            r->setForeground(MessageColumn, QBrush(Qt::red));
        }
        return set;
    }
    if (m_control.isEmpty())
        return Error(errc::InvalidArgument, tr("No control is selected"));
    if (property == NameRow) {
        Result<void> renamed = m_form->editor().rename(m_control, text.trimmed());
        if (QTreeWidgetItem* r = row(NameRow)) {
            r->setText(MessageColumn, renamed ? QString() : renamed.error().message());
            r->setToolTip(MessageColumn, r->text(MessageColumn));
            showMessageColumn();
            r->setForeground(MessageColumn, QBrush(Qt::red));
        }
        return renamed;
    }
    if (const qsizetype g = GeometryRows.indexOf(property); g >= 0) {
        const PropertyType type = geometryType(g);
        const Variant twips = VELLOC_TRY(PropertyEditor::of(type).parse(type, text));
        m_form->editor().setGeometry(property.toLower(), twips.toI4().value());
        return {};
    }
    if (property == TabIndexRow || (property == VisibleRow && !this->property(property))) {
        const PropertyType type = extenderType(property);
        Result<Variant> value = PropertyEditor::of(type).parse(type, text);
        Result<void> done;
        if (!value)
            done = value.releaseError();
        else if (property == TabIndexRow)
            done = m_form->editor().setTabIndex(m_control, value->i4());
        else
            done = m_form->editor().setVisible(value->boolean());
        if (QTreeWidgetItem* r = row(property)) {
            r->setText(MessageColumn, done ? QString() : tr("error %1: %2").arg(done.error().number()).arg(done.error().message()));
            r->setToolTip(MessageColumn, r->text(MessageColumn));
            r->setForeground(MessageColumn, QBrush(Qt::red));
            showMessageColumn();
        }
        return done;
    }
    const PropertyRow* r = this->property(property);
    if (!r)
        return Error(errc::NotSupported, tr("%1 has no property %2").arg(m_control, property));
    Result<Variant> value = r->parse(text);
    if (!value) {
        m_messages.insert(r->name, tr("error %1: %2").arg(value.error().number()).arg(value.error().message()));
        refreshValues();
        return value.releaseError();
    }
    return put(r->name, *value);
}

Result<void> PropertyBrowser::put(const QString& property, const Variant& value)
{
    const PropertyRow* r = this->property(property);
    if (!r || !m_form)
        return Error(errc::NotSupported, tr("%1 has no property %2").arg(m_control, property));
    if (!r->writable)
        return Error(errc::PropertyReadOnly, tr("%1.%2 is read-only").arg(m_control, r->name));
    const QString name = r->name;
    const bool byRef = r->byRef && value.type() == VarType::Dispatch;
    // Every selected control that has the property takes the value, as one edit.
    QStringList targets {m_control};
    for (const QString& other : m_form->selection())
        if (const DesignItem* it = m_form->item(other); other != m_control && it && it->object && it->object->idOfName(name))
            targets << other;
    QUndoStack* stack = m_form->undoStack();
    if (targets.size() > 1)
        stack->beginMacro(tr("Set %1 on %2").arg(name, targets.join(QStringLiteral(", "))));
    Result<void> done = m_form->editor().putProperty(m_control, r->id, value, byRef);
    for (const QString& other : targets.mid(1)) {
        const DesignItem* it = m_form->item(other);
        Result<void> put = m_form->editor().putProperty(other, *it->object->idOfName(name), value, byRef);
        if (!put && done)
            done = Error(put.error().number(), tr("%1: %2").arg(other, put.error().message()));
    }
    if (targets.size() > 1)
        stack->endMacro();
    if (done)
        m_messages.remove(name);
    else
        m_messages.insert(name, tr("error %1: %2").arg(done.error().number()).arg(done.error().message()));
    refreshValues();
    return done;
}

void PropertyBrowser::chooseValue(const QString& name)
{
    const PropertyRow* r = property(name);
    const DesignItem* item = m_form ? m_form->item(m_control) : nullptr;
    if (!r || !item || !item->object || m_form->runMode())
        return;
    Result<Variant> current = item->object->invoke(r->id, InvokeKind::PropertyGet, {});
    // A chooser opens at the value the control holds, and a choice that changes nothing is not
    // an edit: nothing is put when only confirmed.
    Result<std::optional<Variant>> chosen =
        r->editor().choose(*r, current ? *current : Variant(), tr("%1.%2").arg(m_control, r->name), this);
    if (!chosen) {
        m_messages.insert(r->name, tr("error %1: %2").arg(chosen.error().number()).arg(chosen.error().message()));
        refreshValues();
    } else if (*chosen) {
        (void)put(r->name, **chosen);
    }
}

} // namespace container
