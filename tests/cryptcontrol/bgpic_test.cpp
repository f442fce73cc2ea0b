// The control's property page BGPic, from the built library, in the runtime's property sheet,
// with the file-open dialog answered by a responder.
#include "testsupport.h"

#include "bgpic.h"
#include "velloc.h"

#include "velloc/store/font.h"
#include "velloc/core/module.h"
#include "velloc/hosting/propertysheet.h"
#include "velloc/store/registry.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;
using velpack::BGPic;

namespace {

// Another kind of object a developer may select along with the control, with a File of its own.
class FileHolder final : public Object {
public:
    explicit FileHolder(QString initial) : file(std::move(initial)) {}

    QString className() const override { return QStringLiteral("FileHolder"); }
    const DispatchTable& dispatch() const override
    {
        static const DispatchTable t = [] {
            DispatchTable t(InterfaceInfo {QStringLiteral("_FileHolder"), Guid::literal("{6F1C0A52-2D1B-4C1E-9E55-0C8B1D7A4F01}"),
                                           true});
            const TypeRef str {VarType::BStr, {}};
            t.get<FileHolder>(QStringLiteral("File"), 1, str, {},
                              [](FileHolder& h) -> Result<Variant> { return Variant::fromString(h.file); });
            t.put<FileHolder>(QStringLiteral("File"), 1, QStringLiteral("value"), str, {},
                              [](FileHolder& h, const Variant& v) -> Result<void> { h.file = v.string(); return {}; });
            return t;
        }();
        return t;
    }

    QString file;
};

// The sheet finds the library's page through the registry, as any host does.
class BGPicSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid); // answers the dialogs and records them
        ASSERT_TRUE(host);
        Result<Module*> module = Module::load(QStringLiteral(VELPACK_MODULE));
        ASSERT_TRUE(module.ok());
        ASSERT_EQ(module.value()->registerServer(), hr::Ok);
    }

    QString file() { return host->get(velpack::dispids::File).value().string(); }
    qsizetype logged(const char* what) { return host->log.filter(QLatin1String(what)).size(); }
    void setFile(const QString& path)
    {
        ASSERT_TRUE(host->put(velpack::dispids::File, Variant::fromString(path)).ok());
        host->log.clear();
    }
    // The control's own pages, or the ones given.
    std::unique_ptr<PropertySheet> sheet(QList<std::shared_ptr<Object>> objects, std::optional<QList<Guid>> pages = {})
    {
        auto made = pages ? PropertySheet::create(std::move(objects), *pages) : PropertySheet::forControls(std::move(objects));
        return made.ok() ? std::move(made.value()) : nullptr;
    }
    static QLineEdit* textBox(PropertySheet& sheet)
    {
        return sheet.pages().value(0)->widget()->findChild<QLineEdit*>(QStringLiteral("txtBGPicture"));
    }
    // Shows the sheet modally, as a host does, and waits for it to close; a sheet still open
    // after `limitMs` is ended with -1.
    static int run(PropertySheet& sheet, int limitMs)
    {
        QTimer::singleShot(limitMs, &sheet, [&sheet] {
            if (sheet.isVisible())
                sheet.done(-1);
        });
        return sheet.exec();
    }

    ScopedRegistry registry;
    std::unique_ptr<RecordingHost> host;
};

// The first page receives the selection at once and asks for a file, the name not preset
// from File, over the sheet.
TEST_F(BGPicSheet, VellocShowsBGPicFirstAndThePicturePageSecondAndAsksForAFileAtOnce)
{
    setFile(QStringLiteral("/srv/data/ledger.txt"));
    auto s = sheet({host->object()});
    ASSERT_TRUE(s);
    ASSERT_EQ(s->tabs()->count(), 2);
    EXPECT_EQ(s->pages()[0]->className(), QStringLiteral("BGPic"));
    EXPECT_EQ(s->pages()[1]->className(), QStringLiteral("StandardPicture"));
    ASSERT_EQ(host->requests.size(), 1);
    EXPECT_EQ(host->requests[0].fileName, QString());
    ASSERT_TRUE(host->requests[0].owner);
    EXPECT_EQ(host->requests[0].owner->window(), s.get());
}

// A chosen path ends in File and the page confirms the sheet itself once it is shown; a
// cancelled dialog keeps the box and File as they were, and the sheet open.
TEST_F(BGPicSheet, ChosenPathIsAppliedAndClosesTheSheetCancelKeepsEverything)
{
    const QString old = QStringLiteral("/srv/old/plain.txt"), chosen = QStringLiteral("/srv/new/chosen.bin");
    // File before, the dialog's answer (nothing: cancelled), and whether the sheet has only the
    // page File is bound to (its browse button) rather than all the control's pages.
    const QList<std::tuple<QString, std::optional<QString>, bool>> rows = {
        {old, chosen, false},         {QString(), chosen, false},  {old, old, false},
        {QString(), QStringLiteral("/home/zoë/my notes/día 1.txt"), false}, {old, chosen, true},
        {old, std::nullopt, false},   {QString(), std::nullopt, false}, {old, std::nullopt, true}};
    const MemberInfo* member = host->object()->dispatch().info().find(velpack::dispids::File, MemberKind::PropertyGet);
    ASSERT_TRUE(member);
    for (const auto& [before, answer, browse] : rows) {
        SCOPED_TRACE(QStringLiteral("%1 -> %2 %3").arg(before, answer.value_or(QStringLiteral("cancel"))).arg(browse).toStdString());
        setFile(before);
        host->fileToOpen = answer;
        auto s = sheet({host->object()}, browse ? std::optional(QList<Guid> {member->propertyPage}) : std::nullopt);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->pages()[0]->className(), QStringLiteral("BGPic"));
        QTest::qWait(50); // a host may take its time to show the sheet: nothing is applied meanwhile
        EXPECT_EQ(file(), before);
        // Generous for the sheet that closes on its first turn of events; long enough for a
        // confirmation that should not come.
        EXPECT_EQ(run(*s, answer ? 10000 : 300), answer ? QDialog::Accepted : -1);
        EXPECT_EQ(logged("dialog open"), 1);
        EXPECT_EQ(logged("msgbox"), 0);
        EXPECT_EQ(file(), answer.value_or(before));
        EXPECT_EQ(textBox(*s)->text(), answer.value_or(before));
        EXPECT_EQ(logged("changed v.File"), answer ? 1 : 0);
    }
}

// A path typed into the box reaches the first selected object alone, whether it is the
// control or another object, through OK or Apply.
TEST_F(BGPicSheet, TypedPathReachesOnlyTheFirstSelected)
{
    for (bool vellocFirst : {true, false}) {
        for (bool withOk : {true, false}) {
            SCOPED_TRACE(testing::Message() << "Velloc first " << vellocFirst << ", OK " << withOk);
            setFile(QStringLiteral("/srv/control.txt"));
            auto other = std::make_shared<FileHolder>(QStringLiteral("/srv/holder-a.txt"));
            auto s = sheet(vellocFirst ? QList<std::shared_ptr<Object>> {host->object(), other}
                                       : QList<std::shared_ptr<Object>> {other, host->object()},
                           QList<Guid> {BGPic::Clsid});
            ASSERT_TRUE(s);
            s->show();
            QLineEdit* box = textBox(*s);
            EXPECT_EQ(box->text(), vellocFirst ? QStringLiteral("/srv/control.txt") : QStringLiteral("/srv/holder-a.txt"));
            box->clear();
            QTest::keyClicks(box, QStringLiteral("/typed/by/hand.dat"));
            ASSERT_TRUE(s->applyButton()->isEnabled());
            (withOk ? s->okButton() : s->applyButton())->click();
            EXPECT_EQ(s->isVisible(), !withOk);
            EXPECT_EQ(file(), vellocFirst ? QStringLiteral("/typed/by/hand.dat") : QStringLiteral("/srv/control.txt"));
            EXPECT_EQ(logged("changed v.File"), vellocFirst ? 1 : 0);
            EXPECT_EQ(other->file, vellocFirst ? QStringLiteral("/srv/holder-a.txt") : QStringLiteral("/typed/by/hand.dat"));
        }
    }
}

// An object without File still gets the dialog; the confirmation applies, the object refuses,
// and the sheet reports it and stays open.
TEST_F(BGPicSheet, AnObjectWithoutFileStillGetsTheDialogAndItsRefusalKeepsTheSheetOpen)
{
    host->fileToOpen = QStringLiteral("/srv/picked.txt");
    auto s = sheet({Font::create()}, QList<Guid> {BGPic::Clsid}); // a font has no File
    ASSERT_TRUE(s);
    EXPECT_EQ(logged("dialog open"), 1);
    EXPECT_EQ(textBox(*s)->text(), QStringLiteral("/srv/picked.txt"));
    EXPECT_EQ(run(*s, 1500), -1);
    ASSERT_EQ(logged("msgbox"), 1);
    EXPECT_TRUE(host->log.filter(QStringLiteral("msgbox")).constFirst().contains(QStringLiteral("File")));
    // A new selection asks again.
    host->fileToOpen = std::nullopt;
    ASSERT_TRUE(s->setSelection({std::make_shared<FileHolder>(QStringLiteral("/srv/holder.txt"))}).ok());
    EXPECT_EQ(logged("dialog open"), 2);
    EXPECT_EQ(textBox(*s)->text(), QStringLiteral("/srv/holder.txt"));
}

} // namespace
