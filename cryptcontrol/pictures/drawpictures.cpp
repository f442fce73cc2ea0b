// Draws the library's built-in pictures at build time and writes them as PNG data into a
// source file of the library. The library never paints them itself: Qt's painter fills large
// areas on a pool of threads and waits for them, which hangs a process that cannot start a
// thread (a limit on processes or on memory), and creating a control must not depend on that.
//
//   velpack_drawpictures OUTPUT.cpp
#include <QBuffer>
#include <QSaveFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

// A padlock: body, shackle and keyhole, scaled into `r`.
void drawPadlock(QPainter& p, const QRectF& r, const QColor& body)
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
    QImage image(514, 266, QImage::Format_RGB32);
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
    QImage image(73, 50, QImage::Format_RGB32);
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
    QImage image(16, 15, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    drawPadlock(p, QRectF(1, 0, 14, 15), QColor(220, 170, 40));
    p.end();
    return image;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

QByteArray array(const char* name, const QByteArray& bytes)
{
    QByteArray out = "extern const unsigned char " + QByteArray(name) + "[] = {";
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out += (i % 20 == 0 ? "\n    " : " ") + QByteArray::number(uchar(bytes[i])) + ',';
    out += "\n};\nextern const unsigned long " + QByteArray(name) + "Size = " + QByteArray::number(bytes.size()) + ";\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: velpack_drawpictures OUTPUT.cpp\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::pair<const char*, QImage> pictures[] = {
        {"progressPicturePng", defaultProgressPicture()},
        {"faceLogoPng", faceLogo()},
        {"toolboxBitmapPng", toolboxBitmap()},
    };
    QByteArray source = "// Written by velpack_drawpictures at build time; see cryptcontrol/pictures/drawpictures.cpp.\n"
                        "namespace velpack::pictures {\n";
    for (const auto& [name, image] : pictures) {
        const QByteArray bytes = png(image);
        if (bytes.isEmpty()) {
            std::fprintf(stderr, "velpack_drawpictures: cannot encode %s\n", name);
            return 1;
        }
        source += array(name, bytes);
    }
    source += "} // namespace velpack::pictures\n";
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(source) != source.size() || !out.commit()) {
        std::fprintf(stderr, "velpack_drawpictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
