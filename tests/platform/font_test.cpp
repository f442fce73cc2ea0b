#include "testsupport.h"

#include "platform/font.h"

using namespace platform;
using namespace testsupport;

namespace {

Result<Variant> set(Font& font, const char16_t* name, const char* value)
{
    return putProperty(font, *font.idOfName(name), lit(value));
}

// Bold is a weight of 600 or more; sizes keep four decimals; impossible values are refused and
// leave the font as it was. Listeners hear of each real change once, and of nothing else.
TEST(Font, PropertiesKeepTheDescriptionConsistent)
{
    auto font = Font::create();
    const std::tuple<const char16_t*, const char*, const char16_t*, const char*> rows[] = {
        {u"Bold", "bool:true", u"Weight", "i2:700"},  {u"Weight", "i2:599", u"Bold", "bool:false"},
        {u"Weight", "i2:600", u"Bold", "bool:true"},  {u"Bold", "bool:false", u"Weight", "i2:400"},
        {u"Weight", "i2:400", u"Bold", "bool:false"}, {u"Italic", "bool:true", u"Italic", "bool:true"},
        {u"Size", R"("9.123456")", u"Size", "r8:9.1235"}, {u"Size", "r8:0", u"Size", "error 5"},
        {u"Size", "r8:-3", u"Size", "error 5"},       {u"Weight", "i2:1001", u"Weight", "error 5"},
        {u"Weight", "i4:70000", u"Weight", "error 6"}, {u"Size", R"("big")", u"Size", "error 13"},
    };
    int heard = 0;
    const int listener = font->addListener([&] { ++heard; });
    for (const auto& [name, value, readName, gives] : rows) {
        const Font::Description before = font->description();
        const int heardBefore = heard;
        const Result<Variant> put = set(*font, name, value);
        EXPECT_EQ(put.ok() ? outcome(getProperty(*font, *font->idOfName(readName))) : outcome(put),
                  QString::fromUtf8(gives));
        EXPECT_EQ(heard - heardBefore, font->description() == before ? 0 : 1) << value;
        if (!put.ok()) {
            EXPECT_EQ(font->description(), before);
        }
    }
    font->removeListener(listener);
    ASSERT_TRUE(set(*font, u"Italic", "bool:false").ok());
    EXPECT_EQ(heard, 6);
    // A description that rounds to the current one is no change.
    Font::Description d;
    d.size = 8.25004;
    auto same = Font::create(d);
    EXPECT_DOUBLE_EQ(same->size(), 8.25);
    int sameHeard = 0;
    same->addListener([&] { ++sameHeard; });
    same->setDescription(d);
    EXPECT_EQ(sameHeard, 0);
}

TEST(Font, DrawsWithTheQtFontItDescribes)
{
    Font::Description d;
    d.name = QStringLiteral("DejaVu Sans");
    d.size = 9.75;
    d.weight = 700;
    d.italic = d.underline = d.strikethrough = true;
    const QFont f = Font::create(d)->toQFont();
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 9.75);
    EXPECT_TRUE(f.bold() && f.italic() && f.underline() && f.strikeOut());
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Sans"));
    // Weight 0 leaves the choice to the font: it draws at the normal weight.
    for (const auto& [weight, qtWeight] : {std::pair {0, int(QFont::Normal)}, std::pair {100, 100},
                                           std::pair {400, int(QFont::Normal)}, std::pair {1000, 1000}}) {
        d.weight = weight;
        EXPECT_EQ(Font::create(d)->toQFont().weight(), qtWeight) << weight;
    }
}

} // namespace
