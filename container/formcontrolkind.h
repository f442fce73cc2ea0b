#pragma once

#include "velloc/hosting/builtincontrol.h"

#include <QJsonObject>
#include <QSize>

namespace container {

// A control the form builds itself (label, text box, button, option button, frame) as a form
// designer offers it: under the name a person knows it by, named Label1, Text1, Command1, ... as
// it is inserted, and at the size such a control starts at.
struct FormControlKind {
    QString key;       // the entry's "kind"
    QString nameBase;  // Label, Text, Command, Option, Frame
    QSize twips;       // the size it is inserted at
    velloc::BuiltInControl::Kind kind;

    // The kinds in the order a toolbox lists them.
    static const QList<FormControlKind>& all();
    static const FormControlKind* find(QStringView key);

    // What the toolbox calls it: the control's class name (CommandButton, TextBox, ...).
    QString className() const;
    // A new entry named `name` at the form's top left: the keys the loader needs and no more,
    // the name as its caption (a text box's text).
    QJsonObject entry(const QString& name) const;
};

} // namespace container
