#include "eventlog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace container {

namespace {

QString column(const EventLog::Entry& e, int c)
{
    switch (c) {
    case 0: return e.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case 1: return e.control;
    case 2: return e.event;
    default: return e.arguments;
    }
}

} // namespace

// The rows the filter lets through, by their index among the log's entries. Rows reach it in
// batches: one insertion per batch, however many events it holds.
class EventLog::Model final : public QAbstractTableModel {
public:
    explicit Model(const QList<Entry>& entries, QObject* parent) : QAbstractTableModel(parent), m_entries(entries) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        return column(m_entries[m_rows[index.row()] - m_base], index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList names {tr("Time"), tr("Control"), tr("Event"), tr("Arguments")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return names.value(section);
        return {};
    }

    // Entries are numbered from the first ever added, so that dropping the oldest leaves the
    // numbers of the others as they were.
    void append(qint64 number) { m_pending << number; }
    void commit()
    {
        if (m_pending.isEmpty())
            return;
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + m_pending.size() - 1));
        m_rows += m_pending;
        m_pending.clear();
        endInsertRows();
    }
    void reset(QList<qint64> rows, qint64 base)
    {
        beginResetModel();
        m_rows = std::move(rows);
        m_pending.clear();
        m_base = base;
        endResetModel();
    }
    const QList<qint64>& rows() const { return m_rows; }
    const QList<qint64>& pending() const { return m_pending; }
    qint64 base() const { return m_base; }

private:
    const QList<Entry>& m_entries;
    QList<qint64> m_rows, m_pending;
    qint64 m_base = 0;
};

EventLog::EventLog(QWidget* parent)
    : QWidget(parent), m_model(new Model(m_entries, this)), m_filterEdit(new QLineEdit(this)), m_droppedLabel(new QLabel(this)),
      m_view(new QTreeView(this))
{
    m_filterEdit->setObjectName(QStringLiteral("eventFilter"));
    m_filterEdit->setPlaceholderText(tr("Filter: control or event, e.g. Velloc1 or Progress or Velloc1.Progress"));
    m_filterEdit->setClearButtonEnabled(true);
    auto* copyButton = new QPushButton(tr("&Copy"), this);
    auto* clearButton = new QPushButton(tr("C&lear"), this);
    m_droppedLabel->setObjectName(QStringLiteral("eventsDropped"));
    m_droppedLabel->hide();
    m_view->setObjectName(QStringLiteral("eventTree"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Measured once from the header and a typical row, not from every row as rows arrive.
    m_view->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->header()->setStretchLastSection(true);
    const QFontMetrics fm(m_view->font());
    m_view->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    m_view->setColumnWidth(1, fm.horizontalAdvance(QStringLiteral("LinkwellTxt1")) + 16);
    m_view->setColumnWidth(2, fm.horizontalAdvance(QStringLiteral("MouseMove__")) + 16);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_filterEdit);
    bar->addWidget(copyButton);
    bar->addWidget(clearButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(m_droppedLabel);
    layout->addWidget(m_view);
    m_batch.setSingleShot(true);
    m_batch.setInterval(50);
    connect(&m_batch, &QTimer::timeout, this, &EventLog::flush);
    connect(m_filterEdit, &QLineEdit::textChanged, this, &EventLog::setFilter);
    connect(copyButton, &QPushButton::clicked, this, &EventLog::copy);
    connect(clearButton, &QPushButton::clicked, this, &EventLog::clear);
}

EventLog::~EventLog()
{
    // The view and the model read the entries, which go before the widget's children do.
    delete m_view;
    delete m_model;
}

void EventLog::addEvent(const QString& control, const QString& event, const QStringList& args)
{
    add({QDateTime::currentDateTime(), control, event, args.join(QStringLiteral(", "))});
}

void EventLog::addChange(const QString& control, const QString& property)
{
    add({QDateTime::currentDateTime(), control, QStringLiteral("changed"), property});
}

void EventLog::addNote(const QString& text)
{
    add({QDateTime::currentDateTime(), QString(), QStringLiteral("note"), text});
}

void EventLog::add(Entry entry)
{
    if (m_entries.size() >= MaxRows) {
        // The oldest tenth goes at once, and the log says how many rows it no longer holds.
        const qsizetype drop = MaxRows / 10;
        m_entries.remove(0, drop);
        m_first += drop;
        m_dropped += drop;
        m_droppedLabel->setText(tr("%L1 earlier rows were dropped; the log keeps the last %L2").arg(m_dropped).arg(MaxRows));
        m_droppedLabel->show();
        refill();
    }
    m_entries.append(std::move(entry));
    if (passes(m_entries.constLast()))
        m_model->append(m_first + m_entries.size() - 1);
    if (!m_batch.isActive())
        m_batch.start();
}

void EventLog::flush()
{
    if (m_model->pending().isEmpty())
        return;
    QScrollBar* scroll = m_view->verticalScrollBar();
    const bool atEnd = scroll->value() == scroll->maximum();
    m_model->commit();
    if (atEnd)
        m_view->scrollToBottom();
}

int EventLog::rowCount() const
{
    return m_model->rowCount();
}

bool EventLog::passes(const Entry& e) const
{
    if (m_filter.isEmpty())
        return true;
    const QString control = m_filter.section(QLatin1Char('.'), 0, 0);
    const QString event = m_filter.section(QLatin1Char('.'), 1);
    if (m_filter.contains(QLatin1Char('.')))
        return e.control.contains(control, Qt::CaseInsensitive) && e.event.contains(event, Qt::CaseInsensitive);
    return e.control.contains(m_filter, Qt::CaseInsensitive) || e.event.contains(m_filter, Qt::CaseInsensitive);
}

void EventLog::refill()
{
    QList<qint64> rows;
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (passes(m_entries[i]))
            rows << m_first + i;
    m_model->reset(std::move(rows), m_first);
    m_view->scrollToBottom();
}

void EventLog::setFilter(const QString& text)
{
    m_filter = text.trimmed();
    if (m_filterEdit->text() != text)
        m_filterEdit->setText(text);
    refill();
}

void EventLog::clear()
{
    m_first += m_entries.size();
    m_entries.clear();
    m_dropped = 0;
    m_droppedLabel->hide();
    refill();
}

QString EventLog::text() const
{
    QString out;
    for (const Entry& e : m_entries)
        if (passes(e))
            out += QStringList {column(e, 0), column(e, 1), column(e, 2), column(e, 3)}.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return out;
}

void EventLog::copy() const
{
    QApplication::clipboard()->setText(text());
}

} // namespace container
