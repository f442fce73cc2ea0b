#pragma once

#include "velloc/hosting/control.h"

#include <QHash>
#include <QJsonObject>

#include <optional>

namespace velloc {

// A control a window description builds itself (label, text box, button, option button,
// frame), with a member table like a component's: the browser reads and edits it through
// dispatch, and its persisted names are the keys of the control's description entry, so the
// loader reads an entry through the members its keys name and a designer writes them back.
//
// A colour or font left at its default is the style's or the container's own: the control
// takes its colours from the style and its font from what holds it (the form or a frame).
class VELLOC_EXPORT BuiltInControl final : public Control {
public:
    enum class Kind { Label, TextBox, Button, OptionButton, Frame };
    using Variables = QHash<QString, QString>;

    ~BuiltInControl() override;

    // The kind a description's "kind" names ("label", "textbox", "button", "optionbutton",
    // "frame"), if the runtime builds it.
    static std::optional<Kind> kindOf(QStringView key);
    static std::shared_ptr<BuiltInControl> create(Kind kind);

    Kind kind() const { return m_kind; }
    QString className() const override;
    const DispatchTable& dispatch() const override;
    // A new size from the host: an auto-sized label keeps the size of its caption.
    void resize() override;

    // The entry's keys as the control's saved properties, "${NAME}" put in; a key whose value
    // is not of the property's type is refused, naming the key.
    static Result<PropertyBag> bagOf(Kind kind, const QJsonObject& entry, const Variables& variables = {});
    // The entry with the control's values now: a key the control still holds the entry's value
    // of keeps its text as written, variables and all; a changed value goes under its key,
    // added only when it is not the default.
    Result<QJsonObject> entryWith(QJsonObject entry, const Variables& variables = {});

    // Where the face is made, when it is made after this: a face that starts as a window of its
    // own would leave events to deliver and take a font it does not keep.
    void setHost(QWidget* host) { m_host = host; }
    // The built-in control that holds this one (a frame): a font left at its default is its font.
    void setContainer(const std::shared_ptr<BuiltInControl>& container) { m_container = container; }
    // What the control shows while a host runs.
    bool isVisible() const { return m_visible; }

protected:
    QWidget* createWidget() override;

private:
    friend struct BuiltInTables;
    explicit BuiltInControl(Kind kind) : m_kind(kind) {}

    std::uint32_t defaultForeColor() const;
    std::uint32_t defaultBackColor() const;
    std::shared_ptr<Font> font();
    void setText(const QString& text);
    void setFontObject(std::shared_ptr<Font> font);
    void applyColours();
    void fit();

    Kind m_kind;
    QString m_caption;
    QString m_toolTip;
    std::optional<std::uint32_t> m_foreColor;
    std::optional<std::uint32_t> m_backColor;
    bool m_coloursApplied = false; // the palette is the control's own, not its container's
    std::shared_ptr<Font> m_font; // none: the container's
    int m_fontListener = 0;
    bool m_autoSize = false;
    bool m_enabled = true;
    bool m_visible = true;
    std::weak_ptr<BuiltInControl> m_container;
    QPointer<QWidget> m_host;
};

} // namespace velloc
