#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace linkwell {

class UrlLabel;

// The control's face: the area the host places, holding the caption label. It takes focus by
// Tab (a click leaves the focus where it was), frames the caption while it has the focus, and
// opens the link on Enter or Space. A disabled label makes the face skip the focus.
class LinkFace final : public QWidget {
public:
    explicit LinkFace(QWidget* parent = nullptr);

    void setLabel(UrlLabel* label);
    // What Enter and Space do: the same as a click on the caption.
    void setActivateHandler(std::function<void()> handler) { m_onActivate = std::move(handler); }

    // The caption the face shows, and opening it as Enter does (for assistive technology).
    QString caption() const;
    void activate();

    // Where the focus frame is drawn: just around the caption.
    QRect focusFrame() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followLabel();

    QPointer<UrlLabel> m_label;
    std::function<void()> m_onActivate;
};

} // namespace linkwell
