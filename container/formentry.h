#pragma once

#include "velloc/hosting/formloader.h"
#include "velloc/store/propertybag.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRect>

namespace container::formentry {

// A control's entry in a form description: its keys, its geometry in twips and its bag lines.

QString kindOf(const QJsonObject& entry);
QString nameOf(const QJsonObject& entry);
QRect twipsOf(const QJsonObject& entry);
void setTwips(QJsonObject& entry, QRect twips);
// The names an entry brings onto the form: its own and, for a frame, those of its controls.
void collectNames(const QJsonObject& entry, QStringList& names);

// A bag's text form as the lines of an entry's "bag".
QJsonArray bagLines(const velloc::PropertyBag& bag);
// The lines a bag is saved as: the written lines where the control still holds their values
// (compared after `variables` are put in), in the written order, a changed value on the line
// that held it, a new value at the end. An unchanged bag comes back exactly as written.
QJsonArray mergeBag(const QJsonArray& written, const QJsonArray& lines, const velloc::FormLoader::Variables& variables);

// Names that name nothing else: letters, digits and underscores, a letter first.
bool isValidName(const QString& name);

} // namespace container::formentry
