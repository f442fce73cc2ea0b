#pragma once

#include "velloc/core/error.h"
#include "velloc/core/export.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <string_view>

namespace velloc {

// Reading and writing the runtime's own files (property bags, window descriptions, registry
// entries, a script's file literals): a name given as data must never make the process wait
// on a FIFO, read a device without end or replace something that is not a file.
namespace localfile {

// What a name of that mode is, for messages: "a FIFO", "a folder", "a regular file".
VELLOC_EXPORT QString kindOf(mode_t mode);

// The most any of those files may hold.
inline constexpr qint64 MaxDataFile = 64 << 20;

// The whole content of `path`, which must be a regular file (a symbolic link is followed) of
// at most `limit` bytes. `what` names the file in errors ("property bag"). Anything else is
// refused before a byte is read: a FIFO, a device, a socket, a folder, a file too large.
VELLOC_EXPORT Result<QByteArray> readRegular(const QString& path, const QString& what, qint64 limit = MaxDataFile);

// Puts `bytes` at `path`: a regular file there (or one a symbolic link names) is replaced
// atomically, keeping its mode; a name where nothing is yet gets a new file, which appears
// only complete and on disk. A device, a FIFO, a folder or a file with several hard links is
// refused and left as it was.
// `what` names the file in errors, as for readRegular().
VELLOC_EXPORT Result<void> write(const QString& path, const QString& what, const QByteArray& bytes);

// Writes all of `bytes` to `fd`, going on after a partial or interrupted write: 0, or the errno
// of the write that failed.
VELLOC_EXPORT int writeAll(int fd, std::string_view bytes);

} // namespace localfile
} // namespace velloc
