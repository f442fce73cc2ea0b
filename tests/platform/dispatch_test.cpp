#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/picture.h"

using namespace platform;
using namespace testsupport;
namespace id = testwidget::id;

namespace {

Variant str(const char* s)
{
    return Variant::fromString(QString::fromUtf8(s));
}

class Dispatch : public ::testing::Test {
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

TEST_F(Dispatch, NamesMatchWithoutRegardToCase)
{
    for (const char16_t* name : {u"Caption", u"caption", u"CAPTION", u"cApTiOn"})
        EXPECT_EQ(widget->idOfName(name), id::Caption);
    EXPECT_EQ(widget->idOfName(u"decorate"), id::Decorate);
    EXPECT_EQ(widget->idOfName(u"FONT"), id::Font);
    EXPECT_EQ(widget->idOfName(u"aboutbox"), id::AboutBox);
    EXPECT_FALSE(widget->idOfName(u"Captions").has_value());
    EXPECT_FALSE(widget->idOfName(u"").has_value());
    // Events are not members of the default interface.
    EXPECT_FALSE(widget->idOfName(u"Step").has_value());
}

TEST_F(Dispatch, InvokesByTheIdItsNameGives)
{
    ASSERT_TRUE(putProperty(*widget, *widget->idOfName(u"COUNT"), Variant::fromI2(294)).ok());
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Count).value(), Variant::fromI2(294)));
    EXPECT_TRUE(sameVariant(getProperty(*widget, *widget->idOfName(u"count")).value(), Variant::fromI2(294)));
}

struct Assignment {
    const char* label;
    DispId member;
    Variant value;
    std::optional<Variant> readBack; // nothing: refused, with `error`
    int error = 0;
};

void PrintTo(const Assignment& a, std::ostream* os)
{
    *os << a.label;
}

Assignment accepted(const char* label, DispId member, Variant value, Variant readBack)
{
    return Assignment {label, member, std::move(value), std::move(readBack), 0};
}
Assignment refused(const char* label, DispId member, Variant value, int error)
{
    return Assignment {label, member, std::move(value), std::nullopt, error};
}

class DispatchAssignment : public Dispatch, public ::testing::WithParamInterface<Assignment> {};

// Arguments are coerced to the declared type before the setter runs; a refused value leaves the
// old one and tells the host nothing.
TEST_P(DispatchAssignment, CoercesToTheDeclaredType)
{
    const Assignment& a = GetParam();
    const Variant before = getProperty(*widget, a.member).value();
    const Result<Variant> put = putProperty(*widget, a.member, a.value);
    if (a.readBack) {
        ASSERT_TRUE(put.ok()) << put.error().message().toStdString();
        EXPECT_TRUE(sameVariant(getProperty(*widget, a.member).value(), *a.readBack));
        EXPECT_EQ(site.changes.size(), 1);
    } else {
        EXPECT_TRUE(failsWith(put, a.error));
        EXPECT_TRUE(sameVariant(getProperty(*widget, a.member).value(), before));
        EXPECT_TRUE(site.changes.isEmpty()) << site.changes.join(u',').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Properties, DispatchAssignment,
    ::testing::Values(accepted("i2 from i4", id::Count, Variant::fromI4(-32768), Variant::fromI2(-32768)),
                      accepted("i2 from \"2.5\"", id::Count, str("2.5"), Variant::fromI2(2)),
                      accepted("i2 from \"3.5\"", id::Count, str("3.5"), Variant::fromI2(4)),
                      accepted("i2 from true", id::Count, Variant::fromBool(true), Variant::fromI2(-1)),
                      accepted("i2 from empty", id::Count, Variant(), Variant::fromI2(0)),
                      refused("i2 from 70000", id::Count, Variant::fromI4(70000), errc::Overflow),
                      refused("i2 from \"abc\"", id::Count, str("abc"), errc::TypeMismatch),
                      refused("i2 from null", id::Count, Variant::null(), errc::InvalidUseOfNull),
                      accepted("8-bit level 200", id::Level, Variant::fromI4(200), Variant::fromI4(200)),
                      accepted("8-bit level 255", id::Level, Variant::fromI2(255), Variant::fromI4(255)),
                      accepted("8-bit level from \"9\"", id::Level, str("9"), Variant::fromI4(9)),
                      refused("8-bit level 256", id::Level, Variant::fromI4(256), errc::Overflow),
                      refused("8-bit level -1", id::Level, Variant::fromI4(-1), errc::Overflow),
                      refused("8-bit level beyond 32 bits", id::Level, Variant::fromR8(3e9), errc::Overflow),
                      accepted("bool from \"false\"", id::Enabled, str("false"), Variant::fromBool(false)),
                      accepted("bool from 0", id::Enabled, Variant::fromI2(0), Variant::fromBool(false)),
                      refused("bool from \"maybe\"", id::Enabled, str("maybe"), errc::TypeMismatch),
                      accepted("string from a number", id::Caption, Variant::fromI4(-5), str("-5")),
                      accepted("string from true", id::Caption, Variant::fromBool(true), str("True")),
                      accepted("string from empty", id::Caption, Variant(), str(""))));

TEST_F(Dispatch, WrongArgumentCountIsError450)
{
    QList<Variant> none;
    QList<Variant> two {str("a"), str("b")};
    const Result<Variant> noArgs = callMethod(*widget, id::Decorate, none);
    ASSERT_TRUE(failsWith(noArgs, errc::WrongArgumentCount));
    EXPECT_TRUE(noArgs.error().message().contains(QStringLiteral("Decorate")));
    EXPECT_TRUE(failsWith(callMethod(*widget, id::Decorate, two), errc::WrongArgumentCount));
    EXPECT_TRUE(failsWith(widget->invoke(id::Caption, InvokeKind::PropertyGet, {str("x")}), errc::WrongArgumentCount));
    EXPECT_TRUE(failsWith(widget->invoke(id::Caption, InvokeKind::PropertyPut, {}), errc::WrongArgumentCount));
    EXPECT_TRUE(failsWith(widget->invoke(id::Caption, InvokeKind::PropertyPut, {str("a"), str("b")}),
                          errc::WrongArgumentCount));
    EXPECT_TRUE(site.changes.isEmpty());
}

TEST_F(Dispatch, UnknownIdIsError438ForEveryKind)
{
    for (InvokeKind kind : {InvokeKind::Method, InvokeKind::PropertyGet, InvokeKind::PropertyPut, InvokeKind::PropertyPutRef}) {
        const Result<Variant> r = widget->invoke(0x12345, kind, {Variant::fromI4(1)});
        ASSERT_TRUE(failsWith(r, errc::NotSupported));
        EXPECT_TRUE(r.error().message().contains(QStringLiteral("74565"))) << r.error().message().toStdString();
    }
    // An event's DISPID is no member of the default interface.
    EXPECT_TRUE(failsWith(widget->invoke(testwidget::event::Done, InvokeKind::Method, {}), errc::NotSupported));
}

TEST_F(Dispatch, ArgumentOfTheWrongTypeIsError13)
{
    QList<Variant> args {str("twelve")};
    EXPECT_TRUE(failsWith(callMethod(*widget, id::Raise, args), errc::TypeMismatch));
    // An object without a default member has no number to give.
    QList<Variant> object {Variant::fromObject(std::make_shared<CommonDialog>())};
    EXPECT_TRUE(failsWith(callMethod(*widget, id::Raise, object), errc::TypeMismatch));
    // One with a default member gives its value.
    QList<Variant> counter {Variant::fromObject(createFromTestModule(testwidget::CounterClsid))};
    EXPECT_TRUE(sameVariant(callMethod(*widget, id::Raise, counter).value(), Variant::fromI4(0)));
}

TEST_F(Dispatch, ByReferenceArgumentsReachTheCaller)
{
    QList<Variant> args {str("abc")};
    const Result<Variant> r = callMethod(*widget, id::Decorate, args);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(sameVariant(r.value(), Variant::fromI4(5)));
    EXPECT_TRUE(sameVariant(args[0], str("<abc>")));

    // Coerced to the declared type on the way in, the caller's variable holds what the method left.
    QList<Variant> number {Variant::fromI4(42)};
    ASSERT_TRUE(callMethod(*widget, id::Decorate, number).ok());
    EXPECT_TRUE(sameVariant(number[0], str("<42>")));
}

TEST_F(Dispatch, ByValueArgumentsLeaveTheCallersVariablesAlone)
{
    QList<Variant> args {str("3")};
    const Result<Variant> r = callMethod(*widget, id::Raise, args);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(sameVariant(r.value(), Variant::fromI4(3)));
    EXPECT_TRUE(sameVariant(args[0], str("3")));

    QList<Variant> count {Variant::fromR8(7.5)};
    ASSERT_TRUE(widget->invoke(id::Count, InvokeKind::PropertyPut, std::span<Variant>(count.data(), count.size())).ok());
    EXPECT_TRUE(sameVariant(count[0], Variant::fromR8(7.5)));
    EXPECT_TRUE(sameVariant(getProperty(*widget, id::Count).value(), Variant::fromI2(8)));
}

TEST_F(Dispatch, ObjectPropertiesAreAssignedByReference)
{
    QImage image(2, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    auto picture = Picture::create(image);
    ASSERT_TRUE(putRefProperty(*widget, id::Picture, Variant::fromObject(picture)).ok());
    EXPECT_EQ(getProperty(*widget, id::Picture)->object(), picture); // the same object, not a copy
    EXPECT_EQ(site.changes, QStringList {QStringLiteral("Picture")});

    // By value it cannot be assigned; the picture stays.
    const Result<Variant> byValue = putProperty(*widget, id::Picture, Variant::fromObject(Picture::create()));
    EXPECT_FALSE(byValue.ok());
    EXPECT_EQ(getProperty(*widget, id::Picture)->object(), picture);

    // Nothing clears it to no picture.
    ASSERT_TRUE(putRefProperty(*widget, id::Picture, Variant::nothing()).ok());
    auto cleared = getProperty(*widget, id::Picture)->objectAs<Picture>();
    ASSERT_TRUE(cleared);
    EXPECT_TRUE(cleared->isEmpty());
    EXPECT_EQ(cleared->handle(), 0u);

    // A number is no object.
    EXPECT_TRUE(failsWith(putRefProperty(*widget, id::Picture, Variant::fromI4(1)), errc::ObjectRequired));
    // Plain properties cannot be assigned by reference.
    EXPECT_FALSE(putRefProperty(*widget, id::Caption, str("x")).ok());
}

TEST_F(Dispatch, AReadOnlyPropertyRefusesAssignment)
{
    const Result<Variant> counter = getProperty(*widget, id::Counter);
    ASSERT_TRUE(counter.ok());
    for (InvokeKind kind : {InvokeKind::PropertyPut, InvokeKind::PropertyPutRef}) {
        const Result<Variant> r = widget->invoke(id::Counter, kind, {Variant::nothing()});
        ASSERT_TRUE(failsWith(r, errc::PropertyReadOnly));
        EXPECT_TRUE(r.error().message().contains(QStringLiteral("Counter")));
    }
    EXPECT_EQ(getProperty(*widget, id::Counter)->object(), counter->object());
    EXPECT_TRUE(site.changes.isEmpty());
}

TEST_F(Dispatch, LateBoundCallersMayMixMethodAndPropertyGet)
{
    // A method call naming a property reads it; reading a method without parameters calls it.
    QList<Variant> none;
    EXPECT_TRUE(sameVariant(callMethod(*widget, id::Caption, none).value(), str("Widget")));
    auto counter = createFromTestModule(testwidget::CounterClsid);
    ASSERT_TRUE(counter);
    EXPECT_TRUE(sameVariant(getProperty(*counter, testwidget::counterid::Increment).value(), Variant::fromI4(1)));
    EXPECT_TRUE(sameVariant(getProperty(*counter, testwidget::counterid::Value).value(), Variant::fromI4(1)));
    // A method with parameters is no property.
    EXPECT_TRUE(failsWith(getProperty(*widget, id::Decorate), errc::PropertyWriteOnly));
}

// ---- Events ----

struct Recorded {
    QString sink;
    QString event;
    QList<Variant> args;
};

class Sink : public EventSink {
public:
    Sink(QString name, QList<Recorded>& log) : m_name(std::move(name)), m_log(log) {}
    void onEvent(Object& source, const MemberInfo& event, std::span<Variant> args) override
    {
        EXPECT_EQ(&source, raiser);
        m_log.append(Recorded {m_name, event.name, QList<Variant>(args.begin(), args.end())});
        if (action)
            action(event, args);
    }
    std::function<void(const MemberInfo&, std::span<Variant>)> action;
    Object* raiser = nullptr;

private:
    QString m_name;
    QList<Recorded>& m_log;
};

class Events : public Dispatch {
protected:
    Result<Variant> raise(std::int32_t start)
    {
        QList<Variant> args {Variant::fromI4(start)};
        return callMethod(*widget, id::Raise, args);
    }
    QStringList sequence() const
    {
        QStringList out;
        for (const Recorded& r : log) {
            QStringList args;
            for (const Variant& v : r.args)
                args << varianttext::format(v);
            out << QStringLiteral("%1 %2(%3)").arg(r.sink, r.event, args.join(u','));
        }
        return out;
    }
    QList<Recorded> log;
};

TEST_F(Events, AnAssignmentToAByReferenceArgumentReachesTheRaiser)
{
    Sink sink(QStringLiteral("a"), log);
    sink.raiser = widget.get();
    sink.action = [](const MemberInfo& event, std::span<Variant> args) {
        if (event.id == testwidget::event::Step)
            args[0] = Variant::fromI4(args[0].i4() * 10);
    };
    const int cookie = widget->advise(&sink);
    EXPECT_TRUE(sameVariant(raise(7).value(), Variant::fromI4(70)));
    EXPECT_EQ(sequence(), (QStringList {QStringLiteral("a Step(i4:7)"), QStringLiteral("a Done(i4:70,bstr:\"Widget\")")}));
    widget->unadvise(cookie);
    EXPECT_TRUE(sameVariant(raise(7).value(), Variant::fromI4(7)));
}

TEST_F(Events, SinksShareTheArgumentsInTheOrderTheyConnected)
{
    Sink first(QStringLiteral("first"), log);
    Sink second(QStringLiteral("second"), log);
    first.raiser = second.raiser = widget.get();
    first.action = [](const MemberInfo& event, std::span<Variant> args) {
        if (event.id == testwidget::event::Step)
            args[0] = Variant::fromI4(args[0].i4() + 1);
    };
    second.action = first.action;
    widget->advise(&first);
    widget->advise(&second);
    EXPECT_TRUE(sameVariant(raise(1).value(), Variant::fromI4(3)));
    EXPECT_EQ(sequence(), (QStringList {QStringLiteral("first Step(i4:1)"), QStringLiteral("second Step(i4:2)"),
                                        QStringLiteral("first Done(i4:3,bstr:\"Widget\")"),
                                        QStringLiteral("second Done(i4:3,bstr:\"Widget\")")}));
}

TEST_F(Events, ASinkMayDisconnectDuringAnEvent)
{
    Sink first(QStringLiteral("first"), log);
    Sink second(QStringLiteral("second"), log);
    Sink third(QStringLiteral("third"), log);
    first.raiser = second.raiser = third.raiser = widget.get();
    const int firstCookie = widget->advise(&first);
    widget->advise(&second);
    const int thirdCookie = widget->advise(&third);
    // The first leaves at its first event; the second removes the third before its turn.
    first.action = [&](const MemberInfo&, std::span<Variant>) { widget->unadvise(firstCookie); };
    second.action = [&](const MemberInfo&, std::span<Variant>) { widget->unadvise(thirdCookie); };
    ASSERT_TRUE(raise(5).ok());
    EXPECT_EQ(sequence(), (QStringList {QStringLiteral("first Step(i4:5)"), QStringLiteral("second Step(i4:5)"),
                                        QStringLiteral("second Done(i4:5,bstr:\"Widget\")")}));
}

TEST_F(Events, AnAssignmentOfAnotherTypeReachesTheRaiserAsItIs)
{
    Sink sink(QStringLiteral("a"), log);
    sink.raiser = widget.get();
    sink.action = [](const MemberInfo& event, std::span<Variant> args) {
        if (event.id == testwidget::event::Step)
            args[0] = Variant::fromString(QStringLiteral("not a number"));
    };
    widget->advise(&sink);
    EXPECT_TRUE(failsWith(raise(1), errc::TypeMismatch));
}

} // namespace
