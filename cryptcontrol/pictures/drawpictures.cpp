#include "builtinpictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velpack {

// A padlock: body, shackle and keyhole, scaled into `r`.
static void drawPadlock(QPainter& p, const QRectF& r, const QColor& body)
{
    const double w = r.width();
    const double h = r.height();
    QPen shackle(QColor(90, 90, 100), std::max(1.0, w * 0.12));
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(r.left() + w * 0.22, r.top() + h * 0.02, w * 0.56, h * 0.6), 0, 180 * 16);
    p.drawLine(QPointF(r.left() + w * 0.22, r.top() + h * 0.32), QPointF(r.left() + w * 0.22, r.top() + h * 0.48));
    p.drawLine(QPointF(r.left() + w * 0.78, r.top() + h * 0.32), QPointF(r.left() + w * 0.78, r.top() + h * 0.48));
    p.setPen(QPen(body.darker(150), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(r.left() + w * 0.08, r.top() + h * 0.45, w * 0.84, h * 0.53), w * 0.08, w * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(r.center().x(), r.top() + h * 0.65), w * 0.07, w * 0.07);
    p.drawRect(QRectF(r.center().x() - w * 0.03, r.top() + h * 0.65, w * 0.06, h * 0.18));
}

QImage defaultProgressPicture()
{
    QImage image(514, 266, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sweep(0, 0, 514, 0);
    sweep.setColorAt(0.0, QColor(12, 40, 96));
    sweep.setColorAt(0.5, QColor(24, 110, 170));
    sweep.setColorAt(1.0, QColor(70, 190, 120));
    p.fillRect(image.rect(), sweep);
    // Diagonal stripes, so the revealed part reads as a moving bar.
    p.setPen(QPen(QColor(255, 255, 255, 40), 14));
    for (int x = -266; x < 514; x += 40)
        p.drawLine(x, 266, x + 266, 0);
    // A row of padlocks, closing from left to right.
    for (int i = 0; i < 6; ++i) {
        const QColor body = QColor::fromHsv(40 + i * 8, 160, 230);
        drawPadlock(p, QRectF(22 + i * 82, 83, 64, 100), body);
    }
    p.end();
    return image;
}

QImage faceLogo()
{
    QImage image(73, 50, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 50);
    g.setColorAt(0, QColor(230, 236, 246));
    g.setColorAt(1, QColor(150, 170, 205));
    p.fillRect(image.rect(), g);
    drawPadlock(p, QRectF(4, 4, 30, 42), QColor(220, 170, 40));
    // Scrambled bytes beside the lock.
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 4; ++col) {
            const int v = (row * 7 + col * 13) % 5;
            p.setBrush(v % 2 ? QColor(20, 60, 130) : QColor(60, 130, 200));
            p.drawRect(QRectF(40 + col * 8, 6 + row * 8, 6, 5 - (v % 3)));
        }
    p.end();
    return image;
}

QImage toolboxBitmap()
{
    QImage image(16, 15, QImage::Format_RGB888);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    drawPadlock(p, QRectF(1, 0, 14, 15), QColor(220, 170, 40));
    p.end();
    return image;
}

} // namespace velpack
