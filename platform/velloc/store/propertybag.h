#pragma once

#include "velloc/core/variant.h"

#include <QHash>
#include <QList>

namespace velloc {

// The named values a host keeps for a control with its saved form. Keys are matched without
// regard to case and stored in lower case, in the order they were first written.
class VELLOC_EXPORT PropertyBag {
public:
    struct Entry {
        QString name;
        Variant value;
    };

    // The stored value, or `defaultValue` when the key is absent.
    Variant read(QStringView name, const Variant& defaultValue) const;
    // Stores the value unless it equals `defaultValue` (by value, across integer widths); an
    // earlier value under the same key is replaced or, when the new one is the default, removed.
    void write(QStringView name, const Variant& value, const Variant& defaultValue);
    // Stores unconditionally (hosts' own entries, loaders).
    void set(QStringView name, const Variant& value);
    bool contains(QStringView name) const;

    const QList<Entry>& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // Text form: one "name = VALUE" line per entry; lines starting with '#' are comments. It
    // holds values only (pictures as their data): a line naming a file or an object is refused.
    QString toText() const;
    static Result<PropertyBag> fromText(const QString& text);
    // From a regular file of bounded size; a FIFO or a device is refused without waiting on it.
    static Result<PropertyBag> load(const QString& path);
    // Replaces a regular file atomically (keeping its mode) or makes a new one; refuses
    // anything else (a device, a FIFO, a file with several hard links) and leaves it as it was.
    Result<void> save(const QString& path) const;

private:
    qsizetype indexOf(QStringView name) const;
    void removeAt(qsizetype i);
    QList<Entry> m_entries;
    // Entry positions by case-folded name, so that a bag of many entries loads in linear time.
    QHash<QString, qsizetype> m_index;
};

} // namespace velloc
