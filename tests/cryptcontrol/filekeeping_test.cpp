// What a rewritten file keeps (owner, group, mode, extended attributes and ACLs), what happens
// when another program changes the file meanwhile, the settings an operation holds on to, and
// the refusals that come before anything is read.
#include "filefixture.h"

#include "cipher/catalogue.h"
#include "velloc.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace velloc;
using namespace testsupport;
namespace d = velpack::dispids;

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(stat(native(path).constData(), &st), 0);
    return st;
}

// A POSIX access ACL as the kernel stores it: the owner rw, user `uid` r, the group r, mask r,
// others none.
QByteArray accessAcl(uid_t uid)
{
    QByteArray acl;
    auto u32 = [&acl](std::uint32_t v) { acl.append(reinterpret_cast<const char*>(&v), 4); };
    auto entry = [&](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
        acl.append(reinterpret_cast<const char*>(&tag), 2);
        acl.append(reinterpret_cast<const char*>(&perm), 2);
        u32(id);
    };
    u32(2);
    entry(0x01, 6, ~0u);
    entry(0x02, 4, uid);
    entry(0x04, 4, ~0u);
    entry(0x10, 4, ~0u);
    entry(0x20, 0, ~0u);
    return acl;
}

QByteArray attribute(const QString& path, const char* name)
{
    QByteArray value(4096, '\0');
    const ssize_t n = getxattr(native(path).constData(), name, value.data(), std::size_t(value.size()));
    return n < 0 ? QByteArray("<none>") : value.left(int(n));
}

using KeepFixture = FileFixture;

TEST_F(KeepFixture, RewriteKeepsOwnerGroupModeAttributesAndAcl)
{
    const QByteArray original = patternBytes(25000);
    const QString path = file(original);
    ASSERT_EQ(setxattr(native(path).constData(), "user.origin", "scanner 7", 9, 0), 0);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(nobody);
    const QByteArray acl = accessAcl(nobody->pw_uid);
    ASSERT_EQ(setxattr(native(path).constData(), "system.posix_acl_access", acl.constData(), std::size_t(acl.size()), 0), 0);
    ASSERT_EQ(chmod(native(path).constData(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) { // a file of another user, which only that user may read
        ASSERT_EQ(chown(native(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    const struct stat before = statOf(path);

    for (DispId op : {d::Encode, d::Decode}) {
        Result<Variant> r = host->call(op);
        ASSERT_TRUE(r.ok()) << r.error().message().toStdString();
        const struct stat after = statOf(path);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(attribute(path, "user.origin"), "scanner 7");
        EXPECT_EQ(attribute(path, "system.posix_acl_access"), acl);
    }
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

// Another program changes the file while the operation runs: at the start (before the read), or
// between blocks. The operation reports error 75 and leaves the file as the other program made
// it.
struct ChangeCase {
    const char* name;
    int type;
    const char* event; // the event in which the change is made
    std::function<void(const QString& path)> change;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class ChangedUnderTheOperation : public KeepFixture, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangedUnderTheOperation, IsReportedAndTheOtherProgramsVersionStays)
{
    const ChangeCase& c = GetParam();
    QByteArray content = patternBytes(30000);
    content.replace(char(255), 'x'); // the run-length cipher refuses code 255
    const QString path = file(content);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(c.type)).ok());
    QByteArray changed;
    bool done = false;
    host->onEvent = [&](const QString& event, std::span<Variant>) {
        if (event == QLatin1String(c.event) && !done) {
            c.change(path);
            changed = readAll(path);
            done = true;
        }
    };
    Result<Variant> r = host->call(d::Encode);
    ASSERT_TRUE(done);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 75);
    EXPECT_FALSE(host->events().contains("event v.Finished()"));
    EXPECT_EQ(readAll(path), changed);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

void truncateTo(const QString& path, off_t size)
{
    ASSERT_EQ(truncate(native(path).constData(), size), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedUnderTheOperation,
    ::testing::Values(
        ChangeCase {"ShrunkBeforeTheRunLengthRead", 1, "Statred", [](const QString& p) { truncateTo(p, 100); }},
        ChangeCase {"ShrunkBeforeTheBlockRead", 0, "Statred", [](const QString& p) { truncateTo(p, 15000); }},
        ChangeCase {"ShrunkBetweenBlocks", 0, "Progress", [](const QString& p) { truncateTo(p, 15000); }},
        ChangeCase {"AppendedInTheLastBlock", 0, "Progress",
                    [](const QString& p) {
                        QFile f(p);
                        ASSERT_TRUE(f.open(QIODevice::Append));
                        f.write("late words");
                    }},
        ChangeCase {"ModeChanged", 0, "Progress", [](const QString& p) { ASSERT_EQ(chmod(native(p).constData(), 0600), 0); }},
        ChangeCase {"ShrunkUnderTheRunLengthPass", 1, "Progress", [](const QString& p) { truncateTo(p, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeepFixture, FileLockedByAnotherProgramIsRefusedBeforeReading)
{
    const QByteArray original = patternBytes(20000);
    const QString path = file(original);
    const int holder = open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_SH), 0);
    Result<Variant> r = host->call(d::Encode);
    close(holder);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 75);
    EXPECT_TRUE(r.error().message().contains("lock")) << r.error().message().toStdString();
    EXPECT_EQ(host->events(), QStringList {"event v.Statred(i4:20000)"});
    EXPECT_EQ(readAll(path), original);
}

// A killed process can leave a named temporary file behind. The next operation in the folder
// removes what it could itself have left: a regular file of the caller's (or of the file's
// owner, when root rewrites that owner's file) that nobody holds a lock on, whatever process
// number its name carries. Everything else that merely looks like one stays.
struct LeftoverCase {
    const char* name;
    enum Kind { Plain, Held, HardLink, SymbolicLink, NotOurName } kind;
    int pid;                 // in the name: 0 a process that is gone, -1 this one
    bool ofAnotherUser;      // the planted file is nobody's (needs root)
    bool fileOfAnotherUser;  // the file rewritten is nobody's (needs root)
    bool removed;
};

void PrintTo(const LeftoverCase& c, std::ostream* os) { *os << c.name; }

class Leftovers : public FileFixture, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(Leftovers, OnlyTheCallersUnlockedLeftoversAreRemoved)
{
    const LeftoverCase& c = GetParam();
    const passwd* nobody = getpwnam("nobody");
    if ((c.ofAnotherUser || c.fileOfAnotherUser) && (geteuid() != 0 || !nobody))
        GTEST_SKIP() << "needs root and the user nobody";
    pid_t pid = c.pid;
    if (pid == 0) {
        pid = fork();
        if (pid == 0)
            _exit(0);
        ASSERT_GT(pid, 0);
        waitpid(pid, nullptr, 0);
    } else if (pid < 0) {
        pid = getpid();
    }
    const QString name = c.kind == LeftoverCase::NotOurName ? QStringLiteral(".velloc-notours.tmp")
                                                             : QStringLiteral(".velloc-%1-00000000000000aa.tmp").arg(pid);
    const QString planted = dir.path(name);
    const QString path = file("plain");
    int holder = -1;
    switch (c.kind) {
    case LeftoverCase::HardLink:
        writeAll(dir.path("other.bin"), "another file");
        ASSERT_EQ(link(native(dir.path("other.bin")).constData(), native(planted).constData()), 0);
        break;
    case LeftoverCase::SymbolicLink:
        ASSERT_EQ(symlink("data.bin", native(planted).constData()), 0);
        break;
    default:
        writeAll(planted, "half a file");
    }
    if (c.kind == LeftoverCase::Held) {
        holder = open(native(planted).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
    }
    if (c.ofAnotherUser)
        ASSERT_EQ(lchown(native(planted).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    if (c.fileOfAnotherUser)
        ASSERT_EQ(chown(native(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);

    Result<Variant> r = host->call(d::Encode);
    if (holder >= 0)
        close(holder);
    ASSERT_TRUE(r.ok()) << r.error().message().toStdString();
    EXPECT_EQ(dir.entries().contains(name), !c.removed) << dir.entries().join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Leftovers,
    ::testing::Values(LeftoverCase {"OfAProcessThatIsGone", LeftoverCase::Plain, 0, false, false, true},
                      LeftoverCase {"NamedForALiveProcessButUnlocked", LeftoverCase::Plain, -1, false, false, true},
                      LeftoverCase {"Locked", LeftoverCase::Held, 0, false, false, false},
                      LeftoverCase {"NotOurName", LeftoverCase::NotOurName, 0, false, false, false},
                      LeftoverCase {"HardLinkToAnotherFile", LeftoverCase::HardLink, 0, false, false, false},
                      LeftoverCase {"SymbolicLink", LeftoverCase::SymbolicLink, 0, false, false, false},
                      LeftoverCase {"AnotherUsers", LeftoverCase::Plain, 0, true, false, false},
                      LeftoverCase {"AnotherUsersWithAnImpossibleProcess", LeftoverCase::Plain, 99999999, true, false, false},
                      LeftoverCase {"OfTheOwnerWhoseFileRootRewrites", LeftoverCase::Plain, 0, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A symbolic link in a shared folder (world-writable, sticky) is followed only when it belongs
// to the caller or to the folder's owner, as the kernel's protected_symlinks rule has it,
// whatever that setting is: otherwise another user could plant a link that makes root rewrite
// root's own file.
struct LinkCase {
    const char* name;
    mode_t folderMode;
    bool folderOfAnotherUser;
    bool linkOfAnotherUser;
    bool linkToTheFolder; // the link names the folder holding the file, not the file
    bool followed;
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }

class LinksInSharedFolders : public FileFixture, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinksInSharedFolders, AreFollowedOnlyWhenTheirOwnerMayBeTrusted)
{
    const LinkCase& c = GetParam();
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root and the user nobody";
    const QByteArray original = patternBytes(3000);
    const QString victim = dir.path("victim");
    const QString shared = dir.path("shared");
    ASSERT_EQ(mkdir(native(victim).constData(), 0700), 0);
    ASSERT_EQ(mkdir(native(shared).constData(), 0700), 0);
    ASSERT_EQ(chmod(native(shared).constData(), c.folderMode), 0);
    if (c.folderOfAnotherUser)
        ASSERT_EQ(chown(native(shared).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    const QString conf = victim + "/conf";
    writeAll(conf, original);
    ASSERT_EQ(chmod(native(conf).constData(), 0600), 0);
    const QString link = shared + (c.linkToTheFolder ? "/dir" : "/report.txt");
    ASSERT_EQ(symlink(native(c.linkToTheFolder ? victim : conf).constData(), native(link).constData()), 0);
    if (c.linkOfAnotherUser)
        ASSERT_EQ(lchown(native(link).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    const QString named = c.linkToTheFolder ? link + "/conf" : link;
    ASSERT_TRUE(host->put(d::File, Variant::fromString(named)).ok());

    Result<Variant> r = host->call(d::Encode);
    EXPECT_EQ(r.ok(), c.followed) << (r.ok() ? "" : r.error().message().toStdString());
    EXPECT_EQ(readAll(conf) != original, c.followed);
    if (!c.followed) {
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().number(), errc::PathFileAccess);
        EXPECT_TRUE(r.error().message().contains(QStringLiteral("the symbolic link %1, which belongs to nobody").arg(link)))
            << r.error().message().toStdString();
        EXPECT_TRUE(host->events().isEmpty()) << "refused before Statred";
    }
    struct stat st {};
    ASSERT_EQ(lstat(native(link).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    EXPECT_EQ(QDir(victim).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList {"conf"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinksInSharedFolders,
    ::testing::Values(LinkCase {"AnotherUsersLink", 01777, false, true, false, false},
                      LinkCase {"AnotherUsersLinkToTheFolder", 01777, false, true, true, false},
                      LinkCase {"TheCallersOwnLink", 01777, false, false, false, true},
                      LinkCase {"TheFolderOwnersLink", 01777, true, true, false, true},
                      LinkCase {"AnotherUsersLinkInAFolderWithoutTheStickyBit", 0777, false, true, false, true},
                      LinkCase {"AnotherUsersLinkInAStickyFolderOnlyItsOwnerWrites", 01755, false, true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The cipher, key and offset are taken when the operation starts: a change made from a handler
// (or a button of the host between blocks) applies to the next operation.
TEST_F(KeepFixture, SettingsChangedDuringTheOperationApplyToTheNextOne)
{
    const QByteArray original = patternBytes(30000);
    const QString path = file(original);
    host->onEvent = [this](const QString& event, std::span<Variant> args) {
        if (event == "Progress" && args[0].i4() == 1) {
            EXPECT_TRUE(host->put(d::ProtectionType, Variant::fromI4(2)).ok());
            EXPECT_TRUE(host->put(d::KEY, Variant::fromString("another key")).ok());
            EXPECT_TRUE(host->put(d::CeaserOffset, Variant::fromI4(7)).ok());
            EXPECT_TRUE(host->put(d::File, Variant::fromString("/somewhere/else")).ok());
        }
    };
    ASSERT_TRUE(host->call(d::Encode).ok());
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(0)).ok());
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString("Harbour Lanterns")).ok());
    ASSERT_TRUE(host->put(d::File, Variant::fromString(path)).ok());
    host->onEvent = nullptr;
    ASSERT_TRUE(host->call(d::Decode).ok());
    EXPECT_EQ(readAll(path), original) << "every block was enciphered with the settings of the start";
}

TEST_F(KeepFixture, PositionPastTheLargest32BitValueIsAnOverflow)
{
    const QByteArray original = patternBytes(25000);
    const QString path = file(original);
    host->onEvent = [](const QString& event, std::span<Variant> args) {
        if (event == "Progress")
            args[0] = Variant::fromI4(2147483647);
    };
    Result<Variant> r = host->call(d::Encode);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 6);
    EXPECT_EQ(readAll(path), original);
    EXPECT_FALSE(host->events().contains("event v.Finished()"));
}

// A key character above U+00FF has no byte: only the ciphers that read the key as bytes refuse
// it, and before any event; a passphrase is UTF-8 and takes it.
TEST_F(KeepFixture, KeyWithoutAByteIsRefusedOnlyByTheKeyedCiphers)
{
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString(QStringLiteral("key \u0101"))).ok());
    const QString path = file("some text to carry");
    QList<int> types {200};
    for (const cipher::CipherType& row : cipher::catalogue())
        types << row.number();
    for (int type : types) {
        const cipher::CipherType* row = cipher::findCipherType(std::uint8_t(type));
        const bool keyed = row && row->usesKey && !row->keyIsUtf8;
        ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(type)).ok());
        for (DispId op : {d::EncodeString, d::Encode}) {
            host->log.clear();
            Result<Variant> r = op == d::Encode ? host->call(op) : host->call(op, {Variant::fromString("some text")});
            EXPECT_EQ(r.ok(), !keyed) << "type " << type;
            if (keyed) {
                EXPECT_EQ(r.error().number(), 5);
                EXPECT_TRUE(host->events().isEmpty()) << "type " << type;
            }
        }
    }
}

// CRC sums exactly a regular file's length, and refuses anything else before reading.
TEST_F(KeepFixture, CrcRefusesWhatIsNotARegularFile)
{
    const QString fifo = dir.path("fifo");
    ASSERT_EQ(mkfifo(native(fifo).constData(), 0600), 0);
    const QString socketPath = dir.path("socket");
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, native(socketPath).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const struct {
        QString path;
        const char* what;
    } cases[] = {{fifo, "a FIFO"}, {"/dev/zero", "a device"}, {socketPath, "a socket"}, {dir.path(), "a folder"}};
    for (const auto& c : cases) {
        Result<Variant> r = host->call(d::CRC, {Variant::fromString(c.path)});
        ASSERT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.error().number(), 75);
        EXPECT_TRUE(r.error().message().contains(c.what)) << r.error().message().toStdString();
    }
    close(sock);
    // A file the system shows with length 0 sums to nothing, whatever reading it would give.
    Result<Variant> proc = host->call(d::CRC, {Variant::fromString("/proc/self/status")});
    ASSERT_TRUE(proc.ok());
    EXPECT_TRUE(proc->isEmpty());
}

} // namespace
