#include "testsupport.h"

#include "platform/font.h"

using namespace platform;
using namespace testsupport;

namespace {

Result<Variant> set(Font& font, const char16_t* name, Variant value)
{
    return putProperty(font, *font.idOfName(name), std::move(value));
}
Variant get(Font& font, const char16_t* name)
{
    return getProperty(font, *font.idOfName(name)).value();
}

TEST(Font, HoldersShareOneFont)
{
    auto font = Font::create();
    std::shared_ptr<Font> otherHolder = font;
    int heard = 0;
    const int listener = font->addListener([&] { ++heard; });
    ASSERT_TRUE(set(*otherHolder, u"Italic", Variant::fromBool(true)).ok());
    EXPECT_TRUE(font->italic());
    EXPECT_EQ(heard, 1);
    // No change, no news.
    ASSERT_TRUE(set(*otherHolder, u"Italic", Variant::fromBool(true)).ok());
    EXPECT_EQ(heard, 1);
    font->removeListener(listener);
    ASSERT_TRUE(set(*otherHolder, u"Italic", Variant::fromBool(false)).ok());
    EXPECT_EQ(heard, 1);
}

TEST(Font, BoldIsAWeightOf600OrMore)
{
    auto font = Font::create();
    ASSERT_TRUE(set(*font, u"Bold", Variant::fromBool(true)).ok());
    EXPECT_TRUE(sameVariant(get(*font, u"Weight"), Variant::fromI2(700)));
    ASSERT_TRUE(set(*font, u"Weight", Variant::fromI2(599)).ok());
    EXPECT_TRUE(sameVariant(get(*font, u"Bold"), Variant::fromBool(false)));
    ASSERT_TRUE(set(*font, u"Weight", Variant::fromI2(600)).ok());
    EXPECT_TRUE(sameVariant(get(*font, u"Bold"), Variant::fromBool(true)));
    ASSERT_TRUE(set(*font, u"Bold", Variant::fromBool(false)).ok());
    EXPECT_EQ(font->weight(), 400);
}

TEST(Font, RefusesImpossibleValuesAndKeepsTheOldOnes)
{
    auto font = Font::create();
    int heard = 0;
    font->addListener([&] { ++heard; });
    EXPECT_TRUE(failsWith(set(*font, u"Size", Variant::fromR8(0)), errc::InvalidArgument));
    EXPECT_TRUE(failsWith(set(*font, u"Size", Variant::fromR8(-3)), errc::InvalidArgument));
    EXPECT_TRUE(failsWith(set(*font, u"Weight", Variant::fromI2(1001)), errc::InvalidArgument));
    EXPECT_TRUE(failsWith(set(*font, u"Weight", Variant::fromI4(70000)), errc::Overflow));
    EXPECT_TRUE(failsWith(set(*font, u"Size", Variant::fromString(QStringLiteral("big"))), errc::TypeMismatch));
    EXPECT_EQ(font->description(), Font::Description());
    EXPECT_EQ(heard, 0);
}

TEST(Font, SizesKeepFourDecimals)
{
    auto font = Font::create();
    ASSERT_TRUE(set(*font, u"Size", Variant::fromString(QStringLiteral("9.123456"))).ok());
    EXPECT_DOUBLE_EQ(font->size(), 9.1235);
    Font::Description d;
    d.size = 8.25004;
    EXPECT_DOUBLE_EQ(Font::create(d)->size(), 8.25);
    // A description that rounds to the current one is no change.
    auto same = Font::create(d);
    int heard = 0;
    same->addListener([&] { ++heard; });
    same->setDescription(d);
    EXPECT_EQ(heard, 0);
}

TEST(Font, DrawsWithTheQtFontItDescribes)
{
    Font::Description d;
    d.name = QStringLiteral("DejaVu Sans");
    d.size = 9.75;
    d.weight = 700;
    d.italic = true;
    d.underline = true;
    d.strikethrough = true;
    const QFont f = Font::create(d)->toQFont();
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 9.75);
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.underline());
    EXPECT_TRUE(f.strikeOut());
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Sans"));
}

class FontWeight : public ::testing::TestWithParam<std::pair<int, int>> {};

// Weight 0 leaves the choice to the font: it draws at the normal weight.
TEST_P(FontWeight, DrawsWithTheQtWeight)
{
    Font::Description d;
    d.weight = GetParam().first;
    EXPECT_EQ(Font::create(d)->toQFont().weight(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Weights, FontWeight,
                         ::testing::Values(std::pair {0, int(QFont::Normal)}, std::pair {100, 100},
                                           std::pair {400, int(QFont::Normal)}, std::pair {700, int(QFont::Bold)},
                                           std::pair {1000, 1000}));

TEST(Font, TheNameIsTheDefaultMember)
{
    auto font = Font::create();
    EXPECT_TRUE(sameVariant(Variant::fromObject(font).convertTo(VarType::BStr).value(),
                            Variant::fromString(QStringLiteral("MS Sans Serif"))));
}

} // namespace
