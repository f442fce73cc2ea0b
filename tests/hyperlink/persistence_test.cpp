// Saving and loading the hyperlink control through a property bag.
#include "testhost.h"

#include "urllabel.h"

#include "platform/propertybag.h"

#include <gtest/gtest.h>

using namespace platform;
using linkwell::LinkwellTxt;

namespace {

QStringList names(const PropertyBag& bag)
{
    QStringList out;
    for (const PropertyBag::Entry& e : bag.entries())
        out << e.name;
    return out;
}

Font::Description tahoma()
{
    Font::Description d;
    d.name = QStringLiteral("Tahoma");
    d.size = 9.75;
    d.weight = 700;
    d.italic = true;
    return d;
}

class Persistence : public ::testing::Test {
protected:
    TestHost host;
};

TEST_F(Persistence, NewInstanceSavesOnlyWhatDiffersFromTheDefaults)
{
    // The design font is underlined and the host's ambient font is not: only the font differs.
    auto control = host.create();
    ASSERT_TRUE(control->initProperties().ok());
    PropertyBag bag;
    ASSERT_TRUE(control->writeProperties(bag).ok());
    EXPECT_EQ(names(bag), QStringList({QStringLiteral("font")}));

    Font::Description design = control->Font()->description();
    host.ambient = Font::create(design);
    PropertyBag same;
    ASSERT_TRUE(control->writeProperties(same).ok());
    EXPECT_TRUE(same.isEmpty()) << same.toText().toStdString();
}

TEST_F(Persistence, RoundTripKeepsEveryPropertyInTheGivenOrder)
{
    auto control = host.create();
    ASSERT_TRUE(control->setBackColor(0x00FFFFFF).ok());
    ASSERT_TRUE(control->setForeColor(0x000040C0).ok());
    ASSERT_TRUE(control->setFont(Font::create(tahoma())).ok());
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("MailTo:someone@example.org")).ok());
    ASSERT_TRUE(control->setEnabled(false).ok());
    PropertyBag bag;
    ASSERT_TRUE(control->writeProperties(bag).ok());
    EXPECT_EQ(names(bag), QStringList({QStringLiteral("backcolor"), QStringLiteral("forecolor"), QStringLiteral("font"),
                                       QStringLiteral("hyperlink"), QStringLiteral("enabled")}));

    // Through the text form a host keeps with its window description.
    Result<PropertyBag> reread = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(reread.ok());
    auto loaded = host.create();
    ASSERT_TRUE(loaded->readProperties(reread.value()).ok());
    EXPECT_EQ(loaded->BackColor(), 0x00FFFFFFu);
    EXPECT_EQ(loaded->ForeColor(), 0x000040C0u);
    EXPECT_EQ(loaded->Font()->description(), tahoma());
    EXPECT_EQ(loaded->Hyperlink(), QStringLiteral("MailTo:someone@example.org"));
    EXPECT_FALSE(loaded->Enabled());
    EXPECT_FALSE(loaded->lblURL()->isEnabled());
    // Loading is not a change the host needs to hear of.
    EXPECT_EQ(host.log.filter(QStringLiteral("changed")).size(), 5);
}

TEST_F(Persistence, MissingKeysGiveTheDefaultsAndTheAmbientFont)
{
    auto control = host.create();
    ASSERT_TRUE(control->setHyperlink(QStringLiteral("http://before.example/")).ok());
    ASSERT_TRUE(control->setEnabled(false).ok());
    host.ambient = Font::create(tahoma());
    ASSERT_TRUE(control->readProperties(PropertyBag()).ok());
    EXPECT_EQ(control->Hyperlink(), LinkwellTxt::DefaultHyperlink);
    EXPECT_EQ(control->BackColor(), 0x8000000Fu);
    EXPECT_EQ(control->ForeColor(), 0x00C00000u);
    EXPECT_TRUE(control->Enabled());
    EXPECT_EQ(control->Font()->description(), tahoma());
    // The control draws with a font of its own, not with the container's.
    EXPECT_NE(control->Font(), host.ambient);
    Font::Description grown = control->Font()->description();
    grown.size = 30;
    control->Font()->setDescription(grown);
    EXPECT_EQ(host.ambient->description(), tahoma());
}

TEST_F(Persistence, KeysAreMatchedWithoutRegardToCase)
{
    for (const char* text : {"HyperLink = bstr:\"http://a.example/\"\nENABLED = bool:false\n",
                             "hyperlink = bstr:\"http://a.example/\"\nenabled = bool:false\n",
                             "HYPERLINK = bstr:\"http://a.example/\"\nEnabled = i2:0\n"}) {
        Result<PropertyBag> bag = PropertyBag::fromText(QLatin1String(text));
        ASSERT_TRUE(bag.ok()) << text;
        auto control = host.create();
        ASSERT_TRUE(control->readProperties(bag.value()).ok()) << text;
        EXPECT_EQ(control->Hyperlink(), QStringLiteral("http://a.example/")) << text;
        EXPECT_FALSE(control->Enabled()) << text;
    }
}

struct BadBag {
    const char* text;
    int error;
    bool captionApplied; // whether "HyperLink", read fourth, was reached
};

TEST_F(Persistence, AStoredValueOfTheWrongKindStopsTheLoadWithAnError)
{
    const QList<BadBag> cases = {
        {"forecolor = bstr:\"dark blue\"\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, false},
        {"backcolor = i4:305419896\nhyperlink = bstr:\"x\"\n", linkwell::InvalidPropertyValue, false},
        {"font = bstr:\"Tahoma\"\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, false},
        {"font = nothing\nhyperlink = bstr:\"x\"\n", errc::TypeMismatch, false},
        {"hyperlink = bstr:\"x\"\nenabled = bstr:\"maybe\"\n", errc::TypeMismatch, true},
    };
    for (const BadBag& c : cases) {
        Result<PropertyBag> bag = PropertyBag::fromText(QLatin1String(c.text));
        ASSERT_TRUE(bag.ok()) << c.text;
        auto control = host.create();
        Result<void> r = control->readProperties(bag.value());
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(r.error().number(), c.error) << c.text;
        EXPECT_EQ(control->Hyperlink(), c.captionApplied ? QStringLiteral("x") : LinkwellTxt::DefaultHyperlink) << c.text;
    }
}

TEST_F(Persistence, TwoControlsLoadedFromOneBagDoNotShareAFont)
{
    PropertyBag bag;
    bag.set(u"Font", Variant::fromObject(Font::create(tahoma())));
    auto first = host.create();
    auto second = host.create();
    ASSERT_TRUE(first->readProperties(bag).ok());
    ASSERT_TRUE(second->readProperties(bag).ok());
    Font::Description bigger = tahoma();
    bigger.size = 20;
    first->Font()->setDescription(bigger);
    EXPECT_EQ(second->Font()->description(), tahoma());
    EXPECT_EQ(bag.read(u"font", {}).objectAs<Font>()->description(), tahoma());
}

TEST_F(Persistence, ControlLoadedFromItsOwnBagSavesTheSameBag)
{
    Result<PropertyBag> bag = PropertyBag::fromText(QStringLiteral(
        "forecolor = i4:255\nfont = font:\"Arial\" 12 400 s\nhyperlink = bstr:\"f:\\\\MyNetworkDirectoryPath\"\n"));
    ASSERT_TRUE(bag.ok());
    auto control = host.create();
    ASSERT_TRUE(control->readProperties(bag.value()).ok());
    PropertyBag saved;
    ASSERT_TRUE(control->writeProperties(saved).ok());
    EXPECT_EQ(saved.toText(), bag->toText());
}

} // namespace
