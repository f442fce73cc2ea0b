#include "testsupport.h"

#include "platform/font.h"
#include "platform/picture.h"
#include "platform/propertybag.h"
#include "platform/units.h"

#include <QLabel>

using namespace platform;
using namespace testsupport;
namespace id = testwidget::id;

namespace {

Variant str(const char* s)
{
    return Variant::fromString(QString::fromUtf8(s));
}

// Every one-byte code and one beyond.
Variant hexString()
{
    QString s;
    for (int c = 0; c < 256; ++c)
        s += QChar(c);
    s += QChar(0x263A);
    return Variant::fromString(s);
}

QStringList names(const PropertyBag& bag)
{
    QStringList out;
    for (const PropertyBag::Entry& e : bag.entries())
        out << e.name;
    return out;
}

std::shared_ptr<Picture> picture(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return Picture::create(image);
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = newWidget();
        ASSERT_TRUE(widget);
        widget->setSite(&site);
        ASSERT_TRUE(widget->initProperties().ok());
    }
    void TearDown() override
    {
        if (widget)
            widget->setSite(nullptr);
    }

    RecordingSite site;
    std::shared_ptr<Control> widget;
};

// The host hears of a change under the persisted name, after the value is stored: a host that
// reads the property while it is told sees the new value.
TEST_F(ControlTest, SettersStoreThenTellTheHost)
{
    QStringList seen;
    site.onChange = [&](Control& control, const QString& name) {
        const DispId member = *control.idOfName(name);
        seen << QStringLiteral("%1=%2").arg(name, varianttext::format(getProperty(control, member).value()));
    };
    ASSERT_TRUE(putProperty(*widget, id::Caption, str("Hi")).ok());
    ASSERT_TRUE(putProperty(*widget, id::Count, Variant::fromI2(3)).ok());
    ASSERT_TRUE(putProperty(*widget, id::Level, Variant::fromI4(9)).ok());
    ASSERT_TRUE(putProperty(*widget, id::Enabled, Variant::fromBool(false)).ok());
    EXPECT_EQ(seen, (QStringList {QStringLiteral("Caption=bstr:\"Hi\""), QStringLiteral("Count=i2:3"),
                                  QStringLiteral("Level=i4:9"), QStringLiteral("Enabled=bool:false")}));
}

TEST_F(ControlTest, AHostsRefusalReachesTheSettersCallerAndTheValueStays)
{
    site.refusedName = QStringLiteral("caption");
    site.refusal = Error(383, QStringLiteral("Caption is locked on this form"));
    const Result<Variant> put = putProperty(*widget, id::Caption, str("Refused"));
    ASSERT_TRUE(failsWith(put, 383));
    EXPECT_EQ(put.error().message(), QStringLiteral("Caption is locked on this form"));
    EXPECT_EQ(site.changes, QStringList {QStringLiteral("Caption")});
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Caption).value(), str("Refused")));

    // Other properties are not affected.
    EXPECT_TRUE(putProperty(*widget, id::Count, Variant::fromI2(1)).ok());
}

TEST_F(ControlTest, WithoutASiteSettersStillWork)
{
    widget->setSite(nullptr);
    ASSERT_TRUE(putProperty(*widget, id::Caption, str("alone")).ok());
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Caption).value(), str("alone")));
    EXPECT_TRUE(site.changes.isEmpty());
}

TEST_F(ControlTest, AFreshInstanceSavesNothing)
{
    // Every value equals its default; the 8-bit level against its 16-bit default too.
    PropertyBag bag;
    ASSERT_TRUE(widget->writeProperties(bag).ok());
    EXPECT_TRUE(bag.isEmpty()) << bag.toText().toStdString();
}

TEST_F(ControlTest, SavesChangedValuesInItsOwnOrderUnderLowerCaseNames)
{
    ASSERT_TRUE(putRefProperty(*widget, id::Picture, Variant::fromObject(picture(2, 3, Qt::red))).ok());
    ASSERT_TRUE(putProperty(*widget, id::Enabled, Variant::fromBool(false)).ok());
    ASSERT_TRUE(putProperty(*widget, id::Level, Variant::fromI4(200)).ok());
    ASSERT_TRUE(putProperty(*widget, id::Caption, str("Saved")).ok());
    PropertyBag bag;
    ASSERT_TRUE(widget->writeProperties(bag).ok());
    EXPECT_EQ(names(bag), (QStringList {QStringLiteral("caption"), QStringLiteral("level"), QStringLiteral("enabled"),
                                        QStringLiteral("picture")}));
    EXPECT_TRUE(sameVariant(bag.read(u"Level", Variant()), Variant::fromUI1(200)));

    // Setting a value back to its default drops it from the next save.
    ASSERT_TRUE(putProperty(*widget, id::Caption, str(testwidget::DefaultCaption)).ok());
    ASSERT_TRUE(widget->writeProperties(bag).ok());
    EXPECT_FALSE(bag.contains(u"caption"));
}

TEST_F(ControlTest, ALoadedInstanceSavesWhatItLoaded)
{
    Font::Description d;
    d.name = QStringLiteral("Tahoma");
    d.size = 9.75;
    d.underline = true;
    ASSERT_TRUE(putRefProperty(*widget, id::Font, Variant::fromObject(Font::create(d))).ok());
    ASSERT_TRUE(putRefProperty(*widget, id::Picture, Variant::fromObject(picture(5, 4, Qt::blue))).ok());
    ASSERT_TRUE(putProperty(*widget, id::Caption, hexString()).ok());
    ASSERT_TRUE(putProperty(*widget, id::Count, Variant::fromI2(-7)).ok());
    PropertyBag saved;
    ASSERT_TRUE(widget->writeProperties(saved).ok());

    const Result<PropertyBag> reread = PropertyBag::fromText(saved.toText());
    ASSERT_TRUE(reread.ok()) << reread.error().message().toStdString();
    auto copy = newWidget();
    RecordingSite otherSite;
    copy->setSite(&otherSite);
    ASSERT_TRUE(copy->readProperties(reread.value()).ok());
    PropertyBag again;
    ASSERT_TRUE(copy->writeProperties(again).ok());
    EXPECT_EQ(again.toText(), saved.toText());
    EXPECT_TRUE(sameVariant(getProperty(*copy, id::Caption).value(), hexString()));
    EXPECT_EQ(varianttext::format(getProperty(*copy, id::Font).value()), QStringLiteral("font:\"Tahoma\" 9.75 400 u"));
    EXPECT_EQ(varianttext::format(getProperty(*copy, id::Picture).value()), QStringLiteral("picture:5x4"));
    // Loading is no change a host must hear of.
    EXPECT_TRUE(otherSite.changes.isEmpty());
    copy->setSite(nullptr);
}

TEST_F(ControlTest, LoadingReadsKeysInAnyCase)
{
    const Result<PropertyBag> bag = PropertyBag::fromText(QStringLiteral("CAPTION = \"Upper\"\nLevel = i2:12\n"));
    ASSERT_TRUE(bag.ok());
    ASSERT_TRUE(widget->readProperties(bag.value()).ok());
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Caption).value(), str("Upper")));
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Level).value(), Variant::fromI4(12)));
}

// A bad entry fails the load there: what came before is applied, what comes after is not.
TEST_F(ControlTest, ALoadStopsAtTheFirstBadEntry)
{
    ASSERT_TRUE(putProperty(*widget, id::Enabled, Variant::fromBool(false)).ok());
    const Result<PropertyBag> bag = PropertyBag::fromText(
        QStringLiteral("caption = \"First\"\ncount = i2:4\nlevel = i4:256\nenabled = bool:true\n"));
    ASSERT_TRUE(bag.ok());
    EXPECT_TRUE(failsWith(widget->readProperties(bag.value()), errc::Overflow));
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Caption).value(), str("First")));
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Count).value(), Variant::fromI2(4)));
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Enabled).value(), Variant::fromBool(false)));
}

TEST_F(ControlTest, AFontIsSharedWithWhoeverHoldsIt)
{
    auto label = qobject_cast<QLabel*>(widget->widget());
    ASSERT_TRUE(label);
    auto hostFont = getProperty(*widget, id::Font)->objectAs<Font>();
    ASSERT_TRUE(hostFont);
    // The host changes the font object it got; the control's face follows at once.
    ASSERT_TRUE(putProperty(*hostFont, *hostFont->idOfName(u"Bold"), Variant::fromBool(true)).ok());
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(varianttext::format(getProperty(*widget, id::Font).value()),
              QStringLiteral("font:\"MS Sans Serif\" 8.25 700 -"));

    // After the control takes another font, the old one no longer drives the face.
    Font::Description d;
    d.name = QStringLiteral("Tahoma");
    d.italic = true;
    ASSERT_TRUE(putRefProperty(*widget, id::Font, Variant::fromObject(Font::create(d))).ok());
    EXPECT_TRUE(label->font().italic());
    EXPECT_FALSE(label->font().bold());
    ASSERT_TRUE(putProperty(*hostFont, *hostFont->idOfName(u"Bold"), Variant::fromBool(false)).ok());
    ASSERT_TRUE(putProperty(*hostFont, *hostFont->idOfName(u"Underline"), Variant::fromBool(true)).ok());
    EXPECT_FALSE(label->font().underline());
}

TEST_F(ControlTest, TheFaceShowsTheCaption)
{
    auto label = qobject_cast<QLabel*>(widget->widget());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), QStringLiteral("Widget"));
    ASSERT_TRUE(putProperty(*widget, id::Caption, str("Changed")).ok());
    EXPECT_EQ(label->text(), QStringLiteral("Changed"));
}

TEST_F(ControlTest, TheExtentIsInTwips)
{
    // 15 twips a pixel at the offscreen screen's 96 DPI.
    ASSERT_DOUBLE_EQ(units::twipsPerPixelX(), 15.0);
    widget->setExtent(QSize(1110, 960));
    EXPECT_EQ(widget->widget()->size(), QSize(74, 64));
    auto other = newWidget();
    other->setExtent(QSize(1500, 300));
    EXPECT_EQ(other->widget()->size(), QSize(100, 20)); // an extent set before the face exists
}

TEST_F(ControlTest, TheFaceGoesWithTheControl)
{
    QPointer<QWidget> face = widget->widget();
    ASSERT_TRUE(face);
    widget->setSite(nullptr);
    widget.reset();
    EXPECT_TRUE(face.isNull());
}

} // namespace
