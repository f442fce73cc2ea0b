// Saving and loading the hyperlink control through a property bag.
#include "testsupport.h"
#include "linkwelltxt.h"

#include "urllabel.h"

#include "velloc/store/propertybag.h"

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
using linkwell::LinkwellTxt;

namespace {

const Font::Description Tahoma {.name = QStringLiteral("Tahoma"), .size = 9.75, .weight = 700, .italic = true};

class Persistence : public ::testing::Test {
protected:
    RecordingHost host;
};

TEST_F(Persistence, RoundTripThroughTheTextFormKeepsEveryPropertyAndSavesTheSameBag)
{
    auto control = host.adopt(std::make_shared<LinkwellTxt>());
    ASSERT_TRUE(control->setBackColor(0x00FFFFFF).ok());
    ASSERT_TRUE(control->setForeColor(0x000040C0).ok());
    ASSERT_TRUE(control->setFont(Font::create(Tahoma)).ok());
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("MailTo:someone@example.org")).ok());
    ASSERT_TRUE(control->setEnabled(false).ok());
    PropertyBag bag;
    ASSERT_TRUE(control->writeProperties(bag).ok());
    Result<PropertyBag> reread = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(reread.ok());
    auto loaded = host.adopt(std::make_shared<LinkwellTxt>());
    ASSERT_TRUE(loaded->readProperties(reread.value()).ok());
    EXPECT_EQ(loaded->Hyperlink(), QStringLiteral("MailTo:someone@example.org"));
    EXPECT_FALSE(loaded->lblURL()->isEnabled());
    // The control draws with a copy, not with the bag's own font object.
    EXPECT_NE(loaded->Font(), reread->read(u"font", {}).objectAs<Font>());
    // Loading is not a change the host needs to hear of: only the five writes above were.
    EXPECT_EQ(host.log.filter(QStringLiteral("changed")).size(), 5);
    // Saved again, every property comes out as it went in.
    PropertyBag again;
    ASSERT_TRUE(loaded->writeProperties(again).ok());
    EXPECT_EQ(again.toText(), bag.toText());
    EXPECT_EQ(again.entries().size(), 5);
}

TEST_F(Persistence, DefaultsAreNotSavedAndMissingKeysLoadThemWithACopyOfTheAmbientFont)
{
    auto control = host.adopt(std::make_shared<LinkwellTxt>());
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("http://before.example/")).ok());
    ASSERT_TRUE(control->setEnabled(false).ok());
    host.ambient = Font::create(Tahoma);
    ASSERT_TRUE(control->readProperties(PropertyBag()).ok());
    EXPECT_EQ(control->Hyperlink(), LinkwellTxt::DefaultHyperlink);
    EXPECT_TRUE(control->BackColor() == 0x8000000Fu && control->ForeColor() == 0x00C00000u && control->Enabled());
    EXPECT_EQ(control->Font()->description(), Tahoma);
    Font::Description grown = Tahoma;
    grown.size = 30;
    control->Font()->setDescription(grown);
    EXPECT_EQ(host.ambient->description(), Tahoma);

    // With the ambient font equal to its own, a control saves nothing at all.
    host.ambient = Font::create(grown);
    PropertyBag same;
    ASSERT_TRUE(control->writeProperties(same).ok());
    EXPECT_TRUE(same.isEmpty()) << same.toText().toStdString();
}

// Keys match without regard to case; a value of the wrong kind stops the load with an error,
// the values read before it ("HyperLink" is read fourth) applied.
TEST_F(Persistence, AValueOfTheWrongKindStopsTheLoad)
{
    const QList<std::tuple<const char*, int, const char*>> cases = {
        {"HYPERLINK = bstr:\"x\"\nEnabled = i2:0\n", 0, "x"},
        {"forecolor = bstr:\"dark blue\"\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, "http://www.torvane.example/"},
        {"backcolor = i4:305419896\nhyperlink = bstr:\"x\"\n", errc::InvalidPropertyValue, "http://www.torvane.example/"},
        {"font = nothing\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, "http://www.torvane.example/"},
        {"hyperlink = bstr:\"x\"\nenabled = bstr:\"maybe\"\n", errc::TypeMismatch, "x"}};
    for (const auto& [text, error, link] : cases) {
        Result<PropertyBag> bag = PropertyBag::fromText(QLatin1String(text));
        ASSERT_TRUE(bag.ok()) << text;
        auto control = host.adopt(std::make_shared<LinkwellTxt>());
        Result<void> r = control->readProperties(bag.value());
        EXPECT_EQ(r.ok() ? 0 : r.error().number(), error) << text;
        EXPECT_EQ(control->Hyperlink(), QLatin1String(link)) << text;
        EXPECT_EQ(control->Enabled(), error != 0) << text;
    }
}

} // namespace
