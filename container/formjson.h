#pragma once

#include "velloc/core/error.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStringList>

namespace container {

// The order in which a JSON text gave the keys of its objects, down through nested objects and
// arrays. QJsonObject forgets it; a description a person wrote by hand is saved back in it, so
// that a form opened and saved unchanged is the same file.
struct JsonKeyOrder {
    QStringList keys;
    QHash<QString, JsonKeyOrder> members; // the orders of object and array members, by key
    QList<JsonKeyOrder> elements;         // of array elements, by index
};

// A parsed description with its key order and the indentation it was written with.
struct JsonText {
    QJsonDocument document;
    JsonKeyOrder order;
    int indent = 2;
};

// Parses `json`; an error names the line and column of the fault.
velloc::Result<JsonText> parseJson(const QByteArray& json, const QString& what);

// Writes `value` indented, each object's keys in `order` where it names them; keys it does not
// name (a width added by a move, a new control) go where a hand-written description puts them.
QByteArray writeJson(const QJsonValue& value, const JsonKeyOrder& order, int indent = 2);

} // namespace container
