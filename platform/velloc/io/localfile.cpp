#include "velloc/io/localfile.h"

#include "velloc/io/filereplacer.h"
#include "velloc/io/pathcodec.h"


#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velloc::localfile {

QString kindOf(mode_t mode)
{
    if (S_ISREG(mode)) return QStringLiteral("a regular file");
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISCHR(mode)) return QStringLiteral("a character device");
    if (S_ISBLK(mode)) return QStringLiteral("a block device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("not a file");
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(std::size_t(n));
    }
    return 0;
}

namespace {

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd;
};

// A file for a name where nothing is yet: written beside it, made durable, then linked in
// under the name, which fails rather than replace anything that appeared there meanwhile.
Result<void> writeNew(const QString& path, const QString& what, const QByteArray& bytes)
{
    const auto fail = [&](int error) {
        const int number = (error == ENOSPC || error == EFBIG || error == EDQUOT) ? errc::DiskFull : errc::PathFileAccess;
        return Error(number, QStringLiteral("Cannot write %1 %2: %3").arg(what, path, reason(error)));
    };
    const QByteArray native = encodePath(path);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray dirName = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
    const QByteArray name = native.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return Error(errc::PathFileAccess, QStringLiteral("Cannot write %1 %2: it names a folder, not a file").arg(what, path));

    const Fd dir(::open(dirName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return fail(errno);
    QByteArray tempName;
    int tempFd = openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (tempFd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // Filesystems without unnamed files get a named one, removed on every way out.
        for (int attempt = 0; attempt < 16 && tempFd < 0; ++attempt) {
            tempName = FileReplacer::temporaryName();
            tempFd = openat(dir.get(), tempName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (tempFd >= 0)
                flock(tempFd, LOCK_EX);
            if (tempFd < 0 && errno != EEXIST)
                break;
        }
    }
    if (tempFd < 0)
        return fail(errno);
    const Fd temp(tempFd);
    const auto dropTemp = [&] {
        if (!tempName.isEmpty())
            unlinkat(dir.get(), tempName.constData(), 0);
    };
    if (const int error = writeAll(temp.get(), {bytes.constData(), std::size_t(bytes.size())}); error != 0) {
        dropTemp();
        return fail(error);
    }
    if (fsync(temp.get()) != 0) {
        const int error = errno;
        dropTemp();
        return fail(error);
    }
    int linked = 0;
    if (tempName.isEmpty()) {
        const QByteArray procPath = QByteArray("/proc/self/fd/") + QByteArray::number(temp.get());
        linked = linkat(AT_FDCWD, procPath.constData(), dir.get(), name.constData(), AT_SYMLINK_FOLLOW);
    } else {
        linked = linkat(dir.get(), tempName.constData(), dir.get(), name.constData(), 0);
    }
    const int error = errno;
    dropTemp();
    if (linked != 0)
        return error == EEXIST
                   ? Error(errc::PathFileAccess, QStringLiteral("Cannot write %1 %2: something else was put there "
                                                                "meanwhile; it is left as it was")
                                                     .arg(what, path))
                   : fail(error);
    fsync(dir.get());
    return {};
}

} // namespace

Result<QByteArray> readRegular(const QString& path, const QString& what, qint64 limit)
{
    const auto refuse = [&](int number, const QString& why) {
        return Error(number, QStringLiteral("Cannot read %1 %2: %3").arg(what, path, why));
    };
    const QByteArray native = encodePath(path);
    struct stat st {};
    // Looked at before it is opened: opening a device may itself do something, and opening a
    // FIFO waits for a writer.
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        return refuse(error == ENOENT || error == ENOTDIR ? errc::FileNotFound : errc::PathFileAccess, reason(error));
    }
    if (!S_ISREG(st.st_mode))
        return refuse(errc::PathFileAccess, QStringLiteral("it is %1, not a regular file").arg(kindOf(st.st_mode)));
    const auto tooLarge = [&](qint64 size) {
        return refuse(errc::Overflow, QStringLiteral("it holds %1 bytes, more than the %2 it may hold").arg(size).arg(limit));
    };
    if (st.st_size > limit)
        return tooLarge(st.st_size);
    const Fd fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return refuse(errno == ENOENT ? errc::FileNotFound : errc::PathFileAccess, reason(errno));
    // It may have been swapped for something else between the look and the open.
    if (fstat(fd.get(), &st) != 0)
        return refuse(errc::PathFileAccess, reason(errno));
    if (!S_ISREG(st.st_mode))
        return refuse(errc::PathFileAccess, QStringLiteral("it is %1, not a regular file").arg(kindOf(st.st_mode)));
    if (st.st_size > limit)
        return tooLarge(st.st_size);

    // The size may change while it is read: read no more than the limit allows.
    QByteArray out(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    while (true) {
        if (done == out.size()) {
            if (done > limit)
                return tooLarge(done);
            out.resize(qsizetype(std::min<qint64>(limit + 1, qint64(out.size()) * 2 + 4096)));
        }
        const ssize_t n = ::read(fd.get(), out.data() + done, std::size_t(out.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return refuse(errc::PathFileAccess, reason(errno));
        }
        if (n == 0)
            break;
        done += n;
    }
    if (done > limit)
        return tooLarge(done);
    out.resize(done);
    return out;
}

Result<void> write(const QString& path, const QString& what, const QByteArray& bytes)
{
    const auto refuse = [&](int number, const QString& why) {
        return Error(number, QStringLiteral("Cannot write %1 %2: %3").arg(what, path, why));
    };
    const QByteArray native = encodePath(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (errno != ENOENT)
            return refuse(errc::PathFileAccess, reason(errno));
        if (::lstat(native.constData(), &st) == 0)
            return refuse(errc::PathFileAccess, QStringLiteral("it is a symbolic link to nothing; it is left as it was"));
        return writeNew(path, what, bytes);
    }
    if (!S_ISREG(st.st_mode))
        return refuse(errc::PathFileAccess, QStringLiteral("it is %1, not a regular file; it is left as it was").arg(kindOf(st.st_mode)));
    // The replacer checks again on the file it opened, and refuses a file with other names.
    Result<void> replaced = [&]() -> Result<void> {
        std::unique_ptr<FileReplacer> replacer = VELLOC_TRY(FileReplacer::open(path));
        VELLOC_TRY_VOID(replacer->write(std::string_view(bytes.constData(), std::size_t(bytes.size()))));
        return replacer->commit();
    }();
    if (!replaced)
        return refuse(replaced.error().number(), replaced.error().message());
    return {};
}

} // namespace velloc::localfile
