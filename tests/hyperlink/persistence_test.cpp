// Saving and loading the hyperlink control through a property bag.
#include "testhost.h"

#include "urllabel.h"

#include "platform/propertybag.h"

#include <gtest/gtest.h>

using namespace platform;
using linkwell::LinkwellTxt;

namespace {

const Font::Description Tahoma {.name = QStringLiteral("Tahoma"), .size = 9.75, .weight = 700, .italic = true};

class Persistence : public ::testing::Test {
protected:
    TestHost host;
};

TEST_F(Persistence, RoundTripThroughTheTextFormKeepsEveryPropertyAndSavesTheSameBag)
{
    auto control = host.create();
    ASSERT_TRUE(control->setBackColor(0x00FFFFFF).ok());
    ASSERT_TRUE(control->setForeColor(0x000040C0).ok());
    ASSERT_TRUE(control->setFont(Font::create(Tahoma)).ok());
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("MailTo:someone@example.org")).ok());
    ASSERT_TRUE(control->setEnabled(false).ok());
    PropertyBag bag;
    ASSERT_TRUE(control->writeProperties(bag).ok());
    ASSERT_EQ(bag.entries().size(), 5);

    Result<PropertyBag> reread = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(reread.ok());
    auto loaded = host.create();
    ASSERT_TRUE(loaded->readProperties(reread.value()).ok());
    EXPECT_EQ(loaded->BackColor(), 0x00FFFFFFu);
    EXPECT_EQ(loaded->ForeColor(), 0x000040C0u);
    EXPECT_EQ(loaded->Font()->description(), Tahoma);
    EXPECT_EQ(loaded->Hyperlink(), QStringLiteral("MailTo:someone@example.org"));
    EXPECT_FALSE(loaded->lblURL()->isEnabled());
    // The control draws with a copy, not with the bag's own font object.
    EXPECT_NE(loaded->Font(), reread->read(u"font", {}).objectAs<Font>());
    // Loading is not a change the host needs to hear of: only the five writes above were.
    EXPECT_EQ(host.log.filter(QStringLiteral("changed")).size(), 5);
    PropertyBag again;
    ASSERT_TRUE(loaded->writeProperties(again).ok());
    EXPECT_EQ(again.toText(), bag.toText());
}

TEST_F(Persistence, DefaultsAreNotSavedAndMissingKeysLoadThemWithACopyOfTheAmbientFont)
{
    auto control = host.create();
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("http://before.example/")).ok());
    ASSERT_TRUE(control->setEnabled(false).ok());
    host.ambient = Font::create(Tahoma);
    ASSERT_TRUE(control->readProperties(PropertyBag()).ok());
    EXPECT_EQ(control->Hyperlink(), LinkwellTxt::DefaultHyperlink);
    EXPECT_EQ(control->BackColor(), 0x8000000Fu);
    EXPECT_EQ(control->ForeColor(), 0x00C00000u);
    EXPECT_TRUE(control->Enabled());
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

struct Stored {
    const char* text;
    int error;        // 0: loads
    const char* link; // the caption afterwards ("HyperLink" is read fourth)
    bool enabled = true;
};

TEST_F(Persistence, KeysMatchWithoutRegardToCaseAndAValueOfTheWrongKindStopsTheLoad)
{
    const char* const def = "http://www.torvane.example/";
    const QList<Stored> cases = {
        {"HyperLink = bstr:\"a\"\nENABLED = bool:false\n", 0, "a", false},
        {"HYPERLINK = bstr:\"a\"\nEnabled = i2:0\n", 0, "a", false},
        {"forecolor = bstr:\"dark blue\"\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, def},
        {"backcolor = i4:305419896\nhyperlink = bstr:\"x\"\n", linkwell::InvalidPropertyValue, def},
        {"font = bstr:\"Tahoma\"\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, def},
        {"font = nothing\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, def},
        {"hyperlink = bstr:\"x\"\nenabled = bstr:\"maybe\"\n", errc::TypeMismatch, "x"},
    };
    for (const Stored& c : cases) {
        Result<PropertyBag> bag = PropertyBag::fromText(QLatin1String(c.text));
        ASSERT_TRUE(bag.ok()) << c.text;
        auto control = host.create();
        Result<void> r = control->readProperties(bag.value());
        EXPECT_EQ(r.ok() ? 0 : r.error().number(), c.error) << c.text;
        EXPECT_EQ(control->Hyperlink(), QLatin1String(c.link)) << c.text;
        if (!c.error) {
            EXPECT_EQ(control->Enabled(), c.enabled) << c.text;
        }
    }
}

} // namespace
