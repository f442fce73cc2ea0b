#include "propertybrowser.h"

#include "designform.h"
#include "methodsdialog.h"

#include "velloc/core/units.h"
#include "velloc/store/font.h"
#include "velloc/store/picture.h"
#include "velloc/store/registry.h"
#include "velloc/hosting/builtincontrol.h"
#include "velloc/hosting/services.h"
#include "velloc/store/varianttext.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

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

int geometryValue(QRect r, qsizetype which)
{
    return std::array {r.x(), r.y(), r.width(), r.height()}[which];
}
constexpr int PropertyRole = Qt::UserRole;

enum Column { PropertyColumn, ValueColumn, MessageColumn };

bool isColor(const TypeRef& t)
{
    return t.alias.compare(QLatin1String("OLE_COLOR"), Qt::CaseInsensitive) == 0;
}

// The enumerations of the type library that describes an object's class, if any.
QList<EnumInfo> enumsOf(const DesignItem& item)
{
    Result<Registry::ClassEntry> cls = firstClass(item.entry.value(QStringLiteral("progId")).toString());
    if (!cls)
        return {};
    Result<Module*> module = Module::load(cls->modulePath);
    return module ? (*module)->typeLib().enums : QList<EnumInfo>();
}

// Combo boxes for booleans and enumerations, a text box with a chooser button for colours,
// fonts and pictures, a text box for the rest. The edit goes to the browser, not the model.
class PropertyDelegate final : public QStyledItemDelegate {
public:
    explicit PropertyDelegate(PropertyBrowser* browser) : QStyledItemDelegate(browser), m_browser(browser) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const QString name = index.siblingAtColumn(PropertyColumn).data(PropertyRole).toString();
        const PropertyRow* row = m_browser->property(name);
        if (row && (row->editor == PropertyRow::Editor::Bool || row->editor == PropertyRow::Editor::Enum)) {
            auto* box = new QComboBox(parent);
            if (row->editor == PropertyRow::Editor::Bool) {
                box->addItems({QStringLiteral("True"), QStringLiteral("False")});
            } else {
                for (const EnumInfo::Value& v : row->values) {
                    box->addItem(QStringLiteral("%1 - %2").arg(v.value).arg(v.name));
                    box->setItemData(box->count() - 1, v.help, Qt::ToolTipRole);
                }
                // The names are the usual values, not the only ones: a control may store any
                // number its type holds, typed in as it stands.
                box->setEditable(true);
                box->setInsertPolicy(QComboBox::NoInsert);
                box->setCompleter(nullptr);
                box->setToolTip(tr("A name from the list, or a number as the property takes it"));
            }
            return box;
        }
        auto* line = new QLineEdit;
        if (!row || row->editor == PropertyRow::Editor::Text || row->editor == PropertyRow::Editor::Object) {
            line->setParent(parent);
            return line;
        }
        auto* holder = new QWidget(parent);
        auto* layout = new QHBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        line->setParent(holder);
        layout->addWidget(line);
        auto* more = new QToolButton(holder);
        more->setText(QStringLiteral("..."));
        layout->addWidget(more);
        holder->setFocusProxy(line);
        QObject::connect(more, &QToolButton::clicked, m_browser, [browser = m_browser, name] { browser->chooseValue(name); });
        return holder;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentIndex(std::max(0, box->findText(text)));
        else if (auto* line = editor->findChild<QLineEdit*>(); line && !qobject_cast<QLineEdit*>(editor))
            line->setText(text);
        else if (auto* own = qobject_cast<QLineEdit*>(editor))
            own->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        const QString name = index.siblingAtColumn(PropertyColumn).data(PropertyRole).toString();
        QString text;
        if (auto* box = qobject_cast<QComboBox*>(editor))
            text = box->currentText();
        else if (auto* own = qobject_cast<QLineEdit*>(editor))
            text = own->text();
        else if (auto* line = editor->findChild<QLineEdit*>())
            text = line->text();
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
        row.name = m.name;
        row.id = m.id;
        row.type = m.result;
        row.help = m.help;
        row.category = m.category;
        const bool put = info.find(m.id, MemberKind::PropertyPut);
        const bool putRef = info.find(m.id, MemberKind::PropertyPutRef);
        row.writable = put || putRef;
        row.byRef = putRef;
        if (m.result.vt == VarType::Bool)
            row.editor = Editor::Bool;
        else if (isColor(m.result))
            row.editor = Editor::Color;
        else if (m.id == dispid::Font || m.result.alias.contains(QLatin1String("Font"), Qt::CaseInsensitive))
            row.editor = Editor::Font;
        else if (m.result.alias.contains(QLatin1String("Picture"), Qt::CaseInsensitive))
            row.editor = Editor::Picture;
        else if (m.result.vt == VarType::Dispatch)
            row.editor = Editor::Object;
        else if (m.result.vt == VarType::BStr && MethodsDialog::namesFile(m.name))
            row.editor = Editor::File;
        for (const EnumInfo& e : enums)
            if (!m.result.alias.isEmpty() && e.name == m.result.alias) {
                row.editor = Editor::Enum;
                row.values = e.values;
            }
        rows << row;
    }
    return rows;
}

QString PropertyRow::display(const Variant& value) const
{
    switch (editor) {
    case Editor::Bool: {
        Result<bool> b = value.toBool();
        return b ? (*b ? QStringLiteral("True") : QStringLiteral("False")) : varianttext::format(value);
    }
    case Editor::Enum: {
        Result<std::int32_t> n = value.toI4();
        if (n)
            for (const EnumInfo::Value& v : values)
                if (v.value == *n)
                    return QStringLiteral("%1 - %2").arg(v.value).arg(v.name);
        return n ? QString::number(*n) : varianttext::format(value);
    }
    case Editor::Color: {
        Result<std::int32_t> n = value.toI4();
        return n ? QStringLiteral("&H%1&").arg(std::uint32_t(*n), 8, 16, QLatin1Char('0')).toUpper() : varianttext::format(value);
    }
    case Editor::Font:
    case Editor::Picture:
    case Editor::Object:
        return value.isNothing() ? QStringLiteral("(None)") : varianttext::format(value);
    case Editor::Text:
    case Editor::File:
        break;
    }
    if (value.type() == VarType::BStr)
        return value.string();
    Result<QString> s = value.toString();
    return s ? *s : varianttext::format(value);
}

Result<Variant> PropertyRow::parse(const QString& text) const
{
    const QString t = text.trimmed();
    switch (editor) {
    case Editor::Bool:
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return Variant::fromBool(true);
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return Variant::fromBool(false);
        return Error(errc::TypeMismatch, QStringLiteral("%1 takes True or False").arg(name));
    case Editor::Enum: {
        bool ok = false;
        const int n = t.section(QLatin1Char(' '), 0, 0).toInt(&ok);
        if (ok)
            return Variant::fromI4(n);
        for (const EnumInfo::Value& v : values)
            if (v.name.compare(t, Qt::CaseInsensitive) == 0)
                return Variant::fromI4(v.value);
        return Error(errc::TypeMismatch, QStringLiteral("%1 takes a number or one of the names of %2").arg(name, type.alias));
    }
    case Editor::Color: {
        QString digits = t;
        int base = 10;
        if (digits.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
            digits = digits.mid(2);
            if (digits.endsWith(QLatin1Char('&')))
                digits.chop(1);
            base = 16;
        } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
            digits = digits.mid(2);
            base = 16;
        }
        bool ok = false;
        const qulonglong n = digits.toULongLong(&ok, base);
        if (!ok || n > 0xFFFFFFFFull)
            return Error(errc::TypeMismatch, QStringLiteral("%1 takes a colour such as &H000000FF& or 255").arg(name));
        return Variant::fromI4(std::int32_t(std::uint32_t(n)));
    }
    case Editor::Picture: {
        if (t.isEmpty() || t == QLatin1String("(None)") || t == QLatin1String("nothing"))
            return Variant::nothing();
        if (t.startsWith(QLatin1String("picture:")))
            return varianttext::parseAll(t);
        return Variant::fromObject(VELLOC_TRY(Picture::load(t)));
    }
    case Editor::Font:
    case Editor::Object:
        if (t == QLatin1String("(None)"))
            return Variant::nothing();
        return varianttext::parseAll(t);
    case Editor::Text:
    case Editor::File:
        break;
    }
    // The control's own put coerces the text to its declared type (and refuses what does not fit).
    return Variant::fromString(text);
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
        r->setText(ValueColumn, QString::number(m_form->tabOrder().indexOf(item->name)));
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
        bool ok = false;
        const int twips = text.trimmed().toInt(&ok);
        if (!ok || (g >= 2 && twips <= 0))
            return Error(errc::InvalidArgument, tr("%1 takes a whole number of twips%2").arg(property, g >= 2 ? tr(" above 0") : QString()));
        m_form->editor().setGeometry(property.toLower(), twips);
        return {};
    }
    if (property == TabIndexRow || (property == VisibleRow && !this->property(property))) {
        bool ok = false;
        const int index = text.trimmed().toInt(&ok);
        const bool shown = text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
        Result<void> done = Error(errc::InvalidPropertyValue, property == TabIndexRow ? tr("TabIndex takes a whole number from 0")
                                                                                      : tr("Visible takes True or False"));
        if (property == TabIndexRow && ok)
            done = m_form->editor().setTabIndex(m_control, index);
        else if (property == VisibleRow && (shown || text.trimmed().compare(QLatin1String("False"), Qt::CaseInsensitive) == 0))
            done = m_form->editor().setVisible(shown);
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
    // an edit: the value is put only when it differs.
    if (r->editor == PropertyRow::Editor::Color) {
        Result<std::int32_t> ole = current ? current->toI4() : Result<std::int32_t>(current.error());
        const QColor initial = ole ? units::toQColor(std::uint32_t(*ole)) : QColor(Qt::black);
        const std::optional<QColor> chosen = services::chooseColor(initial, tr("%1.%2").arg(m_control, r->name), this);
        if (chosen && chosen->isValid() && chosen->rgb() != initial.rgb())
            (void)put(r->name, Variant::fromI4(chosen->red() | chosen->green() << 8 | chosen->blue() << 16));
    } else if (r->editor == PropertyRow::Editor::Font) {
        std::shared_ptr<Font> font = current ? current->objectAs<Font>() : nullptr;
        // In the control's own terms ("MS Sans Serif" 8.25), not as drawn on this screen.
        QFont initial;
        if (font) {
            const Font::Description& d = font->description();
            initial = QFont(d.name);
            initial.setPointSizeF(d.size);
            initial.setBold(d.weight >= 600);
            initial.setItalic(d.italic);
            initial.setUnderline(d.underline);
            initial.setStrikeOut(d.strikethrough);
        }
        const std::optional<QFont> chosen = services::chooseFont(initial, tr("%1.%2").arg(m_control, r->name), this);
        if (!chosen || *chosen == initial)
            return;
        Font::Description d = font ? font->description() : Font::Description();
        d.name = chosen->family();
        d.size = chosen->pointSizeF();
        d.weight = chosen->bold() ? 700 : 400;
        d.italic = chosen->italic();
        d.underline = chosen->underline();
        d.strikethrough = chosen->strikeOut();
        (void)put(r->name, Variant::fromObject(Font::create(d)));
    } else if (r->editor == PropertyRow::Editor::File) {
        services::FileDialogRequest request;
        request.title = tr("%1.%2").arg(m_control, r->name);
        request.fileName = current && current->type() == VarType::BStr ? current->string() : QString();
        request.filter = QStringLiteral("All files|*");
        request.owner = this;
        if (std::optional<QString> path = services::openFileDialog(request))
            (void)edit(r->name, *path);
    } else if (r->editor == PropertyRow::Editor::Picture) {
        services::FileDialogRequest request;
        request.title = tr("Picture for %1.%2").arg(m_control, r->name);
        request.filter = QStringLiteral("Pictures (*.bmp;*.jpg;*.jpeg;*.png)|*.bmp;*.jpg;*.jpeg;*.png|All files|*");
        request.owner = this;
        if (std::optional<QString> path = services::openFileDialog(request))
            (void)edit(r->name, *path);
    }
}

} // namespace container
