#include "eventlog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace container {

namespace {

QStringList columns(const EventLog::Entry& e)
{
    return {e.time.toString(QStringLiteral("HH:mm:ss.zzz")), e.control, e.event, e.arguments};
}

} // namespace

EventLog::EventLog(QWidget* parent) : QWidget(parent), m_filterEdit(new QLineEdit(this)), m_tree(new QTreeWidget(this))
{
    m_filterEdit->setObjectName(QStringLiteral("eventFilter"));
    m_filterEdit->setPlaceholderText(tr("Filter: control or event, e.g. Velloc1 or Progress or Velloc1.Progress"));
    m_filterEdit->setClearButtonEnabled(true);
    auto* copyButton = new QPushButton(tr("&Copy"), this);
    auto* clearButton = new QPushButton(tr("C&lear"), this);
    m_tree->setObjectName(QStringLiteral("eventTree"));
    m_tree->setHeaderLabels({tr("Time"), tr("Control"), tr("Event"), tr("Arguments")});
    m_tree->setRootIsDecorated(false);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_filterEdit);
    bar->addWidget(copyButton);
    bar->addWidget(clearButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(m_tree);
    connect(m_filterEdit, &QLineEdit::textChanged, this, &EventLog::setFilter);
    connect(copyButton, &QPushButton::clicked, this, &EventLog::copy);
    connect(clearButton, &QPushButton::clicked, this, &EventLog::clear);
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
    m_entries.append(std::move(entry));
    // The oldest rows go first once the log is long.
    if (m_entries.size() > MaxRows) {
        m_entries.remove(0, m_entries.size() - MaxRows / 2);
        refill();
        return;
    }
    const Entry& e = m_entries.constLast();
    if (passes(e)) {
        auto* row = new QTreeWidgetItem(m_tree, columns(e));
        m_tree->scrollToItem(row);
    }
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
    m_tree->clear();
    QList<QTreeWidgetItem*> rows;
    for (const Entry& e : std::as_const(m_entries))
        if (passes(e))
            rows << new QTreeWidgetItem(columns(e));
    m_tree->addTopLevelItems(rows);
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
    m_entries.clear();
    m_tree->clear();
}

QString EventLog::text() const
{
    QString out;
    for (const Entry& e : m_entries)
        if (passes(e))
            out += columns(e).join(QLatin1Char('\t')) + QLatin1Char('\n');
    return out;
}

void EventLog::copy() const
{
    QApplication::clipboard()->setText(text());
}

} // namespace container
