#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>

namespace container {

// Which controls of the form are selected, by name, the first being the one the browser shows;
// and where the form's empty area was last clicked, where a paste goes. It knows nothing of
// widgets: the surface draws it and the edits read it.
class FormSelection final : public QObject {
    Q_OBJECT
public:
    using Exists = std::function<bool(const QString&)>;

    const QStringList& names() const { return m_names; }
    QString current() const { return m_names.value(0); }
    bool contains(const QString& name) const { return m_names.contains(name); }

    // Selects those of `names` that `exists` knows, each once, in the order given.
    void set(const QStringList& names, const Exists& exists);
    void clear();
    // A control that left the form, or took another name.
    void removed(const QString& name);
    void renamed(const QString& oldName, const QString& newName);

    std::optional<QPoint> pastePoint() const { return m_pastePoint; }
    void setPastePoint(std::optional<QPoint> twips) { m_pastePoint = twips; }

signals:
    void changed();

private:
    void replace(QStringList names);

    QStringList m_names;
    std::optional<QPoint> m_pastePoint;
};

} // namespace container
