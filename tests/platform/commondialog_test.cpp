#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/propertybag.h"

using namespace platform;
using namespace testsupport;

namespace {

Variant str(const char* s)
{
    return Variant::fromString(QString::fromUtf8(s));
}

class CommonDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Result<std::shared_ptr<Object>> created = createObject(QStringLiteral("MSComDlg.CommonDialog"));
        ASSERT_TRUE(created.ok()) << created.error().message().toStdString();
        dialog = created.value();
    }
    Result<Variant> set(const char16_t* name, Variant value)
    {
        const auto member = dialog->idOfName(name);
        if (!member)
            return Error(errc::NotSupported, QString::fromUtf16(name));
        return putProperty(*dialog, *member, std::move(value));
    }
    Result<Variant> showOpen() { return dialog->invoke(CommonDialog::ShowOpenId, InvokeKind::Method, {}); }
    Result<Variant> fileName() { return getProperty(*dialog, CommonDialog::FileNameId); }

    RecordingResponder responder;
    ScopedRegistry registry;
    std::shared_ptr<Object> dialog;
};

TEST_F(CommonDialogTest, HostsReachItByTheUsualDispIds)
{
    EXPECT_EQ(dialog->idOfName(u"ShowOpen"), CommonDialog::ShowOpenId);
    EXPECT_EQ(dialog->idOfName(u"filename"), CommonDialog::FileNameId);
    EXPECT_EQ(CommonDialog::ShowOpenId, 30);
    EXPECT_EQ(CommonDialog::FileNameId, 1);
}

TEST_F(CommonDialogTest, CancelWithCancelErrorIsError32755)
{
    ASSERT_TRUE(set(u"FileName", str("/before.txt")).ok());
    ASSERT_TRUE(set(u"CancelError", Variant::fromBool(true)).ok());
    const Result<Variant> r = showOpen();
    ASSERT_TRUE(failsWith(r, errc::CancelSelected));
    EXPECT_EQ(r.error().message(), QStringLiteral("Cancel was selected."));
    EXPECT_TRUE(sameVariant(fileName().value(), str("/before.txt")));
    EXPECT_EQ(responder.requests.size(), 1);
}

TEST_F(CommonDialogTest, CancelWithoutCancelErrorKeepsTheFileName)
{
    ASSERT_TRUE(set(u"FileName", str("/before.txt")).ok());
    ASSERT_TRUE(showOpen().ok());
    EXPECT_TRUE(sameVariant(fileName().value(), str("/before.txt")));
}

TEST_F(CommonDialogTest, AChosenFileBecomesTheFileName)
{
    ASSERT_TRUE(set(u"CancelError", Variant::fromBool(true)).ok());
    responder.openAnswer = QStringLiteral("/home/user/My Files/plan.txt");
    ASSERT_TRUE(showOpen().ok());
    EXPECT_TRUE(sameVariant(fileName().value(), str("/home/user/My Files/plan.txt")));
}

TEST_F(CommonDialogTest, TheDialogIsAskedWithTheSettings)
{
    ASSERT_TRUE(set(u"DialogTitle", str("Choose a file")).ok());
    ASSERT_TRUE(set(u"Filter", str("Text (*.txt)|*.txt|All|*.*")).ok());
    ASSERT_TRUE(set(u"FilterIndex", Variant::fromI4(2)).ok());
    ASSERT_TRUE(set(u"InitDir", str("/tmp")).ok());
    ASSERT_TRUE(set(u"Flags", Variant::fromI4(0x1004)).ok());
    ASSERT_TRUE(set(u"FileName", str("start.txt")).ok());
    ASSERT_TRUE(showOpen().ok());
    ASSERT_EQ(responder.requests.size(), 1);
    const services::FileDialogRequest& r = responder.requests[0];
    EXPECT_EQ(r.title, QStringLiteral("Choose a file"));
    EXPECT_EQ(r.filter, QStringLiteral("Text (*.txt)|*.txt|All|*.*"));
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.initDir, QStringLiteral("/tmp"));
    EXPECT_EQ(r.flags, 0x1004);
    EXPECT_EQ(r.fileName, QStringLiteral("start.txt"));
}

TEST_F(CommonDialogTest, AnUntitledDialogIsCalledOpen)
{
    ASSERT_TRUE(showOpen().ok());
    EXPECT_EQ(responder.log, QStringList {QStringLiteral("dialog Open")});
}

TEST_F(CommonDialogTest, SettingsCoerceLikeAnyProperty)
{
    EXPECT_TRUE(failsWith(set(u"FilterIndex", Variant::fromI4(70000)), errc::Overflow));
    EXPECT_TRUE(failsWith(set(u"CancelError", str("perhaps")), errc::TypeMismatch));
    ASSERT_TRUE(set(u"CancelError", str("True")).ok());
    EXPECT_TRUE(failsWith(showOpen(), errc::CancelSelected));
}

TEST_F(CommonDialogTest, SavesOnlyChangedSettings)
{
    auto control = std::dynamic_pointer_cast<Control>(dialog);
    ASSERT_TRUE(control);
    PropertyBag fresh;
    ASSERT_TRUE(control->writeProperties(fresh).ok());
    EXPECT_TRUE(fresh.isEmpty());

    ASSERT_TRUE(set(u"DialogTitle", str("T")).ok());
    ASSERT_TRUE(set(u"CancelError", Variant::fromBool(true)).ok());
    PropertyBag bag;
    ASSERT_TRUE(control->writeProperties(bag).ok());
    const Result<PropertyBag> reread = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(reread.ok());
    auto other = std::make_shared<CommonDialog>();
    ASSERT_TRUE(other->readProperties(reread.value()).ok());
    EXPECT_EQ(other->dialogTitle, QStringLiteral("T"));
    EXPECT_TRUE(other->cancelError);
}

} // namespace
