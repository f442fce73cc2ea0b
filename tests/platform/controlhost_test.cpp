// Hosting a control as a Qt program does: through the typed proxy generated from the test
// library's type library, and through the services when no person is there to answer.

#include "testcomponent.h"
#include "testsupport.h"
#include "velloc_testwidget.h"

#include "velloc/hosting/services.h"

#include <QDialog>
#include <QSignalSpy>

using namespace velloc;
using namespace testsupport;

namespace {
// The test library's own registry, for creation by programmatic identifier.
class TestRegistry {
public:
    TestRegistry() : m_previous(Registry::location()) { Registry::setLocation(QStringLiteral(TESTWIDGET_REGISTRY)); }
    ~TestRegistry() { Registry::setLocation(m_previous); }

private:
    QString m_previous;
};
} // namespace

// Typed properties, a change signal under the member's name, by-reference arguments both ways,
// events as signals, and a failure reaching both the error signal and lastError().
TEST(ControlHost, TheProxyIsTypedBothWays)
{
    TestRegistry registry;
    VellocTest::TestWidget w;
    ASSERT_FALSE(w.isNull()) << w.lastError().message().toStdString();
    EXPECT_GT(w.sizeHint().width(), 0);
    EXPECT_GT(w.sizeHint().height(), 0);

    QSignalSpy changed(&w, &VellocTest::TestWidget::countChanged);
    QSignalSpy named(&w, &ControlHost::propertyChanged);
    QSignalSpy errors(&w, &ControlHost::error);
    w.setCount(-7);
    EXPECT_EQ(w.count(), -7);
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(named.count(), 1);
    EXPECT_EQ(named.first().first().toString(), QStringLiteral("Count"));
    EXPECT_EQ(w.lastError().number(), 0);

    w.setLevel(256); // kept in 8 bits: refused, the old value stays
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.first().first().toInt(), errc::Overflow);
    EXPECT_EQ(w.lastError().number(), errc::Overflow);
    w.setProperty("Level", 200); // through Qt's property system, as uic and Designer set it
    EXPECT_EQ(w.level(), 200);
    EXPECT_EQ(w.lastError().number(), 0);

    QString text = QStringLiteral("harbour");
    EXPECT_EQ(w.decorate(text), 9);
    EXPECT_EQ(text, QStringLiteral("<harbour>"));

    QList<qint32> stepsSeen;
    QObject::connect(&w, &VellocTest::TestWidget::step, [&](qint32& value) {
        stepsSeen << value;
        value *= 10;
    });
    QSignalSpy done(&w, &VellocTest::TestWidget::done);
    EXPECT_EQ(w.controlRaise(4), 40); // QWidget has raise()
    EXPECT_EQ(stepsSeen, QList<qint32> {4});
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(done.first().first().toInt(), 40);

    const QPixmap pixmap = [] {
        QPixmap p(4, 3);
        p.fill(Qt::red);
        return p;
    }();
    w.setPicture(pixmap);
    EXPECT_EQ(w.picture().toImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(w.metaObject()->enumerator(w.metaObject()->indexOfEnumerator("TestShade")).keyToValue("Unset"), -1);
}

// A host that cannot have its control says why, and every call on it fails the same way.
TEST(ControlHost, AHostWithoutItsControlFailsEveryCallWithTheReason)
{
    TestRegistry registry;
    struct Row {
        const char* progId;
        std::uint32_t abi;
        int number;
    } rows[] = {
        {"Velloc.NoSuchClass", ModuleAbi, errc::CannotCreateObject},
        {"Velloc.TestWidget", ModuleAbi + 1, errc::UnsupportedAutomationType},
    };
    for (const Row& row : rows) {
        ControlHost host(QString::fromLatin1(row.progId), nullptr, row.abi);
        EXPECT_TRUE(host.isNull()) << row.progId;
        EXPECT_EQ(host.lastError().number(), row.number) << row.progId;
        QSignalSpy errors(&host, &ControlHost::error);
        EXPECT_FALSE(host.putProperty(QStringLiteral("Count"), Variant::fromI2(1)));
        ASSERT_EQ(errors.count(), 1);
        EXPECT_EQ(errors.first().first().toInt(), row.number);
    }

    ControlHost late(QStringLiteral("Velloc.TestWidget"));
    ASSERT_FALSE(late.isNull());
    EXPECT_FALSE(late.putProperty(QStringLiteral("Cuont"), Variant::fromI2(1)));
    EXPECT_EQ(late.lastError().number(), errc::NotSupported);
    EXPECT_TRUE(late.putProperty(QStringLiteral("count"), Variant::fromI2(3)));
    EXPECT_EQ(late.getProperty(QStringLiteral("COUNT")).i2(), 3);
}

// The saved state is the control's whole bag: taking it back undoes later changes; text that is
// no bag, or a host without a control, is refused with the reason.
TEST(ControlHost, TheSavedStateIsTheBag)
{
    TestRegistry registry;
    VellocTest::TestWidget w;
    ASSERT_FALSE(w.isNull());
    w.setCount(-7);
    w.setLevel(200);
    const QString state = w.savedState();
    EXPECT_EQ(w.lastError().number(), 0) << w.lastError().message().toStdString();
    w.setCount(12);
    w.setLevel(3);
    w.setProperty("savedState", state); // as uic and QUiLoader set it
    EXPECT_EQ(w.lastError().number(), 0) << w.lastError().message().toStdString();
    EXPECT_EQ(w.count(), -7);
    EXPECT_EQ(w.level(), 200);

    w.setSavedState(QStringLiteral("no = bag = here"));
    EXPECT_NE(w.lastError().number(), 0);
    EXPECT_EQ(w.count(), -7);

    ControlHost missing(QStringLiteral("Velloc.NoSuchClass"));
    EXPECT_TRUE(missing.savedState().isEmpty());
    EXPECT_EQ(missing.lastError().number(), errc::CannotCreateObject);
}

// With no person and no responder of the host's own, nothing waits: each service gives the
// answer that changes nothing, and a host sees the message boxes its control raised.
TEST(ControlHost, NoOneThereMeansNothingWaits)
{
    TestRegistry registry;
    services::setResponder(nullptr);
    ASSERT_TRUE(services::isUnattended());
    using B = services::MsgButtons;
    namespace r = services::msgresult;
    const std::pair<B, int> answers[] = {{B::Ok, r::Ok},           {B::OkCancel, r::Cancel}, {B::YesNo, r::No},
                                         {B::YesNoCancel, r::Cancel}, {B::RetryCancel, r::Cancel},
                                         {B::AbortRetryIgnore, r::Abort}};
    for (const auto& [buttons, answer] : answers)
        EXPECT_EQ(services::messageBox(QStringLiteral("Proceed?"), services::MsgIcon::Question, buttons), answer);
    EXPECT_EQ(services::openFileDialog({QStringLiteral("Choose")}), std::nullopt);
    EXPECT_EQ(services::saveFileDialog({QStringLiteral("Save As")}), std::nullopt);
    QDialog dialog;
    services::showModal(&dialog, nullptr);
    EXPECT_FALSE(dialog.isVisible());

    VellocTest::TestWidget w;
    QSignalSpy shown(&w, &ControlHost::messageShown);
    EXPECT_EQ(w.showMessage(QStringLiteral("Overwrite the file?")), r::Cancel);
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.first().at(0).toString(), QStringLiteral("Overwrite the file?"));
    EXPECT_EQ(shown.first().at(1).toString(), QStringLiteral("TestWidget"));
    services::setResponder(&services::interactiveResponder());
}
