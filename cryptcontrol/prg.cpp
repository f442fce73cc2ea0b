#include "prg.h"

#include "sharedsettings.h"

#include "velloc/store/picture.h"
#include "velloc/hosting/services.h"
#include "velloc/core/units.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWindow>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velpack {

PRG::PRG()
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("PRG"));
    setWindowTitle(QStringLiteral("Progress"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resizeCanvas(size());
}

namespace {

// Copies the top left of `from` (RGB32) onto `to` (RGB32) row by row. The canvas is never
// drawn on with a painter: Qt's painter hands large fills to a pool of threads and waits for
// them, which hangs for ever in a process that cannot start a thread, in the middle of an
// operation. Plain copies need no other thread.
void copyRows(QImage& to, const QImage& from, int width, int height)
{
    width = std::min({width, to.width(), from.width()});
    height = std::min({height, to.height(), from.height()});
    if (width <= 0)
        return;
    for (int y = 0; y < height; ++y)
        std::memcpy(to.scanLine(y), from.constScanLine(y), std::size_t(width) * 4);
}

} // namespace

void PRG::resizeCanvas(QSize size)
{
    if (m_canvas.size() == size)
        return;
    QImage canvas(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas.fill(palette().color(QPalette::Window));
    if (!m_canvas.isNull())
        copyRows(canvas, m_canvas, m_canvas.width(), m_canvas.height());
    m_canvas = canvas;
}

const QImage& PRG::source(const QImage& picture)
{
    if (m_sourceKey == picture.cacheKey())
        return m_source;
    if (picture.format() == QImage::Format_RGB32) {
        m_source = picture;
    } else {
        // Converted a row at a time: Qt converts a large image on several threads as well.
        m_source = QImage(picture.size(), QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            const QImage row = picture.copy(0, y, picture.width(), 1).convertToFormat(QImage::Format_RGB32);
            std::memcpy(m_source.scanLine(y), row.constScanLine(0), std::size_t(picture.width()) * 4);
        }
    }
    m_sourceKey = picture.cacheKey();
    return m_source;
}

void PRG::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_canvas);
}

void PRG::mouseDoubleClickEvent(QMouseEvent*)
{
    hide();
}

void PRG::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    qApp->installEventFilter(this);
}

void PRG::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QWidget::hideEvent(event);
}

bool PRG::eventFilter(QObject* watched, QEvent* event)
{
    // The window stays above the program's windows, but a message box raised while it is shown
    // (by the operation, the control or the host) waits for an answer: it goes above the
    // progress window and takes the focus, or the operation would wait on a box nobody sees.
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && qobject_cast<QDialog*>(window) && window->windowHandle()) {
            window->windowHandle()->setFlag(Qt::WindowStaysOnTopHint);
            QTimer::singleShot(0, window, [window] {
                window->raise();
                window->activateWindow();
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

PRG* progressWindow()
{
    SharedSettings& s = sharedSettings();
    if (!s.ProgressWindow)
        s.ProgressWindow = new PRG;
    return s.ProgressWindow;
}

static QSize holderSize()
{
    int width = 7740;
    int height = 4020;
    if (auto holder = sharedSettings().ProgressPictureBox.lock()) {
        width = holder->widthTwips;
        height = holder->heightTwips;
    }
    return velloc::units::toPixels(QSize(width, height));
}

// Centred over the window the operation was started from: the host's top-level window, or the
// active window when the host has none; whole on that window's screen.
static void placeOver(PRG* window, QWidget* hostWindow)
{
    QWidget* over = hostWindow && hostWindow->isVisible() ? hostWindow->window() : QApplication::activeWindow();
    if (over == window)
        over = nullptr;
    QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame(QPoint(), window->frameGeometry().size().expandedTo(window->size()));
    frame.moveCenter(over ? over->frameGeometry().center() : available.center());
    frame.moveLeft(std::clamp(frame.left(), available.left(), std::max(available.left(), available.right() + 1 - frame.width())));
    frame.moveTop(std::clamp(frame.top(), available.top(), std::max(available.top(), available.bottom() + 1 - frame.height())));
    window->setScreen(screen);
    window->move(frame.topLeft());
}

void setupProgressWindow(QWidget* hostWindow)
{
    PRG* window = progressWindow();
    const QSize size = holderSize();
    window->setFixedSize(size);
    window->resizeCanvas(size);
    placeOver(window, hostWindow);
    window->show();
}

void UpdateProgress(std::int32_t position)
{
    SharedSettings& s = sharedSettings();
    PRG* window = progressWindow();
    const int height = holderSize().height();
    // An empty file has no scale: its bar is full at once.
    const double w = s.ProgressScale > 0 ? std::floor(double(position) / s.ProgressScale) : double(window->width());
    const int revealed = int(std::clamp(w, 0.0, double(window->width())));
    std::shared_ptr<velloc::Picture> picture;
    if (auto holder = s.ProgressPictureBox.lock())
        picture = holder->picture;
    window->resizeCanvas(window->size());
    QImage& canvas = window->canvas();
    if (picture && picture->handle() != 0) {
        copyRows(canvas, window->source(picture->image()), revealed, height);
    } else if (revealed < canvas.width()) {
        for (int y = 0; y < canvas.height(); ++y)
            reinterpret_cast<QRgb*>(canvas.scanLine(y))[revealed] = qRgb(0, 0, 0);
    }
    velloc::services::doEvents();
    if (s.ProgressWindow)
        s.ProgressWindow->update();
}

void releaseProgressWindow()
{
    SharedSettings& s = sharedSettings();
    delete s.ProgressWindow.data();
    s.ProgressWindow = nullptr;
}

} // namespace velpack
