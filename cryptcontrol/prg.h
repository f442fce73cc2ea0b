#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace velpack {

// The progress window: a topmost window, sized like the picture holder, on which the bar is
// drawn by revealing the host's picture from the left. What is drawn stays until the window
// is destroyed; a double-click hides it.
class PRG final : public QWidget {
    Q_OBJECT
public:
    PRG();

    // Draws over what is there; the canvas keeps every drawing.
    QImage& canvas() { return m_canvas; }
    void resizeCanvas(QSize size);
    // The picture in the canvas's format, converted once per picture.
    const QImage& source(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage m_canvas;
    QImage m_source;
    qint64 m_sourceKey = 0;
};

// The thread's progress window, created hidden on first use.
PRG* progressWindow();
// Sizes the window like the picture holder and shows it, not modal, without an owner, centred
// over `hostWindow` (the active window when that is null).
void setupProgressWindow(QWidget* hostWindow);
// Reveals the picture up to `position` (a line at that place without a picture).
void UpdateProgress(std::int32_t position);
// Destroys the window; the next use creates a new one.
void releaseProgressWindow();

} // namespace velpack
