#include "selectionoverlay.h"

#include "designcommands.h"
#include "designform.h"
#include "toolbox.h"

#include "velloc/core/units.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QUndoStack>

using namespace velloc;

namespace container {

SelectionOverlay::SelectionOverlay(DesignForm* form, QWidget* canvas) : QWidget(canvas), m_form(form)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAttribute(Qt::WA_NoSystemBackground);
}

QList<QRect> SelectionOverlay::handles(QRect r)
{
    const int h = HandleSize;
    const QList<QPoint> centres {r.topLeft(),    QPoint(r.center().x(), r.top()),    r.topRight(),
                                 QPoint(r.right(), r.center().y()), r.bottomRight(), QPoint(r.center().x(), r.bottom()),
                                 r.bottomLeft(), QPoint(r.left(), r.center().y())};
    QList<QRect> out;
    for (const QPoint& c : centres)
        out << QRect(c.x() - h / 2, c.y() - h / 2, h, h);
    return out;
}

void SelectionOverlay::paintTabOrder(QPainter& p)
{
    // Each control's place in the tab order, on a badge at its top left, as a form designer shows it.
    const QStringList order = m_form->tabOrderMode().order();
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    for (const DesignItem& item : m_form->items()) {
        const QString number = QString::number(order.indexOf(item.name));
        const QRect r = m_form->pixelRect(item);
        QRect badge = p.fontMetrics().boundingRect(number).adjusted(-3, -1, 3, 1);
        badge.moveTopLeft(r.topLeft());
        p.setPen(QPen(QColor(0, 0, 160), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.setBrush(QColor(0, 0, 160));
        p.drawRect(badge);
        p.drawText(badge, Qt::AlignCenter, number);
    }
}

void SelectionOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_form->tabOrderMode().isActive()) {
        paintTabOrder(p);
        return;
    }
    const QStringList selection = m_form->selection();
    for (const DesignItem& item : m_form->items()) {
        const QRect r = m_form->pixelRect(item);
        if (!selection.contains(item.name)) {
            if (item.face && !item.face->isVisible()) {
                p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
                p.drawRect(r.adjusted(0, 0, -1, -1));
            }
            continue;
        }
        p.setPen(QPen(QColor(0, 0, 160), 1, Qt::DashLine));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        // The first selected control has filled handles, the others hollow ones.
        const bool primary = selection.first() == item.name;
        for (const QRect& h : handles(r)) {
            p.setPen(Qt::black);
            p.setBrush(primary ? QBrush(QColor(0, 0, 160)) : QBrush(Qt::white));
            p.drawRect(h);
        }
        p.setBrush(Qt::NoBrush);
    }
}

void SelectionOverlay::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    if (event->button() != Qt::LeftButton)
        return;
    if (m_form->tabOrderMode().isActive()) {
        m_form->tabOrderMode().click(m_form->itemAt(event->position().toPoint()));
        return;
    }
    m_pressAt = event->position().toPoint();
    m_handle = -1;
    QStringList selection = m_form->selection();
    if (selection.size() == 1)
        if (const DesignItem* item = m_form->item(selection.first())) {
            const QList<QRect> hs = handles(m_form->pixelRect(*item));
            for (int i = 0; i < hs.size(); ++i)
                if (hs[i].adjusted(-1, -1, 1, 1).contains(m_pressAt))
                    m_handle = i;
        }
    if (m_handle < 0) {
        const QString hit = m_form->itemAt(m_pressAt);
        if (event->modifiers() & Qt::ControlModifier) {
            if (!hit.isEmpty()) {
                if (selection.contains(hit))
                    selection.removeAll(hit);
                else
                    selection << hit;
            }
        } else if (hit.isEmpty()) {
            selection.clear();
        } else if (!selection.contains(hit)) {
            selection = {hit};
        }
        m_form->select(selection);
        m_form->setPastePoint(hit.isEmpty() ? std::optional<QPoint>(QPoint(units::toTwipsX(m_pressAt.x()), units::toTwipsY(m_pressAt.y())))
                                            : std::nullopt);
    }
    m_startTwips.clear();
    for (const QString& name : m_form->outerSelection())
        if (const DesignItem* item = m_form->item(name))
            m_startTwips.insert(name, item->twips);
    m_dragging = !m_startTwips.isEmpty();
}

void SelectionOverlay::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPoint d = event->position().toPoint() - m_pressAt;
    const int dx = units::toTwipsX(d.x());
    const int dy = units::toTwipsY(d.y());
    const int minimum = units::toTwipsX(1);
    for (auto it = m_startTwips.cbegin(); it != m_startTwips.cend(); ++it) {
        QRect r = it.value();
        switch (m_handle) {
        case -1: r.translate(dx, dy); break;
        case 0: r.setTopLeft(r.topLeft() + QPoint(dx, dy)); break;
        case 1: r.setTop(r.top() + dy); break;
        case 2: r.setTopRight(r.topRight() + QPoint(dx, dy)); break;
        case 3: r.setRight(r.right() + dx); break;
        case 4: r.setBottomRight(r.bottomRight() + QPoint(dx, dy)); break;
        case 5: r.setBottom(r.bottom() + dy); break;
        case 6: r.setBottomLeft(r.bottomLeft() + QPoint(dx, dy)); break;
        case 7: r.setLeft(r.left() + dx); break;
        }
        r = r.normalized();
        if (const int g = m_form->grid(); g > 0) {
            // The edges the mouse moves land on the grid.
            auto snap = [g](int v) { return (v + (v >= 0 ? g / 2 : -g / 2)) / g * g; };
            if (m_handle < 0)
                r.moveTopLeft(QPoint(snap(r.x()), snap(r.y())));
            else
                r = QRect(QPoint(snap(r.left()), snap(r.top())), QPoint(snap(r.right() + 1) - 1, snap(r.bottom() + 1) - 1));
        }
        r.setSize(r.size().expandedTo(QSize(minimum, minimum)));
        m_form->setGeometryTwips(it.key(), r);
    }
}

void SelectionOverlay::mouseReleaseEvent(QMouseEvent*)
{
    if (!std::exchange(m_dragging, false))
        return;
    QHash<QString, QRect> after;
    for (auto it = m_startTwips.cbegin(); it != m_startTwips.cend(); ++it)
        if (const DesignItem* item = m_form->item(it.key()))
            after.insert(it.key(), item->twips);
    if (after != m_startTwips)
        m_form->undoStack()->push(new GeometryCommand(m_form, m_handle < 0 ? QStringLiteral("Move") : QStringLiteral("Resize"),
                                                      m_startTwips, after));
}

void SelectionOverlay::keyPressEvent(QKeyEvent* event)
{
    if (m_form->tabOrderMode().isActive()) {
        if (event->key() == Qt::Key_Escape)
            m_form->tabOrderMode().setActive(false);
        return;
    }
    const int tx = units::toTwipsX(1), ty = units::toTwipsY(1);
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Left: step = QPoint(-tx, 0); break;
    case Qt::Key_Right: step = QPoint(tx, 0); break;
    case Qt::Key_Up: step = QPoint(0, -ty); break;
    case Qt::Key_Down: step = QPoint(0, ty); break;
    case Qt::Key_Delete: m_form->editor().deleteSelection(); return;
    default: QWidget::keyPressEvent(event); return;
    }
    if (event->modifiers() & Qt::ShiftModifier)
        m_form->editor().moveSelection(QPoint(0, 0), QSize(step.x(), step.y()), true);
    else
        m_form->editor().moveSelection(step, QSize(0, 0), true);
}

void SelectionOverlay::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QLatin1String(Toolbox::ProgIdMimeType)) || event->mimeData()->hasFormat(QLatin1String(Toolbox::FormKindMimeType)))
        event->acceptProposedAction();
}

void SelectionOverlay::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QPoint at = event->position().toPoint();
    const QPoint twips(units::toTwipsX(at.x()), units::toTwipsY(at.y()));
    FormEditor& editor = m_form->editor();
    Result<QString> inserted = data->hasFormat(QLatin1String(Toolbox::FormKindMimeType))
        ? editor.insertFormControl(QString::fromUtf8(data->data(QLatin1String(Toolbox::FormKindMimeType))), twips)
        : editor.insertControl(QString::fromUtf8(data->data(QLatin1String(Toolbox::ProgIdMimeType))), twips);
    if (!inserted)
        m_form->report(inserted.error());
    event->acceptProposedAction();
}

} // namespace container
