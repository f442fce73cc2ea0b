#include "formeditor.h"

#include "designcommands.h"
#include "entrykeycommand.h"
#include "taborder.h"
#include "designform.h"
#include "formcontrolkind.h"
#include "formentry.h"

#include "velloc/core/units.h"
#include "velloc/store/registry.h"

#include <QUndoStack>

using namespace velloc;

namespace container {

using namespace formentry;

FormEditor::FormEditor(DesignForm& form) : m_form(form) {}

Result<QString> FormEditor::insertControl(const QString& progId, std::optional<QPoint> dropTwips)
{
    Result<Registry::ClassEntry> cls = firstClass(progId);
    QString className;
    if (cls) {
        className = cls->name;
    } else {
        for (const ClassInfo& builtIn : builtInClasses())
            if (builtIn.progId.compare(progId, Qt::CaseInsensitive) == 0)
                className = builtIn.name;
        if (className.isEmpty())
            return cls.releaseError();
    }
    return place({{QStringLiteral("name"), FormDocument::nextName(className, m_form.allNames())},
                  {QStringLiteral("kind"), QStringLiteral("component")},
                  {QStringLiteral("progId"), cls ? cls->progId : progId},
                  {QStringLiteral("left"), 0},
                  {QStringLiteral("top"), 0}},
                 dropTwips);
}

Result<QString> FormEditor::insertFormControl(const QString& kind, std::optional<QPoint> dropTwips)
{
    const FormControlKind* k = FormControlKind::find(kind);
    if (!k)
        return Error(errc::InvalidArgument, QStringLiteral("%1: the form builds no such control").arg(kind));
    return place(k->entry(FormDocument::nextName(k->nameBase, m_form.allNames())), dropTwips);
}

Result<QString> FormEditor::place(const QJsonObject& entry, std::optional<QPoint> dropTwips)
{
    const QString name = nameOf(entry);
    // Put down on a frame, or on a control inside one, it goes into that frame, placed from the
    // frame's corner, as the loader places a frame's controls.
    QString holder;
    if (dropTwips) {
        holder = m_form.holderAt(QPoint(units::toPixelsX(dropTwips->x()), units::toPixelsY(dropTwips->y())));
        *dropTwips -= m_form.originOf(holder);
    }
    const int index = holder.isEmpty() ? int(m_form.items().size()) : m_form.subtreeEnd(holder);
    VELLOC_TRY_VOID(m_form.insertEntry(entry, index, false, holder));
    if (!dropTwips) {
        QList<QRect> taken;
        for (const DesignItem& other : m_form.items())
            if (other.name != name && other.parent.isEmpty())
                taken << other.twips;
        dropTwips = m_form.document().freeSpot(m_form.item(name)->twips.size(), taken);
    }
    m_form.settle(name, *dropTwips);
    Result<QJsonObject> made = m_form.entryOf(name);
    if (!made) {
        m_form.removeItem(name);
        return made.releaseError();
    }
    m_form.undoStack()->push(new EntriesCommand(&m_form, QStringLiteral("Insert %1").arg(name), true, {{index, *made, holder}}, true));
    m_form.select({name});
    return name;
}

void FormEditor::deleteSelection()
{
    QList<PlacedEntry> entries;
    const QStringList names = m_form.outerSelection();
    for (int i = 0; i < m_form.items().size(); ++i)
        if (names.contains(m_form.items()[i].name)) {
            // What cannot be brought back is not deleted.
            Result<QJsonObject> entry = m_form.entryOf(m_form.items()[i].name);
            if (!entry)
                return m_form.report(entry.error());
            // Indices as they will be when the ones before are back: a frame's controls come back with it.
            entries.append({i, *entry, m_form.items()[i].parent});
        }
    if (entries.isEmpty())
        return;
    m_form.undoStack()->push(new EntriesCommand(&m_form, QStringLiteral("Delete %1").arg(m_form.selection().join(QStringLiteral(", "))), false,
                                    entries));
}

void FormEditor::moveSelection(QPoint twipsDelta, QSize twipsResize, bool step)
{
    QHash<QString, QRect> before, after;
    // A frame moves what it holds: a control in a selected frame does not move again.
    const QStringList selection = m_form.outerSelection();
    for (const QString& name : selection) {
        const DesignItem* it = m_form.item(name);
        if (!it)
            continue;
        QRect r = it->twips.translated(twipsDelta);
        r.setSize((r.size() + twipsResize).expandedTo(QSize(int(units::twipsPerPixelX()), int(units::twipsPerPixelY()))));
        before.insert(name, it->twips);
        after.insert(name, r);
    }
    if (!after.isEmpty() && after != before)
        m_form.undoStack()->push(new GeometryCommand(&m_form, twipsResize.isNull() ? QStringLiteral("Move") : QStringLiteral("Resize"),
                                         before, after, step));
}

void FormEditor::setGeometry(const QString& which, int twips)
{
    QHash<QString, QRect> before, after;
    for (const QString& name : m_form.selection()) {
        const DesignItem* it = m_form.item(name);
        if (!it)
            continue;
        QRect r = it->twips;
        if (which == QLatin1String("left"))
            r.moveLeft(twips);
        else if (which == QLatin1String("top"))
            r.moveTop(twips);
        else if (which == QLatin1String("width"))
            r.setWidth(twips);
        else if (which == QLatin1String("height"))
            r.setHeight(twips);
        before.insert(name, it->twips);
        after.insert(name, r);
    }
    if (after != before)
        m_form.undoStack()->push(new GeometryCommand(&m_form, QStringLiteral("Set %1").arg(which), before, after));
}

Result<void> FormEditor::rename(const QString& oldName, const QString& newName)
{
    if (!m_form.item(oldName))
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(oldName));
    if (newName == oldName)
        return {};
    if (!isValidName(newName))
        return Error(errc::InvalidArgument, QStringLiteral("\"%1\" is not a valid name: a letter, then letters, digits or _ (at most 40)").arg(newName));
    if (m_form.allNames().contains(newName, Qt::CaseInsensitive) && newName.compare(oldName, Qt::CaseInsensitive) != 0)
        return Error(errc::InvalidArgument, QStringLiteral("%1: the name is used twice").arg(newName));
    m_form.undoStack()->push(new RenameCommand(&m_form, oldName, newName));
    return {};
}

Result<void> FormEditor::setVisible(bool visible)
{
    QStringList names;
    bool shown = false;
    for (const QString& name : m_form.selection())
        if (const DesignItem* it = m_form.item(name); it && it->control && !it->control->invisibleAtRunTime()) {
            shown = true;
            if (it->visibleAtRunTime() != visible)
                names << name;
        }
    if (!shown)
        return Error(errc::NotSupported, QStringLiteral("No selected control is shown while the form runs"));
    if (names.isEmpty())
        return {};
    QUndoStack* stack = m_form.undoStack();
    stack->beginMacro(QStringLiteral("Set Visible on %1").arg(names.join(QStringLiteral(", "))));
    Result<void> done;
    for (const QString& name : std::as_const(names)) {
        const DesignItem* it = m_form.item(name);
        if (it->ownsVisible()) {
            Result<void> put = putProperty(name, *it->object->idOfName(u"Visible"), Variant::fromBool(visible), false);
            if (!put && done)
                done = Error(put.error().number(), QStringLiteral("%1: %2").arg(name, put.error().message()));
            continue;
        }
        const QJsonValue before = it->entry.value(QStringLiteral("visible"));
        // Shown is what a control without the key is: the key is written only where it says something.
        const QJsonValue after = visible && before.isUndefined() ? QJsonValue(QJsonValue::Undefined) : QJsonValue(visible);
        if (before != after)
            stack->push(new EntryKeyCommand(&m_form, QStringLiteral("Set %1.Visible").arg(name), name, QStringLiteral("visible"), before, after));
    }
    stack->endMacro();
    return done;
}

Result<void> FormEditor::setTabIndex(const QString& name, int index)
{
    QStringList order = m_form.tabOrderMode().order();
    if (!order.removeOne(name))
        return DesignItem::notOnForm(name);
    if (index < 0 || index > order.size())
        return Error(errc::InvalidPropertyValue, QStringLiteral("TabIndex takes a number from 0 to %1").arg(order.size()));
    order.insert(index, name);
    // Every control takes its number, 0 to n-1, and the form's focus order follows, as in the
    // tab-order mode; each such edit is a step of its own.
    QList<QJsonObject> entries;
    for (const DesignItem& it : m_form.items())
        entries << it.entry;
    const taborder::TabState before = taborder::stateOf(entries, m_form.document().root());
    const taborder::TabState after = taborder::withOrder(before, order);
    if (after == before)
        return {};
    m_form.undoStack()->push(new TabOrderCommand(&m_form, before, after, --m_tabIndexEdits));
    return {};
}

Result<void> FormEditor::setFormValue(const QString& key, const QString& text)
{
    const QJsonObject root = VELLOC_TRY(m_form.document().withFormValue(key, text));
    if (root == m_form.document().root())
        return {};
    // Tried first, so that a refused value leaves the form as it was.
    VELLOC_TRY_VOID(m_form.checkRoot(root));
    m_form.undoStack()->push(new RootCommand(&m_form, QStringLiteral("Set the form's %1").arg(key), m_form.document().root(), root));
    return {};
}

Result<void> FormEditor::putProperty(const QString& name, DispId id, const Variant& value, bool byRef)
{
    const DesignItem* it = m_form.item(name);
    if (!it || !it->object)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    std::shared_ptr<Object> object = it->object;
    const PropertyBag before = VELLOC_TRY(m_form.bagOf(name));
    Variant arg = value;
    VELLOC_TRY(object->invoke(id, byRef ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut, std::span<Variant>(&arg, 1)));
    const MemberInfo* member = object->dispatch().info().findAny(id);
    recordStateChange(name, before, QStringLiteral("Set %1.%2").arg(name, member ? member->name : QString::number(id)));
    return {};
}

void FormEditor::recordStateChange(const QString& name, const PropertyBag& before, const QString& text)
{
    Result<PropertyBag> after = m_form.bagOf(name);
    if (!after || after->toText() == before.toText()) {
        emit m_form.controlPropertyChanged(name, QString());
        return;
    }
    m_form.undoStack()->push(new StateCommand(&m_form, text, name, before, after.value()));
}

Result<void> FormEditor::loadBag(const QString& name, const PropertyBag& bag)
{
    const PropertyBag before = VELLOC_TRY(m_form.bagOf(name));
    Result<void> read = m_form.readState(name, bag);
    if (!read) {
        // Whatever the control took of the refused bag is put back.
        (void)m_form.readState(name, before);
        return read;
    }
    recordStateChange(name, before, QStringLiteral("Load properties of %1").arg(name));
    return {};
}

Result<QJsonArray> FormEditor::copySelection() const
{
    QJsonArray entries;
    const QStringList names = m_form.outerSelection();
    for (const DesignItem& it : m_form.items())
        if (names.contains(it.name)) {
            // The size the control has, even where its entry left it to the control's default.
            QJsonObject entry = VELLOC_TRY(m_form.entryOf(it.name));
            setTwips(entry, it.twips);
            entries.append(entry);
        }
    return entries;
}

Result<QStringList> FormEditor::paste(const QJsonArray& entries, std::optional<QPoint> at)
{
    const QList<QJsonObject> copies = VELLOC_TRY(m_form.document().copies(entries, m_form.allNames(), at));
    QList<PlacedEntry> list;
    QStringList pasted;
    for (const QJsonObject& entry : copies) {
        list.append({int(m_form.items().size()) + int(list.size()), entry, QString()});
        pasted << formentry::nameOf(entry);
    }
    if (list.isEmpty())
        return pasted;
    // A control that cannot be made again is reported by the command and pasted as written.
    m_form.undoStack()->push(new EntriesCommand(&m_form, QStringLiteral("Paste %1").arg(pasted.join(QStringLiteral(", "))), true, list));
    return pasted;
}

} // namespace container
