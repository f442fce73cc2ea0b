// EncodeString and DecodeString through the dispatch interface.
#include "testsupport.h"

#include "cipher/catalogue.h"

#include "velloc.h"

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
namespace d = velpack::dispids;

namespace {

QString latin1(std::initializer_list<int> codes)
{
    QString s;
    for (int c : codes)
        s += QChar(char16_t(c));
    return s;
}

Result<QString> encode(RecordingHost& host, const QString& text, DispId op = d::EncodeString)
{
    Result<Variant> r = host.call(op, {Variant::fromString(text)});
    if (!r)
        return r.releaseError();
    return r->string();
}

// Known answers of the standard cipher, derived by hand: result[i] = text[i] XOR key[p], with
// the key position p walked from the key's last character down and round again.
struct StandardCase {
    const char* name;
    QString key;
    QString text;
    QString expected;
};

class StandardCipherVectors : public ::testing::TestWithParam<StandardCase> {};

TEST_P(StandardCipherVectors, EncodeAndDecodeString)
{
    const StandardCase& c = GetParam();
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString(c.key)).ok());
    EXPECT_EQ(encode(*host, c.text).value(), c.expected);
    EXPECT_EQ(encode(*host, c.expected, d::DecodeString).value(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Known, StandardCipherVectors,
    ::testing::Values(
        // "A" with the default key "Harbour Lanterns": 'A' 0x41 ^ 's' 0x73 = 0x32 '2'.
        StandardCase {"DefaultKey", "", "A", "2"},
        // Key "abc" (0x61 0x62 0x63) used at positions 3,2,1,3,2:
        // 'H'0x48^0x63=0x2B '+', 'e'0x65^0x62=0x07, 'l'0x6C^0x61=0x0D, 'l'0x6C^0x63=0x0F, 'o'0x6F^0x62=0x0D.
        StandardCase {"KeyWalkedFromItsLastCharacter", "abc", "Hello", latin1({0x2B, 0x07, 0x0D, 0x0F, 0x0D})},
        // A key longer than the text uses only its last characters: "xyz12" on "ab" uses '2','1':
        // 0x61^0x32=0x53 'S', 0x62^0x31=0x53 'S'.
        StandardCase {"KeyLongerThanText", "xyz12", "ab", "SS"},
        // One-character key: every code combined with it. 0x00^0x7F, 0xFF^0x7F=0x80, 0x7F^0x7F=0.
        StandardCase {"OneCharacterKey", "\x7f", latin1({0x00, 0xFF, 0x7F}), latin1({0x7F, 0x80, 0x00})},
        StandardCase {"Empty", "abc", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VellocStrings, EventsShareTheLengthVariable)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(encode(*host, "").ok());
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:0)", "event v.Progress(i4:0)", "event v.Finished()"}));

    host->log.clear();
    host->onEvent = [](const QString& event, std::span<Variant> args) {
        if (event == "Statred")
            args[0] = Variant::fromI4(5);
    };
    Result<QString> r = encode(*host, QString(12, QLatin1Char('x')));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->size(), 12) << "the whole string is still enciphered";
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:12)", "event v.Progress(i4:5)", "event v.Finished()"}));
}

TEST(VellocStrings, CallersStringUnchangedForEveryType)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    const QString original = QStringLiteral("Ships in the harbour at dusk: 7");
    QList<int> types {int(cipher::catalogue().size()), 200, 255}; // numbers that select no cipher
    for (const cipher::CipherType& row : cipher::catalogue())
        types << row.number();
    for (int type : types) {
        ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(type)).ok());
        for (DispId op : {d::EncodeString, d::DecodeString}) {
            QList<Variant> args {Variant::fromString(original)};
            Result<Variant> r = host->callWith(op, args);
            EXPECT_EQ(args[0].string(), original) << "type " << type;
            if (!cipher::findCipherType(std::uint8_t(type))) {
                ASSERT_TRUE(r.ok());
                EXPECT_EQ(r->string(), original) << "a number without a cipher passes the text through";
            }
        }
    }
}

TEST(VellocStrings, UnknownTypesStillRaiseTheThreeEvents)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(77)).ok());
    host->log.clear();
    ASSERT_TRUE(encode(*host, "abcd", d::DecodeString).ok());
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:4)", "event v.Progress(i4:4)", "event v.Finished()"}));
}

TEST(VellocStrings, CharactersWithoutAByteAreRefusedBeforeAnything)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    host->log.clear();
    Result<QString> r = encode(*host, QStringLiteral("ok \u20ac"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 5);
    EXPECT_TRUE(r.error().message().contains("U+20AC")) << r.error().message().toStdString();
    EXPECT_TRUE(host->events().isEmpty());

    ASSERT_TRUE(host->put(d::KEY, Variant::fromString(QStringLiteral("\u0141\u00f3d\u017a"))).ok());
    r = encode(*host, "plain");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 5);
    EXPECT_TRUE(r.error().message().contains("key")) << r.error().message().toStdString();
}

TEST(VellocStrings, EveryByteSurvivesARoundTrip)
{
    QString all;
    for (int c = 0; c < 256; ++c)
        all += QChar(char16_t(c));
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    for (int type : {0, 2, 3, 5, 6, 7, 8, 9}) {
        ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(type)).ok());
        ASSERT_TRUE(host->put(d::CeaserOffset, Variant::fromI4(0)).ok()); // code 255 is safe with no shift
        Result<QString> there = encode(*host, all);
        ASSERT_TRUE(there.ok()) << "type " << type << ": " << there.error().message().toStdString();
        EXPECT_EQ(encode(*host, *there, d::DecodeString).value(), all) << "type " << type;
    }
}

TEST(VellocStrings, AStringIsOneCallWhileAFileRestartsEveryBlock)
{
    // Position 10001 of a string uses key position L - (10000 mod L); with the key "abc"
    // (L = 3) that is position 2, 'b'.
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString("abc")).ok());
    const QString text(10001, QChar(0));
    Result<QString> r = encode(*host, text);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->at(0), QChar('c'));
    EXPECT_EQ(r->at(10000), QChar('b'));
}

} // namespace
