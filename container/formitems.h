#pragma once

#include "designitem.h"

#include <QList>
#include <QStringList>

namespace container {

// The controls of the form being designed, back to front, which is also the order they are
// saved in; found by name, by object or by a point. Making, placing and releasing a control
// is the surface's business, not the list's.
class FormItems {
public:
    const QList<DesignItem>& list() const { return m_items; }
    QList<DesignItem>& list() { return m_items; }
    qsizetype size() const { return m_items.size(); }

    const DesignItem* find(const QString& name) const;
    DesignItem* find(const QString& name);
    int indexOf(const QString& name) const;
    QString nameOf(const velloc::Object* object) const;
    // Every name on the form, the controls within frames included.
    QStringList allNames() const;
    // The front-most control whose face covers `pixel`.
    QString at(QPoint pixel) const;
    // The frame a control put down at `pixel` goes into: the front-most frame there, else the
    // frame holding the control there; empty for the form.
    QString holderAt(QPoint pixel) const;
    // The top left of the frame `holder` in twips from the form's, where its controls' places
    // count from (the form's own, 0,0, for an empty name).
    QPoint originOf(const QString& holder) const;

    // Where `index` lands within the list.
    void insert(qsizetype index, DesignItem item);
    // Releases the control and forgets it, a frame with the controls inside it (the innermost
    // first); the names that went.
    QStringList remove(const QString& name);
    void releaseAll();
    // Puts the controls in this order; refused unless it names each of them once.
    bool reorder(const QStringList& names);
    // The entry of a control as it would be saved, a frame's with its controls' in their order.
    velloc::Result<QJsonObject> entryOf(const QString& name, const velloc::FormLoader::Variables& variables) const;
    // A frame renamed: what it holds follows.
    void holderRenamed(const QString& oldName, const QString& newName);

    // Whether `name` lies inside `ancestor` (a frame, or a frame in it).
    bool within(const QString& name, const QString& ancestor) const;
    // One past the last control inside the one at `index`; a frame's controls follow it.
    int subtreeEnd(int index) const;
    // Those of `names` not inside another of them, in the order of the form.
    QStringList outermost(const QStringList& names) const;

private:
    QList<DesignItem> m_items;
};

} // namespace container
