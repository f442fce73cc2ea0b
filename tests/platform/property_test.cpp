// Properties declared once in a member table: the put members they make tell the host after a
// successful store, and the container protocol's generic walks follow the table.
#include "velloc/hosting/control.h"
#include "velloc/store/propertybag.h"

#include <gtest/gtest.h>

using namespace velloc;

namespace {

// A control with one property of each persistence shape: stored under another name with a
// default taken from the instance, stored narrower than declared with a 16-bit default, and
// not persisted at all.
class Gauge final : public Control {
public:
    explicit Gauge(QString initialCaption) : m_initialCaption(std::move(initialCaption)) {}

    QString className() const override { return QStringLiteral("Gauge"); }
    const DispatchTable& dispatch() const override
    {
        static const DispatchTable t = [] {
            DispatchTable d(InterfaceInfo {QStringLiteral("_Gauge"), Guid::literal("{5B1E0C2A-7D44-4F0B-9E61-2C8A0F3D7E10}"),
                                           true, false, false, false});
            d.property<Gauge>({.name = QStringLiteral("Caption"), .id = 1, .type = {VarType::BStr, {}},
                               .putParam = QStringLiteral("New_Caption"),
                               .get = [](Gauge& g) -> Result<Variant> { return Variant::fromString(g.caption); },
                               .store = [](Gauge& g, const Variant& v) -> Result<void> {
                                   g.caption = v.string();
                                   return {};
                               },
                               .persistedName = QStringLiteral("Label"),
                               .defaultValue = [](Gauge& g) { return Variant::fromString(g.m_initialCaption); }});
            d.property<Gauge>({.name = QStringLiteral("Level"), .id = 2, .type = {VarType::I4, {}},
                               .putParam = QStringLiteral("New_Level"),
                               .get = [](Gauge& g) -> Result<Variant> { return Variant::fromI4(g.level); },
                               .store = [](Gauge& g, const Variant& v) -> Result<void> {
                                   if (v.i4() > 100)
                                       return Error(errc::Overflow, QStringLiteral("Level goes to 100"));
                                   g.level = v.i4();
                                   return {};
                               },
                               .defaultValue = [](Gauge&) { return Variant::fromI2(7); },
                               .storedAs = VarType::UI1});
            d.property<Gauge>({.name = QStringLiteral("Marked"), .id = 3, .type = {VarType::Bool, {}},
                               .putParam = QStringLiteral("New_Marked"),
                               .get = [](Gauge& g) -> Result<Variant> { return Variant::fromBool(g.marked); },
                               .store = [](Gauge& g, const Variant& v) -> Result<void> {
                                   g.marked = v.boolean();
                                   return {};
                               }});
            return d;
        }();
        return t;
    }

    QString state() const { return QStringLiteral("%1/%2/%3").arg(caption).arg(level).arg(marked ? "marked" : "plain"); }

    QString caption = QStringLiteral("unset");
    std::int32_t level = -1;
    bool marked = false;

protected:
    QWidget* createWidget() override { return new QWidget; }

private:
    QString m_initialCaption;
};

class Site : public ControlSite {
public:
    Result<void> propertyChanged(Control&, const QString& name) override
    {
        changes.append(name);
        if (name == refused)
            return Error(errc::PathFileAccess, QStringLiteral("The host refused the change"));
        return {};
    }
    std::shared_ptr<Font> ambientFont() override { return Font::create(); }
    bool userMode() const override { return true; }

    QStringList changes;
    QString refused;
};

std::shared_ptr<Gauge> sited(Site& site)
{
    auto gauge = std::make_shared<Gauge>(QStringLiteral("new"));
    gauge->setSite(&site);
    return gauge;
}

// Each assignment stores, then tells the host under the persisted name; a refused value is
// neither stored nor told; a host's refusal reaches the caller with the value kept.
TEST(DeclaredProperty, AssignmentsTellTheHostAfterTheStore)
{
    struct Put {
        DispId id;
        Variant value;
        QString refused; // the name the host refuses
        int error;
        QString changes;
        QString state;
    };
    const Put puts[] = {
        {1, Variant::fromString(QStringLiteral("a")), {}, 0, QStringLiteral("Label"), QStringLiteral("a/-1/plain")},
        {2, Variant::fromI4(101), {}, errc::Overflow, {}, QStringLiteral("a/-1/plain")},
        {2, Variant::fromString(QStringLiteral("40")), {}, 0, QStringLiteral("Level"), QStringLiteral("a/40/plain")},
        {3, Variant::fromBool(true), {}, 0, QStringLiteral("Marked"), QStringLiteral("a/40/marked")},
        {1, Variant::fromString(QStringLiteral("b")), QStringLiteral("Label"), errc::PathFileAccess, QStringLiteral("Label"),
         QStringLiteral("b/40/marked")},
    };
    Site site;
    auto gauge = sited(site);
    for (const Put& p : puts) {
        site.changes.clear();
        site.refused = p.refused;
        Result<void> r = gauge->putProperty(p.id, p.value);
        EXPECT_EQ(r.ok() ? 0 : r.error().number(), p.error) << p.state.toStdString();
        EXPECT_EQ(site.changes.join(u','), p.changes) << p.state.toStdString();
        EXPECT_EQ(gauge->state(), p.state);
    }
}

// A write saves what differs from the defaults, the instance's own included, in the stored
// type; reading it back gives the values, and no notification.
TEST(DeclaredProperty, WriteSavesOnlyWhatDiffersFromTheDefaults)
{
    Site site;
    auto gauge = sited(site);
    ASSERT_TRUE(gauge->initProperties().ok());
    EXPECT_EQ(gauge->state(), QStringLiteral("new/7/plain"));
    PropertyBag fresh;
    ASSERT_TRUE(gauge->writeProperties(fresh).ok());
    EXPECT_TRUE(fresh.isEmpty()) << fresh.toText().toStdString();

    ASSERT_TRUE(gauge->putProperty(2, Variant::fromI4(9)).ok());
    ASSERT_TRUE(gauge->putProperty(3, Variant::fromBool(true)).ok());
    PropertyBag bag;
    ASSERT_TRUE(gauge->writeProperties(bag).ok());
    EXPECT_EQ(bag.toText(), QStringLiteral("# property bag\nlevel = ui1:9\n"));

    auto other = std::make_shared<Gauge>(QStringLiteral("other"));
    other->setSite(&site);
    site.changes.clear();
    ASSERT_TRUE(other->readProperties(bag).ok());
    EXPECT_EQ(other->state(), QStringLiteral("other/9/plain"));
    EXPECT_TRUE(site.changes.isEmpty());
}

// A read walks the table in order and stops at the first value it cannot take (in the stored
// type or by the property's own check), the earlier ones applied.
TEST(DeclaredProperty, ReadStopsAtTheFailingEntry)
{
    struct Case {
        const char* bag;
        int error;
        const char* state;
    };
    const Case cases[] = {
        {"", 0, "new/7/plain"},
        {"LABEL = bstr:\"x\"\nlevel = i2:12\nmarked = bool:true\n", 0, "x/12/plain"},
        {"label = bstr:\"x\"\nlevel = i4:300\n", errc::Overflow, "x/-1/plain"},
        {"label = bstr:\"x\"\nlevel = i2:101\n", errc::Overflow, "x/-1/plain"},
        {"label = bstr:\"x\"\nlevel = bstr:\"high\"\n", errc::TypeMismatch, "x/-1/plain"},
    };
    for (const Case& c : cases) {
        auto gauge = std::make_shared<Gauge>(QStringLiteral("new"));
        Result<PropertyBag> bag = PropertyBag::fromText(QString::fromUtf8(c.bag));
        ASSERT_TRUE(bag.ok()) << c.bag;
        Result<void> r = gauge->readProperties(bag.value());
        EXPECT_EQ(r.ok() ? 0 : r.error().number(), c.error) << c.bag;
        EXPECT_EQ(gauge->state(), QString::fromUtf8(c.state)) << c.bag;
    }
}

} // namespace
