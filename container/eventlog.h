#pragma once

#include <QDateTime>
#include <QWidget>

class QLineEdit;
class QTreeWidget;

namespace container {

// The events of every control as they are raised, with their arguments (by-reference ones as
// the handlers left them) and the time, and the property-changed notifications. Rows can be
// filtered by control and event, copied and cleared.
class EventLog final : public QWidget {
    Q_OBJECT
public:
    struct Entry {
        QDateTime time;
        QString control;
        QString event;     // the event's name, or "changed" for a property-changed notification
        QString arguments; // the values in the scripting host's text form, or the property's name
    };

    explicit EventLog(QWidget* parent = nullptr);

    void addEvent(const QString& control, const QString& event, const QStringList& args);
    void addChange(const QString& control, const QString& property);
    void addNote(const QString& text);
    void clear();

    const QList<Entry>& entries() const { return m_entries; }
    // The rows the filter lets through, as copied: one line each, tab-separated.
    QString text() const;
    void copy() const;
    void setFilter(const QString& text);
    QTreeWidget* tree() const { return m_tree; }

    static constexpr int MaxRows = 5000;

private:
    void add(Entry entry);
    bool passes(const Entry& e) const;
    void refill();

    QList<Entry> m_entries;
    QString m_filter;
    QLineEdit* m_filterEdit;
    QTreeWidget* m_tree;
};

} // namespace container
