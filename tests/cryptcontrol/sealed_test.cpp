// Protection type 10 through the control: files sealed and opened in place, strings as armour,
// and every way a sealed file can fail to open leaving the file as it was.
#include "filefixture.h"

#include "cipher/agearmour.h"
#include "cipher/catalogue.h"
#include "cipher/sealedtext.h"
#include "latin1.h"

#include <gtest/gtest.h>

#include <functional>

using namespace velloc;
using namespace testsupport;
namespace d = velpack::dispids;

namespace {

constexpr int Sealed = int(cipher::PType::Sealed);
const QString Passphrase = QStringLiteral("Tide tables for the northern quay");
// Files made here stretch their key little, so that opening them takes no time.
constexpr int QuickWorkFactor = 10;

std::string bytes(const QByteArray& data)
{
    return data.toStdString();
}

QByteArray sealedBytes(const QByteArray& plain, const QString& passphrase = Passphrase)
{
    cipher::AgeResult<std::string> sealed = cipher::SealText(bytes(plain), passphrase.toStdString(), QuickWorkFactor);
    EXPECT_TRUE(sealed.ok());
    return QByteArray::fromStdString(sealed.value());
}

struct SealedFixture : FileFixture {
    void SetUp() override
    {
        FileFixture::SetUp();
        ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(Sealed)).ok());
        ASSERT_TRUE(host->put(d::KEY, Variant::fromString(Passphrase)).ok());
        host->log.clear();
    }

    // Runs an operation that must fail: its error, no Finished, the file as it was and no
    // temporary file beside it.
    Error failing(DispId op, const QString& path, const QByteArray& content)
    {
        host->log.clear();
        Result<Variant> r = host->call(op);
        EXPECT_FALSE(r.ok());
        EXPECT_FALSE(host->events().contains("event v.Finished()"));
        EXPECT_TRUE(readAll(path) == content);
        EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
        return r.ok() ? Error() : r.releaseError();
    }
};

} // namespace

TEST_F(SealedFixture, EncodeSealsAndDecodeRestores)
{
    const QByteArray original = patternBytes(25000);
    const QString path = file(original);
    run(d::Encode);
    const QByteArray sealed = readAll(path);
    EXPECT_TRUE(sealed.startsWith("age-encryption.org/v1\n-> scrypt "));
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:25000)", "event v.Progress(i4:1)", "event v.Progress(i4:10001)",
                                            "event v.Progress(i4:20001)", "event v.Finished()"}));
    cipher::AgeResult<std::string> opened = cipher::OpenText(bytes(sealed), Passphrase.toStdString());
    ASSERT_TRUE(opened.ok());
    EXPECT_TRUE(opened.value() == bytes(original));

    host->log.clear();
    run(d::Decode);
    EXPECT_EQ(readAll(path), original);
    // Progress follows what is read: the sealed file's positions.
    QStringList expected {QStringLiteral("event v.Statred(i4:%1)").arg(sealed.size())};
    for (int position = 1; position <= sealed.size(); position += 10000)
        expected << QStringLiteral("event v.Progress(i4:%1)").arg(position);
    expected << "event v.Finished()";
    EXPECT_EQ(host->events(), expected);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

// The built-in key protects nothing: sealing with it is refused before any event, opening with it
// is not (a file may have been sealed with it elsewhere).
TEST_F(SealedFixture, SealingWithTheBuiltInKeyIsRefusedBeforeAnyEvent)
{
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString(QString::fromLatin1(velpack::DefaultKey))).ok());
    const QByteArray original = patternBytes(3000);
    const QString path = file(original);
    for (DispId op : {d::Encode, d::EncodeString}) {
        host->log.clear();
        Result<Variant> r = op == d::Encode ? host->call(op) : host->call(op, {Variant::fromString("text")});
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().number(), errc::InvalidArgument);
        EXPECT_TRUE(r.error().message().contains("KEY")) << r.error().message().toStdString();
        EXPECT_TRUE(host->events().isEmpty());
    }
    EXPECT_EQ(readAll(path), original);

    const QByteArray sealed = sealedBytes(original, QString::fromLatin1(velpack::DefaultKey));
    testsupport::writeAll(path, sealed);
    run(d::Decode);
    EXPECT_EQ(readAll(path), original);
}

namespace {

// A sealed file of three chunks, the last short, and where its parts begin.
struct Sample {
    QByteArray plain = patternBytes(2 * 65536 + 1000);
    QByteArray sealed = sealedBytes(plain);
    int nonce = sealed.indexOf('\n', sealed.indexOf("\n--- ") + 1) + 1;
    int chunk(int k) const { return nonce + 16 + k * (65536 + 16); }
};

QByteArray flipped(QByteArray data, int at)
{
    data[at] = char(data[at] ^ 0x01);
    return data;
}

struct FileDamage {
    const char* name;
    std::function<QByteArray(const Sample&)> damage;
    bool wrongPassphrase = false;
};

void PrintTo(const FileDamage& c, std::ostream* os) { *os << c.name; }

class SealedDamage : public SealedFixture, public ::testing::WithParamInterface<FileDamage> {};

} // namespace

TEST_P(SealedDamage, DecodeRefusesAndKeepsTheFile)
{
    static const Sample sample;
    const FileDamage& c = GetParam();
    const QByteArray damaged = c.damage(sample);
    const QString path = file(damaged);
    const Error error = failing(d::Decode, path, damaged);
    EXPECT_EQ(error.number(), errc::SealedDataRefused);
    const QString expected = c.wrongPassphrase ? "Wrong passphrase" : "damaged or truncated";
    EXPECT_TRUE(error.message().contains(expected) || (!c.wrongPassphrase && error.message().contains("Not sealed")) ||
                (!c.wrongPassphrase && error.message().contains("work factor")))
        << error.message().toStdString();
    EXPECT_FALSE(error.message().contains(Passphrase));
}

INSTANTIATE_TEST_SUITE_P(Cases, SealedDamage, ::testing::Values(
    FileDamage{"HeaderLine", [](const Sample& s) { return flipped(s.sealed, 30); }, true},
    FileDamage{"Mac", [](const Sample& s) { return flipped(s.sealed, s.nonce - 10); }},
    FileDamage{"FirstChunk", [](const Sample& s) { return flipped(s.sealed, s.chunk(0) + 7); }},
    FileDamage{"MiddleChunk", [](const Sample& s) { return flipped(s.sealed, s.chunk(1) + 40000); }},
    FileDamage{"LastChunk", [](const Sample& s) { return flipped(s.sealed, int(s.sealed.size()) - 20); }},
    FileDamage{"CutAtAChunkBoundary", [](const Sample& s) { return s.sealed.left(s.chunk(2)); }},
    FileDamage{"CutInsideAChunk", [](const Sample& s) { return s.sealed.left(s.chunk(1) + 123); }},
    FileDamage{"BytesAppended", [](const Sample& s) { return s.sealed + "\n"; }},
    FileDamage{"AbsurdWorkFactor", [](const Sample& s) { return QByteArray(s.sealed).replace(" 10\n", " 60\n"); }},
    FileDamage{"PlainText", [](const Sample& s) { return s.plain.left(5000); }},
    FileDamage{"Empty", [](const Sample&) { return QByteArray(); }},
    FileDamage{"OtherRecipient", [](const Sample& s) {
        return "age-encryption.org/v1\n-> X25519 SVrzdFfkPxf0LPHOUGB1gNb9E5Vr8EUDa9kxRnZ9ZVg\nAAAA\n" + s.sealed.mid(s.sealed.indexOf("--- "));
    }, true},
    FileDamage{"WrongPassphrase", [](const Sample& s) { return sealedBytes(s.plain.left(100), "Tide tables for the southern quay"); }, true}),
    [](const ::testing::TestParamInfo<FileDamage>& info) { return std::string(info.param.name); });

TEST_F(SealedFixture, CancelDuringEncodeOrDecodeKeepsTheFile)
{
    const QByteArray original = patternBytes(35000);
    const QString path = file(original);
    host->onEvent = [this](const QString& event, std::span<Variant> args) {
        if (event == "Progress" && args[0].i4() == 10001) {
            EXPECT_TRUE(host->call(d::CancelOperation).ok());
        }
    };
    run(d::Encode);
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});

    const QByteArray sealed = sealedBytes(original);
    testsupport::writeAll(path, sealed);
    host->log.clear();
    run(d::Decode);
    EXPECT_FALSE(host->events().contains("event v.Finished()"));
    EXPECT_EQ(readAll(path), sealed);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

TEST_F(SealedFixture, StringsAreArmouredAndOpenFromArmourOrBytes)
{
    const QString plain = QStringLiteral("Ships in the harbour at dusk: 7\r\n\u00ff");
    Result<Variant> sealed = host->call(d::EncodeString, {Variant::fromString(plain)});
    ASSERT_TRUE(sealed.ok());
    EXPECT_TRUE(cipher::isAgeArmour(sealed->string().toStdString()));
    EXPECT_TRUE(sealed->string().startsWith("-----BEGIN AGE ENCRYPTED FILE-----\n"));
    Result<Variant> opened = host->call(d::DecodeString, {*sealed});
    ASSERT_TRUE(opened.ok()) << opened.error().message().toStdString();
    EXPECT_EQ(opened->string(), plain);

    // The sealed bytes, one character per byte.
    const QByteArray binary = sealedBytes("one character per byte");
    opened = host->call(d::DecodeString, {Variant::fromString(velpack::fromBytes(bytes(binary)))});
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(opened->string(), "one character per byte");
}

TEST_F(SealedFixture, StringsThatDoNotOpenGiveTheErrorAndNoText)
{
    const QString wrongKey = velpack::fromBytes(bytes(sealedBytes("text", "Tide tables for the southern quay")));
    const QByteArray sealed = sealedBytes("text");
    const QString damaged = QString::fromStdString(cipher::AgeArmour(bytes(flipped(sealed, int(sealed.size()) - 3))));
    for (const QString& text : {wrongKey, damaged, QStringLiteral("not sealed at all")}) {
        host->log.clear();
        Result<Variant> r = host->call(d::DecodeString, {Variant::fromString(text)});
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().number(), errc::SealedDataRefused);
        EXPECT_EQ(host->events(), QStringList {QStringLiteral("event v.Statred(i4:%1)").arg(text.size())});
    }
}

// The key is a passphrase typed elsewhere too: UTF-8, so `age` opens with the same characters.
TEST_F(SealedFixture, TheKeyIsTakenAsUtf8)
{
    const QString key = QStringLiteral("Mâle \u0101 \u4e2d");
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString(key)).ok());
    Result<Variant> sealed = host->call(d::EncodeString, {Variant::fromString("text")});
    ASSERT_TRUE(sealed.ok());
    cipher::AgeResult<std::string> opened = cipher::OpenText(sealed->string().toStdString(), key.toUtf8().toStdString());
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(opened.value(), "text");
}
