#pragma once

#include <QHash>
#include <QRect>
#include <QWidget>

class QPainter;

namespace container {

class DesignForm;

// Lies over the form in design mode: takes the mouse and the keyboard from the controls,
// draws the selection handles, and turns drags and arrow keys into moves and resizes; in the
// tab-order mode it shows each control's place and takes the clicks that set it.
class SelectionOverlay final : public QWidget {
    Q_OBJECT
public:
    static constexpr int HandleSize = 6;

    SelectionOverlay(DesignForm* form, QWidget* canvas);

    // The handles of a rectangle: eight, clockwise from the top left.
    static QList<QRect> handles(QRect r);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void paintTabOrder(QPainter& p);

    DesignForm* m_form;
    QPoint m_pressAt;
    int m_handle = -1;              // the handle being dragged, -1 when moving
    bool m_dragging = false;
    QHash<QString, QRect> m_startTwips;
};

} // namespace container
