#include "frmabout.h"

#include "linkwelltxt.h"
#include "typelib.h"

#include "velloc/store/font.h"
#include "velloc/hosting/services.h"
#include "velloc/core/units.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace velloc;

namespace linkwell {

namespace {
QPointer<frmAbout>& theBox()
{
    static QPointer<frmAbout> box;
    return box;
}
int g_showing = 0;

// Two interlocking links, the library's emblem.
void drawLinks(QPainter& p, QRectF first, qreal pen, const QColor& a, const QColor& b)
{
    const QRectF second = first.translated(first.width() * 0.62, 0);
    const qreal r = first.height() / 2;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(a, pen, Qt::SolidLine, Qt::RoundCap));
    p.drawRoundedRect(first, r, r);
    p.setPen(QPen(b, pen, Qt::SolidLine, Qt::RoundCap));
    p.drawRoundedRect(second, r, r);
    // Redraw the top of the first link over the second, so the two look woven.
    p.save();
    p.setClipRect(QRectF(second.left() - pen, first.top() - pen, first.right() - second.left() + 2 * pen, r));
    p.setPen(QPen(a, pen, Qt::SolidLine, Qt::RoundCap));
    p.drawRoundedRect(first, r, r);
    p.restore();
}
} // namespace

QImage frmAbout::backgroundPicture()
{
    QImage image(369, 260, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 260);
    sky.setColorAt(0.0, QColor(18, 52, 120));
    sky.setColorAt(0.55, QColor(96, 148, 214));
    sky.setColorAt(1.0, QColor(255, 255, 255));
    p.fillRect(image.rect(), sky);
    // Faint rings, as of ripples spreading from a dropped link.
    p.setPen(QPen(QColor(255, 255, 255, 40), 2));
    for (int i = 1; i <= 6; ++i)
        p.drawEllipse(QPointF(300, 40), 24.0 * i, 14.0 * i);
    drawLinks(p, QRectF(34, 40, 92, 46), 9, QColor(250, 210, 80), QColor(235, 235, 245));
    QFont title(QStringLiteral("Serif"));
    title.setPixelSize(38);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(34, 96, 320, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Linkwell"));
    QFont sub(QStringLiteral("Sans Serif"));
    sub.setPixelSize(13);
    p.setFont(sub);
    p.setPen(QColor(230, 238, 250));
    p.drawText(QRectF(36, 140, 320, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Torvane Software"));
    return image;
}

QIcon frmAbout::icon()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawLinks(p, QRectF(3, 10, 16, 12), 3, QColor(0, 0, 192), QColor(0, 128, 255));
    return QIcon(QPixmap::fromImage(image));
}

frmAbout::frmAbout()
{
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(icon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(units::toPixels(ClientSize));
    setAutoFillBackground(false);

    Font::Description labelFont;
    labelFont.name = QStringLiteral("MS Sans Serif");
    labelFont.size = 8.25;

    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(units::toPixels(2115, 3960, 1065, 360));
    cmdClose->setDefault(true);
    cmdClose->setFont(Font::create(labelFont)->toQFont());
    // Esc ends the dialog through reject(), Enter through the default button.
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setFont(Font::create(labelFont)->toQFont());
    Label1->setText(QStringLiteral("Linkwell hyperlink control, version %1").arg(linkwellTypeLib().version.fileVersion));
    Label1->move(units::toPixelsX(360), units::toPixelsY(4380));
    Label1->adjustSize();

    LinkwellTxt1 = std::make_shared<LinkwellTxt>();
    LinkwellTxt1->setExtent(QSize(2775, 315));
    QWidget* link = LinkwellTxt1->widget();
    link->setParent(this);
    link->setObjectName(QStringLiteral("LinkwellTxt1"));
    link->move(units::toPixelsX(2580), units::toPixelsY(2400));
    (void)LinkwellTxt1->setBackColor(0x00FFFFFF);
    Font::Description linkFont = labelFont;
    linkFont.underline = true;
    (void)LinkwellTxt1->setFont(Font::create(linkFont));

    setTabOrder(cmdClose, link);
    cmdClose->setFocus();
}

frmAbout::~frmAbout()
{
    // The control deletes its face, which is a child of this box, before the box goes.
    LinkwellTxt1.reset();
}

frmAbout* frmAbout::loaded()
{
    return theBox();
}

void frmAbout::showModal(QWidget* owner)
{
    QPointer<frmAbout>& box = theBox();
    if (!box)
        box = new frmAbout;
    ++g_showing;
    services::showModal(box, owner);
    --g_showing;
    // A box shown again from inside its own showing is unloaded by the outermost one.
    if (g_showing == 0)
        delete box.data();
}

void frmAbout::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    static const QImage picture = backgroundPicture();
    p.drawImage(0, 0, picture);
}

void frmAbout::showEvent(QShowEvent* event)
{
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    cmdClose->setFocus();
    QDialog::showEvent(event);
}

} // namespace linkwell
