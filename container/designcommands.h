#pragma once

#include "taborder.h"

#include "velloc/store/propertybag.h"

#include <QHash>
#include <QJsonObject>
#include <QPointer>
#include <QRect>
#include <QUndoCommand>

namespace container {

class DesignForm;

// The undoable edits of a form. Each names its controls, never holds them: an undone delete
// brings back a new instance from the saved description entry, bag included.

// What every edit shares: the form it edits, which may be gone by the time the stack is.
class FormCommand : public QUndoCommand {
protected:
    FormCommand(DesignForm* form, const QString& text) : QUndoCommand(text), m_form(form) {}
    QPointer<DesignForm> m_form;
};

// An entry at its index among the form's controls, inside the frame `parent` names or on the form.
struct PlacedEntry {
    int index = 0;
    QJsonObject entry;
    QString parent;
};

// Inserts the entries (redo) and removes them (undo); a delete is the same the other way round.
class EntriesCommand final : public FormCommand {
public:
    EntriesCommand(DesignForm* form, const QString& text, bool insert, QList<PlacedEntry> entries, bool alreadyDone = false);
    void redo() override;
    void undo() override;

private:
    void insertAll();
    void removeAll();
    bool m_insert;
    bool m_skip;
    QList<PlacedEntry> m_entries; // by index on the form, ascending
    QString m_lastError;
};

// Moves and resizes. Steps of the arrow keys on the same controls merge into one edit, so that
// forty presses are undone at once.
class GeometryCommand final : public FormCommand {
public:
    static constexpr int StepId = 1;
    GeometryCommand(DesignForm* form, const QString& text, QHash<QString, QRect> before, QHash<QString, QRect> after,
                    bool step = false);
    void redo() override;
    void undo() override;
    int id() const override { return m_step ? StepId : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    QHash<QString, QRect> m_before, m_after;
    bool m_step;
};

// The order of the controls, which is the order they are drawn and saved in.
class OrderCommand final : public FormCommand {
public:
    OrderCommand(DesignForm* form, const QString& text, QStringList before, QStringList after);
    void redo() override;
    void undo() override;

private:
    QStringList m_before, m_after;
};

class RenameCommand final : public FormCommand {
public:
    RenameCommand(DesignForm* form, QString oldName, QString newName);
    void redo() override;
    void undo() override;

private:
    QString m_old, m_new;
};

// The form's own keys before and after.
class RootCommand final : public FormCommand {
public:
    RootCommand(DesignForm* form, const QString& text, QJsonObject before, QJsonObject after);
    void redo() override;
    void undo() override;

private:
    QJsonObject m_before, m_after;
};

// A control's properties before and after an edit, as its property bag; the edit has been made.
class StateCommand final : public FormCommand {
public:
    StateCommand(DesignForm* form, const QString& text, QString name, velloc::PropertyBag before, velloc::PropertyBag after);
    void redo() override;
    void undo() override;

private:
    QString m_name;
    velloc::PropertyBag m_before, m_after;
    bool m_skip = true;
};

// The tab order the clicks of the tab-order mode set; the clicks of one round are one edit.
class TabOrderCommand final : public FormCommand {
public:
    static constexpr int RoundId = 2;
    TabOrderCommand(DesignForm* form, taborder::TabState before, taborder::TabState after, int round);
    void redo() override;
    void undo() override;
    int id() const override { return RoundId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const taborder::TabState& state);
    taborder::TabState m_before, m_after;
    int m_round;
};

} // namespace container
