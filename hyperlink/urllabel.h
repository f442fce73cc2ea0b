#pragma once

#include "velloc/store/font.h"

#include <QLabel>

#include <cstdint>
#include <functional>

namespace linkwell {

// The control's caption label: one line of plain text that sizes itself to the text, with
// colours in the platform's encoding, a shared font object and the pointing-hand pointer.
// It reports its mouse activity in the platform's terms (buttons 1/2/4, shift 1/2/4,
// coordinates in twips from its own top-left corner) and a click (left button pressed and
// released over it). A disabled label draws its text greyed and reports nothing.
class UrlLabel final : public QLabel {
public:
    enum class MouseAction { Down, Move, Up };
    using MouseHandler = std::function<void(MouseAction action, int button, int shift, float x, float y)>;

    explicit UrlLabel(QWidget* parent = nullptr);
    ~UrlLabel() override;

    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    std::uint32_t foreColor() const { return m_foreColor; }
    void setForeColor(std::uint32_t color);
    std::uint32_t backColor() const { return m_backColor; }
    void setBackColor(std::uint32_t color);
    const std::shared_ptr<velloc::Font>& fontObject() const { return m_font; }
    // Draws with this font object from now on and follows its changes.
    void setFontObject(std::shared_ptr<velloc::Font> font);

    void setMouseHandler(MouseHandler handler) { m_onMouse = std::move(handler); }
    void setClickHandler(std::function<void()> handler) { m_onClick = std::move(handler); }

    static int buttonCode(Qt::MouseButtons buttons);
    static int shiftCode(Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void report(MouseAction action, int button, QMouseEvent* event);
    void applyColors();

    std::uint32_t m_foreColor = 0;
    std::uint32_t m_backColor = 0;
    std::shared_ptr<velloc::Font> m_font;
    int m_fontListener = 0;
    bool m_leftPressed = false;
    MouseHandler m_onMouse;
    std::function<void()> m_onClick;
};

} // namespace linkwell
