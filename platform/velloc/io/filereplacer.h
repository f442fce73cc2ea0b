#pragma once

#include "velloc/core/error.h"
#include "velloc/core/export.h"

#include <sys/stat.h>

#include <memory>
#include <string>
#include <string_view>

namespace velloc {

// Replaces a file's content without ever leaving it half-written: the new content goes to a
// temporary file in the same directory, which takes the original's name only once it is
// complete and on disk. The new file keeps what the old one had: mode, owner, group and
// extended attributes (ACLs included); a file whose attributes could not be kept is refused
// before anything is written. A symbolic link is followed and kept. The original is locked
// (flock) for the whole operation, and any change another program makes to it meanwhile is
// reported instead of being overwritten. A killed process leaves the original as it was; a
// temporary file it may leave behind is removed by the next replacement in that folder.
class VELLOC_EXPORT FileReplacer {
public:
    // Looks at `path` without opening it: it must name a regular file with a single name.
    static Result<std::unique_ptr<FileReplacer>> examine(const QString& path);
    // A name for a temporary file beside a target: ".velloc-PID-RANDOM.tmp". Whoever makes one
    // holds a lock (flock) on it while it lives, so that the next replacement in the folder can
    // tell a leftover of a killed process and remove it.
    static QByteArray temporaryName();
    // examine() and prepare() in one.
    static Result<std::unique_ptr<FileReplacer>> open(const QString& path);
    ~FileReplacer();

    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    // Opens and locks the original and makes the file for its new content, refusing at once
    // (before anything is read or written) what could not be carried through: a file the
    // caller may not write, an owner or attribute the new file could not get, a folder that
    // does not allow the new file or the rename.
    Result<void> prepare();

    const QString& target() const { return m_target; }
    std::int64_t size() const { return std::int64_t(m_original.st_size); }
    mode_t mode() const { return m_original.st_mode & 07777; }

    // Up to `length` bytes of the original from `offset`, fewer only at its end. Reads ahead in
    // large pieces; the view holds until the next call.
    Result<std::string_view> read(std::int64_t offset, std::size_t length);
    // The same bytes into the caller's buffer, without the read-ahead: safe on another thread
    // while this one reads, writes or commits. Returns how many, fewer only at the end.
    Result<std::size_t> readInto(std::int64_t offset, char* to, std::size_t length) const;
    Result<void> write(std::string_view bytes);
    // Puts the new content in place of the original, with the original's mode, owner, group
    // and extended attributes.
    Result<void> commit();

private:
    FileReplacer() = default;
    Result<void> flush();
    Result<void> writeAll(std::string_view bytes);
    int createTemporary(); // 0, or why it failed (errno)
    Result<void> keepOwner();
    Result<void> copyAttributes();
    Result<void> checkUnchanged() const;
    void removeLeftovers() const;
    QString folder() const;
    Error failure(const QString& what, int error) const;
    Error refusal(const QString& why) const;

    QString m_target;      // the resolved path that is replaced
    int m_source = -1;     // the original, for reading; holds the lock
    int m_dir = -1;        // the directory holding it
    int m_temp = -1;       // the new content
    QString m_tempName;    // set only when the temporary file has a name
    bool m_committed = false;
    struct stat m_original {};
    std::string m_buffer;
    std::uint64_t m_written = 0;
    std::uint64_t m_writebackStarted = 0;
    std::string m_readAhead;
    std::int64_t m_readAheadStart = 0;
};

} // namespace velloc
