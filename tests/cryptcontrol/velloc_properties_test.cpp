// The control's properties, shared settings, persistence and lifecycle, seen through its
// dispatch interface as a host sees them.
#include "testsupport.h"

#include "velloc/store/picture.h"
#include "velloc.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
namespace d = velpack::dispids;

namespace {

QString str(const Result<Variant>& r)
{
    return r ? r->toString().value() : QStringLiteral("error %1").arg(r.error().number());
}

TEST(VellocProperties, NewInstanceDefaults)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(host);
    // Another instance first moves every setting away from its default; InitProperties of the
    // new one must put them all back.
    auto other = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(other->put(d::KEY, Variant::fromString("other")).ok());
    ASSERT_TRUE(other->put(d::File, Variant::fromString("/tmp/x")).ok());
    ASSERT_TRUE(other->put(d::ShowProgress, Variant::fromBool(false)).ok());
    ASSERT_TRUE(other->put(d::ProtectionType, Variant::fromI4(7)).ok());
    ASSERT_TRUE(other->put(d::CeaserOffset, Variant::fromUI1(99)).ok());
    ASSERT_TRUE(host->control().initProperties().ok());

    EXPECT_EQ(str(host->get(d::KEY)), "Harbour Lanterns");
    EXPECT_EQ(str(host->get(d::File)), "");
    EXPECT_EQ(host->get(d::ShowProgress)->type(), VarType::Bool);
    EXPECT_TRUE(host->get(d::ShowProgress)->boolean());
    EXPECT_EQ(host->get(d::ProtectionType)->type(), VarType::I4);
    EXPECT_EQ(host->get(d::ProtectionType)->i4(), 0);
    EXPECT_EQ(host->get(d::CeaserOffset)->type(), VarType::UI1);
    EXPECT_EQ(host->get(d::CeaserOffset)->ui1(), 30);
    auto picture = host->get(d::Picture)->objectAs<velloc::Picture>();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image().size(), QSize(514, 266));
    EXPECT_EQ(picture->image().depth(), 24);
}

struct SetterCase {
    const char* name;
    DispId id;
    Variant value;
    int error;           // 0: accepted
    QString readBack;    // what the getter returns afterwards
    QString notification;
};

class VellocSetters : public ::testing::TestWithParam<SetterCase> {};

TEST_P(VellocSetters, StoreNotifyOrRefuse)
{
    const SetterCase& c = GetParam();
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    const QString before = str(host->get(c.id));
    Result<void> r = host->put(c.id, c.value);
    if (c.error) {
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().number(), c.error);
        EXPECT_EQ(str(host->get(c.id)), before) << "a refused value must leave the old one";
        EXPECT_TRUE(host->log.isEmpty()) << host->log.join('|').toStdString();
    } else {
        ASSERT_TRUE(r.ok()) << r.error().message().toStdString();
        EXPECT_EQ(str(host->get(c.id)), c.readBack);
        EXPECT_EQ(host->log, QStringList {QStringLiteral("changed v.") + c.notification});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, VellocSetters,
    ::testing::Values(
        SetterCase {"EmptyKeyBecomesDefault", d::KEY, Variant::fromString(""), 0, "Harbour Lanterns", "Key"},
        SetterCase {"KeyAnyCharacters", d::KEY, Variant::fromString(QString("a\x01\xff b")), 0, QString("a\x01\xff b"), "Key"},
        SetterCase {"FileUnchecked", d::File, Variant::fromString("  no such file "), 0, "  no such file ", "File"},
        SetterCase {"ShowProgressFalse", d::ShowProgress, Variant::fromBool(false), 0, "False", "ShowProgress"},
        SetterCase {"Type9", d::ProtectionType, Variant::fromI4(9), 0, "9", "ProtectionType"},
        SetterCase {"Type200NamesNoCipher", d::ProtectionType, Variant::fromI4(200), 0, "200", "ProtectionType"},
        SetterCase {"Type255", d::ProtectionType, Variant::fromI4(255), 0, "255", "ProtectionType"},
        SetterCase {"TypeFromNumericString", d::ProtectionType, Variant::fromString("3"), 0, "3", "ProtectionType"},
        SetterCase {"Type256Overflows", d::ProtectionType, Variant::fromI4(256), 6, {}, {}},
        SetterCase {"TypeMinus1Overflows", d::ProtectionType, Variant::fromI4(-1), 6, {}, {}},
        SetterCase {"TypeNotANumber", d::ProtectionType, Variant::fromString("RLE"), 13, {}, {}},
        SetterCase {"Offset0Accepted", d::CeaserOffset, Variant::fromI4(0), 0, "0", "CeaserOffset"},
        SetterCase {"Offset255", d::CeaserOffset, Variant::fromI4(255), 0, "255", "CeaserOffset"},
        SetterCase {"Offset256Overflows", d::CeaserOffset, Variant::fromI4(256), 6, {}, {}},
        SetterCase {"OffsetNegativeOverflows", d::CeaserOffset, Variant::fromI4(-3), 6, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VellocProperties, SettingsAreSharedByInstancesOnOneThread)
{
    auto first = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    auto second = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(first->put(d::File, Variant::fromString("/data/ledger")).ok());
    ASSERT_TRUE(first->put(d::ProtectionType, Variant::fromI4(4)).ok());
    EXPECT_EQ(str(second->get(d::File)), "/data/ledger");
    EXPECT_EQ(str(second->get(d::ProtectionType)), "4");

    // Initialising or loading another instance resets what the first one reads.
    auto third = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    EXPECT_EQ(str(first->get(d::File)), "");
    ASSERT_TRUE(first->put(d::KEY, Variant::fromString("mine")).ok());
    PropertyBag bag;
    bag.set(u"key", Variant::fromString("loaded"));
    ASSERT_TRUE(third->control().readProperties(bag).ok());
    EXPECT_EQ(str(first->get(d::KEY)), "loaded");
}

TEST(VellocProperties, RefusedNotificationReachesCallerAndValueStays)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    host->refuse = QStringLiteral("*");
    host->refusal = Error(382, QStringLiteral("The host refuses the change"));
    Result<void> r = host->put(d::KEY, Variant::fromString("refused but kept"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), 382);
    host->refuse.clear();
    EXPECT_EQ(str(host->get(d::KEY)), "refused but kept");
}

TEST(VellocProperties, PictureIsPerInstanceAndSetByReferenceOnly)
{
    auto first = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    auto second = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    auto mine = Picture::create(QImage(10, 7, QImage::Format_RGB888));
    ASSERT_TRUE(first->putRef(d::Picture, Variant::fromObject(mine)).ok());
    EXPECT_EQ(first->get(d::Picture)->object(), mine) << "the getter returns the object itself";
    EXPECT_NE(second->get(d::Picture)->object(), mine);
    EXPECT_FALSE(first->put(d::Picture, Variant::fromObject(mine)).ok()) << "there is no by-value setter";
}

// ---- Persistence ----

QStringList names(const PropertyBag& bag)
{
    QStringList out;
    for (const auto& e : bag.entries())
        out << e.name;
    return out;
}

TEST(VellocPersistence, UnchangedInstanceSavesOnlyItsPicture)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    PropertyBag bag;
    ASSERT_TRUE(host->control().writeProperties(bag).ok());
    EXPECT_EQ(names(bag), QStringList {"picture"});
}

TEST(VellocPersistence, NonDefaultValuesSavedInOrderAndReadBack)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(host->put(d::CeaserOffset, Variant::fromI4(0)).ok());
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(2)).ok());
    ASSERT_TRUE(host->put(d::ShowProgress, Variant::fromBool(false)).ok());
    ASSERT_TRUE(host->put(d::File, Variant::fromString("/srv/a b")).ok());
    ASSERT_TRUE(host->put(d::KEY, Variant::fromString("k")).ok());
    ASSERT_TRUE(host->putRef(d::Picture, Variant::nothing()).ok());
    PropertyBag bag;
    ASSERT_TRUE(host->control().writeProperties(bag).ok());
    EXPECT_EQ(names(bag), (QStringList {"key", "file", "showprogress", "protectiontype", "ceaseroffset"}));
    EXPECT_EQ(bag.read(u"ProtectionType", {}).type(), VarType::UI1);

    // Through the bag's text form, into a fresh instance.
    Result<PropertyBag> reread = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(reread.ok());
    auto loaded = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    ASSERT_TRUE(loaded->control().readProperties(reread.value()).ok());
    EXPECT_EQ(str(loaded->get(d::KEY)), "k");
    EXPECT_EQ(str(loaded->get(d::File)), "/srv/a b");
    EXPECT_EQ(str(loaded->get(d::ShowProgress)), "False");
    EXPECT_EQ(str(loaded->get(d::ProtectionType)), "2");
    EXPECT_EQ(str(loaded->get(d::CeaserOffset)), "0");
    auto picture = std::dynamic_pointer_cast<Picture>(loaded->get(d::Picture)->object());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->handle(), 0u) << "a bag without Picture leaves the empty picture";
}

TEST(VellocPersistence, EmptyStoredKeyAndNarrowDefaults)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid, false);
    PropertyBag bag;
    bag.set(u"Key", Variant::fromString(""));
    bag.set(u"ProtectionType", Variant::fromI4(9));
    ASSERT_TRUE(host->control().readProperties(bag).ok());
    EXPECT_EQ(str(host->get(d::KEY)), "Harbour Lanterns");
    EXPECT_EQ(str(host->get(d::ProtectionType)), "9");
    EXPECT_EQ(str(host->get(d::CeaserOffset)), "30");
}

TEST(VellocPersistence, StoredValueOutOfRangeStopsTheLoadAtThatEntry)
{
    for (const char* entry : {"ProtectionType", "CeaserOffset"}) {
        auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
        ASSERT_TRUE(host->put(d::CeaserOffset, Variant::fromI4(77)).ok());
        PropertyBag bag;
        bag.set(u"Key", Variant::fromString("applied first"));
        bag.set(u"ProtectionType", Variant::fromI4(QLatin1String(entry) == QLatin1String("ProtectionType") ? 300 : 3));
        bag.set(u"CeaserOffset", Variant::fromI4(QLatin1String(entry) == QLatin1String("CeaserOffset") ? -1 : 5));
        auto loaded = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid, false);
        Result<void> r = loaded->control().readProperties(bag);
        ASSERT_FALSE(r.ok()) << entry;
        EXPECT_EQ(r.error().number(), 6) << entry;
        EXPECT_EQ(str(loaded->get(d::KEY)), "applied first") << entry;
        if (QLatin1String(entry) == QLatin1String("ProtectionType")) {
            EXPECT_EQ(str(loaded->get(d::CeaserOffset)), "77") << "entries after the failing one are not applied";
        }
    }
}

// ---- Lifecycle ----

TEST(VellocLifecycle, ResizeKeepsTheFaceSize)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    for (QSize size : {QSize(50, 50), QSize(5000, 300), QSize(1110, 960)}) {
        host->control().setExtent(size);
        host->control().resize();
        EXPECT_EQ(host->control().extent(), QSize(1110, 960));
    }
}

TEST(VellocLifecycle, ShowPutsTheVersionOnTheFace)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    QLabel* label = host->control().widget()->findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), " ");
    host->control().show();
    EXPECT_EQ(label->text(), "3.0 Build 10");
}

TEST(VellocLifecycle, CancelOperationOnlySetsTheFlag)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    Result<Variant> r = host->call(d::CancelOperation);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->type(), VarType::Bool);
    EXPECT_FALSE(r->boolean());
    EXPECT_TRUE(host->events().isEmpty());
    // The next operation starts by clearing it: the run-length routine, which stops at its
    // first progress point when the flag is set, runs to its end.
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(1)).ok());
    Result<Variant> text = host->call(d::EncodeString, {Variant::fromString("abc")});
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(text->string(), "abc");
    EXPECT_EQ(host->events(), (QStringList {"event v.Statred(i4:3)", "event v.Progress(i4:1)", "event v.Progress(i4:3)", "event v.Finished()"}));
}

} // namespace
