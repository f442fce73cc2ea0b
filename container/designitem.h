#pragma once

#include "velloc/hosting/formloader.h"

#include <QJsonObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace container {

// One control of the form being designed: a component, or a built-in control (label, button,
// frame...) whose members are its entry's keys; either made as the form loader makes it. Its
// description entry is kept, so keys the container does not edit are written back as they
// were read. A control inside a frame is an item of its own; the frame's entry gets its
// controls back when it is saved.
struct DesignItem {
    QString name;
    QString parent;        // the frame that holds the control; empty: the form
    QJsonObject entry;     // the description entry as read (geometry, keys and bag refreshed on
                           // save; a frame's "controls" are its items')
    QRect twips;           // left, top, width, height
    QRect entryTwips;      // as the entry placed it: while unchanged, the entry's own keys are kept
    std::shared_ptr<velloc::Object> object;
    velloc::Control* control = nullptr;
    QPointer<QWidget> face;
    QString problem;       // why a component could not be created; it is kept as written
    int cookie = 0;

    // Makes the control an entry describes, sited on `site` with its events to `sink`; a
    // component through the loader's one way of making one. On failure nothing is left over.
    static velloc::Result<DesignItem> make(const QJsonObject& entry, velloc::ControlSite& site, velloc::EventSink& sink,
                                           const velloc::FormLoader::Variables& variables, QWidget* parent);
    // An entry that could not be made, kept as written with a face that says why.
    static DesignItem broken(const QJsonObject& entry, const QString& problem);
    // Lets the control go: Terminate, off the site, its events unadvised, its face off the form
    // (with the control, when nothing else holds it).
    void release();
    // Where the face is on the form, in pixels, inside its frames or not (where the twips put it
    // when it has none).
    QRect pixelRect() const;
    // Whether the control is shown while the form runs: its own Visible, else its entry's
    // "visible"; never when it is invisible at run time.
    bool visibleAtRunTime() const;
    // Whether the control has a Visible member of its own (a built-in control does).
    bool ownsVisible() const;
    bool isFrame() const { return kindOf() == QLatin1String("frame"); }
    QString kindOf() const { return entry.value(QStringLiteral("kind")).toString(); }
    // Puts the face where the twips say, as the mode shows it.
    void place(bool runMode);
    void rename(const QString& newName);
    // Sets or (undefined) removes a key of the entry the control does not keep; whether it changed.
    bool setEntryValue(const QString& key, const QJsonValue& value);
    // Moves a control just made to where it is to stay, as if its entry had placed it there.
    void settle(QPoint twipsAt, bool runMode);
    // What is said of a name that is no control on the form.
    static velloc::Error notOnForm(const QString& name);
    // The control's properties as its bag, and a bag read into it; a control the container
    // could not make has neither.
    velloc::Result<velloc::PropertyBag> bag() const;
    velloc::Result<void> readState(const velloc::PropertyBag& bag) const;
    // The entry as it would be saved; fails when the control does not write its properties.
    velloc::Result<QJsonObject> toEntry(const velloc::FormLoader::Variables& variables) const;
};

} // namespace container
