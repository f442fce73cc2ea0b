// Encode and Decode: the file named by File, block by block, into a new file that replaces it
// only when complete.
#include "ciphererror.h"
#include "cipher/catalogue.h"
#include "latin1.h"
#include "prg.h"
#include "sealedfile.h"
#include "velloc.h"

#include "velloc/io/filereplacer.h"
#include "velloc/io/pathcodec.h"
#include "velloc/hosting/services.h"

#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

using namespace velloc;

namespace velpack {

namespace {

// Clears the running flag, the cancel request and the progress window on every way out.
class OperationScope {
public:
    OperationScope() { sharedSettings().OperationRunning = true; }
    ~OperationScope()
    {
        SharedSettings& s = sharedSettings();
        s.OperationRunning = false;
        s.CancelRequested = false;
        releaseProgressWindow();
    }
};

bool namesAFile(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(encodePath(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

constexpr std::int64_t Piece = 256 << 10;

// The first pass over a text fed whole: every piece checked, so that a refusal comes before the
// first Progress, as it does when the routine takes the text in one call. On a file of more than
// a few pieces it runs on a thread of its own, reading the file for itself, while the caller
// ciphers ahead; otherwise, or when no thread can be made, it has run when the constructor
// returns.
class CheckPass {
public:
    CheckPass(const FileReplacer& replacer, std::unique_ptr<cipher::TextStream> checker, std::int64_t length)
        : m_replacer(replacer), m_checker(std::move(checker)), m_length(length),
          m_buffer(std::make_unique_for_overwrite<char[]>(std::size_t(std::min(Piece, length))))
    {
        if (length > 4 * Piece) {
            try {
                m_thread = std::thread([this] { run(); });
                return;
            } catch (const std::system_error&) {
                // No thread to be had: the pass runs here.
            }
        }
        run();
    }

    ~CheckPass()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    CheckPass(const CheckPass&) = delete;
    CheckPass& operator=(const CheckPass&) = delete;

    bool finished() const { return m_finished.load(std::memory_order_acquire); }

    // Waits for the pass to end: the refusal or the failure to read it met, if any. What the
    // thread threw (out of memory) is thrown here.
    const std::optional<Error>& outcome()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_thrown)
            std::rethrow_exception(std::exchange(m_thrown, nullptr));
        return m_outcome;
    }

private:
    void run()
    {
        try {
            for (std::int64_t at = 0; at < m_length && !m_outcome; at += Piece) {
                Result<std::size_t> read = m_replacer.readInto(at, m_buffer.get(), std::size_t(std::min(Piece, m_length - at)));
                if (!read)
                    m_outcome = read.releaseError();
                else if (std::optional<cipher::CipherError> refusal = m_checker->check({m_buffer.get(), read.value()}))
                    m_outcome = toAutomationError(*refusal);
            }
            if (!m_outcome) {
                if (std::optional<cipher::CipherError> refusal = m_checker->checkEnd())
                    m_outcome = toAutomationError(*refusal);
            }
        } catch (...) {
            m_thrown = std::current_exception();
        }
        m_finished.store(true, std::memory_order_release);
    }

    const FileReplacer& m_replacer;
    std::unique_ptr<cipher::TextStream> m_checker;
    std::int64_t m_length;
    std::unique_ptr<char[]> m_buffer;
    std::optional<Error> m_outcome;
    std::exception_ptr m_thrown;
    std::atomic<bool> m_finished {false};
    std::thread m_thread;
};

// A cipher fed the whole text takes the file in pieces, carrying what one piece leaves open to
// the next, so it needs no more memory than the block ciphers whatever the file's size. The
// input goes through twice: once to check it (CheckPass), once to cipher it. While the check
// still runs, the second pass goes ahead: its output goes to the new file, which takes the
// original's place only at the end, and its progress points wait in a list. The host sees them
// once the check has passed, in order, so it meets the same events and the same points to stop
// at as when the check runs first; when the check refuses, it sees none and the file stays as
// it was. No event reaches the host while the check's thread runs, so no handler runs beside it.
// A stop asked for at a progress point leaves the rest unread; the caller sees CancelRequested.
Result<void> streamThrough(FileReplacer& replacer, const std::function<std::unique_ptr<cipher::TextStream>(cipher::ProgressPoint)>& open,
                           const cipher::ProgressPoint& report, std::int64_t length)
{
    CheckPass check(replacer, open({}), length);
    if (check.finished() && check.outcome())
        return *check.outcome();

    std::vector<std::int64_t> held;
    bool released = false;
    // False when the check refused or the host asked to stop at one of the points held.
    const auto release = [&] {
        released = true;
        if (check.outcome())
            return false;
        for (const std::int64_t at : held) {
            if (!report(at))
                return false;
        }
        held.clear();
        return true;
    };
    const std::unique_ptr<cipher::TextStream> stream = open([&](std::int64_t at) {
        if (!released) {
            if (!check.finished()) {
                held.push_back(at);
                return true;
            }
            if (!release())
                return false;
        }
        return report(at);
    });

    std::optional<Error> writeFailure;
    const cipher::TextSink sink = [&](std::string_view bytes) {
        Result<void> written = replacer.write(bytes);
        if (!written)
            writeFailure = written.releaseError();
        return !writeFailure;
    };
    // How the second pass ended, once what it held back has reached the host.
    const auto ended = [&](std::optional<Error> failure) -> Result<void> {
        const bool reported = released || release();
        if (check.outcome())
            return *check.outcome();
        if (reported && failure)
            return *failure;
        return {};
    };
    const auto failure = [&](const cipher::StreamStatus& status) -> std::optional<Error> {
        if (writeFailure)
            return writeFailure;
        if (status.error)
            return toAutomationError(*status.error);
        return std::nullopt;
    };
    for (std::int64_t at = 0; at < length; at += Piece) {
        Result<std::string_view> piece = replacer.read(at, std::size_t(std::min(Piece, length - at)));
        if (!piece)
            return ended(piece.releaseError());
        const cipher::StreamStatus status = stream->feed(piece.value(), sink);
        if (std::optional<Error> error = failure(status))
            return ended(error);
        if (status.stopped)
            return ended(std::nullopt);
    }
    return ended(failure(stream->finish(sink)));
}

} // namespace

Result<bool> Velloc::runFileOperation(cipher::Direction direction)
{
    auto self = shared_from_this(); // a handler may release the host's reference
    SharedSettings& s = sharedSettings();
    if (s.OperationRunning)
        return Error(errc::InvalidArgument,
                     QStringLiteral("A file operation is already running; start the next one when it has finished"));
    s.CancelRequested = false;
    const QString file = s.CurrentFile;
    if (!namesAFile(file)) {
        services::messageBox(QStringLiteral("Cannot Locate File"), services::MsgIcon::Critical, services::MsgButtons::Ok);
        return false;
    }

    // One set of settings for the whole file, taken now like the file's name: a setting changed
    // while the operation runs (from a handler, or a button of the host between blocks) applies
    // to the next operation, so no file ends up enciphered in two ways.
    const std::uint8_t type = s.CurrentProtectionType;
    const cipher::SecretText key = VELLOC_TRY(keyBytes(type, direction));
    cipher::CipherParams params;
    params.key = key.view();
    params.ceaserOffset = s.CurrentCeaserOffset;
    const cipher::CipherRoutine routine = cipher::CipherFor(type, direction);
    const std::int64_t blockSize = cipher::blockSize(type, direction);
    const bool wholeText = cipher::feedsWholeText(type);
    std::optional<SealedFile> sealed;
    if (cipher::feedsStream(type))
        sealed.emplace(direction, params.key);

    OperationScope scope;
    std::unique_ptr<FileReplacer> replacer = VELLOC_TRY(FileReplacer::examine(file));
    if (replacer->size() > INT32_MAX)
        return Error(errc::Overflow, QStringLiteral("%1 is larger than 2,147,483,647 bytes, the most a file operation "
                                                    "can process; it is left unchanged")
                                        .arg(file));

    // Preparation: the window, the length, the scale of the bar.
    // A host that is itself a window (a form) is the window the operation was started from.
    if (s.CurrentShowProgress)
        setupProgressWindow(dynamic_cast<QWidget*>(site()));
    s.CurrentFileLength = std::int32_t(replacer->size());
    s.ProgressScale = double(s.CurrentFileLength) / std::max(1, progressWindow()->width());
    s.CurrentFileAttributes = replacer->mode();

    Variant bytesToGo = Variant::fromI4(s.CurrentFileLength);
    raise(events::Statred, bytesToGo);
    s.CurrentFileLength = VELLOC_TRY(bytesToGo.toI4());

    // Everything that could stop the new content from taking the old one's place is checked
    // before the first byte is read.
    VELLOC_TRY_VOID(replacer->prepare());

    // The input is the first CurrentFileLength bytes of the file.
    const std::int64_t inputLength = s.CurrentFileLength;
    if (inputLength < 0)
        return Error(errc::InvalidArgument, QStringLiteral("The number of bytes to process cannot be negative (%1)").arg(inputLength));
    if (inputLength > replacer->size())
        return Error(errc::InputPastEndOfFile, QStringLiteral("Input past end of file: %1 holds %2 bytes, %3 were asked for")
                             .arg(file)
                             .arg(replacer->size())
                             .arg(inputLength));

    if (s.CurrentShowProgress)
        progressWindow()->show();

    const std::int64_t bound = s.CurrentFileLength;
    std::int64_t position = 1;
    while (position <= bound) {
        if (position < 1)
            return Error(errc::InvalidArgument, QStringLiteral("A block cannot start at position %1").arg(position));

        if (wholeText) {
            // The first and only cycle: the piecewise routine reports its own progress points.
            const auto open = [&](cipher::ProgressPoint report) {
                cipher::CipherParams streamed = params;
                streamed.progress = std::move(report);
                return cipher::openPiecewise(type, direction, streamed);
            };
            VELLOC_TRY_VOID(streamThrough(*replacer, open, [this](std::int64_t at) { return progressPoint(at); }, inputLength));
            break;
        }

        const std::int64_t length = std::min(blockSize, inputLength - (position - 1));
        const std::string_view block = VELLOC_TRY(replacer->read(position - 1, std::size_t(std::max<std::int64_t>(length, 0))));
        if (sealed) {
            VELLOC_TRY_VOID(replacer->write(VELLOC_TRY(sealed->feed(block))));
        } else if (routine) {
            cipher::CipherResult r = routine(block, params);
            if (r.error)
                return toAutomationError(*r.error);
            VELLOC_TRY_VOID(replacer->write(r.text));
        } else {
            VELLOC_TRY_VOID(replacer->write(block));
        }

        if (s.CancelRequested)
            return false; // the original stays as it was
        if (s.CurrentShowProgress)
            UpdateProgress(std::int32_t(position));
        Variant current = Variant::fromI4(std::int32_t(position));
        raise(events::Progress, current);
        services::doEvents();
        const std::int64_t next = std::int64_t(VELLOC_TRY(current.toI4())) + blockSize;
        if (next > INT32_MAX)
            return Error(errc::Overflow, QStringLiteral("The next block would start at %1, past 2,147,483,647; %2 is left "
                                                        "unchanged")
                                             .arg(next)
                                             .arg(file));
        position = next;
    }

    if (s.CancelRequested)
        return false;
    if (sealed)
        VELLOC_TRY_VOID(replacer->write(VELLOC_TRY(sealed->finish())));
    if (s.CurrentShowProgress)
        UpdateProgress(s.CurrentFileLength);
    VELLOC_TRY_VOID(replacer->commit());
    fireEvent(events::Finished);
    return false;
}

Result<Variant> Velloc::CRC(const QString& Filename)
{
    sharedSettings().CancelRequested = false;
    if (Filename.isEmpty()) {
        services::messageBox(QStringLiteral("File Not Found"), services::MsgIcon::Critical, services::MsgButtons::Ok);
        return Variant();
    }
    const QByteArray path = encodePath(Filename);
    const auto cannotRead = [&Filename](int error) {
        if (error == ENOENT || error == ENOTDIR)
            return Error(errc::FileNotFound, QStringLiteral("File not found: %1").arg(Filename));
        return Error(errc::PathFileAccess, QStringLiteral("Cannot read %1: %2").arg(Filename, QString::fromLocal8Bit(std::strerror(error))));
    };
    // Only a regular file has a length to sum: a FIFO or a device would be read for ever, and
    // is refused before it is opened.
    const auto notRegular = [&Filename](mode_t mode) -> std::optional<Error> {
        if (S_ISREG(mode))
            return std::nullopt;
        const char* what = S_ISDIR(mode) ? "a folder" : S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : "a device";
        return Error(errc::PathFileAccess,
                     QStringLiteral("%1 is %2, not a regular file; only a file's bytes can be summed").arg(Filename, QLatin1String(what)));
    };
    struct stat info {};
    if (stat(path.constData(), &info) != 0)
        return cannotRead(errno);
    if (auto refused = notRegular(info.st_mode))
        return *refused;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return cannotRead(errno);
    if (fstat(fd, &info) != 0 || notRegular(info.st_mode)) {
        ::close(fd);
        return Error(errc::PathFileAccess, QStringLiteral("%1 was replaced by something else while it was being opened").arg(Filename));
    }

    // Exactly the file's length is summed.
    std::uint64_t sum = 0;
    std::uint64_t count = 0;
    const std::uint64_t length = std::uint64_t(info.st_size);
    static constexpr std::size_t ChunkSize = 1 << 16;
    unsigned char chunk[ChunkSize];
    while (count < length) {
        const ssize_t n = ::read(fd, chunk, std::size_t(std::min<std::uint64_t>(ChunkSize, length - count)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : 0;
            ::close(fd);
            if (error)
                return cannotRead(error);
            return Error(errc::PathFileAccess,
                         QStringLiteral("%1 became shorter while it was being read; another program changed it").arg(Filename));
        }
        for (ssize_t i = 0; i < n; ++i)
            sum += chunk[i];
        count += std::uint64_t(n);
    }
    ::close(fd);
    // The sum takes the narrowest type that holds it, as adding byte by byte widens it.
    if (count == 0)
        return Variant();
    if (sum <= 255)
        return Variant::fromUI1(std::uint8_t(sum));
    if (sum <= 32767)
        return Variant::fromI2(std::int16_t(sum));
    if (sum <= 2147483647)
        return Variant::fromI4(std::int32_t(sum));
    return Variant::fromR8(double(sum));
}

} // namespace velpack
