#include "designform.h"

#include "designcommands.h"
#include "formcanvas.h"
#include "formentry.h"
#include "formjson.h"
#include "selectionoverlay.h"
#include "taborder.h"

#include "velloc/core/units.h"
#include "velloc/hosting/builtincontrol.h"

#include <QUndoStack>

using namespace velloc;

namespace container {

using namespace formentry;

DesignForm::DesignForm(QWidget* parent) : QWidget(parent), m_undo(new QUndoStack(this))
{
    clear();
}

DesignForm::~DesignForm()
{
    releaseAll();
}

void DesignForm::clear()
{
    FormDocument empty;
    empty.setVariables(m_doc.variables());
    Result<std::unique_ptr<Form>> canvas = formcanvas::build(empty.root(), empty.variables());
    Q_ASSERT(canvas.ok());
    releaseAll();
    m_doc = std::move(empty);
    setCanvas(std::move(canvas.value()));
    m_undo->clear();
}

void DesignForm::setCanvas(std::unique_ptr<Form> canvas)
{
    m_canvas = std::move(canvas);
    formcanvas::adopt(*m_canvas, this);
    setFixedSize(m_canvas->size());
    m_overlay = new SelectionOverlay(this, m_canvas.get());
    m_overlay->setGeometry(m_canvas->rect());
    m_overlay->setVisible(!m_runMode);
    m_overlay->raise();
    emit itemsChanged();
    emit selectionChanged();
}

Result<void> DesignForm::open(const QByteArray& json, QStringList* problems)
{
    FormDocument doc = VELLOC_TRY(FormDocument::parse(json));
    doc.setVariables(m_doc.variables());
    std::unique_ptr<Form> canvas = VELLOC_TRY(formcanvas::build(doc.root(), doc.variables()));
    releaseAll();
    m_runMode = false;
    m_doc = std::move(doc);
    setCanvas(std::move(canvas));
    // parse() checked the names all at once; the overlay and the listeners catch up once at the
    // end. Per control, either would make opening a large form quadratic.
    m_opening = true;
    for (const QJsonValue& v : m_doc.controls()) {
        const QString name = formentry::nameOf(v.toObject());
        Result<void> inserted = insertEntry(v.toObject(), int(m_items.size()));
        if (!inserted && problems)
            problems->append(inserted.error().message());
        // Kept where it was written, but a control nobody can see is worth a word.
        if (const DesignItem* placed = item(name); placed && problems)
            if (const QString problem = m_doc.placementProblem(name, placed->twips); !problem.isEmpty())
                problems->append(problem);
    }
    m_opening = false;
    refreshOverlay();
    m_undo->clear();
    emit itemsChanged();
    return {};
}

Result<QByteArray> DesignForm::toJson() const
{
    QList<QJsonObject> entries;
    for (const DesignItem& item : m_items)
        if (item.parent.isEmpty())
            entries << VELLOC_TRY(entryOf(item.name));
    return m_doc.write(entries);
}

void DesignForm::releaseAll()
{
    for (DesignItem& item : m_items)
        item.release();
    m_items.clear();
    m_selection.clear();
    delete m_overlay;
    m_overlay = nullptr;
    m_canvas.reset();
}

const DesignItem* DesignForm::item(const QString& name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_items[i];
}

int DesignForm::indexOf(const QString& name) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].name == name)
            return i;
    return -1;
}

QString DesignForm::nameOf(const Object* object) const
{
    for (const DesignItem& item : m_items)
        if (item.object.get() == object)
            return item.name;
    return {};
}

QStringList DesignForm::allNames() const
{
    QStringList names;
    for (const DesignItem& item : m_items) {
        QJsonObject entry = item.entry;
        entry.insert(QStringLiteral("name"), item.name);
        collectNames(entry, names);
    }
    return names;
}

Result<void> DesignForm::insertEntry(const QJsonObject& entry, int index, bool keepBroken, const QString& parent)
{
    const QString name = formentry::nameOf(entry);
    if (!m_opening)
        VELLOC_TRY_VOID(FormDocument::checkNames(entry, allNames()));
    const DesignItem* holder = parent.isEmpty() ? nullptr : item(parent);
    if (!parent.isEmpty() && (!holder || !holder->face))
        return Error(errc::InvalidArgument, QStringLiteral("%1: the frame %2 is not on the form").arg(name, parent));

    QWidget* host = holder ? holder->face.data() : m_canvas.get();
    Result<DesignItem> made = DesignItem::make(entry, m_site, m_site, m_doc.variables(), host);
    if (!made && !keepBroken)
        return Error(made.error().number(), QStringLiteral("%1: %2").arg(name, made.error().message()));
    // What cannot be made is kept as written, so that saving loses nothing of it.
    DesignItem item = made ? std::move(made.value()) : DesignItem::broken(entry, made.error().message());
    item.parent = parent;
    if (auto* builtIn = dynamic_cast<BuiltInControl*>(item.control); builtIn && holder)
        builtIn->setContainer(std::dynamic_pointer_cast<BuiltInControl>(holder->object));
    if (item.face->parentWidget() != host)
        item.face->setParent(host);
    item.place(m_runMode);
    if (item.control)
        item.control->show(); // the container protocol's Show: the face is on screen
    else
        item.face->show();
    index = int(std::clamp<qsizetype>(index, 0, m_items.size()));
    const bool frame = made && item.isFrame();
    m_items.insert(index, std::move(item));
    Result<void> result;
    if (!made)
        result = Error(made.error().number(), QStringLiteral("%1: %2").arg(name, made.error().message()));
    if (frame) {
        // Checked with the frame; each goes after the ones before it, inside the frame.
        const bool opening = std::exchange(m_opening, true);
        int at = index + 1;
        for (const QJsonValue& child : entry.value(QStringLiteral("controls")).toArray()) {
            Result<void> inserted = insertEntry(child.toObject(), at, true, name);
            if (!inserted && result)
                result = inserted;
            if (const int placed = indexOf(formentry::nameOf(child.toObject())); placed >= 0)
                at = subtreeEnd(placed);
        }
        m_opening = opening;
    }
    if (!m_opening) {
        refreshOverlay();
        emit itemsChanged();
    }
    return result;
}

Result<QJsonObject> DesignForm::entryOf(const QString& name) const
{
    const DesignItem* it = item(name);
    if (!it)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    QJsonObject entry = VELLOC_TRY(it->toEntry(m_doc.variables()));
    if (!it->object || !it->isFrame())
        return entry;
    // A frame holds its controls' entries, in their order.
    QJsonArray controls;
    for (const DesignItem& child : m_items)
        if (child.parent == name)
            controls.append(VELLOC_TRY(entryOf(child.name)));
    if (!controls.isEmpty() || entry.contains(QStringLiteral("controls")))
        entry.insert(QStringLiteral("controls"), controls);
    return entry;
}

void DesignForm::removeItem(const QString& name)
{
    const int i = indexOf(name);
    if (i < 0)
        return;
    // A frame goes with its controls, the innermost first.
    const int end = subtreeEnd(i);
    bool deselected = false;
    for (int j = end - 1; j >= i; --j) {
        deselected |= m_selection.removeAll(m_items[j].name) > 0;
        m_items[j].release();
    }
    m_items.erase(m_items.begin() + i, m_items.begin() + end);
    if (deselected)
        emit selectionChanged();
    refreshOverlay();
    emit itemsChanged();
}

void DesignForm::reorder(const QStringList& names)
{
    if (names.size() != m_items.size() || std::any_of(names.cbegin(), names.cend(), [this](const QString& n) { return indexOf(n) < 0; }))
        return;
    QList<DesignItem> ordered;
    for (const QString& name : names)
        ordered << m_items[indexOf(name)];
    m_items = std::move(ordered);
    for (DesignItem& item : m_items)
        if (item.face)
            item.face->raise();
    refreshOverlay();
    emit itemsChanged();
}

void DesignForm::setGeometryTwips(const QString& name, QRect twips)
{
    const int i = indexOf(name);
    if (i < 0)
        return;
    m_items[i].twips = twips;
    m_items[i].place(m_runMode);
    refreshOverlay();
    emit controlPropertyChanged(name, QString());
}

void DesignForm::renameItem(const QString& oldName, const QString& newName)
{
    const int i = indexOf(oldName);
    if (i < 0)
        return;
    m_items[i].name = newName;
    m_items[i].entry.insert(QStringLiteral("name"), newName);
    for (DesignItem& child : m_items)
        if (child.parent == oldName)
            child.parent = newName;
    if (m_items[i].face)
        m_items[i].face->setObjectName(newName);
    m_doc.renamed(oldName, newName);
    for (QString& s : m_selection)
        if (s == oldName)
            s = newName;
    emit itemsChanged();
    emit selectionChanged();
}

Result<void> DesignForm::readState(const QString& name, const PropertyBag& bag)
{
    const DesignItem* it = item(name);
    if (!it || !it->control)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    Result<void> read = it->control->readProperties(bag);
    emit controlPropertyChanged(name, QString());
    if (!read)
        return Error(read.error().number(), QStringLiteral("%1 refused the properties: %2").arg(name, read.error().message()));
    return {};
}

Result<PropertyBag> DesignForm::bagOf(const QString& name) const
{
    const DesignItem* it = item(name);
    if (!it || !it->control)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    PropertyBag bag;
    VELLOC_TRY_VOID(it->control->writeProperties(bag));
    return bag;
}

Result<void> DesignForm::checkRoot(const QJsonObject& root) const
{
    VELLOC_TRY(formcanvas::build(root, m_doc.variables()));
    return {};
}

void DesignForm::settle(const QString& name, QPoint twips)
{
    const int i = indexOf(name);
    if (i < 0)
        return;
    DesignItem& item = m_items[i];
    item.entry.insert(QStringLiteral("left"), twips.x());
    item.entry.insert(QStringLiteral("top"), twips.y());
    item.twips.moveTopLeft(twips);
    item.entryTwips = item.twips;
    item.place(m_runMode);
    refreshOverlay();
}

Result<void> DesignForm::setRoot(const QJsonObject& root)
{
    std::unique_ptr<Form> canvas = VELLOC_TRY(formcanvas::build(root, m_doc.variables()));
    formcanvas::adopt(*canvas, this);
    for (DesignItem& item : m_items)
        if (item.face && item.parent.isEmpty()) {
            item.face->setParent(canvas.get());
            item.place(m_runMode);
            if (!item.control)
                item.face->show();
        }
    m_overlay->setParent(canvas.get());
    m_overlay->setGeometry(canvas->rect());
    m_overlay->setVisible(!m_runMode);
    m_canvas = std::move(canvas);
    m_doc.setRoot(root);
    setFixedSize(m_canvas->size());
    refreshOverlay();
    emit itemsChanged();
    emit controlPropertyChanged(QString(), QString());
    return {};
}

void DesignForm::select(const QStringList& names)
{
    QStringList valid;
    for (const QString& n : names)
        if (item(n) && !valid.contains(n))
            valid << n;
    if (valid == m_selection)
        return;
    m_selection = valid;
    refreshOverlay();
    emit selectionChanged();
}

QString DesignForm::itemAt(QPoint pixel) const
{
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        if (pixelRect(m_items[i]).contains(pixel))
            return m_items[i].name;
    return {};
}

void DesignForm::setRunMode(bool run)
{
    if (run == m_runMode)
        return;
    m_runMode = run;
    for (DesignItem& it : m_items) {
        it.place(m_runMode);
        if (it.control && it.face && it.face->isVisible())
            it.control->show();
    }
    if (m_overlay) {
        m_overlay->setVisible(!run);
        m_overlay->raise();
    }
    emit runModeChanged(run);
}

void DesignForm::focusDesign()
{
    if (m_overlay && !m_runMode)
        m_overlay->setFocus();
}

void DesignForm::refreshOverlay()
{
    if (m_overlay) {
        m_overlay->raise();
        m_overlay->update();
    }
}

std::shared_ptr<Font> DesignForm::ambientFont() const
{
    return m_canvas ? m_canvas->ambientFont() : Font::create();
}

} // namespace container

namespace container {

QRect DesignForm::pixelRect(const DesignItem& item) const
{
    QRect r = item.pixelRect();
    if (item.face && item.face->parentWidget() && m_canvas && item.face->parentWidget() != m_canvas.get())
        r.moveTopLeft(item.face->parentWidget()->mapTo(m_canvas.get(), r.topLeft()));
    return r;
}

int DesignForm::subtreeEnd(int index) const
{
    int end = index + 1;
    while (end < m_items.size() && within(m_items[end].name, m_items[index].name))
        ++end;
    return end;
}

bool DesignForm::within(const QString& name, const QString& ancestor) const
{
    // Frames nest as deep as a description does; each step goes one holder out.
    for (const DesignItem* it = item(name); it && !it->parent.isEmpty(); it = item(it->parent))
        if (it->parent == ancestor)
            return true;
    return false;
}

QStringList DesignForm::outerSelection() const
{
    QStringList out;
    for (const DesignItem& it : m_items)
        if (m_selection.contains(it.name)
            && std::none_of(m_selection.cbegin(), m_selection.cend(), [&](const QString& other) { return within(it.name, other); }))
            out << it.name;
    return out;
}

QStringList DesignForm::tabOrder() const
{
    QList<QJsonObject> entries;
    for (const DesignItem& it : m_items)
        entries << it.entry;
    return taborder::orderOf(entries, m_doc.root().value(QStringLiteral("tabOrder")).toArray());
}

void DesignForm::setEntryValue(const QString& name, const QString& key, const QJsonValue& value)
{
    const int i = indexOf(name);
    if (i < 0)
        return;
    if (value.isUndefined())
        m_items[i].entry.remove(key);
    else
        m_items[i].entry.insert(key, value);
    m_items[i].place(m_runMode);
    refreshOverlay();
    emit controlPropertyChanged(name, key);
}

void DesignForm::setFocusOrder(const QJsonValue& order)
{
    m_doc.setFocusOrder(order);
    emit controlPropertyChanged(QString(), QStringLiteral("tabOrder"));
}

} // namespace container
