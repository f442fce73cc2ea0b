#pragma once

#include "velloc/hosting/control.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonParseError>
#include <QWidget>

#include <memory>

namespace velloc {

class BuiltInControl;

// A top-level window built from a stored window description: built-in widgets and components
// created by programmatic identifier, each found again by its name. The window is the
// components' host.
class VELLOC_EXPORT Form final : public QWidget, public ControlSite {
public:
    ~Form() override;

    // A built-in control or a component's face, by name.
    QWidget* control(const QString& name) const { return m_widgets.value(name); }
    template <typename T>
    T* find(const QString& name) const { return qobject_cast<T*>(control(name)); }
    // A component created by programmatic identifier, by name.
    std::shared_ptr<Object> component(const QString& name) const { return m_components.value(name); }
    // Any control by name: a component or a built-in control (whose members are its entry's keys).
    std::shared_ptr<Object> object(const QString& name) const;
    QStringList names() const { return m_order; }
    // The focus order, first to last.
    QStringList tabOrder() const { return m_tabOrder; }

    // Notified (name of the component, property) after a component accepted a change.
    std::function<void(const QString&, const QString&)> onPropertyChanged;

    // ControlSite
    Result<void> propertyChanged(Control& control, const QString& name) override;
    std::shared_ptr<Font> ambientFont() override { return m_font; }
    bool userMode() const override { return true; }

private:
    friend class FormLoader;
    friend class FormBuilder;
    Form() = default;

    QHash<QString, QWidget*> m_widgets;
    QHash<QString, std::shared_ptr<Object>> m_components;
    QHash<QString, std::shared_ptr<BuiltInControl>> m_builtIns;
    QStringList m_order;
    QStringList m_tabOrder;
    std::shared_ptr<Font> m_font;
};

// Reads window descriptions: JSON, hand-editable.
//
//   { "name": "Form1", "caption": "...", "clientWidth": 8505, "clientHeight": 6885,
//     "borderStyle": "fixed" | "sizable", "startUpPosition": "centerScreen" | "manual",
//     "icon": "picture:base64:...", "font": "font:\"MS Sans Serif\" 8.25 400 -",
//     "controls": [ { "name": "Label1", "kind": "label", "left": 960, "top": 360,
//                     "width": 1635, "height": 195, "caption": "...", ... }, ... ],
//     "tabOrder": [ "Command1", ... ] }
//
// A control's "tabIndex" (0, 1, ...) is its place in the focus order where the form lists none.
//
// Kinds: label, textbox, button, frame (with "controls" of its own, placed inside it),
// optionbutton (grouped by container), component (with "progId" and "bag", the lines of a
// property bag's text form). Optional keys: the persisted names of a built-in control's members
// (see BuiltInControl): caption/text, font, foreColor, backColor (OLE colours), toolTip,
// enabled, visible, autoSize, value (an option button's selection); "visible" for a component.
// Geometry is in twips. "${NAME}" in any string is replaced by the variable NAME. A description
// holds values, not references: its icon, fonts and bags are inline (pictures as
// picture:base64:...), and a file name in any of them is refused.
class VELLOC_EXPORT FormLoader {
public:
    using Variables = QHash<QString, QString>;
    static Result<std::unique_ptr<Form>> load(const QString& path, const Variables& variables = {});
    static Result<std::unique_ptr<Form>> fromJson(const QByteArray& json, const Variables& variables = {});

    // The control an entry describes, made the one way every host makes it: a component created
    // by programmatic identifier, sited on `site`, given the entry's size, then its saved bag (or
    // its defaults); a built-in control (label, textbox, button, optionbutton, frame) likewise,
    // its entry's keys read through the members they name, its face made inside `parent` when
    // given. On failure the control is let go again; the error does not name the entry, the
    // caller does.
    static Result<std::shared_ptr<Object>> createControl(const QJsonObject& entry, ControlSite& site,
                                                         const Variables& variables = {}, QWidget* parent = nullptr);
    // A text that does not parse, with the line and column of the fault.
    static Error jsonError(const QByteArray& json, const QJsonParseError& error, const QString& what);
    // A string of a description with its "${NAME}" variables put in.
    static QString expand(QString text, const Variables& variables);
    // The description's top level; malformed JSON is refused naming the line and column of the fault.
    static Result<QJsonObject> parseDescription(const QByteArray& json);
};

} // namespace velloc
