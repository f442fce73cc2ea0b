// Putting a form entry on the design surface: the control made from it and sited, inside its
// frame if it has one, then a frame's own controls after it. What cannot be made is kept as
// written, so that saving loses nothing of it.
#include "designform.h"

#include "formentry.h"

#include "velloc/hosting/builtincontrol.h"

using namespace velloc;

namespace container {

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
    const bool frame = made && item.isFrame();
    m_items.insert(index, std::move(item));
    Result<void> result;
    if (!made)
        result = Error(made.error().number(), QStringLiteral("%1: %2").arg(name, made.error().message()));
    if (frame) {
        // Checked with the frame; each goes after the ones before it, inside the frame.
        const bool opening = std::exchange(m_opening, true);
        int at = m_items.indexOf(name) + 1;
        for (const QJsonValue& child : entry.value(QStringLiteral("controls")).toArray()) {
            Result<void> inserted = insertEntry(child.toObject(), at, true, name);
            if (!inserted && result)
                result = inserted;
            if (const int placed = m_items.indexOf(formentry::nameOf(child.toObject())); placed >= 0)
                at = m_items.subtreeEnd(placed);
        }
        m_opening = opening;
    }
    if (!m_opening) {
        refreshOverlay();
        emit itemsChanged();
    }
    return result;
}

} // namespace container
