#include "testcomponent.h"

#include "velloc/core/guid.h"

#include <set>

using velloc::Guid;

namespace {

constexpr Guid Sample(0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});

// Good forms parse to the canonical braced upper-case form, which parses back to the same
// value; anything else is refused.
TEST(Guid, ParsesOnlyTheWrittenForms)
{
    const std::pair<QString, const char*> rows[] = {
        {QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"), "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
        {QStringLiteral("00112233-4455-6677-8899-AaBbCcDdEeFf"), "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
        {QStringLiteral("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"), "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
        {QString(), nullptr}, {QStringLiteral("{}"), nullptr},
        {QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF"), nullptr},
        {QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF}"), nullptr},
        {QStringLiteral("(00112233-4455-6677-8899-AABBCCDDEEFF)"), nullptr},
        {QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEF}"), nullptr},
        {QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF0}"), nullptr},
        {QStringLiteral("{0011223-34455-6677-8899-AABBCCDDEEFF}"), nullptr},
        {QStringLiteral("{00112233_4455_6677_8899_AABBCCDDEEFF}"), nullptr},
        {QStringLiteral("{0011223G-4455-6677-8899-AABBCCDDEEFF}"), nullptr},
        {QStringLiteral("{ 0112233-4455-6677-8899-AABBCCDDEEFF}"), nullptr},
        {QStringLiteral("{+0112233-4455-6677-8899-AABBCCDDEEFF}"), nullptr},
        {QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEF\u00e9}"), nullptr},
        {QStringLiteral("{{00112233-4455-6677-8899-AABBCCDDEEFF}}"), nullptr},
        {QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}") + QChar(0), nullptr},
        {QChar(0) + QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}"), nullptr},
    };
    for (const auto& [text, canonical] : rows) {
        const auto g = Guid::parse(text);
        ASSERT_EQ(g.has_value(), canonical != nullptr) << text.toStdString();
        if (g) {
            EXPECT_EQ(g->toString(), QString::fromLatin1(canonical));
            EXPECT_EQ(Guid::parse(g->toString()), g);
        }
    }
}

// The last two groups are bytes in order, the first three numbers; the order follows the fields.
TEST(Guid, FieldsLandInTheirPlacesAndOrder)
{
    EXPECT_EQ(Guid::parse(std::string_view("{00112233-4455-6677-8899-AABBCCDDEEFF}")), Sample);
    EXPECT_EQ(Sample.toString(), QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}"));
    static_assert(Guid::literal("{00112233-4455-6677-8899-AABBCCDDEEFF}") == Sample);
    EXPECT_TRUE(Guid().isNull());
    EXPECT_FALSE(Sample.isNull());
    EXPECT_LT(*Guid::parse(QStringLiteral("{00000001-FFFF-FFFF-FFFF-FFFFFFFFFFFF}")),
              *Guid::parse(QStringLiteral("{00000002-0000-0000-0000-000000000000}")));
    EXPECT_LT(*Guid::parse(QStringLiteral("{00000002-0000-0000-0000-000000000000}")),
              *Guid::parse(QStringLiteral("{00000002-0000-0000-0000-000000000001}")));
}

// Every byte of the value takes part in equality, ordering and hashing.
TEST(Guid, EveryByteDistinguishes)
{
    const QString base = QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF");
    std::set<Guid> ordered {Sample};
    std::set<std::size_t> hashes {Sample.hash()};
    for (qsizetype i = 0; i < base.size(); ++i) {
        if (base[i] == u'-')
            continue;
        QString changed = base;
        changed[i] = base[i] == u'0' ? u'1' : u'0';
        const auto g = Guid::parse(changed);
        ASSERT_TRUE(g.has_value());
        EXPECT_NE(*g, Sample) << changed.toStdString();
        ordered.insert(*g);
        hashes.insert(g->hash());
    }
    EXPECT_EQ(ordered.size(), 33u);
    EXPECT_EQ(hashes.size(), 33u);
}

} // namespace
