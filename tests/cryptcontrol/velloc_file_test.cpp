// Encode, Decode and CRC on real files.
#include "filefixture.h"

#include "cipher/catalogue.h"
#include "cipher/rle.h"
#include "velloc/store/picture.h"
#include "velloc/core/units.h"
#include "velloc.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace velloc;
using namespace testsupport;
namespace d = velpack::dispids;

namespace {

struct PositionCase {
    int size;
    QStringList progress;
};

class FilePositions : public FileFixture, public ::testing::WithParamInterface<PositionCase> {};

TEST_P(FilePositions, ProgressReportsEachBlockStart)
{
    const PositionCase& c = GetParam();
    file(patternBytes(c.size));
    run(d::Encode);
    QStringList expected {QStringLiteral("event v.Statred(i4:%1)").arg(c.size)};
    for (const QString& p : c.progress)
        expected << QStringLiteral("event v.Progress(i4:%1)").arg(p);
    expected << "event v.Finished()";
    EXPECT_EQ(host->events(), expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FilePositions,
                         ::testing::Values(PositionCase {0, {}}, PositionCase {1, {"1"}}, PositionCase {10000, {"1"}},
                                           PositionCase {10001, {"1", "10001"}},
                                           PositionCase {25000, {"1", "10001", "20001"}}),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param.size); });

TEST_F(FileFixture, LengthPreservingCiphersRoundTripAcrossBlocks)
{
    const QByteArray original = patternBytes(25013, 7).replace(char(255), char(254)); // no code 255 for the shift
    QList<int> types {int(cipher::catalogue().size()), 255}; // and two numbers that select no cipher
    for (const cipher::CipherType& row : cipher::catalogue()) {
        if (row.feed == cipher::Feed::Blocks && row.preservesLength && !row.restored)
            types << row.number();
    }
    for (int type : types) {
        const QString path = file(original);
        ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(type)).ok());
        run(d::Encode);
        const QByteArray enciphered = readAll(path);
        EXPECT_EQ(enciphered.size(), original.size()) << "type " << type;
        if (cipher::findCipherType(std::uint8_t(type)))
            EXPECT_NE(enciphered, original) << "type " << type;
        else
            EXPECT_EQ(enciphered, original) << "a number without a cipher rewrites the file with its own content";
        run(d::Decode);
        EXPECT_EQ(readAll(path), original) << "type " << type;
    }
}

TEST_F(FileFixture, EachBlockRestartsTheKey)
{
    // With the key "abc", file positions 1 and 10001 both use the key's last character 'c'.
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString("abc")).ok());
    const QString path = file(QByteArray(10001, '\0'));
    run(d::Encode);
    const QByteArray out = readAll(path);
    ASSERT_EQ(out.size(), 10001);
    EXPECT_EQ(out[0], 'c');
    EXPECT_EQ(out[10000], 'c');
}

TEST_F(FileFixture, ReadOnlyFileIsRewrittenAndStaysReadOnly)
{
    const QByteArray original = patternBytes(3000);
    const QString path = file(original);
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    run(d::Encode);
    EXPECT_NE(readAll(path), original);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"}) << "no temporary file is left";
}

TEST_F(FileFixture, MissingEmptyOrFolderNamesAreRefused)
{
    for (const QString& name : {QString(), dir.path("nothing-here"), dir.path()}) {
        ASSERT_TRUE(host->put(d::File, Variant::fromString(name)).ok());
        for (DispId op : {d::Encode, d::Decode}) {
            host->log.clear();
            run(op);
            EXPECT_EQ(host->log, QStringList {R"(msgbox critical ok "Cannot Locate File")"}) << name.toStdString();
        }
    }
}

TEST_F(FileFixture, SymbolicLinkIsFollowedAndKept)
{
    const QByteArray original = patternBytes(500);
    const QString target = dir.path("target.bin");
    writeAll(target, original);
    const QString link = dir.path("link.bin");
    ASSERT_EQ(symlink("target.bin", QFile::encodeName(link).constData()), 0);
    ASSERT_TRUE(host->put(d::File, Variant::fromString(link)).ok());
    run(d::Encode);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_NE(readAll(target), original);
    run(d::Decode);
    EXPECT_EQ(readAll(target), original);
}

TEST_F(FileFixture, FileWithOtherHardLinksIsRefusedAndUnchanged)
{
    const QByteArray original = patternBytes(500);
    const QString path = file(original);
    ASSERT_EQ(link(QFile::encodeName(path).constData(), QFile::encodeName(dir.path("other-name")).constData()), 0);
    Result<Variant> r = host->call(d::Encode);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 75);
    EXPECT_TRUE(r.error().message().contains("hard links"));
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(readAll(dir.path("other-name")), original);
    EXPECT_TRUE(host->events().isEmpty());
}

// ---- Cancellation and re-entry ----

TEST_F(FileFixture, CancelFromStatredEndsAfterTheFirstBlockWithoutWriting)
{
    const QByteArray original = patternBytes(25000);
    const QString path = file(original);
    host->onEvent = [this](const QString& event, std::span<Variant>) {
        if (event == "Statred") {
            EXPECT_TRUE(host->call(d::CancelOperation).ok());
        }
    };
    run(d::Encode);
    EXPECT_EQ(host->events(), QStringList {"event v.Statred(i4:25000)"});
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

TEST_F(FileFixture, CancelFromProgressKeepsContentAndPermissions)
{
    const QByteArray original = patternBytes(25000);
    const QString path = file(original);
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
    host->onEvent = [this](const QString& event, std::span<Variant> args) {
        if (event == "Progress" && args[0].i4() == 10001) {
            EXPECT_TRUE(host->call(d::CancelOperation).ok());
        }
    };
    run(d::Encode);
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:25000)", "event v.Progress(i4:1)", "event v.Progress(i4:10001)"}));
    EXPECT_EQ(readAll(path), original);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileFixture, CancelDuringTheLastBlocksPendingMessages)
{
    const QByteArray original = patternBytes(15000);
    const QString path = file(original);
    host->onEvent = [this](const QString& event, std::span<Variant> args) {
        // Queued, so it runs while the operation lets pending messages run after this block.
        if (event == "Progress" && args[0].i4() == 10001)
            QTimer::singleShot(0, [this] { EXPECT_TRUE(host->call(d::CancelOperation).ok()); });
    };
    run(d::Encode);
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:15000)", "event v.Progress(i4:1)", "event v.Progress(i4:10001)"}));
    EXPECT_EQ(readAll(path), original);
    // The flag was cleared at the end: the next operation runs through.
    host->onEvent = nullptr;
    host->log.clear();
    run(d::Encode);
    EXPECT_EQ(host->events().last(), "event v.Finished()");
}

TEST_F(FileFixture, BytesToGoChangedInStatredDecidesHowMuchIsProcessed)
{
    const QByteArray original = patternBytes(25000);
    const QString path = file(original);
    host->onEvent = [](const QString& event, std::span<Variant> args) {
        if (event == "Statred")
            args[0] = Variant::fromI4(12000);
    };
    run(d::Encode);
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:25000)", "event v.Progress(i4:1)", "event v.Progress(i4:10001)", "event v.Finished()"}));
    EXPECT_EQ(readAll(path).size(), 12000);

    host->onEvent = [](const QString& event, std::span<Variant> args) {
        if (event == "Statred")
            args[0] = Variant::fromI4(args[0].i4() + 1);
    };
    const QByteArray before = readAll(path);
    Result<Variant> r = host->call(d::Decode);
    ASSERT_FALSE(r.ok()) << "asking for more bytes than the file holds fails";
    EXPECT_EQ(readAll(path), before);

    // A negative count would otherwise process nothing and commit an empty file.
    host->onEvent = [](const QString& event, std::span<Variant> args) {
        if (event == "Statred")
            args[0] = Variant::fromI4(-1);
    };
    r = host->call(d::Decode);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), errc::InvalidArgument);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

TEST_F(FileFixture, ProgressHandlerMovesTheNextBlock)
{
    const QByteArray original = patternBytes(30000);
    const QString path = file(original);
    host->onEvent = [](const QString& event, std::span<Variant> args) {
        if (event == "Progress" && args[0].i4() == 1)
            args[0] = Variant::fromI4(15001); // next block starts at 25001
    };
    run(d::Encode);
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:30000)", "event v.Progress(i4:1)", "event v.Progress(i4:25001)", "event v.Finished()"}));
    EXPECT_EQ(readAll(path).size(), 15000) << "blocks 1-10000 and 25001-30000";
}

TEST_F(FileFixture, SecondOperationWhileOneRunsIsRefused)
{
    const QByteArray original = patternBytes(15000);
    const QString path = file(original);
    std::optional<Error> nested;
    host->onEvent = [this, &nested](const QString& event, std::span<Variant>) {
        if (event == "Progress" && !nested) {
            Result<Variant> r = host->call(d::Decode);
            nested = r.ok() ? Error() : r.error();
        }
    };
    run(d::Encode);
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->number(), 5);
    EXPECT_TRUE(nested->message().contains("already running"));
    host->onEvent = nullptr;
    run(d::Decode);
    EXPECT_EQ(readAll(path), original);
}

TEST_F(FileFixture, CipherErrorLeavesTheFileAndRaisesNoFinished)
{
    const QByteArray original = QByteArray("abc") + char(255) + "def";
    const QString path = file(original);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(1)).ok()); // code 255 cannot be run-length coded
    host->log.clear();
    Result<Variant> r = host->call(d::Encode);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 5);
    EXPECT_EQ(readAll(path), original);
    EXPECT_FALSE(host->events().contains("event v.Finished()"));
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

TEST_F(FileFixture, EncodeThenDecodeWritesNoTrailingBytes)
{
    const QByteArray original("short");
    const QString path = file(original);
    run(d::Encode);
    EXPECT_EQ(readAll(path).size(), original.size());
}

// ---- The progress window ----

TEST_F(FileFixture, ProgressWindowRevealsThePictureBlockByBlock)
{
    // Columns of the picture are told apart by colour, so the revealed width can be read back.
    QImage picture(514, 266, QImage::Format_RGB888);
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            picture.setPixelColor(x, y, QColor(x % 256, 40 + x / 256, 200));
    ASSERT_TRUE(host->putRef(d::Picture, Variant::fromObject(Picture::create(picture))).ok());
    ASSERT_TRUE(host->control().readProperties([] {
        PropertyBag bag;
        bag.set(u"ShowProgress", Variant::fromBool(true));
        return bag;
    }()).ok()); // the loaded instance's picture holder feeds the progress window
    ASSERT_TRUE(host->putRef(d::Picture, Variant::fromObject(Picture::create(picture))).ok());
    file(patternBytes(30000));

    auto revealed = [&] {
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "PRG")
                window = w;
        if (!window || !window->isVisible())
            return -1;
        const QImage shot = window->grab().toImage();
        int width = 0;
        while (width < shot.width() && width < picture.width()
               && shot.pixelColor(width, 100) == picture.pixelColor(width, 100))
            ++width;
        return width;
    };
    QList<int> widths;
    double scale = 0;
    host->onEvent = [&](const QString& event, std::span<Variant>) {
        if (event == "Statred") {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "PRG")
                    scale = 30000.0 / w->width();
        }
        if (event == "Progress" || event == "Finished")
            widths << revealed();
    };
    run(d::Encode);
    ASSERT_GT(scale, 0);
    const QList<int> expected {int(1 / scale), int(10001 / scale), int(20001 / scale), std::min(514, int(30000 / scale))};
    EXPECT_EQ(widths, expected);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_NE(w->objectName(), "PRG") << "the window is destroyed at the end";
}

// The progress window draws the picture of the first instance made, or of the last loaded from
// saved properties: a second instance made with no saved properties does not take it over.
TEST_F(FileFixture, ASecondNewInstanceLeavesTheProgressPictureToTheFirst)
{
    const auto plain = [](QColor colour) {
        QImage image(514, 266, QImage::Format_RGB32);
        image.fill(colour);
        return Variant::fromObject(Picture::create(image));
    };
    ASSERT_TRUE(host->putRef(d::Picture, plain(Qt::red)).ok());
    auto second = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->putRef(d::Picture, plain(Qt::blue)).ok());
    ASSERT_TRUE(host->put(d::ShowProgress, Variant::fromBool(true)).ok());
    file(patternBytes(5000));
    QColor shown;
    host->onEvent = [&](const QString& event, std::span<Variant>) {
        if (event != "Finished")
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "PRG" && w->isVisible())
                shown = w->grab().toImage().pixelColor(2, 100);
    };
    run(d::Encode);
    EXPECT_EQ(shown, QColor(Qt::red));
}

// ---- CRC ----

struct CrcCase {
    const char* name;
    QByteArray content;
    VarType type;
    double value;
};

class Crc : public FileFixture, public ::testing::WithParamInterface<CrcCase> {};

TEST_P(Crc, SumTakesTheNarrowestType)
{
    const CrcCase& c = GetParam();
    const QString path = dir.path("sum.bin");
    writeAll(path, c.content);
    Result<Variant> r = host->call(d::CRC, {Variant::fromString(path)});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->type(), c.type);
    if (c.type != VarType::Empty) {
        EXPECT_EQ(*r->toR8(), c.value);
    }
    EXPECT_TRUE(host->events().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Crc,
    ::testing::Values(CrcCase {"Abc", "abc", VarType::I2, 294}, CrcCase {"OneZero", QByteArray(1, '\0'), VarType::UI1, 0},
                      CrcCase {"Empty", QByteArray(), VarType::Empty, 0},
                      CrcCase {"Sum255", QByteArray(1, char(255)), VarType::UI1, 255},
                      CrcCase {"Sum256", QByteArray(2, char(128)), VarType::I2, 256},
                      CrcCase {"Sum32768", QByteArray(256, char(128)), VarType::I4, 32768},
                      CrcCase {"Bytes255x200", QByteArray(200, char(255)), VarType::I4, 51000},
                      CrcCase {"AboveLong", QByteArray(8421505, char(255)), VarType::R8, 8421505.0 * 255}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileFixture, CrcRefusals)
{
    Result<Variant> r = host->call(d::CRC, {Variant::fromString("")});
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->isEmpty());
    EXPECT_EQ(host->log, QStringList {R"(msgbox critical ok "File Not Found")"});

    host->log.clear();
    r = host->call(d::CRC, {Variant::fromString(dir.path("missing"))});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 53);
    EXPECT_TRUE(host->log.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.path("missing"))) << "nothing is created";
}

} // namespace

namespace {

// A text every cipher can carry: lower-case letters, digits, spaces and punctuation (which the
// codebook cipher covers), with runs of every length for the run-length cipher.
QByteArray cipherFriendlyText(int size)
{
    static const QByteArray alphabet = "abcdefghijklmnopqrstuvwxyz0123456789 .,;:!?()-\r\n";
    QByteArray out;
    out.reserve(size);
    unsigned x = 12345;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        const char c = alphabet[int((x >> 16) % unsigned(alphabet.size()))];
        const int run = (x >> 8) % 7 == 0 ? int((x >> 3) % 300) + 1 : 1;
        out.append(QByteArray(std::min(run, size - int(out.size())), c));
    }
    return out;
}

std::vector<int> cipherNumbers()
{
    std::vector<int> numbers;
    for (const cipher::CipherType& row : cipher::catalogue())
        numbers.push_back(row.number());
    return numbers;
}

class FileRoundTrip : public FileFixture, public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(FileRoundTrip, DecodeRestoresWhatEncodeWrote)
{
    const auto [type, size] = GetParam();
    const QByteArray original = cipherFriendlyText(size);
    const QString path = file(original);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(type)).ok());
    if (cipher::findCipherType(std::uint8_t(type))->refusesDefaultKey) {
        ASSERT_TRUE(host->put(d::KEY, Variant::fromString("Tide tables for the northern quay")).ok());
    }
    run(d::Encode);
    if (size > 100 && type != 1) { // a byte or two may be a fixed point of a transform
        EXPECT_NE(readAll(path), original);
    }
    run(d::Decode);
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(host->events().count("event v.Finished()"), 2);
}

INSTANTIATE_TEST_SUITE_P(EveryCipher, FileRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(cipherNumbers()), ::testing::Values(0, 1, 9999, 10000, 10001, 30007)),
                         [](const auto& info) {
                             return "Type" + std::to_string(std::get<0>(info.param)) + "Size"
                                 + std::to_string(std::get<1>(info.param));
                         });

TEST_F(FileFixture, CodebookFileIsDecipheredInBlocksOfWholeCodes)
{
    const QString path = file(QByteArray(10000, 'a')); // 30000 characters once enciphered
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(4)).ok());
    run(d::Encode);
    ASSERT_EQ(readAll(path).size(), 30000);
    host->log.clear();
    run(d::Decode);
    EXPECT_EQ(host->events(),
              (QStringList {"event v.Statred(i4:30000)", "event v.Progress(i4:1)", "event v.Progress(i4:10000)", "event v.Progress(i4:19999)", "event v.Progress(i4:29998)",
                            "event v.Finished()"}));
    EXPECT_EQ(readAll(path), QByteArray(10000, 'a'));
}

TEST_F(FileFixture, RunLengthFileReportsOnlyItsOwnProgress)
{
    const QString path = file(QByteArray(25000, 'z') + "tail");
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(1)).ok());
    host->log.clear();
    run(d::Encode);
    // One element of 255 characters at a time: the first element, then each element whose
    // last position passes the next multiple of 10000.
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:25004)", "event v.Progress(i4:255)", "event v.Progress(i4:10200)", "event v.Progress(i4:20145)",
                                            "event v.Finished()"}));
    run(d::Decode);
    EXPECT_EQ(readAll(path), QByteArray(25000, 'z') + "tail");
}

// A stop asked for at a progress point ends the operation there, the file as it was: in a small
// file, and in one large enough to be checked on a second thread while the first pieces are
// ciphered ahead (the points met meanwhile reach the host once the check has passed).
class RunLengthCancelled : public FileFixture, public ::testing::WithParamInterface<int> {};

TEST_P(RunLengthCancelled, AtTheThirdProgressPointWritesNothing)
{
    const QByteArray original = QByteArray(GetParam(), 'z');
    const QString path = file(original);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(1)).ok());
    QStringList expected {QStringLiteral("event v.Statred(i4:%1)").arg(original.size())};
    cipher::CipherParams params;
    params.progress = [&](std::int64_t at) {
        expected << QStringLiteral("event v.Progress(i4:%1)").arg(at);
        return expected.size() < 4;
    };
    (void)cipher::RleEncode(std::string_view(original.constData(), std::size_t(original.size())), params);
    int points = 0;
    host->onEvent = [&](const QString& event, std::span<Variant>) {
        if (event == "Progress" && ++points == 3) {
            EXPECT_TRUE(host->call(d::CancelOperation).ok());
        }
    };
    host->log.clear();
    run(d::Encode);
    EXPECT_EQ(host->events(), expected);
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

INSTANTIATE_TEST_SUITE_P(Sizes, RunLengthCancelled, ::testing::Values(25000, 4 << 20));

// Run-length files go through in pieces, which every megabyte ends. Runs and triples cut by the end of a
// piece come out as the routine gives them for the whole text, with the same Progress; a refusal
// far into the file still comes before the first Progress, and the file stays as it was.
struct RunLengthPiecesCase {
    const char* name;
    velloc::DispId operation;
    std::function<QByteArray()> content;
};

void PrintTo(const RunLengthPiecesCase& c, std::ostream* os) { *os << c.name; }

class RunLengthInPieces : public FileFixture, public ::testing::WithParamInterface<RunLengthPiecesCase> {};

constexpr int MiB = 1 << 20;

QByteArray withoutCode255(int size)
{
    return patternBytes(size, 5).replace(char(255), char(254));
}

QByteArray runsAcrossPieces()
{
    QByteArray text = withoutCode255(2 * MiB + 5000);
    text.replace(MiB - 100, 300, QByteArray(300, 'q'));     // a run of 255 and a run of 45 across the cut
    text.replace(2 * MiB - 254, 256, QByteArray(256, 'r')); // 254 before the cut, 2 after
    text.replace(2 * MiB + 2, 3, QByteArray(3, 's'));       // right after it
    return text;
}

QByteArray triplesAcrossPieces()
{
    QByteArray text = withoutCode255(2 * MiB + 5000);
    text.replace(MiB - 1, 3, QByteArray("\xFF\x09z", 3));     // the marker ends the first piece
    text.replace(2 * MiB - 2, 3, QByteArray("\xFF\xFEy", 3));  // marker and count end the second
    return text;
}

TEST_P(RunLengthInPieces, GiveWhatTheRoutineGivesForTheWholeFile)
{
    const RunLengthPiecesCase& c = GetParam();
    const QByteArray original = c.content();
    const QString path = file(original);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(1)).ok());

    QStringList expectedEvents {QStringLiteral("event v.Statred(i4:%1)").arg(original.size())};
    cipher::CipherParams params;
    params.progress = [&](std::int64_t at) {
        expectedEvents << QStringLiteral("event v.Progress(i4:%1)").arg(at);
        return true;
    };
    const std::string_view text(original.constData(), std::size_t(original.size()));
    const cipher::CipherResult expected = c.operation == d::Encode ? cipher::RleEncode(text, params) : cipher::RleDecode(text, params);

    host->log.clear();
    Result<Variant> r = host->call(c.operation);
    if (expected.error) {
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().number(), 5);
        EXPECT_EQ(r.error().message().toStdString(), expected.error->message);
        EXPECT_EQ(host->events(), expectedEvents);
        EXPECT_EQ(readAll(path), original);
        EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
        return;
    }
    ASSERT_TRUE(r.ok()) << r.error().message().toStdString();
    expectedEvents << QStringLiteral("event v.Finished()");
    EXPECT_EQ(host->events(), expectedEvents);
    EXPECT_TRUE(readAll(path) == QByteArray(expected.text.data(), qsizetype(expected.text.size())));
}

INSTANTIATE_TEST_SUITE_P(Files, RunLengthInPieces, ::testing::Values(
    RunLengthPiecesCase{"EncodeRunsAcrossPieces", d::Encode, &runsAcrossPieces},
    RunLengthPiecesCase{"DecodeTriplesAcrossPieces", d::Decode, &triplesAcrossPieces},
    RunLengthPiecesCase{"EncodeRefusesCode255InTheThirdPiece", d::Encode, [] {
        QByteArray text = withoutCode255(2 * MiB + 5000);
        text[2 * MiB + 5] = char(255);
        return text;
    }},
    RunLengthPiecesCase{"DecodeRefusesAMarkerAtTheEnd", d::Decode, [] { return withoutCode255(MiB + 77) + char(255); }},
    RunLengthPiecesCase{"DecodeRefusesWhatWouldPassTheFileLimit", d::Decode, [] {
        const QByteArray runOf255("\xFF\xFE" "A", 3);
        QByteArray text;
        text.reserve((INT32_MAX / 255 + 1) * 3);
        for (int i = 0; i <= INT32_MAX / 255; ++i)
            text += runOf255;
        return text;
    }},
    RunLengthPiecesCase{"DecodeRefusesCount255AcrossACut", d::Decode, [] {
        QByteArray text = withoutCode255(MiB + 5000);
        text.replace(MiB - 1, 3, QByteArray("\xFF\xFF" "a", 3));
        return text;
    }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

QWidget* progressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "PRG")
            return w;
    return nullptr;
}

TEST_F(FileFixture, WithoutAPictureTheWindowCollectsOneBlackLinePerBlock)
{
    ASSERT_TRUE(host->put(d::ShowProgress, Variant::fromBool(true)).ok());
    ASSERT_TRUE(host->putRef(d::Picture, Variant::nothing()).ok());
    PropertyBag bag; // the loaded instance's holder is the one the window draws from
    ASSERT_TRUE(host->control().readProperties(bag).ok());
    file(patternBytes(30000));
    QList<int> blackColumns;
    host->onEvent = [&](const QString& event, std::span<Variant>) {
        if (event != "Finished")
            return;
        QWidget* window = progressWindow();
        ASSERT_TRUE(window);
        const QImage shot = window->grab().toImage();
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, shot.height() / 2) == Qt::black)
                blackColumns << x;
    };
    run(d::Encode);
    // Lines at the block starts 1, 10001 and 20001, each position over the scale; the line for
    // the whole length falls on the window's width, just past its last column.
    const QSize size = velloc::units::toPixels(QSize(7740, 4020));
    const double scale = 30000.0 / size.width();
    const QList<int> expected {int(1 / scale), int(10001 / scale), int(20001 / scale)};
    EXPECT_EQ(blackColumns, expected);
}

TEST_F(FileFixture, DoubleClickHidesTheWindowAndTheOperationGoesOn)
{
    ASSERT_TRUE(host->put(d::ShowProgress, Variant::fromBool(true)).ok());
    const QByteArray original = patternBytes(30000);
    const QString path = file(original);
    QList<bool> visible;
    host->onEvent = [&](const QString& event, std::span<Variant> args) {
        QWidget* window = progressWindow();
        visible << (window && window->isVisible());
        if (event == "Progress" && args[0].i4() == 1)
            QTest::mouseDClick(window, Qt::LeftButton);
    };
    run(d::Encode);
    EXPECT_EQ(host->events().last(), "event v.Finished()");
    EXPECT_NE(readAll(path), original);
    // Statred (shown), Progress 1 (shown, then hidden), 10001, 20001, Finished (hidden).
    EXPECT_EQ(visible, (QList<bool> {true, true, false, false, false}));
    // The next operation shows a new window again.
    visible.clear();
    host->onEvent = [&](const QString&, std::span<Variant>) {
        QWidget* window = progressWindow();
        visible << (window && window->isVisible());
    };
    run(d::Decode);
    EXPECT_TRUE(visible.first());
    EXPECT_FALSE(progressWindow());
}

TEST_F(FileFixture, FileAboveTwoGigabytesIsRefusedBeforeReading)
{
    const QString path = file(QByteArray());
    ASSERT_EQ(truncate(QFile::encodeName(path).constData(), 2147483648ll), 0); // sparse: no disk used
    Result<Variant> r = host->call(d::Encode);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 6);
    EXPECT_TRUE(r.error().message().contains("2,147,483,647"));
    EXPECT_TRUE(host->events().isEmpty());
    EXPECT_EQ(QFileInfo(path).size(), 2147483648ll);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

} // namespace
