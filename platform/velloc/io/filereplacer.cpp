#include "velloc/io/filereplacer.h"

#include "velloc/io/localfile.h"
#include "velloc/io/pathcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <deque>
#include <optional>
#include <set>
#include <vector>

namespace velloc {

namespace {
constexpr std::size_t FlushSize = 1 << 18;
// Temporary files are named ".velloc-PID-RANDOM.tmp". The process that made one holds a lock on
// it for as long as it lives, so a later run can tell a leftover from a file still in use.
constexpr char TempPrefix[] = ".velloc-";
constexpr char TempSuffix[] = ".tmp";

QByteArray encoded(const QString& path)
{
    return encodePath(path);
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString userName(uid_t uid)
{
    if (const passwd* pw = getpwuid(uid))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

QString groupName(gid_t gid)
{
    if (const group* gr = getgrgid(gid))
        return QString::fromLocal8Bit(gr->gr_name);
    return QString::number(gid);
}

// Reads `length` bytes at `offset` into `to`, fewer only at the end of the file; -1 with errno
// set when the read fails.
ssize_t readFully(int fd, char* to, std::size_t length, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(fd, to + done, length - done, off_t(offset + std::int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

} // namespace

QByteArray FileReplacer::temporaryName()
{
    return QByteArray(TempPrefix) + QByteArray::number(getpid()) + '-'
           + QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0') + TempSuffix;
}

namespace {

// Whether a name is one temporaryName() makes. The process number in it says nothing about
// whether the file is still in use (numbers are reused); only its lock does.
bool isTemporaryName(std::string_view name)
{
    constexpr std::string_view prefix(TempPrefix);
    constexpr std::string_view suffix(TempSuffix);
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return false;
    name = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != 16)
        return false;
    return std::all_of(name.begin(), name.begin() + std::ptrdiff_t(dash), [](char c) { return c >= '0' && c <= '9'; });
}

// Follows `path` link by link as the kernel would, and names the first symbolic link that lies
// in a world-writable sticky folder and belongs neither to the caller nor to that folder's
// owner. Such a link may have been planted by another user to make the caller rewrite a file
// of the caller's own; the kernel refuses to follow it when fs.protected_symlinks is on, and so
// do we whatever the setting. Names that cannot be looked at are left to the caller's own
// checks.
std::optional<std::pair<std::string, struct stat>> plantedLink(const std::string& path)
{
    std::string resolved;
    if (path.empty() || path[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (!cwd)
            return std::nullopt;
        resolved = cwd;
        std::free(cwd);
        if (resolved == "/")
            resolved.clear();
    }
    std::deque<std::string> rest;
    const auto prepend = [&rest](const std::string& text) {
        std::vector<std::string> parts;
        for (std::size_t at = 0; at <= text.size();) {
            const std::size_t slash = std::min(text.find('/', at), text.size());
            if (slash > at)
                parts.push_back(text.substr(at, slash - at));
            at = slash + 1;
        }
        rest.insert(rest.begin(), parts.begin(), parts.end());
    };
    prepend(path);
    const uid_t me = geteuid();
    for (int links = 0; !rest.empty();) {
        const std::string part = std::move(rest.front());
        rest.pop_front();
        if (part == ".")
            continue;
        if (part == "..") {
            resolved.resize(std::min(resolved.size(), resolved.rfind('/')));
            continue;
        }
        const std::string next = resolved + '/' + part;
        struct stat link {};
        if (lstat(next.c_str(), &link) != 0)
            return std::nullopt;
        if (!S_ISLNK(link.st_mode)) {
            resolved = next;
            continue;
        }
        struct stat folder {};
        if (stat(resolved.empty() ? "/" : resolved.c_str(), &folder) != 0)
            return std::nullopt;
        if ((folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH) && link.st_uid != me && link.st_uid != folder.st_uid)
            return std::make_pair(next, link);
        if (++links > 40)
            return std::nullopt;
        std::string target(std::size_t(link.st_size > 0 ? link.st_size : PATH_MAX), '\0');
        const ssize_t n = readlink(next.c_str(), target.data(), target.size());
        if (n < 0)
            return std::nullopt;
        target.resize(std::size_t(n));
        if (!target.empty() && target[0] == '/')
            resolved.clear();
        prepend(target);
    }
    return std::nullopt;
}

// The names of a file's extended attributes; on failure, none and `error` set.
std::vector<std::string> attributeNames(int fd, int& error)
{
    error = 0;
    std::vector<char> list;
    for (;;) {
        const ssize_t size = flistxattr(fd, nullptr, 0);
        if (size < 0)
            return error = errno, std::vector<std::string>();
        list.resize(std::size_t(size));
        const ssize_t got = size ? flistxattr(fd, list.data(), list.size()) : 0;
        if (got >= 0) {
            list.resize(std::size_t(got));
            break;
        }
        if (errno != ERANGE)
            return error = errno, std::vector<std::string>();
    }
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size();) {
        const std::string name(list.data() + at);
        at += name.size() + 1;
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

// The same file, as it was: a write, a chmod, a chown or a new name all change one of these.
bool sameFile(const struct stat& a, const struct stat& b)
{
    const auto same = [](const timespec& x, const timespec& y) { return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec; };
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && same(a.st_mtim, b.st_mtim)
           && same(a.st_ctim, b.st_ctim) && a.st_mode == b.st_mode && a.st_uid == b.st_uid && a.st_gid == b.st_gid
           && a.st_nlink == b.st_nlink;
}

} // namespace

Error FileReplacer::failure(const QString& what, int error) const
{
    const int number = (error == ENOSPC || error == EFBIG || error == EDQUOT) ? errc::DiskFull
                       : error == ENOMEM                                   ? errc::OutOfMemory
                                                                           : errc::PathFileAccess;
    return Error(number, QStringLiteral("%1 %2: %3").arg(what, m_target, errorText(error)));
}

Error FileReplacer::refusal(const QString& why) const
{
    return Error(errc::PathFileAccess, QStringLiteral("%1 %2; it is left unchanged").arg(m_target, why));
}

QString FileReplacer::folder() const
{
    return QFileInfo(m_target).absolutePath();
}

Result<std::unique_ptr<FileReplacer>> FileReplacer::examine(const QString& path)
{
    std::unique_ptr<FileReplacer> r(new FileReplacer);
    if (const auto link = plantedLink(encoded(path).toStdString()))
        return Error(errc::PathFileAccess,
                     QStringLiteral("%1 leads through the symbolic link %2, which belongs to %3 and lies in the shared "
                                    "folder %4; a link there is followed only when it belongs to you or to the "
                                    "folder's owner, so nothing is changed")
                         .arg(path, decodePath(QByteArray::fromStdString(link->first)), userName(link->second.st_uid),
                              decodePath(QByteArray::fromStdString(link->first.substr(0, std::max<std::size_t>(link->first.rfind('/'), 1))))));
    r->m_target = canonicalPath(path);
    if (r->m_target.isEmpty())
        return Error(errc::FileNotFound, QStringLiteral("File not found: %1").arg(path));
    if (stat(encoded(r->m_target).constData(), &r->m_original) != 0)
        return r->failure(QStringLiteral("Cannot examine"), errno);
    if (!S_ISREG(r->m_original.st_mode))
        return Error(errc::PathFileAccess, QStringLiteral("%1 is not a regular file").arg(path));
    if (r->m_original.st_nlink > 1)
        return Error(errc::PathFileAccess,
                     QStringLiteral("%1 has %2 hard links; rewriting it would leave the other names with the old "
                                    "content, so it is left unchanged")
                         .arg(path)
                         .arg(qulonglong(r->m_original.st_nlink)));
    return r;
}

Result<std::unique_ptr<FileReplacer>> FileReplacer::open(const QString& path)
{
    std::unique_ptr<FileReplacer> r = VELLOC_TRY(examine(path));
    VELLOC_TRY_VOID(r->prepare());
    return r;
}

Result<void> FileReplacer::prepare()
{
    const QByteArray path = encoded(m_target);
    // Non-blocking, so that a FIFO put in the file's place cannot stall the open.
    m_source = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (m_source < 0)
        return failure(QStringLiteral("Cannot read"), errno);
    struct stat opened {};
    if (fstat(m_source, &opened) != 0)
        return failure(QStringLiteral("Cannot examine"), errno);
    if (!sameFile(opened, m_original))
        return refusal(QStringLiteral("was changed by another program while it was being opened"));
    if (flock(m_source, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return refusal(QStringLiteral("is in use: another program holds a lock on it"));
        return failure(QStringLiteral("Cannot lock"), errno);
    }

    // Only a file the caller may write, or could make writable, is rewritten: the owner may
    // rewrite a read-only file of their own, nobody may rewrite another user's protected file.
    const uid_t me = geteuid();
    if (me != 0 && me != m_original.st_uid && faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return refusal(QStringLiteral("belongs to %1, and %2 may not write it").arg(userName(m_original.st_uid), userName(me)));

    m_dir = ::open(encoded(folder()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dir < 0)
        return failure(QStringLiteral("Cannot open the folder of"), errno);
    struct stat dir {};
    if (fstat(m_dir, &dir) != 0)
        return failure(QStringLiteral("Cannot examine the folder of"), errno);
    // In a shared folder (sticky bit) only the file's or the folder's owner may rename over it.
    if ((dir.st_mode & S_ISVTX) && me != 0 && me != m_original.st_uid && me != dir.st_uid)
        return refusal(QStringLiteral("belongs to %1 and lies in the shared folder %2, where only its owner may replace it")
                           .arg(userName(m_original.st_uid), folder()));
    const auto folderRefusal = [this](int error) {
        return Error(errc::PathFileAccess,
                     QStringLiteral("The folder %1 cannot be written (%2). The new content of %3 is first written to a "
                                    "new file in that folder, which takes the old file's place only when it is "
                                    "complete; make the folder writable, or move the file to a folder you may write. "
                                    "The file is left unchanged")
                         .arg(folder(), errorText(error), QFileInfo(m_target).fileName()));
    };
    if (faccessat(m_dir, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return folderRefusal(errno);

    removeLeftovers();
    if (const int error = createTemporary()) {
        if (error == EACCES || error == EPERM || error == EROFS)
            return folderRefusal(error);
        return failure(QStringLiteral("Cannot create a temporary file beside"), error);
    }
    VELLOC_TRY_VOID(keepOwner());
    return copyAttributes();
}

int FileReplacer::createTemporary()
{
    m_temp = openat(m_dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_temp < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // Filesystems without unnamed files get a named one that is removed on every failure.
        for (int attempt = 0; attempt < 16 && m_temp < 0; ++attempt) {
            const QByteArray name = FileReplacer::temporaryName();
            m_temp = openat(m_dir, name.constData(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (m_temp >= 0)
                m_tempName = QFile::decodeName(name);
            else if (errno != EEXIST)
                break;
        }
    }
    if (m_temp < 0)
        return errno;
    flock(m_temp, LOCK_EX);
    return 0;
}

Result<void> FileReplacer::keepOwner()
{
    struct stat made {};
    if (fstat(m_temp, &made) != 0)
        return failure(QStringLiteral("Cannot examine the new content of"), errno);
    if (made.st_uid == m_original.st_uid && made.st_gid == m_original.st_gid)
        return {};
    if (fchown(m_temp, m_original.st_uid, m_original.st_gid) == 0)
        return {};
    if (errno != EPERM)
        return failure(QStringLiteral("Cannot give the owner to the new content of"), errno);
    return refusal(QStringLiteral("belongs to user %1 and group %2, and %3 may not give a new file that owner and "
                                  "group, which its new content needs")
                       .arg(userName(m_original.st_uid), groupName(m_original.st_gid), userName(geteuid())));
}

Result<void> FileReplacer::copyAttributes()
{
    int error = 0;
    const std::vector<std::string> names = attributeNames(m_source, error);
    if (error == ENOTSUP)
        return {};
    if (error)
        return failure(QStringLiteral("Cannot list the extended attributes of"), error);
    std::vector<char> value;
    for (const std::string& name : names) {
        ssize_t size = fgetxattr(m_source, name.c_str(), nullptr, 0);
        if (size > 0) {
            value.resize(std::size_t(size) + 256); // room for a value that grows meanwhile
            size = fgetxattr(m_source, name.c_str(), value.data(), value.size());
        }
        if (size < 0) {
            const int readError = errno;
            return failure(QStringLiteral("Cannot read the extended attribute %1 of").arg(QString::fromStdString(name)), readError);
        }
        if (fsetxattr(m_temp, name.c_str(), value.data(), std::size_t(size), 0) != 0) {
            const int setError = errno;
            return refusal(QStringLiteral("has the extended attribute %1, which its new content cannot be given (%2)")
                               .arg(QString::fromStdString(name), errorText(setError)));
        }
    }
    // What the new file was given by its folder (a default ACL, say) and the original lacks goes.
    const std::vector<std::string> given = attributeNames(m_temp, error);
    const std::set<std::string> kept(names.begin(), names.end());
    for (const std::string& name : given) {
        if (!kept.contains(name) && fremovexattr(m_temp, name.c_str()) != 0) {
            const int removeError = errno;
            return refusal(QStringLiteral("would get the extended attribute %1 it does not have (%2)")
                               .arg(QString::fromStdString(name), errorText(removeError)));
        }
    }
    return {};
}

void FileReplacer::removeLeftovers() const
{
    const int fd = openat(m_dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* listing = fdopendir(fd);
    if (!listing) {
        ::close(fd);
        return;
    }
    // Only what this replacement could itself have left: a file of the caller's, or, when root
    // rewrites another user's file, of that user (the new content is given the owner at once).
    // Whatever else carries the name belongs to somebody else and stays.
    const uid_t me = geteuid();
    const auto ours = [&](uid_t owner) { return owner == me || (me == 0 && owner == m_original.st_uid); };
    while (const dirent* entry = readdir(listing)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        const int leftover = openat(m_dir, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (leftover < 0)
            continue;
        struct stat info {};
        struct stat named {};
        // The lock alone tells a file still in use from a leftover: whoever makes one holds it
        // for as long as the file lives.
        if (fstat(leftover, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && ours(info.st_uid)
            && flock(leftover, LOCK_EX | LOCK_NB) == 0
            && fstatat(m_dir, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == info.st_dev
            && named.st_ino == info.st_ino)
            unlinkat(m_dir, entry->d_name, 0);
        ::close(leftover);
    }
    closedir(listing);
}

FileReplacer::~FileReplacer()
{
    if (!m_committed && !m_tempName.isEmpty() && m_dir >= 0)
        unlinkat(m_dir, encoded(m_tempName).constData(), 0);
    if (m_temp >= 0)
        ::close(m_temp);
    if (m_source >= 0)
        ::close(m_source);
    if (m_dir >= 0)
        ::close(m_dir);
}

Result<std::string_view> FileReplacer::read(std::int64_t offset, std::size_t length)
{
    static constexpr std::size_t ReadAhead = 1 << 18;
    const std::int64_t end = offset + std::int64_t(length);
    const std::int64_t bufferEnd = m_readAheadStart + std::int64_t(m_readAhead.size());
    const bool atEndOfFile = bufferEnd >= std::int64_t(m_original.st_size);
    if (offset < m_readAheadStart || offset > bufferEnd || (end > bufferEnd && !atEndOfFile)) {
        m_readAhead.resize(std::max(length, ReadAhead));
        const ssize_t done = readFully(m_source, m_readAhead.data(), m_readAhead.size(), offset);
        if (done < 0)
            return failure(QStringLiteral("Cannot read"), errno);
        m_readAhead.resize(std::size_t(done));
        m_readAheadStart = offset;
    }
    const std::size_t from = std::size_t(offset - m_readAheadStart);
    const std::string_view view = std::string_view(m_readAhead).substr(std::min(from, m_readAhead.size()), length);
    if (view.size() < length && end <= std::int64_t(m_original.st_size))
        return refusal(QStringLiteral("became shorter while it was being read; another program changed it"));
    return view;
}

Result<std::size_t> FileReplacer::readInto(std::int64_t offset, char* to, std::size_t length) const
{
    const ssize_t done = readFully(m_source, to, length, offset);
    if (done < 0)
        return failure(QStringLiteral("Cannot read"), errno);
    if (std::size_t(done) < length && offset + std::int64_t(length) <= std::int64_t(m_original.st_size))
        return refusal(QStringLiteral("became shorter while it was being read; another program changed it"));
    return std::size_t(done);
}

Result<void> FileReplacer::writeAll(std::string_view bytes)
{
    if (const int error = localfile::writeAll(m_temp, bytes))
        return failure(QStringLiteral("Cannot write the new content of"), error);
    m_written += bytes.size();
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
    VELLOC_TRY_VOID(writeAll(m_buffer));
    m_buffer.clear();
    return {};
}

Result<void> FileReplacer::write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > FlushSize && !m_buffer.empty())
        VELLOC_TRY_VOID(flush());
    if (bytes.size() >= FlushSize)
        return writeAll(bytes);
    m_buffer.append(bytes);
    return {};
}

Result<void> FileReplacer::checkUnchanged() const
{
    struct stat now {};
    struct stat named {};
    const QByteArray name = encoded(QFileInfo(m_target).fileName());
    if (fstat(m_source, &now) != 0 || fstatat(m_dir, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || !sameFile(now, m_original) || !sameFile(named, m_original))
        return Error(errc::PathFileAccess,
                     QStringLiteral("%1 changed while it was being processed; it was left as the other program wrote it")
                         .arg(m_target));
    return {};
}

Result<void> FileReplacer::commit()
{
    VELLOC_TRY_VOID(flush());
    // Writing drops some attributes (file capabilities), so they are given again at the end.
    VELLOC_TRY_VOID(copyAttributes());
    if (fchmod(m_temp, mode()) != 0)
        return failure(QStringLiteral("Cannot set the permissions of the new content of"), errno);
    if (fsync(m_temp) != 0)
        return failure(QStringLiteral("Cannot save the new content of"), errno);
    VELLOC_TRY_VOID(checkUnchanged());

    const QByteArray targetName = encoded(QFileInfo(m_target).fileName());
    if (m_tempName.isEmpty()) {
        // Give the unnamed file a name, then move it over the original.
        const QByteArray procPath = QByteArray("/proc/self/fd/") + QByteArray::number(m_temp);
        for (int attempt = 0; attempt < 16 && m_tempName.isEmpty(); ++attempt) {
            const QByteArray name = FileReplacer::temporaryName();
            if (linkat(AT_FDCWD, procPath.constData(), m_dir, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                m_tempName = QFile::decodeName(name);
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

} // namespace velloc
