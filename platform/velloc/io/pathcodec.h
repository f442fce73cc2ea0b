#pragma once

#include "velloc/core/export.h"

#include <QByteArray>
#include <QString>

namespace velloc {

// File names on Linux are bytes, and not every name is valid UTF-8. Paths cross the interfaces
// as text, so the runtime carries every name as text that turns back into exactly its bytes:
// valid UTF-8 stands as itself and each byte that is not part of a valid sequence as the
// character U+DC80 + (byte - 0x80), which valid UTF-8 never holds. Every path that goes to or
// comes from the file system goes through these two.

// The bytes of a path. A surrogate that did not come from decodePath() (one that has no byte
// behind it) becomes U+FFFD, which names no file such text meant.
VELLOC_EXPORT QByteArray encodePath(const QString& path);
// A path as text; encodePath() gives back exactly `bytes`.
VELLOC_EXPORT QString decodePath(const QByteArray& bytes);
VELLOC_EXPORT QString decodePath(const char* bytes);

// The path made absolute against the current folder and cleaned of "." and "..", without
// looking at the file system beyond the current folder.
VELLOC_EXPORT QString absolutePath(const QString& path);

// The absolute path with every symbolic link, "." and ".." resolved (realpath), or an empty
// string when it names nothing.
VELLOC_EXPORT QString canonicalPath(const QString& path);

} // namespace velloc
