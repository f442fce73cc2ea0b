#include "testsupport.h"

#include "platform/guid.h"

#include <set>
#include <unordered_set>

using platform::Guid;

namespace {

constexpr Guid Sample(0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});

struct GoodGuid {
    const char* text;
    const char* canonical;
};

class GuidParse : public ::testing::TestWithParam<GoodGuid> {};

TEST_P(GuidParse, ParsesToTheCanonicalBracedUpperCaseForm)
{
    const auto g = Guid::parse(QString::fromLatin1(GetParam().text));
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->toString(), QString::fromLatin1(GetParam().canonical));
    // The canonical form parses back to the same value.
    EXPECT_EQ(Guid::parse(g->toString()), g);
}

INSTANTIATE_TEST_SUITE_P(Forms, GuidParse,
                         ::testing::Values(GoodGuid {"{00112233-4455-6677-8899-AABBCCDDEEFF}", "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
                                           GoodGuid {"{00112233-4455-6677-8899-aabbccddeeff}", "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
                                           GoodGuid {"00112233-4455-6677-8899-AaBbCcDdEeFf", "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
                                           GoodGuid {"{00000000-0000-0000-0000-000000000000}", "{00000000-0000-0000-0000-000000000000}"},
                                           GoodGuid {"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}", "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
                                           GoodGuid {"{f9043c85-f6f2-101a-a3c9-08002b2f49fb}", "{F9043C85-F6F2-101A-A3C9-08002B2F49FB}"}));

TEST(Guid, FieldsLandInTheirPlaces)
{
    // Parsing must keep the byte order of the written form: the last two groups are bytes in
    // order, the first three are numbers.
    EXPECT_EQ(Guid::parse(std::string_view("{00112233-4455-6677-8899-AABBCCDDEEFF}")), Sample);
    EXPECT_EQ(Sample.toString(), QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}"));
    static_assert(Guid::literal("{00112233-4455-6677-8899-AABBCCDDEEFF}") == Sample);
}

class GuidMalformed : public ::testing::TestWithParam<QString> {};

TEST_P(GuidMalformed, IsRefused)
{
    EXPECT_FALSE(Guid::parse(GetParam()).has_value()) << GetParam().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, GuidMalformed,
    ::testing::Values(QString(), QStringLiteral("{}"), QStringLiteral("not a guid"),
                      QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF"),   // no closing brace
                      QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF}"),   // no opening brace
                      QStringLiteral("(00112233-4455-6677-8899-AABBCCDDEEFF)"),
                      QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEF}"),   // one digit short
                      QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF0}"), // one digit long
                      QStringLiteral("{0011223-34455-6677-8899-AABBCCDDEEFF}"),  // dash misplaced
                      QStringLiteral("{00112233_4455_6677_8899_AABBCCDDEEFF}"),
                      QStringLiteral("{0011223G-4455-6677-8899-AABBCCDDEEFF}"),  // not hex
                      QStringLiteral("{ 0112233-4455-6677-8899-AABBCCDDEEFF}"),
                      QStringLiteral("{+0112233-4455-6677-8899-AABBCCDDEEFF}"),
                      QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEF\u00e9}"),
                      QStringLiteral("{{00112233-4455-6677-8899-AABBCCDDEEFF}}"),
                      QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}") + QChar(0),
                      QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}") + QChar(0) + QStringLiteral("junk"),
                      QChar(0) + QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}")));

TEST(Guid, NullIsTheAllZeroValue)
{
    EXPECT_TRUE(Guid().isNull());
    EXPECT_TRUE(Guid::parse(QStringLiteral("{00000000-0000-0000-0000-000000000000}"))->isNull());
    EXPECT_FALSE(Sample.isNull());
}

// Every byte of the value takes part in equality, ordering and hashing.
TEST(Guid, EveryByteDistinguishes)
{
    const QString base = QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF");
    std::set<Guid> ordered;
    std::unordered_set<Guid> hashed;
    std::set<std::size_t> hashes;
    for (qsizetype i = 0; i < base.size(); ++i) {
        if (base[i] == QLatin1Char('-'))
            continue;
        QString changed = base;
        changed[i] = base[i] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        const auto g = Guid::parse(changed);
        ASSERT_TRUE(g.has_value());
        EXPECT_NE(*g, Sample) << changed.toStdString();
        EXPECT_NE(g->hash(), Sample.hash()) << changed.toStdString();
        EXPECT_TRUE((*g < Sample) != (Sample < *g)) << changed.toStdString();
        ordered.insert(*g);
        hashed.insert(*g);
        hashes.insert(g->hash());
    }
    EXPECT_EQ(ordered.size(), 32u);
    EXPECT_EQ(hashed.size(), 32u);
    EXPECT_EQ(hashes.size(), 32u);
}

TEST(Guid, OrdersByFieldsAsWritten)
{
    const auto a = *Guid::parse(QStringLiteral("{00000001-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"));
    const auto b = *Guid::parse(QStringLiteral("{00000002-0000-0000-0000-000000000000}"));
    const auto c = *Guid::parse(QStringLiteral("{00000002-0000-0000-0000-000000000001}"));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

} // namespace
