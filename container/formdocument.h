#pragma once

#include "formjson.h"

#include "velloc/hosting/formloader.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRect>

#include <optional>

namespace container {

// The form as a description: its own keys, the order its text gave every key, and the rules
// for names, places and the form's values. It holds no control and no widget; the design
// surface keeps the controls, and asks the document how to read, name, place and write them.
class FormDocument {
public:
    // A new, empty Form1.
    FormDocument();
    // Reads a description; one that does not parse, or repeats or lacks a control's name, is refused.
    static velloc::Result<FormDocument> parse(const QByteArray& json);

    // The form's own keys, "controls" and "tabOrder" as read.
    const QJsonObject& root() const { return m_root; }
    void setRoot(QJsonObject root) { m_root = std::move(root); }
    // Sets or (undefined) removes "tabOrder".
    void setFocusOrder(const QJsonValue& order);
    QJsonArray controls() const { return m_root.value(QStringLiteral("controls")).toArray(); }
    QRect client() const;

    // What "${NAME}" stands for while the form is designed; the description keeps the variable.
    const velloc::FormLoader::Variables& variables() const { return m_variables; }
    void setVariables(velloc::FormLoader::Variables variables) { m_variables = std::move(variables); }

    // The text of the form with these entries (in order) as its controls: keys as they were
    // written, a focus order without the names no longer on the form.
    QByteArray write(const QList<QJsonObject>& entries) const;
    // A control renamed keeps the order of its keys.
    void renamed(const QString& oldName, const QString& newName);

    // The form's own values the browser edits, and the root with one of them changed.
    static const QStringList& formKeys();
    velloc::Result<QJsonObject> withFormValue(const QString& key, const QString& text) const;

    // Names: the next free one for a class (Velloc1, Velloc2, ...), and a free one like `name`.
    static QString nextName(const QString& className, const QStringList& taken);
    static QString freeName(const QString& name, const QStringList& taken);
    // Whether an entry (and, for a frame, its controls) can join controls named `present`:
    // named, and by names not already there, matched with case as the loader matches them.
    static velloc::Result<void> checkNames(const QJsonObject& entry, const QStringList& present);
    // Where a control of `size` covers none of `taken` and lies whole on the form.
    QPoint freeSpot(QSize size, const QList<QRect>& taken) const;
    // Copies of `entries` for a paste: renamed where their names are taken, and moved together
    // to `at` (or beside the originals), whole on the form. A frame holding controls is refused.
    velloc::Result<QList<QJsonObject>> copies(const QJsonArray& entries, QStringList taken, std::optional<QPoint> at) const;
    // Why a control at `twips` needs a word when the form opens (it lies off the form), if it does.
    QString placementProblem(const QString& name, QRect twips) const;

private:
    QJsonObject m_root;
    JsonKeyOrder m_rootOrder;              // the root's keys as written ("controls" aside)
    QHash<QString, JsonKeyOrder> m_orders; // each control's entry keys as written, by name
    int m_indent = 2;
    velloc::FormLoader::Variables m_variables;
};

} // namespace container
