#include "frmabout.h"

#include "velloc.h"

#include "velloc/io/pathcodec.h"
#include "velloc/hosting/services.h"
#include "velloc/core/units.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <dlfcn.h>
#include <sys/stat.h>

using namespace velloc;

namespace velpack {

namespace {

QPointer<frmAbout>& theBox()
{
    thread_local QPointer<frmAbout> box;
    return box;
}

// Rows of byte pairs, as a dump of enciphered text looks; the same rows every time.
void drawCipherTexture(QPainter& p, QRect area)
{
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(11);
    p.setFont(mono);
    p.setPen(QColor(160, 210, 235, 38));
    std::uint32_t x = 0x5EEDu;
    for (int y = area.top() + 12; y < area.bottom(); y += 14) {
        QString row;
        for (int column = 0; column < 22; ++column) {
            x = x * 1664525u + 1013904223u;
            row += QStringLiteral("%1 ").arg((x >> 24) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
        }
        p.drawText(area.left() + 4, y, row);
    }
}

void drawPadlock(QPainter& p, QPointF centre, qreal width)
{
    const qreal bodyHeight = width * 0.82;
    const QRectF body(centre.x() - width / 2, centre.y() - bodyHeight * 0.2, width, bodyHeight);
    const qreal shackleWidth = width * 0.64;
    const QRectF shackle(centre.x() - shackleWidth / 2, body.top() - shackleWidth * 0.78, shackleWidth, shackleWidth * 1.3);

    QPainterPath arc;
    arc.moveTo(shackle.left(), body.top() + 2);
    arc.lineTo(shackle.left(), shackle.center().y());
    arc.arcTo(shackle.left(), shackle.top(), shackle.width(), shackle.width(), 180, -180);
    arc.lineTo(shackle.right(), body.top() + 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 48, 60), width * 0.15, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc.translated(2, 3));
    p.setPen(QPen(QColor(196, 204, 214), width * 0.13, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);

    QLinearGradient gold(body.topLeft(), body.bottomRight());
    gold.setColorAt(0.0, QColor(255, 222, 120));
    gold.setColorAt(0.5, QColor(226, 168, 46));
    gold.setColorAt(1.0, QColor(150, 98, 18));
    p.setPen(QPen(QColor(110, 70, 10), 2));
    p.setBrush(gold);
    p.drawRoundedRect(body, width * 0.12, width * 0.12);

    const QPointF hole(body.center().x(), body.top() + bodyHeight * 0.42);
    QPainterPath keyhole;
    keyhole.addEllipse(hole, width * 0.09, width * 0.09);
    QPolygonF slot;
    slot << QPointF(hole.x() - width * 0.05, hole.y()) << QPointF(hole.x() + width * 0.05, hole.y())
         << QPointF(hole.x() + width * 0.08, hole.y() + bodyHeight * 0.36) << QPointF(hole.x() - width * 0.08, hole.y() + bodyHeight * 0.36);
    keyhole.addPolygon(slot);
    keyhole.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(48, 30, 6));
    p.drawPath(keyhole);
}

QImage drawLogo()
{
    QImage image(frmAbout::LogoSize, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Dark at the top, where the box writes its name and version in light colours.
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0.0, QColor(10, 22, 58));
    sky.setColorAt(0.6, QColor(22, 70, 108));
    sky.setColorAt(1.0, QColor(44, 118, 146));
    p.fillRect(image.rect(), sky);
    drawCipherTexture(p, QRect(0, 70, image.width(), image.height() - 70));

    QRadialGradient glow(QPointF(120, 176), 110);
    glow.setColorAt(0.0, QColor(255, 236, 170, 90));
    glow.setColorAt(1.0, QColor(255, 236, 170, 0));
    p.fillRect(image.rect(), glow);
    drawPadlock(p, QPointF(120, 176), 92);

    // Plain text going in, scrambled text coming out.
    QFont label(QStringLiteral("Sans Serif"));
    label.setPixelSize(17);
    label.setBold(true);
    p.setFont(label);
    p.setPen(QColor(236, 244, 250));
    p.drawText(QRectF(212, 132, 220, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("plain text"));
    p.setPen(QPen(QColor(255, 210, 90), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(222, 170), QPointF(300, 170));
    p.drawLine(QPointF(300, 170), QPointF(290, 162));
    p.drawLine(QPointF(300, 170), QPointF(290, 178));
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(17);
    mono.setBold(true);
    p.setFont(mono);
    p.setPen(QColor(150, 230, 210));
    p.drawText(QRectF(212, 186, 220, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("9F 3C E1 07 B4"));

    QFont tagline(QStringLiteral("Sans Serif"));
    tagline.setPixelSize(12);
    p.setFont(tagline);
    p.setPen(QColor(214, 232, 242));
    p.drawText(QRectF(0, 272, image.width(), 24), Qt::AlignCenter,
               QStringLiteral("Files and strings, enciphered in place"));
    return image;
}

QByteArray encodeJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        return {};
    return bytes;
}

QLabel* newLabel(QWidget* parent, const char* name, QRect twips, const QFont& font, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(units::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QFont fontOf(const QString& family, qreal points, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

// ---- The box ----

frmAbout& frmAbout::load()
{
    QPointer<frmAbout>& box = theBox();
    if (!box)
        box = new frmAbout;
    return *box;
}

frmAbout* frmAbout::loaded()
{
    return theBox();
}

void frmAbout::unload()
{
    QPointer<frmAbout>& box = theBox();
    if (!box)
        return;
    if (box->isVisible()) {
        // Hiding ends the modal display that shows it; the box goes once that display is done.
        box->hide();
        box->deleteLater();
    } else {
        delete box.data();
    }
    box = nullptr;
}

const QByteArray& frmAbout::logoJpeg()
{
    static const QByteArray bytes = encodeJpeg(drawLogo());
    return bytes;
}

QIcon frmAbout::helpIcon()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 40, 140), 1));
    p.setBrush(QColor(40, 100, 210));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont mark(QStringLiteral("Sans Serif"));
    mark.setPixelSize(12);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

QString frmAbout::helpFilePath()
{
    Dl_info info {};
    QString directory;
    if (dladdr(reinterpret_cast<const void*>(&frmAbout::helpFilePath), &info) && info.dli_fname)
        directory = QFileInfo(decodePath(info.dli_fname)).absolutePath();
    return directory + QLatin1Char('/') + vellibTypeLib().helpFile;
}

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(Caption);
    // Borderless and without a taskbar entry.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    resize(units::toPixels(InitialClientSize));

    const QFont nameFont = fontOf(QStringLiteral("Arial"), 11.25, true);
    const QFont textFont = fontOf(QStringLiteral("Tahoma"), 8.25);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setLineWidth(1);
    setTextColor(Shape1, Qt::black);
    Shape1->setGeometry(units::toPixels(Shape1Geometry.x(), Shape1Geometry.y(), Shape1Geometry.width(), Shape1Geometry.height()));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(units::toPixels(75, 60, 6780, 4680));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPixmap logo;
    if (logo.loadFromData(logoJpeg(), "JPEG"))
        Image1->setPixmap(logo);

    // Element 1, the shadow, lies under element 0, one pixel to the left and below.
    AppName[1] = newLabel(this, "AppName", QRect(2925, 90, 1095, 270), nameFont, Qt::AlignCenter);
    AppName[1]->setProperty("index", 1);
    setTextColor(AppName[1], units::toQColor(0x00800000));
    AppName[0] = newLabel(this, "AppName", QRect(2940, 75, 1095, 270), nameFont, Qt::AlignCenter);
    AppName[0]->setProperty("index", 0);
    setTextColor(AppName[0], units::toQColor(0x8000000E));

    lblVersion = newLabel(this, "lblVersion", QRect(2715, 390, 4095, 255), textFont, Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(lblVersion, Qt::white);
    lblVer = newLabel(this, "lblVer", QRect(5055, 630, 1785, 255), textFont, Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(lblVer, Qt::white);
    lblCopyright = newLabel(this, "lblCopyright", QRect(60, 4770, 6780, 255), textFont, Qt::AlignCenter);

    cmdHelp = new QPushButton(this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setGeometry(units::toPixels(105, 60, 315, 315));
    cmdHelp->setIcon(helpIcon());
    cmdHelp->setIconSize(QSize(16, 16));
    cmdHelp->setToolTip(QStringLiteral("Help"));
    // A click leaves the focus where it is, so the button never shows a focus mark.
    cmdHelp->setFocusPolicy(Qt::TabFocus);
    connect(cmdHelp, &QPushButton::clicked, this, [] { services::sendKeys(QStringLiteral("{F1}")); });

    // Lies outside the visible area and only takes the focus.
    cmdFocus = new QPushButton(QStringLiteral("Dummy to take focus from other buttons"), this);
    cmdFocus->setObjectName(QStringLiteral("cmdFocus"));
    cmdFocus->setGeometry(units::toPixels(8400, 4920, 615, 1935));
    setTabOrder(cmdFocus, cmdHelp);
    cmdFocus->setFocus();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(CloseAfterMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    // Loading.
    lblVersion->setText(QStringLiteral("Version: ") + versionCaption());
    lblVer->setText(EnvironmentName + QLatin1Char(' '));
    for (QLabel* name : AppName)
        name->setText(AppTitle);
    lblCopyright->setText(vellibTypeLib().version.legalCopyright);
    setFixedSize(Shape1->size());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const double tx = units::twipsPerPixelX();
        const double ty = units::twipsPerPixelY();
        const double left = area.width() * tx / 2 - width() * tx / 2;
        const double top = area.height() * ty / 2 - height() * ty / 2;
        move(area.x() + int(std::lround(left / tx)), area.y() + int(std::lround(top / ty)));
    }
    OnTop(this, -1);
}

bool frmAbout::event(QEvent* event)
{
    // The time runs from activation. A box that is shown but never becomes active, because
    // the window manager keeps the focus elsewhere, would stay up and block its modal host
    // for good, so showing starts the time too; a running timer is not started again.
    if ((event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) && !Timer1->isActive())
        Timer1->start();
    return QWidget::event(event);
}

void frmAbout::Timer1_Timer()
{
    Timer1->stop();
    OnTop(this, 0);
    hide();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        showHelp();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAbout::showHelp()
{
    const QString path = helpFilePath();
    struct stat st {};
    if (::stat(encodePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        services::messageBox(QStringLiteral("Cannot find the help file %1").arg(path), services::MsgIcon::Exclamation,
                             services::MsgButtons::Ok, AppTitle);
        return;
    }
    services::openDocument(path);
}

// ---- Window placement ----

Variant OnTop(QWidget* WindowHwnd, std::int16_t IsOnTop)
{
    if (!WindowHwnd || !WindowHwnd->isWindow())
        return Variant();
    const bool topmost = IsOnTop == -1;
    Qt::WindowFlags flags = WindowHwnd->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    flags.setFlag(Qt::WindowStaysOnBottomHint, false);
    if (flags != WindowHwnd->windowFlags()) {
        QWindow* handle = WindowHwnd->windowHandle();
        if (WindowHwnd->isVisible() && handle) {
            // Changed on the shown window itself: setting a widget's flags would hide it, and
            // a modal display ends when its window hides.
            WindowHwnd->overrideWindowFlags(flags);
            handle->setFlags(flags);
        } else {
            WindowHwnd->setWindowFlags(flags);
        }
    }
    if (!topmost && WindowHwnd->isVisible())
        WindowHwnd->lower();
    return Variant();
}

} // namespace velpack
