#include "testcomponent.h"
#include "testsupport.h"

#include "velloc/hosting/commondialog.h"
#include "velloc/store/font.h"
#include "velloc/core/latebinding.h"
#include "velloc/store/picture.h"

using namespace velloc;
using namespace testsupport;

namespace {
std::shared_ptr<velloc::Control> newWidget()
{
    return std::dynamic_pointer_cast<velloc::Control>(createFromTestModule(testwidget::WidgetClsid));
}
} // namespace
namespace id = testwidget::id;

namespace {

// A sited test widget; the site's ambient font is Tahoma.
class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        Font::Description ambient;
        ambient.name = QStringLiteral("Tahoma");
        host.ambient = Font::create(ambient);
        widget = host.adopt(newWidget());
        ASSERT_TRUE(widget);
        ASSERT_TRUE(widget->initProperties().ok());
    }
    Result<Variant> call(DispId member, QList<Variant>& args)
    {
        return widget->invoke(member, InvokeKind::Method, std::span<Variant>(args.data(), args.size()));
    }

    QStringList changes() const { return host.log.filter(QStringLiteral("changed ")); }

    RecordingHost host;
    std::shared_ptr<Control> widget;
};

TEST_F(Dispatch, NamesMatchWithoutRegardToCase)
{
    for (const char16_t* name : {u"Caption", u"caption", u"CAPTION", u"cApTiOn"})
        EXPECT_EQ(widget->idOfName(name), id::Caption);
    EXPECT_EQ(widget->idOfName(u"aboutbox"), id::AboutBox);
    // No near miss, no empty name, and no event is a member of the default interface.
    for (const char16_t* name : {u"Captions", u"", u"Step"})
        EXPECT_FALSE(widget->idOfName(name).has_value());
}

// (The scripts hold coercion to the declared types, argument counts and mixing method and
// property calls.)
TEST_F(Dispatch, UnknownIdIsError438ForEveryKind)
{
    for (InvokeKind kind : {InvokeKind::Method, InvokeKind::PropertyGet, InvokeKind::PropertyPut, InvokeKind::PropertyPutRef}) {
        const Result<Variant> r = widget->invoke(0x12345, kind, {Variant::fromI4(1)});
        ASSERT_TRUE(failsWith(r, errc::NotSupported));
        EXPECT_TRUE(r.error().message().contains(QStringLiteral("74565"))) << r.error().message().toStdString();
    }
    EXPECT_TRUE(failsWith(widget->invoke(testwidget::event::Done, InvokeKind::Method, {}), errc::NotSupported));
}

// A host that calls by names: case does not matter, and a name that is not there, or no object at
// all, is an error the host can show.
TEST_F(Dispatch, CallerByNames)
{
    latebound::Caller caller(widget);
    ASSERT_TRUE(caller.put(u"CAPTION", Variant::fromString("by name")).ok());
    EXPECT_EQ(caller.get(u"caption")->string(), "by name");
    EXPECT_TRUE(failsWith(caller.call(u"Captions"), errc::NotSupported));
    EXPECT_TRUE(failsWith(latebound::Caller(nullptr).get(u"Caption"), errc::ObjectNotSet));
}

// An object argument gives its default member's value; one without a default member is error 13.
TEST_F(Dispatch, ObjectArgumentsGiveTheirDefaultMember)
{
    QList<Variant> dialog {Variant::fromObject(std::make_shared<CommonDialog>())};
    EXPECT_TRUE(failsWith(call(id::Raise, dialog), errc::TypeMismatch));
    QList<Variant> counter {Variant::fromObject(createFromTestModule(testwidget::CounterClsid))};
    EXPECT_EQ(outcome(call(id::Raise, counter)), QStringLiteral("i4:0"));
}

// What a method leaves in a by-reference argument reaches the caller's variable, after the
// coercion on the way in; by-value arguments and put values are the caller's own.
TEST_F(Dispatch, OnlyByReferenceArgumentsReachTheCaller)
{
    QList<Variant> text {lit(R"("abc")")};
    EXPECT_EQ(outcome(call(id::Decorate, text)), QStringLiteral("i4:5"));
    EXPECT_EQ(varianttext::format(text[0]), QStringLiteral(R"(bstr:"<abc>")"));
    QList<Variant> number {Variant::fromI4(42)};
    ASSERT_TRUE(call(id::Decorate, number).ok());
    EXPECT_EQ(varianttext::format(number[0]), QStringLiteral(R"(bstr:"<42>")"));

    QList<Variant> byValue {lit(R"("3")")};
    EXPECT_EQ(outcome(call(id::Raise, byValue)), QStringLiteral("i4:3"));
    EXPECT_EQ(varianttext::format(byValue[0]), QStringLiteral(R"(bstr:"3")"));
    QList<Variant> count {Variant::fromR8(7.5)};
    ASSERT_TRUE(widget->invoke(id::Count, InvokeKind::PropertyPut, std::span<Variant>(count.data(), 1)).ok());
    EXPECT_EQ(varianttext::format(count[0]), QStringLiteral("r8:7.5"));
    EXPECT_EQ(outcome(getProperty(*widget, id::Count)), QStringLiteral("i2:8"));
}

// An object property holds the very object assigned; a read-only one refuses either assignment.
TEST_F(Dispatch, ObjectPropertiesAreAssignedByReference)
{
    auto picture = Picture::create(QImage(2, 3, QImage::Format_RGB32));
    ASSERT_TRUE(widget->invoke(id::Picture, InvokeKind::PropertyPutRef, {Variant::fromObject(picture)}).ok());
    EXPECT_EQ(getProperty(*widget, id::Picture)->object(), picture);
    EXPECT_EQ(changes(), QStringList {QStringLiteral("changed v.Picture")});
    EXPECT_FALSE(widget->invoke(id::Caption, InvokeKind::PropertyPutRef, {lit(R"("x")")}).ok());

    const Result<Variant> counter = getProperty(*widget, id::Counter);
    for (InvokeKind kind : {InvokeKind::PropertyPut, InvokeKind::PropertyPutRef}) {
        const Result<Variant> r = widget->invoke(id::Counter, kind, {Variant::nothing()});
        ASSERT_TRUE(failsWith(r, errc::PropertyReadOnly));
        EXPECT_TRUE(r.error().message().contains(QStringLiteral("Counter")));
    }
    EXPECT_EQ(getProperty(*widget, id::Counter)->object(), counter->object());
    EXPECT_EQ(changes().size(), 1);
}

// The host hears of each change under the property's name and may refuse it; the refusal
// reaches the setter's caller.
TEST_F(Dispatch, AHostsRefusalReachesTheSettersCaller)
{
    host.refuse = QStringLiteral("caption");
    host.refusal = Error(383, QStringLiteral("Caption is locked on this form"));
    const Result<Variant> put = putProperty(*widget, id::Caption, lit(R"("Refused")"));
    ASSERT_TRUE(failsWith(put, 383));
    EXPECT_EQ(put.error().message(), QStringLiteral("Caption is locked on this form"));
    EXPECT_TRUE(putProperty(*widget, id::Count, Variant::fromI2(1)).ok());
    EXPECT_EQ(changes(), (QStringList {QStringLiteral("changed v.Caption"), QStringLiteral("changed v.Count")}));

    // Without a site, setters still work and nobody is told.
    widget->setSite(nullptr);
    ASSERT_TRUE(putProperty(*widget, id::Caption, lit(R"("alone")")).ok());
    EXPECT_EQ(outcome(getProperty(*widget, id::Caption)), QStringLiteral(R"(bstr:"alone")"));
    EXPECT_EQ(changes().size(), 2);
    // The control took the site's ambient font.
    EXPECT_EQ(outcome(getProperty(*widget, id::Font)), QStringLiteral(R"(font:"Tahoma" 8.25 400 -)"));
}

TEST_F(Dispatch, TheExtentIsInTwipsAndTheFaceGoesWithTheControl)
{
    // 15 twips a pixel at the offscreen screen's 96 DPI, for a face that exists and one made later.
    QPointer<QWidget> face = widget->widget();
    widget->setExtent(QSize(1110, 960));
    EXPECT_EQ(face->size(), QSize(74, 64));
    auto other = newWidget();
    other->setExtent(QSize(1500, 300));
    EXPECT_EQ(other->widget()->size(), QSize(100, 20));
    host.release(widget.get());
    widget.reset();
    EXPECT_TRUE(face.isNull());
}

// ---- Events ----

// A sink that logs each event it hears as "NAME Event(args)", checks who raised it, and then
// runs its action on the event's step arguments.
class Sink : public EventSink {
public:
    Sink(const char* name, QStringList& log, Object* raiser, std::function<void(std::span<Variant>)> onStep = {})
        : m_name(QString::fromLatin1(name)), m_log(log), m_raiser(raiser), m_onStep(std::move(onStep))
    {
    }
    void onEvent(Object& source, const MemberInfo& event, std::span<Variant> args) override
    {
        EXPECT_EQ(&source, m_raiser);
        QStringList texts;
        for (const Variant& v : args)
            texts << varianttext::format(v);
        m_log << QStringLiteral("%1 %2(%3)").arg(m_name, event.name, texts.join(u','));
        if (m_onStep && event.id == testwidget::event::Step)
            m_onStep(args);
    }

private:
    QString m_name;
    QStringList& m_log;
    Object* m_raiser;
    std::function<void(std::span<Variant>)> m_onStep;
};

class Events : public Dispatch {
protected:
    Result<Variant> raise(std::int32_t start)
    {
        QList<Variant> args {Variant::fromI4(start)};
        return call(id::Raise, args);
    }
    QStringList log;
};

// Sinks hear an event in the order they connected and share its arguments: what one assigns to
// a by-reference argument the next sees, and the raiser reads it back as it is.
TEST_F(Events, SinksShareTheArgumentsInTheOrderTheyConnected)
{
    const auto times10 = [](std::span<Variant> args) { args[0] = Variant::fromI4(args[0].i4() * 10); };
    Sink first("first", log, widget.get(), times10);
    Sink second("second", log, widget.get(), times10);
    widget->advise(&first);
    const int cookie = widget->advise(&second);
    EXPECT_EQ(outcome(raise(1)), QStringLiteral("i4:100"));
    EXPECT_EQ(log, (QStringList {QStringLiteral("first Step(i4:1)"), QStringLiteral("second Step(i4:10)"),
                                 QStringLiteral(R"(first Done(i4:100,bstr:"Widget"))"),
                                 QStringLiteral(R"(second Done(i4:100,bstr:"Widget"))")}));
    widget->unadvise(cookie);
    EXPECT_EQ(outcome(raise(7)), QStringLiteral("i4:70"));
    Sink text("text", log, widget.get(), [](std::span<Variant> args) { args[0] = lit(R"("not a number")"); });
    widget->advise(&text);
    EXPECT_TRUE(failsWith(raise(1), errc::TypeMismatch));
}

// The first sink leaves at its first event; the second removes the third before its turn.
TEST_F(Events, ASinkMayDisconnectDuringAnEvent)
{
    int firstCookie = 0;
    int thirdCookie = 0;
    Sink first("first", log, widget.get(), [&](std::span<Variant>) { widget->unadvise(firstCookie); });
    Sink second("second", log, widget.get(), [&](std::span<Variant>) { widget->unadvise(thirdCookie); });
    Sink third("third", log, widget.get());
    firstCookie = widget->advise(&first);
    widget->advise(&second);
    thirdCookie = widget->advise(&third);
    ASSERT_TRUE(raise(5).ok());
    EXPECT_EQ(log, (QStringList {QStringLiteral("first Step(i4:5)"), QStringLiteral("second Step(i4:5)"),
                                 QStringLiteral(R"(second Done(i4:5,bstr:"Widget"))")}));
}

} // namespace
