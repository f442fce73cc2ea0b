#include "cipher/agearmour.h"
#include "cipher/catalogue.h"
#include "cipher/agecrypto.h"
#include "cipher/ageheader.h"
#include "cipher/ageopener.h"
#include "cipher/agesealer.h"
#include "cipher/sealedtext.h"
#include "sealedtest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

using namespace cipher;
using namespace sealedtest;

namespace {

std::string hex(age::Bytes bytes)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes)
        text.append({Digits[b >> 4], Digits[b & 15]});
    return text;
}

std::string dataFile(const std::string& name)
{
    std::ifstream file(std::string(AGE_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

// RFC 5869, test cases 1 and 3: the first 32 bytes of their output.
TEST(AgeCrypto, HkdfMatchesTheRfcVectors)
{
    const std::string ikm(22, '\x0b');
    const std::string salt = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::string info = "\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9";
    std::array<unsigned char, age::KeySize> out{};
    age::hkdf(age::bytesOf(ikm), age::bytesOf(salt), info, out);
    EXPECT_EQ(hex(out), "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf");
    age::hkdf(age::bytesOf(ikm), {}, "", out);
    EXPECT_EQ(hex(out), "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d");
}

TEST(AgeCrypto, ChunkNonceIsABigEndianCounterAndTheLastFlag)
{
    EXPECT_EQ(hex(age::chunkNonce(0, false)), "000000000000000000000000");
    EXPECT_EQ(hex(age::chunkNonce(1, true)), "000000000000000000000101");
    EXPECT_EQ(hex(age::chunkNonce(0x0102030405060708, false)), "000000010203040506070800");
}

TEST(AgeCrypto, Base64DecodingIsStrict)
{
    EXPECT_EQ(age::fromBase64("TWFu", true), "Man");
    EXPECT_EQ(age::fromBase64("TWE", false), "Ma");
    EXPECT_EQ(age::fromBase64("TWE=", true), "Ma");
    for (const char* text : {"TWE=", "TWF", "TWE==", "T", "TW E", "TWE\n"})
        EXPECT_FALSE(age::fromBase64(text, false)) << text;
    EXPECT_FALSE(age::fromBase64("TWE", true));
}

// Files sealed by `age -p` (age 1.1.1, Debian 12) with the passphrase below; the plain texts are
// made here.
TEST(AgeKnownAnswer, OpensWhatTheAgeToolSealed)
{
    const std::string pattern = patternText(65537);
    const struct {
        const char* file;
        std::string plain;
    } cases[] = {
        {"empty.age", ""},
        {"harbour.age.txt", "Harbour lights at dusk\n"},
        {"pattern65537.age", pattern},
    };
    for (const auto& c : cases) {
        AgeResult<std::string> opened = OpenText(dataFile(c.file), "correct horse battery staple");
        ASSERT_TRUE(opened.ok()) << c.file << ": " << opened.error().message;
        EXPECT_EQ(opened.value(), c.plain) << c.file;
    }
}

TEST(AgeOpener, TellsAWrongPassphrase)
{
    AgeResult<std::string> wrong = OpenText(seal("Harbour lights at dusk\n"), "Tide tables for the northern quay!");
    ASSERT_FALSE(wrong.ok());
    EXPECT_EQ(wrong.error().problem, AgeProblem::WrongPassphrase);
    EXPECT_EQ(wrong.error().number(), SealedDataError);
    EXPECT_EQ(wrong.error().message, "Wrong passphrase, or not sealed with a passphrase");
}

// A chunk is sealed as not the last only once more text follows, so a text of whole chunks ends
// in a full last chunk, and only the empty text has an empty chunk.
TEST(AgeSealer, WritesOneTaggedChunkPer64KiBStartedAndTheHeader)
{
    for (std::size_t size : {0, 1, 65535, 65536, 65537, 131072, 131073}) {
        const std::string plain = patternText(size);
        const std::string sealed = seal(plain);
        const std::size_t chunks = std::max<std::size_t>(1, (size + AgeChunkSize - 1) / AgeChunkSize);
        EXPECT_EQ(sealed.size(), headerSize(sealed) + age::PayloadNonceSize + size + chunks * age::TagSize) << size;
        EXPECT_TRUE(sealed.starts_with("age-encryption.org/v1\n-> scrypt "));
        AgeResult<std::string> opened = OpenText(sealed, Passphrase);
        ASSERT_TRUE(opened.ok()) << size << ": " << opened.error().message;
        EXPECT_EQ(opened.value(), plain) << size;
    }
}

TEST(AgeSealer, GivesTheSameBytesHoweverTheTextIsCut)
{
    const std::string plain = patternText(200000);
    for (std::size_t piece : {1, 7, 10000, 65536, 65537, 200000}) {
        AgeResult<AgeSealer> sealer = AgeSealer::create(Passphrase, TestWorkFactor);
        ASSERT_TRUE(sealer.ok());
        std::string sealed;
        for (std::size_t at = 0; at < plain.size(); at += piece)
            sealer.value().write(std::string_view(plain).substr(at, piece), sealed);
        sealer.value().finish(sealed);
        EXPECT_EQ(openInPieces(sealed, 9999).plain, plain) << piece;
    }
}

TEST(AgeSealer, RefusesAnEmptyPassphraseAndWorkFactorsOutOfRange)
{
    for (const auto& [passphrase, workFactor] : {std::pair{"", TestWorkFactor}, {"p", 0}, {"p", MaxWorkFactor + 1}}) {
        AgeResult<AgeSealer> sealer = AgeSealer::create(passphrase, workFactor);
        ASSERT_FALSE(sealer.ok());
        EXPECT_EQ(sealer.error().problem, AgeProblem::Refused);
        EXPECT_EQ(sealer.error().number(), InvalidArgumentError);
    }
}

namespace {

// A sealed text of three chunks, the last short, and where its parts begin.
struct Sample {
    std::string plain = patternText(2 * AgeChunkSize + 1000);
    std::string sealed = seal(plain);
    std::size_t nonce = headerSize(sealed);
    std::size_t chunk(std::size_t k) const { return nonce + age::PayloadNonceSize + k * (AgeChunkSize + age::TagSize); }
    std::size_t lineStart(std::string_view prefix) const { return sealed.find(std::string("\n") + std::string(prefix)) + 1; }
};

struct DamageCase {
    const char* name;
    std::function<std::string(const Sample&)> damage;
    AgeProblem problem;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

std::string flipped(std::string text, std::size_t at)
{
    text.at(at) ^= 0x01;
    return text;
}

// Another base64 character, so the header still parses and only its meaning changes.
std::string retyped(std::string text, std::size_t at)
{
    text.at(at) = text.at(at) == 'A' ? 'B' : 'A';
    return text;
}

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    return text.replace(text.find(from), from.size(), to);
}

class AgeDamage : public testing::TestWithParam<DamageCase> {};

} // namespace

// Every damaged input gives the one error number with the problem's message, and whatever came
// out before the error is authentic whole chunks of the plain text.
TEST_P(AgeDamage, IsRefusedWithoutReleasingUnauthenticatedText)
{
    static const Sample sample;
    const DamageCase& c = GetParam();
    const std::string damaged = c.damage(sample);
    ASSERT_NE(damaged, sample.sealed);

    AgeResult<std::string> whole = OpenText(damaged, Passphrase);
    ASSERT_FALSE(whole.ok());
    EXPECT_EQ(whole.error().problem, c.problem) << whole.error().message;
    EXPECT_EQ(whole.error().number(), SealedDataError);

    for (std::size_t piece : {std::size_t(1), std::size_t(10000), damaged.size()}) {
        const Opened opened = openInPieces(damaged, piece);
        ASSERT_TRUE(opened.error) << piece;
        EXPECT_EQ(opened.error->message, whole.error().message) << piece;
        EXPECT_EQ(opened.plain.size() % AgeChunkSize, 0u) << piece;
        EXPECT_TRUE(sample.plain.starts_with(opened.plain)) << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AgeDamage, testing::Values(
    DamageCase{"VersionLine", [](const Sample& s) { return flipped(s.sealed, 3); }, AgeProblem::NotSealed},
    DamageCase{"RecipientType", [](const Sample& s) { return replaced(s.sealed, "scrypt", "scrypu"); }, AgeProblem::WrongPassphrase},
    DamageCase{"Salt", [](const Sample& s) { return retyped(s.sealed, s.lineStart("-> ") + 10); }, AgeProblem::WrongPassphrase},
    DamageCase{"WorkFactor", [](const Sample& s) { return replaced(s.sealed, " 10\n", " 11\n"); }, AgeProblem::WrongPassphrase},
    DamageCase{"WrappedKey", [](const Sample& s) { return retyped(s.sealed, s.lineStart("-> ") + 36); }, AgeProblem::WrongPassphrase},
    DamageCase{"Mac", [](const Sample& s) { return retyped(s.sealed, s.lineStart("--- ") + 4); }, AgeProblem::Damaged},
    DamageCase{"MacLineEnd", [](const Sample& s) { return flipped(s.sealed, s.nonce - 1); }, AgeProblem::Damaged},
    DamageCase{"AbsurdWorkFactor", [](const Sample& s) { return replaced(s.sealed, " 10\n", " 40\n"); }, AgeProblem::TooCostly},
    DamageCase{"HugeWorkFactor", [](const Sample& s) { return replaced(s.sealed, " 10\n", " 99999999999999999999\n"); }, AgeProblem::TooCostly},
    DamageCase{"PayloadNonce", [](const Sample& s) { return flipped(s.sealed, s.nonce + 5); }, AgeProblem::Damaged},
    DamageCase{"FirstChunk", [](const Sample& s) { return flipped(s.sealed, s.chunk(0) + 100); }, AgeProblem::Damaged},
    DamageCase{"MiddleChunk", [](const Sample& s) { return flipped(s.sealed, s.chunk(1) + 65000); }, AgeProblem::Damaged},
    DamageCase{"LastChunkTag", [](const Sample& s) { return flipped(s.sealed, s.sealed.size() - 1); }, AgeProblem::Damaged},
    DamageCase{"CutInHeader", [](const Sample& s) { return s.sealed.substr(0, 40); }, AgeProblem::Damaged},
    DamageCase{"CutBeforeNonce", [](const Sample& s) { return s.sealed.substr(0, s.nonce); }, AgeProblem::Damaged},
    DamageCase{"CutInNonce", [](const Sample& s) { return s.sealed.substr(0, s.nonce + 8); }, AgeProblem::Damaged},
    DamageCase{"CutBeforePayload", [](const Sample& s) { return s.sealed.substr(0, s.chunk(0)); }, AgeProblem::Damaged},
    DamageCase{"CutAfterFirstChunk", [](const Sample& s) { return s.sealed.substr(0, s.chunk(1)); }, AgeProblem::Damaged},
    DamageCase{"CutAfterSecondChunk", [](const Sample& s) { return s.sealed.substr(0, s.chunk(2)); }, AgeProblem::Damaged},
    DamageCase{"CutInSecondChunk", [](const Sample& s) { return s.sealed.substr(0, s.chunk(1) + 3000); }, AgeProblem::Damaged},
    DamageCase{"CutLastByte", [](const Sample& s) { return s.sealed.substr(0, s.sealed.size() - 1); }, AgeProblem::Damaged},
    DamageCase{"OneByteAppended", [](const Sample& s) { return s.sealed + "x"; }, AgeProblem::Damaged},
    DamageCase{"LastChunkRepeated", [](const Sample& s) { return s.sealed + s.sealed.substr(s.chunk(2)); }, AgeProblem::Damaged},
    DamageCase{"PlainText", [](const Sample&) { return std::string("Harbour lights at dusk\n"); }, AgeProblem::NotSealed},
    DamageCase{"Empty", [](const Sample&) { return std::string(); }, AgeProblem::NotSealed},
    DamageCase{"OtherRecipient", [](const Sample& s) {
        return "age-encryption.org/v1\n-> X25519 SVrzdFfkPxf0LPHOUGB1gNb9E5Vr8EUDa9kxRnZ9ZVg\nbody\n" + s.sealed.substr(s.lineStart("--- "));
    }, AgeProblem::WrongPassphrase},
    DamageCase{"SecondRecipient", [](const Sample& s) {
        return replaced(s.sealed, "\n--- ", "\n-> scrypt AAAAAAAAAAAAAAAAAAAAAA 10\nAAAA\n--- ");
    }, AgeProblem::Damaged},
    DamageCase{"CarriageReturns", [](const Sample& s) { return replaced(s.sealed, "\n-> ", "\r\n-> "); }, AgeProblem::NotSealed},
    DamageCase{"LongHeaderLine", [](const Sample& s) { return replaced(s.sealed, "\n--- ", "\n" + std::string(5000, 'A') + "\n--- "); }, AgeProblem::Damaged}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

// Chunks sealed with the flags a faulty or hostile sealer might set.
TEST(AgeOpener, ChecksTheLastChunkFlag)
{
    const std::string full(AgeChunkSize, 'a');
    const struct {
        const char* name;
        std::vector<std::pair<std::string, bool>> chunks;
        std::string_view detail;
    } cases[] = {
        {"no chunk marked last", {{full, false}, {"b", false}}, "the data ends before its last chunk"},
        {"a marked chunk before the end", {{full, true}, {"b", true}}, "data follows the last chunk"},
        {"a short chunk before the end", {{"a", false}, {"b", true}}, "chunk 1 does not authenticate"},
        {"an empty last chunk", {{full, false}, {"", true}}, "the last chunk is empty"},
    };
    for (const auto& c : cases) {
        const Opened opened = openInPieces(craft(c.chunks), 10000);
        ASSERT_TRUE(opened.error) << c.name;
        EXPECT_EQ(opened.error->problem, AgeProblem::Damaged) << c.name;
        EXPECT_NE(opened.error->message.find(c.detail), std::string::npos) << c.name << ": " << opened.error->message;
    }
    EXPECT_FALSE(openInPieces(craft({{full, false}, {full, true}}), 10000).error);
    EXPECT_FALSE(openInPieces(craft({{"", true}}), 10000).error);
}

TEST(AgeOpener, KeepsReportingItsFirstError)
{
    AgeOpener opener(Passphrase);
    std::string plain;
    const std::optional<AgeError> first = opener.write("plain text", plain);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->problem, AgeProblem::NotSealed);
    EXPECT_EQ(opener.write(seal("x"), plain)->message, first->message);
    EXPECT_EQ(opener.finish(plain)->message, first->message);
    EXPECT_TRUE(plain.empty());
}

TEST(AgeArmour, WritesLinesOf64ColumnsAndReadsThemBack)
{
    const std::string sealed = seal(patternText(1000));
    const std::string armoured = AgeArmour(sealed);
    EXPECT_TRUE(armoured.starts_with("-----BEGIN AGE ENCRYPTED FILE-----\n"));
    EXPECT_TRUE(armoured.ends_with("\n-----END AGE ENCRYPTED FILE-----\n"));
    EXPECT_EQ(armoured.find('\n', 35), 35u + 64);
    EXPECT_TRUE(isAgeArmour(armoured));
    for (const std::string& text : {armoured, "\n \r\n" + armoured + "\n\t \n", replaced(armoured, "\n", "\r\n")}) {
        AgeResult<std::string> back = AgeUnarmour(text);
        ASSERT_TRUE(back.ok()) << back.error().message;
        EXPECT_EQ(back.value(), sealed);
    }
    const AgeResult<std::string> opened = OpenText(armoured, Passphrase);
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(opened.value(), patternText(1000));
}

TEST(AgeArmour, RefusesAnythingButTheStrictForm)
{
    const std::string armoured = AgeArmour(seal("x"));
    const std::size_t second = armoured.find('\n') + 1;
    const struct {
        const char* name;
        std::string text;
        AgeProblem problem;
    } cases[] = {
        {"no first line", armoured.substr(second), AgeProblem::NotSealed},
        {"indented first line", " " + armoured, AgeProblem::NotSealed},
        {"no last line", replaced(armoured, "-----END AGE ENCRYPTED FILE-----\n", ""), AgeProblem::Damaged},
        {"text after the last line", armoured + "x", AgeProblem::Damaged},
        {"a line of 63 columns", replaced(armoured, armoured.substr(second, 64), armoured.substr(second, 63)), AgeProblem::Damaged},
        {"a line of 65 columns", replaced(armoured, armoured.substr(second, 64), armoured.substr(second, 64) + "A"), AgeProblem::Damaged},
        {"a character outside base64", std::string(armoured).replace(second + 5, 1, "*"), AgeProblem::Damaged},
        {"a blank line inside", replaced(armoured, "\n-----END", "\n\n-----END"), AgeProblem::Damaged},
        {"nothing inside", "-----BEGIN AGE ENCRYPTED FILE-----\n-----END AGE ENCRYPTED FILE-----\n", AgeProblem::Damaged},
        {"padding inside", "-----BEGIN AGE ENCRYPTED FILE-----\nTWE=\nTWFu\n-----END AGE ENCRYPTED FILE-----\n", AgeProblem::Damaged},
    };
    for (const auto& c : cases) {
        AgeResult<std::string> back = AgeUnarmour(c.text);
        ASSERT_FALSE(back.ok()) << c.name;
        EXPECT_EQ(back.error().problem, c.problem) << c.name;
    }
}

// Cipher type 10 as the string operations call it: armour out, armour or sealed bytes in.
TEST(SealedRoutines, EncodeGivesArmourThatDecodeOpens)
{
    CipherParams params;
    params.key = Passphrase;
    const CipherResult sealed = SealedEncode("Harbour lights at dusk", params);
    ASSERT_TRUE(sealed.ok());
    EXPECT_TRUE(isAgeArmour(sealed.text));
    EXPECT_NE(sealed.text.find("-> scrypt "), 0u);
    const CipherResult opened = SealedDecode(sealed.text, params);
    ASSERT_TRUE(opened.ok()) << opened.error->message;
    EXPECT_EQ(opened.text, "Harbour lights at dusk");
    EXPECT_EQ(SealedDecode(seal("bytes as they are"), params).text, "bytes as they are");
}

TEST(SealedRoutines, RefuseWithTheirErrorNumbers)
{
    CipherParams params;
    for (std::string_view key : {DefaultKey, std::string_view()}) {
        params.key = key;
        const CipherResult refused = SealedEncode("text", params);
        ASSERT_TRUE(refused.error);
        EXPECT_EQ(refused.error->number, InvalidArgumentError);
    }
    params.key = "Tide tables for the southern quay";
    for (const std::string& text : {seal("text"), AgeArmour(seal("text")), std::string("text")}) {
        const CipherResult refused = SealedDecode(text, params);
        ASSERT_TRUE(refused.error);
        EXPECT_EQ(refused.error->number, SealedDataError);
        EXPECT_TRUE(refused.text.empty());
    }
}
