// The control's property page BGPic, from the built library, in the runtime's property sheet,
// with the file-open dialog answered by a responder.
#include "vellochost.h"

#include "bgpic.h"
#include "velloc.h"

#include "platform/module.h"
#include "platform/propertysheet.h"
#include "platform/registry.h"
#include "platform/units.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;
using velpack::BGPic;

namespace {

class PageResponder final : public services::Responder {
public:
    std::optional<QString> answer;
    QList<services::FileDialogRequest> requests;
    QStringList boxes;

    std::optional<QString> openFileDialog(const services::FileDialogRequest& request) override
    {
        requests << request;
        return answer;
    }
    int messageBox(const QString& text, services::MsgIcon, services::MsgButtons buttons, const QString&) override
    {
        boxes << text;
        return services::firstButton(buttons);
    }
};

// Another kind of object a developer may select along with the control: it has a File of its
// own and counts what it is given.
class FileHolder final : public Object {
public:
    explicit FileHolder(QString initial = {}, bool withFile = true)
        : file(std::move(initial))
        , m_withFile(withFile)
    {
    }

    QString className() const override { return QStringLiteral("FileHolder"); }
    const DispatchTable& dispatch() const override
    {
        static const DispatchTable withFile = [] {
            DispatchTable t(InterfaceInfo {QStringLiteral("_FileHolder"), Guid::literal("{6F1C0A52-2D1B-4C1E-9E55-0C8B1D7A4F01}"),
                                           true});
            const TypeRef str {VarType::BStr, {}};
            t.get<FileHolder>(QStringLiteral("File"), 1, str, {},
                              [](FileHolder& h) -> Result<Variant> { return Variant::fromString(h.file); });
            t.put<FileHolder>(QStringLiteral("File"), 1, QStringLiteral("value"), str, {},
                              [](FileHolder& h, const Variant& v) -> Result<void> {
                                  h.file = v.string();
                                  ++h.puts;
                                  return {};
                              });
            return t;
        }();
        static const DispatchTable without(
            InterfaceInfo {QStringLiteral("_Nameless"), Guid::literal("{6F1C0A52-2D1B-4C1E-9E55-0C8B1D7A4F02}"), true});
        return m_withFile ? withFile : without;
    }

    QString file;
    int puts = 0;

private:
    bool m_withFile;
};

// The sheet finds the library's page through the registry, as any host does.
class BGPicSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = VellocHost::create();
        ASSERT_TRUE(host);
        ASSERT_TRUE(registry.isValid());
        Registry::setLocation(registry.path());
        Result<Module*> module = Module::load(QStringLiteral(VELPACK_MODULE));
        ASSERT_TRUE(module.ok());
        ASSERT_EQ(module.value()->registerServer(), hr::Ok);
        services::setResponder(&responder);
    }

    void TearDown() override
    {
        services::setResponder(nullptr);
        Registry::setLocation(QString());
    }

    QString file() { return host->get(velpack::dispids::File).value().string(); }
    void setFile(const QString& path) { ASSERT_TRUE(host->put(velpack::dispids::File, Variant::fromString(path)).ok()); }

    std::unique_ptr<PropertySheet> sheet(QList<std::shared_ptr<Object>> objects, std::optional<QList<Guid>> pages = {})
    {
        Result<std::unique_ptr<PropertySheet>> made =
            pages ? PropertySheet::create(std::move(objects), *pages) : PropertySheet::forControls(std::move(objects));
        EXPECT_TRUE(made.ok()) << (made.ok() ? "" : made.error().message().toStdString());
        return made.ok() ? std::move(made.value()) : nullptr;
    }

    static QLineEdit* textBox(PropertySheet& sheet)
    {
        return sheet.pages().value(0)->widget()->findChild<QLineEdit*>(QStringLiteral("txtBGPicture"));
    }

    // Shows the sheet modally, as a host does, and waits for it to close; a sheet still open
    // after `limitMs` is cancelled and reported as -1.
    static int run(PropertySheet& sheet, int limitMs)
    {
        bool gaveUp = false;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &sheet, [&] {
            gaveUp = sheet.isVisible();
            sheet.reject();
        });
        limit.start(limitMs);
        const int result = sheet.exec();
        return gaveUp ? -1 : result;
    }

    QTemporaryDir registry;
    std::unique_ptr<VellocHost> host;
    PageResponder responder;
};

constexpr int CloseLimitMs = 10000; // generous: the sheet closes on its first turn of events
constexpr int StayOpenMs = 300;     // long enough for a confirmation that should not come

TEST_F(BGPicSheet, VellocShowsBGPicFirstAndThePicturePageSecond)
{
    auto s = sheet({host->object()});
    ASSERT_TRUE(s);
    ASSERT_EQ(s->tabs()->count(), 2);
    EXPECT_EQ(s->tabs()->tabText(0), QStringLiteral("BGPic"));
    EXPECT_EQ(s->tabs()->tabText(1), QStringLiteral("Picture"));
    EXPECT_EQ(s->pages()[0]->className(), QStringLiteral("BGPic"));
    EXPECT_EQ(s->pages()[1]->className(), QStringLiteral("StandardPicture"));
    // The first page received the selection at once and asked for a file.
    EXPECT_EQ(responder.requests.size(), 1);
}

TEST_F(BGPicSheet, FaceAsDesigned)
{
    auto s = sheet({host->object()});
    ASSERT_TRUE(s);
    PropertyPage& page = *s->pages()[0];
    EXPECT_EQ(page.pageSize(), QSize(5925, 3495));
    EXPECT_EQ(page.widget()->size(), units::toPixels(QSize(5925, 3495)));
    auto* label = page.widget()->findChild<QLabel*>(QStringLiteral("lblBGPicture"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), QStringLiteral("BGPicture:"));
    EXPECT_EQ(label->geometry(), units::toPixels(90, 120, 2700, 240));
    QLineEdit* box = textBox(*s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->geometry(), units::toPixels(90, 370, 2700, 330));
    EXPECT_EQ(label->buddy(), box);
}

TEST_F(BGPicSheet, DialogAsksForAnExistingFileWithNoNamePreset)
{
    setFile(QStringLiteral("/srv/data/ledger.txt"));
    auto s = sheet({host->object()});
    ASSERT_TRUE(s);
    ASSERT_EQ(responder.requests.size(), 1);
    const services::FileDialogRequest& r = responder.requests[0];
    EXPECT_EQ(r.title, QStringLiteral("Select A File To Operate On"));
    EXPECT_EQ(r.fileName, QString());
    EXPECT_EQ(r.filter, QStringLiteral("ALL Files|*.*"));
    EXPECT_EQ(r.filterIndex, 0);
    EXPECT_EQ(r.flags, 0x1000 | 0x4);
    ASSERT_TRUE(r.owner);
    EXPECT_EQ(r.owner->window(), s.get());
}

struct Choice {
    const char* name;
    QString before;
    std::optional<QString> answer; // nothing: the dialog is cancelled
    bool fromBrowseButton;         // the page File is bound to, alone, rather than all pages
};

void PrintTo(const Choice& c, std::ostream* os)
{
    *os << c.name;
}

class BGPicChoice : public BGPicSheet, public ::testing::WithParamInterface<Choice> {};

TEST_P(BGPicChoice, ChosenPathIsAppliedAndClosesTheSheetCancelKeepsEverything)
{
    const Choice& c = GetParam();
    setFile(c.before);
    host->log.clear();
    std::optional<QList<Guid>> pages;
    if (c.fromBrowseButton) {
        const MemberInfo* member = host->object()->dispatch().info().find(velpack::dispids::File, MemberKind::PropertyGet);
        ASSERT_TRUE(member);
        pages = QList<Guid> {member->propertyPage};
    }
    responder.answer = c.answer;
    auto s = sheet({host->object()}, pages);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->pages()[0]->className(), QStringLiteral("BGPic"));

    const int result = run(*s, c.answer ? CloseLimitMs : StayOpenMs);
    EXPECT_EQ(responder.requests.size(), 1);
    EXPECT_TRUE(responder.boxes.isEmpty()) << responder.boxes.join(u'\n').toStdString();
    if (c.answer) {
        // No one pressed anything: the page confirmed the sheet itself.
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(file(), *c.answer);
        EXPECT_TRUE(host->log.contains(QStringLiteral("changed File")));
    } else {
        EXPECT_EQ(result, -1) << "the sheet closed by itself";
        EXPECT_EQ(textBox(*s)->text(), c.before);
        EXPECT_EQ(file(), c.before);
        EXPECT_FALSE(host->log.contains(QStringLiteral("changed File")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BGPicChoice,
    ::testing::Values(Choice {"AnotherPath", QStringLiteral("/srv/old/plain.txt"), QStringLiteral("/srv/new/chosen.bin"), false},
                      Choice {"IntoAnEmptyFile", QString(), QStringLiteral("/srv/new/chosen.bin"), false},
                      Choice {"TheSamePath", QStringLiteral("/srv/same.txt"), QStringLiteral("/srv/same.txt"), false},
                      Choice {"SpacesAndAccents", QString(), QStringLiteral("/home/zoë/my notes/día 1.txt"), false},
                      Choice {"FromTheBrowseButton", QStringLiteral("/srv/old/plain.txt"), QStringLiteral("/srv/b.dat"), true},
                      Choice {"CancelKeepsAPath", QStringLiteral("/srv/old/plain.txt"), std::nullopt, false},
                      Choice {"CancelKeepsNoPath", QString(), std::nullopt, false},
                      Choice {"CancelFromTheBrowseButton", QStringLiteral("/srv/old/plain.txt"), std::nullopt, true}),
    [](const ::testing::TestParamInfo<Choice>& info) { return std::string(info.param.name); });

struct Typed {
    const char* name;
    bool vellocFirst;
    bool withOk; // else Apply
};

void PrintTo(const Typed& t, std::ostream* os)
{
    *os << t.name;
}

class BGPicTyped : public BGPicSheet, public ::testing::WithParamInterface<Typed> {};

TEST_P(BGPicTyped, ReachesOnlyTheFirstSelected)
{
    const Typed& t = GetParam();
    setFile(QStringLiteral("/srv/control.txt"));
    host->log.clear();
    auto before = std::make_shared<FileHolder>(QStringLiteral("/srv/holder-a.txt"));
    auto after = std::make_shared<FileHolder>(QStringLiteral("/srv/holder-b.txt"));
    QList<std::shared_ptr<Object>> selection = t.vellocFirst ? QList<std::shared_ptr<Object>> {host->object(), before, after}
                                                             : QList<std::shared_ptr<Object>> {before, host->object(), after};
    auto s = sheet(selection, QList<Guid> {BGPic::Clsid});
    ASSERT_TRUE(s);
    s->show();
    QLineEdit* box = textBox(*s);
    ASSERT_TRUE(box);
    // The page shows the first selected object's File.
    EXPECT_EQ(box->text(), t.vellocFirst ? QStringLiteral("/srv/control.txt") : QStringLiteral("/srv/holder-a.txt"));

    box->clear();
    QTest::keyClicks(box, QStringLiteral("/typed/by/hand.dat"));
    ASSERT_TRUE(s->applyButton()->isEnabled());
    (t.withOk ? s->okButton() : s->applyButton())->click();

    EXPECT_EQ(s->isVisible(), !t.withOk);
    EXPECT_EQ(after->puts, 0);
    EXPECT_EQ(after->file, QStringLiteral("/srv/holder-b.txt"));
    if (t.vellocFirst) {
        EXPECT_EQ(file(), QStringLiteral("/typed/by/hand.dat"));
        EXPECT_EQ(host->log.count(QStringLiteral("changed File")), 1);
        EXPECT_EQ(before->puts, 0);
    } else {
        EXPECT_EQ(before->file, QStringLiteral("/typed/by/hand.dat"));
        EXPECT_EQ(before->puts, 1);
        EXPECT_EQ(file(), QStringLiteral("/srv/control.txt"));
        EXPECT_FALSE(host->log.contains(QStringLiteral("changed File")));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, BGPicTyped,
                         ::testing::Values(Typed {"VellocFirstApply", true, false}, Typed {"VellocFirstOk", true, true},
                                           Typed {"OtherFirstApply", false, false}, Typed {"OtherFirstOk", false, true}),
                         [](const ::testing::TestParamInfo<Typed>& info) { return std::string(info.param.name); });

TEST_F(BGPicSheet, AnObjectWithoutFileStillGetsTheDialogAndItsRefusalKeepsTheSheetOpen)
{
    auto nameless = std::make_shared<FileHolder>(QString(), false);
    responder.answer = QStringLiteral("/srv/picked.txt");
    auto s = sheet({nameless}, QList<Guid> {BGPic::Clsid});
    ASSERT_TRUE(s);
    EXPECT_EQ(responder.requests.size(), 1);
    EXPECT_EQ(textBox(*s)->text(), QStringLiteral("/srv/picked.txt"));

    // The confirmation applies, the object refuses, the sheet reports it and stays.
    EXPECT_EQ(run(*s, 1500), -1);
    ASSERT_EQ(responder.boxes.size(), 1);
    EXPECT_TRUE(responder.boxes[0].contains(QStringLiteral("File"))) << responder.boxes[0].toStdString();
}

TEST_F(BGPicSheet, ASheetShownLaterIsConfirmedWhenItShows)
{
    setFile(QStringLiteral("/srv/old.txt"));
    responder.answer = QStringLiteral("/srv/new.txt");
    auto s = sheet({host->object()});
    ASSERT_TRUE(s);
    // The host takes its time before showing the sheet; nothing is applied meanwhile.
    QTest::qWait(50);
    EXPECT_EQ(file(), QStringLiteral("/srv/old.txt"));
    EXPECT_EQ(run(*s, CloseLimitMs), QDialog::Accepted);
    EXPECT_EQ(file(), QStringLiteral("/srv/new.txt"));
}

TEST_F(BGPicSheet, ANewSelectionAsksAgain)
{
    responder.answer = std::nullopt;
    auto s = sheet({host->object()});
    ASSERT_TRUE(s);
    auto holder = std::make_shared<FileHolder>(QStringLiteral("/srv/holder.txt"));
    ASSERT_TRUE(s->setSelection({holder}).ok());
    EXPECT_EQ(responder.requests.size(), 2);
    EXPECT_EQ(textBox(*s)->text(), QStringLiteral("/srv/holder.txt"));
}

} // namespace
