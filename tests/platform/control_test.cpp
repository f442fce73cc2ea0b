#include "testsupport.h"

#include "platform/font.h"
#include "platform/units.h"

using namespace platform;
using namespace testsupport;
namespace id = testwidget::id;

namespace {

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Font::Description ambient;
        ambient.name = QStringLiteral("Tahoma");
        site.font = Font::create(ambient);
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

// The host hears of each change under the property's name and may refuse it; the refusal
// reaches the setter's caller.
TEST_F(ControlTest, AHostsRefusalReachesTheSettersCaller)
{
    site.refusedName = QStringLiteral("caption");
    site.refusal = Error(383, QStringLiteral("Caption is locked on this form"));
    const Result<Variant> put = putProperty(*widget, id::Caption, lit(R"("Refused")"));
    ASSERT_TRUE(failsWith(put, 383));
    EXPECT_EQ(put.error().message(), QStringLiteral("Caption is locked on this form"));
    EXPECT_TRUE(putProperty(*widget, id::Count, Variant::fromI2(1)).ok());
    EXPECT_EQ(site.changes, (QStringList {QStringLiteral("Caption"), QStringLiteral("Count")}));

    // Without a site, setters still work and nobody is told.
    widget->setSite(nullptr);
    ASSERT_TRUE(putProperty(*widget, id::Caption, lit(R"("alone")")).ok());
    EXPECT_EQ(outcome(getProperty(*widget, id::Caption)), QStringLiteral(R"(bstr:"alone")"));
    EXPECT_EQ(site.changes.size(), 2);
    // The control took the site's ambient font.
    EXPECT_EQ(outcome(getProperty(*widget, id::Font)), QStringLiteral(R"(font:"Tahoma" 8.25 400 -)"));
}

TEST_F(ControlTest, TheExtentIsInTwipsAndTheFaceGoesWithTheControl)
{
    // 15 twips a pixel at the offscreen screen's 96 DPI.
    widget->setExtent(QSize(1110, 960));
    EXPECT_EQ(widget->widget()->size(), QSize(74, 64));
    auto other = newWidget();
    other->setExtent(QSize(1500, 300));
    EXPECT_EQ(other->widget()->size(), QSize(100, 20)); // an extent set before the face exists

    QPointer<QWidget> face = widget->widget();
    widget->setSite(nullptr);
    widget.reset();
    EXPECT_TRUE(face.isNull());
}

} // namespace
