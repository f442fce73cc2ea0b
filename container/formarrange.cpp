// Arranging the selection: aligning it on its first control, giving it that control's size, and
// moving it in front of or behind the other controls of its holder. Each is one undo step.
#include "formeditor.h"

#include "designcommands.h"
#include "designform.h"

#include <QUndoStack>

#include <functional>

namespace container {

namespace {

// What each selected control becomes, given the first one's rectangle.
template <typename F>
QHash<QString, QRect> fromFirst(const DesignForm& form, F change)
{
    QHash<QString, QRect> out;
    const QStringList selection = form.selection();
    const DesignItem* first = form.item(selection.value(0));
    if (!first)
        return out;
    for (const QString& name : selection)
        if (const DesignItem* it = form.item(name))
            out.insert(name, change(first->twips, it->twips));
    return out;
}

QHash<QString, QRect> current(const DesignForm& form, const QHash<QString, QRect>& names)
{
    QHash<QString, QRect> out;
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        out.insert(it.key(), form.item(it.key())->twips);
    return out;
}

} // namespace

void FormEditor::align(Align edge)
{
    const QHash<QString, QRect> after = fromFirst(m_form, [edge](QRect first, QRect r) {
        switch (edge) {
        case Align::Lefts: r.moveLeft(first.left()); break;
        case Align::Rights: r.moveRight(first.right()); break;
        case Align::Tops: r.moveTop(first.top()); break;
        case Align::Bottoms: r.moveBottom(first.bottom()); break;
        case Align::Centres: r.moveLeft(first.x() + (first.width() - r.width()) / 2); break;
        case Align::Middles: r.moveTop(first.y() + (first.height() - r.height()) / 2); break;
        }
        return r;
    });
    const QHash<QString, QRect> before = current(m_form, after);
    if (after != before)
        m_form.undoStack()->push(new GeometryCommand(&m_form, QStringLiteral("Align"), before, after));
}

void FormEditor::makeSameSize(bool width, bool height)
{
    const QHash<QString, QRect> after = fromFirst(m_form, [width, height](QRect first, QRect r) {
        r.setSize(QSize(width ? first.width() : r.width(), height ? first.height() : r.height()));
        return r;
    });
    const QHash<QString, QRect> before = current(m_form, after);
    if (after != before)
        m_form.undoStack()->push(new GeometryCommand(&m_form, QStringLiteral("Make Same Size"), before, after));
}

void FormEditor::bringToFront(bool front)
{
    // Among the controls of the same holder (the form or a frame), each with those inside it.
    QStringList before, moved;
    for (const DesignItem& it : m_form.items())
        before << it.name;
    std::function<QStringList(const QString&)> ordered = [&](const QString& parent) {
        QStringList rest, chosen;
        for (const DesignItem& it : m_form.items())
            if (it.parent == parent) {
                const QStringList subtree = QStringList {it.name} + ordered(it.name);
                (m_form.selection().contains(it.name) ? chosen : rest) << subtree;
                if (m_form.selection().contains(it.name))
                    moved << it.name;
            }
        return front ? rest + chosen : chosen + rest;
    };
    const QStringList after = ordered(QString());
    if (!moved.isEmpty() && after != before)
        m_form.undoStack()->push(new OrderCommand(&m_form, front ? QStringLiteral("Bring to Front") : QStringLiteral("Send to Back"), before, after));
}

} // namespace container
