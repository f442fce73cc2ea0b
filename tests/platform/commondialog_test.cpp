#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/propertybag.h"

using namespace platform;
using namespace testsupport;

namespace {

class CommonDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Result<std::shared_ptr<Object>> created = createObject(QStringLiteral("MSComDlg.CommonDialog"));
        ASSERT_TRUE(created.ok()) << created.error().message().toStdString();
        dialog = created.value();
    }
    void set(const char16_t* name, const char* value)
    {
        ASSERT_TRUE(putProperty(*dialog, dialog->idOfName(name).value(), lit(value)).ok()) << value;
    }
    Result<Variant> showOpen() { return dialog->invoke(CommonDialog::ShowOpenId, InvokeKind::Method, {}); }

    RecordingResponder responder;
    ScopedRegistry registry;
    std::shared_ptr<Object> dialog;
};

// Cancelling keeps the file name; with CancelError it is error 32755 as well.
TEST_F(CommonDialogTest, CancellingKeepsTheFileName)
{
    set(u"FileName", R"("/before.txt")");
    ASSERT_TRUE(showOpen().ok());
    set(u"CancelError", "bool:true");
    const Result<Variant> r = showOpen();
    ASSERT_TRUE(failsWith(r, errc::CancelSelected));
    EXPECT_EQ(r.error().message(), QStringLiteral("Cancel was selected."));
    EXPECT_EQ(outcome(getProperty(*dialog, CommonDialog::FileNameId)), QStringLiteral(R"(bstr:"/before.txt")"));
    EXPECT_EQ(responder.requests.size(), 2);
}

TEST_F(CommonDialogTest, TheDialogIsAskedWithTheSettings)
{
    set(u"DialogTitle", R"("Choose a file")");
    set(u"Filter", R"("Text (*.txt)|*.txt|All|*.*")");
    set(u"FilterIndex", "i4:2");
    set(u"InitDir", R"("/tmp")");
    set(u"Flags", "i4:4100");
    set(u"FileName", R"("start.txt")");
    ASSERT_TRUE(showOpen().ok());
    ASSERT_EQ(responder.requests.size(), 1);
    const services::FileDialogRequest& r = responder.requests[0];
    EXPECT_EQ(QStringList({r.title, r.filter, r.initDir, r.fileName}),
              (QStringList {QStringLiteral("Choose a file"), QStringLiteral("Text (*.txt)|*.txt|All|*.*"),
                            QStringLiteral("/tmp"), QStringLiteral("start.txt")}));
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.flags, 0x1004);
}

TEST_F(CommonDialogTest, SavesOnlyChangedSettings)
{
    auto control = std::dynamic_pointer_cast<Control>(dialog);
    ASSERT_TRUE(control);
    PropertyBag bag;
    ASSERT_TRUE(control->writeProperties(bag).ok());
    EXPECT_TRUE(bag.isEmpty());
    set(u"DialogTitle", R"("T")");
    set(u"CancelError", "bool:true");
    ASSERT_TRUE(control->writeProperties(bag).ok());
    auto other = std::make_shared<CommonDialog>();
    ASSERT_TRUE(other->readProperties(PropertyBag::fromText(bag.toText()).value()).ok());
    EXPECT_EQ(other->dialogTitle, QStringLiteral("T"));
    EXPECT_TRUE(other->cancelError);
    EXPECT_EQ(bag.entries().size(), 2);
}

} // namespace
