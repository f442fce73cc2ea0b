#include "filereplacer.h"

#include "platform/pathcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>


namespace platform {

namespace {
constexpr std::size_t FlushSize = 1 << 20;
constexpr int DiskFull = 61;

QByteArray encoded(const QString& path)
{
    return encodePath(path);
}
} // namespace

Error FileReplacer::failure(const QString& what, int error) const
{
    const int number = (error == ENOSPC || error == EFBIG || error == EDQUOT) ? DiskFull : errc::PathFileAccess;
    return Error(number, QStringLiteral("%1 %2: %3").arg(what, m_target, QString::fromLocal8Bit(std::strerror(error))));
}

Result<std::unique_ptr<FileReplacer>> FileReplacer::open(const QString& path)
{
    std::unique_ptr<FileReplacer> r(new FileReplacer);
    r->m_target = canonicalPath(path);
    if (r->m_target.isEmpty())
        return Error(errc::FileNotFound, QStringLiteral("File not found: %1").arg(path));
    r->m_source = ::open(encoded(r->m_target).constData(), O_RDONLY | O_CLOEXEC);
    if (r->m_source < 0)
        return r->failure(QStringLiteral("Cannot read"), errno);
    if (fstat(r->m_source, &r->m_original) != 0)
        return r->failure(QStringLiteral("Cannot examine"), errno);
    if (!S_ISREG(r->m_original.st_mode))
        return Error(errc::PathFileAccess, QStringLiteral("%1 is not a regular file").arg(path));
    if (r->m_original.st_nlink > 1)
        return Error(errc::PathFileAccess,
                     QStringLiteral("%1 has %2 hard links; rewriting it would leave the other names with the old "
                                    "content, so it is left unchanged")
                         .arg(path)
                         .arg(qulonglong(r->m_original.st_nlink)));
    const QString dir = QFileInfo(r->m_target).absolutePath();
    r->m_dir = ::open(encoded(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (r->m_dir < 0)
        return r->failure(QStringLiteral("Cannot open the folder of"), errno);
    r->m_temp = openat(r->m_dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (r->m_temp < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // Filesystems without unnamed files get a named one that is removed on every failure.
        for (int attempt = 0; attempt < 16 && r->m_temp < 0; ++attempt) {
            const QString name = QStringLiteral(".velloc-%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
            r->m_temp = openat(r->m_dir, encoded(name).constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
            if (r->m_temp >= 0)
                r->m_tempName = name;
            else if (errno != EEXIST)
                break;
        }
    }
    if (r->m_temp < 0)
        return r->failure(QStringLiteral("Cannot create a temporary file beside"), errno);
    return r;
}

FileReplacer::~FileReplacer()
{
    if (m_map)
        munmap(m_map, m_mapLength);
    if (m_temp >= 0)
        ::close(m_temp);
    if (!m_committed && !m_tempName.isEmpty() && m_dir >= 0)
        unlinkat(m_dir, encoded(m_tempName).constData(), 0);
    if (m_source >= 0)
        ::close(m_source);
    if (m_dir >= 0)
        ::close(m_dir);
}

Result<std::string_view> FileReplacer::read(std::int64_t offset, std::size_t length)
{
    static constexpr std::size_t ReadAhead = 1 << 20;
    const std::int64_t end = offset + std::int64_t(length);
    const std::int64_t bufferEnd = m_readAheadStart + std::int64_t(m_readAhead.size());
    const bool atEndOfFile = bufferEnd >= std::int64_t(m_original.st_size);
    if (offset < m_readAheadStart || offset > bufferEnd || (end > bufferEnd && !atEndOfFile)) {
        m_readAhead.resize(std::max(length, ReadAhead));
        std::size_t done = 0;
        while (done < m_readAhead.size()) {
            const ssize_t n = pread(m_source, m_readAhead.data() + done, m_readAhead.size() - done, off_t(offset + std::int64_t(done)));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return failure(QStringLiteral("Cannot read"), errno);
            }
            if (n == 0)
                break;
            done += std::size_t(n);
        }
        m_readAhead.resize(done);
        m_readAheadStart = offset;
    }
    const std::size_t from = std::size_t(offset - m_readAheadStart);
    return std::string_view(m_readAhead).substr(from, std::min(length, m_readAhead.size() - from));
}

Result<std::string_view> FileReplacer::map(std::size_t length)
{
    if (length == 0)
        return std::string_view();
    if (m_map)
        munmap(m_map, m_mapLength);
    m_map = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, m_source, 0);
    if (m_map == MAP_FAILED) {
        m_map = nullptr;
        return failure(QStringLiteral("Cannot read"), errno);
    }
    m_mapLength = length;
    m_released = 0;
    m_trimmed = false;
    madvise(m_map, length, MADV_SEQUENTIAL);
    return std::string_view(static_cast<const char*>(m_map), length);
}

void FileReplacer::releaseMappedBefore(std::size_t offset)
{
    if (!m_map)
        return;
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    if (!m_trimmed) {
        // A routine may look over the whole text before its pass (to refuse it early); that
        // made every page resident. Dropping them costs nothing: they come back from the page
        // cache as the pass reaches them.
        madvise(m_map, m_mapLength, MADV_DONTNEED);
        m_trimmed = true;
    }
    // In steps of a few megabytes: a call for every block would cost more than it saves.
    static constexpr std::size_t ReleaseStep = 8 << 20;
    const std::size_t end = std::min(offset, m_mapLength) / page * page;
    if (end < m_released + ReleaseStep)
        return;
    madvise(static_cast<char*>(m_map) + m_released, end - m_released, MADV_DONTNEED);
    m_released = end;
}

Result<void> FileReplacer::writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_temp, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(QStringLiteral("Cannot write the new content of"), errno);
        }
        bytes.remove_prefix(std::size_t(n));
        m_written += std::uint64_t(n);
    }
    // Start writing to disk while the rest is still being processed, so that the final
    // flush before the new content takes the old one's place has little left to wait for.
    static constexpr std::uint64_t WritebackStep = 8 << 20;
    if (m_written - m_writebackStarted >= WritebackStep) {
        sync_file_range(m_temp, off64_t(m_writebackStarted), off64_t(m_written - m_writebackStarted), SYNC_FILE_RANGE_WRITE);
        m_writebackStarted = m_written;
    }
    return {};
}

Result<void> FileReplacer::flush()
{
    TRY_VOID(writeAll(m_buffer));
    m_buffer.clear();
    return {};
}

Result<void> FileReplacer::write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > FlushSize && !m_buffer.empty())
        TRY_VOID(flush());
    if (bytes.size() >= FlushSize)
        return writeAll(bytes);
    m_buffer.append(bytes);
    return {};
}

Result<void> FileReplacer::restart()
{
    m_buffer.clear();
    m_written = m_writebackStarted = 0;
    if (ftruncate(m_temp, 0) != 0 || lseek(m_temp, 0, SEEK_SET) != 0)
        return failure(QStringLiteral("Cannot reset the new content of"), errno);
    return {};
}

Result<void> FileReplacer::commit()
{
    TRY_VOID(flush());
    if (fchmod(m_temp, mode()) != 0)
        return failure(QStringLiteral("Cannot set the permissions of the new content of"), errno);
    if (fsync(m_temp) != 0)
        return failure(QStringLiteral("Cannot save the new content of"), errno);

    // Someone else may have replaced or changed the file while it was being read.
    struct stat now {};
    if (stat(encoded(m_target).constData(), &now) != 0 || now.st_ino != m_original.st_ino
        || now.st_dev != m_original.st_dev || now.st_size != m_original.st_size
        || now.st_mtim.tv_sec != m_original.st_mtim.tv_sec || now.st_mtim.tv_nsec != m_original.st_mtim.tv_nsec)
        return Error(errc::PathFileAccess,
                     QStringLiteral("%1 changed while it was being processed; it was left as the other program wrote it")
                         .arg(m_target));

    const QByteArray targetName = encoded(QFileInfo(m_target).fileName());
    if (m_tempName.isEmpty()) {
        // Give the unnamed file a name, then move it over the original.
        const QByteArray procPath = QByteArray("/proc/self/fd/") + QByteArray::number(m_temp);
        for (int attempt = 0; attempt < 16 && m_tempName.isEmpty(); ++attempt) {
            const QString name = QStringLiteral(".velloc-%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
            if (linkat(AT_FDCWD, procPath.constData(), m_dir, encoded(name).constData(), AT_SYMLINK_FOLLOW) == 0)
                m_tempName = name;
            else if (errno != EEXIST)
                return failure(QStringLiteral("Cannot name the new content of"), errno);
        }
    }
    if (renameat(m_dir, encoded(m_tempName).constData(), m_dir, targetName.constData()) != 0)
        return failure(QStringLiteral("Cannot put the new content in place of"), errno);
    m_committed = true;
    fsync(m_dir);
    return {};
}

} // namespace platform
