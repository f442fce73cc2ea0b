#include "urllabel.h"

#include "handcursor.h"

#include "velloc/core/units.h"

#include <QMouseEvent>

using namespace velloc;

namespace linkwell {

// The system's grey-text colour, used for the caption of a disabled label.
static constexpr std::uint32_t GrayText = 0x80000011;

UrlLabel::UrlLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAutoFillBackground(true);
    setMouseTracking(true);
    setCursor(handCursor());
    setFontObject(Font::create());
}

UrlLabel::~UrlLabel()
{
    if (m_font)
        m_font->removeListener(m_fontListener);
}

void UrlLabel::setCaption(const QString& caption)
{
    setText(caption);
    adjustSize();
}

void UrlLabel::setForeColor(std::uint32_t color)
{
    m_foreColor = color;
    applyColors();
}

void UrlLabel::setBackColor(std::uint32_t color)
{
    m_backColor = color;
    applyColors();
}

void UrlLabel::applyColors()
{
    QPalette p = palette();
    const QColor fore = units::toQColor(m_foreColor);
    const QColor back = units::toQColor(m_backColor);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Window, back);
    p.setColor(QPalette::Active, QPalette::WindowText, fore);
    p.setColor(QPalette::Inactive, QPalette::WindowText, fore);
    p.setColor(QPalette::Disabled, QPalette::WindowText, units::toQColor(GrayText));
    setPalette(p);
}

void UrlLabel::setFontObject(std::shared_ptr<Font> font)
{
    if (m_font)
        m_font->removeListener(m_fontListener);
    m_font = std::move(font);
    m_fontListener = m_font->addListener([this] {
        setFont(m_font->toQFont());
        adjustSize();
    });
    setFont(m_font->toQFont());
    adjustSize();
}

int UrlLabel::buttonCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

int UrlLabel::shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

void UrlLabel::report(MouseAction action, int button, QMouseEvent* event)
{
    if (!isEnabled() || !m_onMouse)
        return;
    const QPointF at = event->position();
    m_onMouse(action, button, shiftCode(event->modifiers()), float(at.x() * units::twipsPerPixelX()),
              float(at.y() * units::twipsPerPixelY()));
}

void UrlLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftPressed = isEnabled();
    report(MouseAction::Down, buttonCode(event->button()), event);
}

void UrlLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: reported as a press, but the click was the first one.
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    report(MouseAction::Down, buttonCode(event->button()), event);
}

void UrlLabel::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    // A move reports every button held, as the platform does.
    report(MouseAction::Move, buttonCode(event->buttons()), event);
}

void UrlLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool click = event->button() == Qt::LeftButton && m_leftPressed && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    // The handlers may disable or destroy the label.
    const QPointer<UrlLabel> self(this);
    report(MouseAction::Up, buttonCode(event->button()), event);
    if (click && self && isEnabled() && m_onClick)
        m_onClick();
}

} // namespace linkwell
