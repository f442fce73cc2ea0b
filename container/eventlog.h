#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeView;

namespace container {

// The events of every control as they are raised, with their arguments (by-reference ones as
// the handlers left them) and the time, and the property-changed notifications. Rows can be
// filtered by control and event, copied and cleared. Every row is kept; the view takes the new
// ones in batches, so that an operation raising thousands of events is not slowed by its log.
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
    ~EventLog() override;

    void addEvent(const QString& control, const QString& event, const QStringList& args);
    void addChange(const QString& control, const QString& property);
    void addNote(const QString& text);
    void clear();

    const QList<Entry>& entries() const { return m_entries; }
    // The rows the filter lets through, as copied: one line each, tab-separated.
    QString text() const;
    void copy() const;
    void setFilter(const QString& text);
    // Hands the rows added since the last batch to the view (done by a timer otherwise).
    void flush();
    // The rows the view shows.
    int rowCount() const;
    QTreeView* view() const { return m_view; }
    // How many of the oldest rows went once the log held MaxRows; the log says so above its rows.
    qint64 dropped() const { return m_dropped; }

    static constexpr qsizetype MaxRows = 2'000'000;

private:
    class Model;
    void add(Entry entry);
    bool passes(const Entry& e) const;
    void refill();

    QList<Entry> m_entries;
    qint64 m_first = 0;   // the number of m_entries' first entry, counted from the first ever added
    qint64 m_dropped = 0;
    QString m_filter;
    Model* m_model;
    QTimer m_batch;
    QLineEdit* m_filterEdit;
    QLabel* m_droppedLabel;
    QTreeView* m_view;
};

} // namespace container
