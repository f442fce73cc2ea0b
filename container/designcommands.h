#pragma once

#include "velloc/store/propertybag.h"

#include <QHash>
#include <QJsonObject>
#include <QRect>
#include <QUndoCommand>

namespace container {

class DesignForm;

// The undoable edits of a form. Each names its controls, never holds them: an undone delete
// brings back a new instance from the saved description entry, bag included.

// Inserts the entries (redo) and removes them (undo); a delete is the same the other way round.
class EntriesCommand final : public QUndoCommand {
public:
    EntriesCommand(DesignForm* form, const QString& text, bool insert, QList<std::pair<int, QJsonObject>> entries,
                   bool alreadyDone = false);
    void redo() override;
    void undo() override;

private:
    void insertAll();
    void removeAll();
    DesignForm* m_form;
    bool m_insert;
    bool m_skip;
    QList<std::pair<int, QJsonObject>> m_entries; // by index on the form, ascending
    QString m_lastError;
};

class GeometryCommand final : public QUndoCommand {
public:
    GeometryCommand(DesignForm* form, const QString& text, QHash<QString, QRect> before, QHash<QString, QRect> after);
    void redo() override;
    void undo() override;

private:
    DesignForm* m_form;
    QHash<QString, QRect> m_before, m_after;
};

class RenameCommand final : public QUndoCommand {
public:
    RenameCommand(DesignForm* form, QString oldName, QString newName);
    void redo() override;
    void undo() override;

private:
    DesignForm* m_form;
    QString m_old, m_new;
};

// The form's own keys before and after.
class RootCommand final : public QUndoCommand {
public:
    RootCommand(DesignForm* form, const QString& text, QJsonObject before, QJsonObject after);
    void redo() override;
    void undo() override;

private:
    DesignForm* m_form;
    QJsonObject m_before, m_after;
};

// A control's properties before and after an edit, as its property bag; the edit has been made.
class StateCommand final : public QUndoCommand {
public:
    StateCommand(DesignForm* form, const QString& text, QString name, velloc::PropertyBag before, velloc::PropertyBag after);
    void redo() override;
    void undo() override;

private:
    DesignForm* m_form;
    QString m_name;
    velloc::PropertyBag m_before, m_after;
    bool m_skip = true;
};

} // namespace container
