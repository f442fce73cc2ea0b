#include "designform.h"

#include "formcanvas.h"
#include "formentry.h"
#include "selectionoverlay.h"

#include <QUndoStack>

using namespace velloc;

namespace container {

using namespace formentry;

DesignForm::DesignForm(QWidget* parent) : QWidget(parent), m_undo(new QUndoStack(this))
{
    connect(&m_selection, &FormSelection::changed, this, [this] {
        refreshOverlay();
        emit selectionChanged();
    });
    connect(&m_tabOrder, &TabOrderMode::activeChanged, this, [this](bool active) {
        refreshOverlay();
        if (active)
            focusDesign();
    });
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
    replace(std::move(empty), std::move(canvas.value()));
    m_undo->clear();
}

void DesignForm::replace(FormDocument doc, std::unique_ptr<Form> canvas)
{
    m_tabOrder.setActive(false);
    releaseAll();
    m_doc = std::move(doc);
    m_canvas = std::move(canvas);
    formcanvas::adopt(*m_canvas, this);
    setFixedSize(m_canvas->size());
    m_overlay = new SelectionOverlay(this, m_canvas.get());
    placeOverlay(m_canvas.get());
    emit itemsChanged();
    emit selectionChanged();
}

Result<void> DesignForm::open(const QByteArray& json, QStringList* problems)
{
    FormDocument doc = VELLOC_TRY(FormDocument::parse(json));
    doc.setVariables(m_doc.variables());
    std::unique_ptr<Form> canvas = VELLOC_TRY(formcanvas::build(doc.root(), doc.variables()));
    m_runMode = false;
    replace(std::move(doc), std::move(canvas));
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
    for (const DesignItem& item : m_items.list())
        if (item.parent.isEmpty())
            entries << VELLOC_TRY(entryOf(item.name));
    return m_doc.write(entries);
}

void DesignForm::releaseAll()
{
    m_items.releaseAll();
    {
        // Whoever listens hears of the new form once it is there.
        const QSignalBlocker quiet(&m_selection);
        m_selection.clear();
    }
    delete m_overlay;
    m_overlay = nullptr;
    m_canvas.reset();
}

Result<QJsonObject> DesignForm::entryOf(const QString& name) const
{
    return m_items.entryOf(name, m_doc.variables());
}

void DesignForm::removeItem(const QString& name)
{
    // A frame goes with its controls.
    const QStringList removed = m_items.remove(name);
    if (removed.isEmpty())
        return;
    for (const QString& gone : removed)
        m_selection.removed(gone);
    refreshOverlay();
    emit itemsChanged();
}

void DesignForm::reorder(const QStringList& names)
{
    if (!m_items.reorder(names))
        return;
    for (const DesignItem& item : m_items.list())
        if (item.face)
            item.face->raise();
    refreshOverlay();
    emit itemsChanged();
}

void DesignForm::setGeometryTwips(const QString& name, QRect twips)
{
    DesignItem* it = m_items.find(name);
    if (!it)
        return;
    it->twips = twips;
    it->place(m_runMode);
    refreshOverlay();
    emit controlPropertyChanged(name, QString());
}

void DesignForm::renameItem(const QString& oldName, const QString& newName)
{
    DesignItem* it = m_items.find(oldName);
    if (!it)
        return;
    it->rename(newName);
    m_items.holderRenamed(oldName, newName);
    m_doc.renamed(oldName, newName);
    {
        const QSignalBlocker quiet(&m_selection);
        m_selection.renamed(oldName, newName);
    }
    emit itemsChanged();
    emit selectionChanged();
}

void DesignForm::setEntryValue(const QString& name, const QString& key, const QJsonValue& value)
{
    DesignItem* it = m_items.find(name);
    if (!it || !it->setEntryValue(key, value))
        return;
    refreshOverlay();
    emit controlPropertyChanged(name, key);
}

Result<void> DesignForm::readState(const QString& name, const PropertyBag& bag)
{
    const DesignItem* it = item(name);
    if (!it)
        return DesignItem::notOnForm(name);
    Result<void> read = it->readState(bag);
    emit controlPropertyChanged(name, QString());
    return read;
}

Result<PropertyBag> DesignForm::bagOf(const QString& name) const
{
    const DesignItem* it = item(name);
    return it ? it->bag() : DesignItem::notOnForm(name);
}

Result<void> DesignForm::checkRoot(const QJsonObject& root) const
{
    VELLOC_TRY(formcanvas::build(root, m_doc.variables()));
    return {};
}

void DesignForm::settle(const QString& name, QPoint twips)
{
    if (DesignItem* item = m_items.find(name)) {
        item->settle(twips, m_runMode);
        refreshOverlay();
    }
}

Result<void> DesignForm::setRoot(const QJsonObject& root)
{
    std::unique_ptr<Form> canvas = VELLOC_TRY(formcanvas::build(root, m_doc.variables()));
    formcanvas::adopt(*canvas, this);
    for (DesignItem& item : m_items.list())
        if (item.face && item.parent.isEmpty()) {
            item.face->setParent(canvas.get());
            item.place(m_runMode);
            if (!item.control)
                item.face->show();
        }
    placeOverlay(canvas.get());
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
    m_selection.set(names, [this](const QString& n) { return item(n) != nullptr; });
}

void DesignForm::setRunMode(bool run)
{
    if (run == m_runMode)
        return;
    m_runMode = run;
    if (run)
        m_tabOrder.setActive(false);
    for (DesignItem& it : m_items.list()) {
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

void DesignForm::placeOverlay(QWidget* canvas)
{
    m_overlay->setParent(canvas);
    m_overlay->setGeometry(canvas->rect());
    m_overlay->setVisible(!m_runMode);
    m_overlay->raise();
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
