// Draws the demonstration window's pictures: the progress-bar picture of Velloc1 (a 369 x 283
// colour JPEG) and the window's icon (48 x 48 PNG). Run once; the results are stored in
// Form1.json (base64) and installed as the program's icon.
//   g++ -std=c++20 -fPIC drawassets.cpp $(pkg-config --cflags --libs Qt6Gui) -o drawassets && ./drawassets
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

static void drawKey(QPainter& p, QRectF r, QColor metal)
{
    p.setPen(QPen(metal.darker(160), r.width() * 0.03));
    p.setBrush(metal);
    const double ring = r.height() * 0.8;
    p.drawEllipse(QRectF(r.left(), r.center().y() - ring / 2, ring, ring));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(r.left() + ring * 0.3, r.center().y() - ring * 0.2, ring * 0.4, ring * 0.4));
    p.setBrush(metal);
    const double shaft = r.height() * 0.16;
    p.drawRect(QRectF(r.left() + ring * 0.95, r.center().y() - shaft / 2, r.width() - ring * 0.95, shaft));
    for (int t = 0; t < 3; ++t)
        p.drawRect(QRectF(r.right() - r.width() * (0.1 + 0.13 * t), r.center().y(), r.width() * 0.07, r.height() * (0.25 + 0.08 * (t % 2))));
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QImage bar(369, 283, QImage::Format_RGB888);
    {
        QPainter p(&bar);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 369, 0);
        sky.setColorAt(0, QColor(250, 120, 40));
        sky.setColorAt(0.5, QColor(240, 200, 60));
        sky.setColorAt(1, QColor(60, 170, 90));
        p.fillRect(bar.rect(), sky);
        p.setPen(QPen(QColor(255, 255, 255, 60), 10));
        for (int x = -283; x < 369; x += 36)
            p.drawLine(x, 283, x + 283, 0);
        for (int i = 0; i < 4; ++i)
            drawKey(p, QRectF(18 + i * 88, 100 + (i % 2) * 30, 80, 60), QColor::fromHsv(200 + i * 20, 90, 230));
    }
    bar.save("progress.jpg", "JPEG", 88);

    QImage icon(48, 48, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient g(24, 20, 26);
        g.setColorAt(0, QColor(90, 150, 230));
        g.setColorAt(1, QColor(20, 50, 120));
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(2, 2, 44, 44), 9, 9);
        drawKey(p, QRectF(6, 14, 36, 20), QColor(240, 200, 70));
    }
    icon.save("velloc.png", "PNG");
    return 0;
}
