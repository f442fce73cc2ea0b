#pragma once

#include "platform/error.h"
#include "platform/platform_export.h"

#include <sys/stat.h>

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Replaces a file's content without ever leaving it half-written: the new content goes to an
// unnamed temporary file in the same directory, which takes the original's name (and mode) only
// once it is complete and on disk. A symbolic link is followed and kept. A killed process leaves
// the original as it was and no temporary file behind.
class PLATFORM_EXPORT FileReplacer {
public:
    // Opens `path` (which must name a regular file with a single name) for reading and prepares
    // the temporary file.
    static platform::Result<std::unique_ptr<FileReplacer>> open(const QString& path);
    ~FileReplacer();

    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    const QString& target() const { return m_target; }
    std::int64_t size() const { return std::int64_t(m_original.st_size); }
    mode_t mode() const { return m_original.st_mode & 07777; }

    // Up to `length` bytes of the original from `offset`, fewer only at its end. Reads ahead in
    // large pieces; the view holds until the next call.
    platform::Result<std::string_view> read(std::int64_t offset, std::size_t length);
    // The first `length` bytes of the original, mapped read-only for one pass over all of it.
    platform::Result<std::string_view> map(std::size_t length);
    // Lets go of the mapped pages before `offset`, which the pass has left behind (and, the
    // first time, of every page read ahead of it).
    void releaseMappedBefore(std::size_t offset);
    platform::Result<void> write(std::string_view bytes);
    // Drops everything written so far.
    platform::Result<void> restart();
    // Puts the new content in place of the original, with the original's mode.
    platform::Result<void> commit();

private:
    FileReplacer() = default;
    platform::Result<void> flush();
    platform::Result<void> writeAll(std::string_view bytes);
    platform::Error failure(const QString& what, int error) const;

    QString m_target;      // the resolved path that is replaced
    int m_source = -1;     // the original, for reading
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
    void* m_map = nullptr;
    std::size_t m_mapLength = 0;
    std::size_t m_released = 0;
    bool m_trimmed = false;
};

} // namespace platform
