#include "scripthost.h"

#include "velloc/io/pathcodec.h"
#include "velloc/store/registry.h"
#include "velloc/core/units.h"
#include "velloc/store/varianttext.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <new>
#include <limits>

using namespace velloc;

// One script variable: the object, its site in the host, and its event handlers.
class ScriptHost::Binding final : public ControlSite, public EventSink {
public:
    Binding(ScriptHost& host, QString name, std::shared_ptr<Object> object)
        : m_host(host), m_name(std::move(name)), m_object(std::move(object))
    {
        if (m_object->eventInterface())
            m_cookie = m_object->advise(this);
        if (auto* control = dynamic_cast<Control*>(m_object.get()))
            control->setSite(this);
    }
    ~Binding() override { detach(); }

    void detach()
    {
        if (!m_object)
            return;
        if (m_cookie)
            m_object->unadvise(m_cookie);
        if (auto* control = dynamic_cast<Control*>(m_object.get()))
            control->setSite(nullptr);
        m_object.reset();
    }

    Result<void> propertyChanged(Control&, const QString& name) override
    {
        m_host.print(QStringLiteral("changed %1.%2").arg(m_name, name));
        return {};
    }
    std::shared_ptr<Font> ambientFont() override { return m_host.m_ambientFont; }
    bool userMode() const override { return true; }

    void onEvent(Object&, const MemberInfo& event, std::span<Variant> args) override
    {
        m_host.onEvent(*this, event, args);
    }

    Control* control() const { return dynamic_cast<Control*>(m_object.get()); }

    ScriptHost& m_host;
    QString m_name;
    std::shared_ptr<Object> m_object;
    int m_cookie = 0;
    QHash<QString, QList<Handler>> m_handlers; // by lower-case event name
};

ScriptHost::ScriptHost(QIODevice& out)
    : m_out(out)
    , m_ambientFont(Font::create())
{
    services::setResponder(this);
}

ScriptHost::~ScriptHost()
{
    for (auto& [name, b] : m_bindings)
        if (Control* c = b->control())
            c->terminate();
    m_bindings.clear();
    services::setResponder(nullptr);
}

// Text that holds a file name holds its bytes as they are (see pathcodec.h): they are written
// back as those bytes, so a name that is not UTF-8 comes out as the file system has it.
void ScriptHost::print(const QString& line)
{
    if (m_failure)
        return;
    m_out.write(encodePath(line + QLatin1Char('\n')));
}

int ScriptHost::messageBox(const QString& text, services::MsgIcon icon, services::MsgButtons buttons, const QString&)
{
    print(QStringLiteral("msgbox %1 %2 %3").arg(services::iconName(icon), services::buttonsName(buttons),
                                                  varianttext::quote(text)));
    return services::firstButton(buttons);
}

std::optional<QString> ScriptHost::openFileDialog(const services::FileDialogRequest& request)
{
    print(QStringLiteral("dialog open %1").arg(varianttext::quote(request.title)));
    if (!qEnvironmentVariableIsSet("COMPCALL_OPEN"))
        return std::nullopt;
    return decodePath(qgetenv("COMPCALL_OPEN"));
}

void ScriptHost::openDocument(const QString& text, const QUrl&)
{
    print(QStringLiteral("open %1").arg(varianttext::quote(text)));
}

void ScriptHost::sendKeys(const QString& keys)
{
    print(QStringLiteral("keys %1").arg(varianttext::quote(keys)));
}

void ScriptHost::showModal(QWidget* window, QWidget*)
{
    print(QStringLiteral("window %1").arg(varianttext::quote(window->windowTitle())));
    window->hide();
}

// A mistake in the script. Its number is never shown; the message is, with the line.
static Error mistake(const QString& message)
{
    return Error(errc::InvalidArgument, message);
}

static QString firstWord(QStringView& rest)
{
    rest = rest.trimmed();
    qsizetype end = 0;
    while (end < rest.size() && !rest[end].isSpace())
        ++end;
    const QString word = rest.left(end).toString();
    rest = rest.mid(end).trimmed();
    return word;
}

Result<ScriptHost::Binding*> ScriptHost::binding(const QString& name)
{
    auto it = m_bindings.find(name);
    if (it == m_bindings.end())
        return mistake(QStringLiteral("unknown variable %1").arg(name));
    return it->second.get();
}

Result<std::pair<ScriptHost::Binding*, QString>> ScriptHost::target(const QString& dotted)
{
    const qsizetype dot = dotted.indexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == dotted.size() - 1)
        return mistake(QStringLiteral("expected VAR.MEMBER, found %1").arg(dotted));
    return std::pair {VELLOC_TRY(binding(dotted.left(dot))), dotted.mid(dot + 1)};
}

Result<QList<Variant>> ScriptHost::values(QStringView text)
{
    QList<Variant> out;
    qsizetype pos = 0;
    auto resolve = [this](const QString& name) -> Result<Variant> {
        return Variant::fromObject(VELLOC_TRY(binding(name))->m_object);
    };
    while (true) {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
        if (pos >= text.size())
            return out;
        out.append(VELLOC_TRY(varianttext::parse(text, pos, varianttext::Literals::Script, resolve)));
    }
}

Result<Control*> ScriptHost::control(Binding& b, const char* purpose)
{
    if (Control* c = b.control())
        return c;
    return mistake(QStringLiteral("%1 is not a control and %2").arg(b.m_name, QLatin1String(purpose)));
}

void ScriptHost::report(const Result<Variant>& result, bool printValue)
{
    if (!result)
        print(QStringLiteral("error %1: %2").arg(result.error().number()).arg(result.error().message()));
    else if (printValue)
        print(varianttext::format(result.value()));
}

ScriptHost::Status ScriptHost::create(const QString& var, const QString& progId, const PropertyBag* bag)
{
    std::shared_ptr<Object> object = VELLOC_TRY(createObject(progId));
    if (auto it = m_bindings.find(var); it != m_bindings.end()) {
        if (Control* c = it->second->control())
            c->terminate();
        m_bindings.erase(it);
    }
    auto b = std::make_unique<Binding>(*this, var, std::move(object));
    Binding& ref = *b;
    m_bindings[var] = std::move(b);
    if (Control* c = ref.control()) {
        Result<void> r = bag ? c->readProperties(*bag) : c->initProperties();
        if (!r)
            report(r.releaseError(), false);
    }
    return {};
}

void ScriptHost::fail(const QString& message, int line)
{
    // The first mistake stops the script; whatever fails while the calls above it return is
    // only its consequence.
    if (!m_failure)
        m_failure = ScriptError {message, line};
}

void ScriptHost::onEvent(Binding& b, const MemberInfo& event, std::span<Variant> args)
{
    if (m_failure)
        return;
    QStringList shown;
    for (const Variant& a : args)
        shown << varianttext::format(a);
    print(QStringLiteral("event %1.%2(%3)").arg(b.m_name, event.name, shown.join(QStringLiteral(", "))));
    const QList<Handler> handlers = b.m_handlers.value(event.name.toLower());
    if (handlers.isEmpty())
        return;
    // A handler that raises its own event again would recurse until the stack runs out.
    if (m_eventArgs.size() >= MaxHandlerDepth) {
        fail(QStringLiteral("handlers nested more than %1 deep: the handler of %2.%3 keeps raising events")
                 .arg(MaxHandlerDepth)
                 .arg(b.m_name, event.name),
             handlers.first().line);
        return;
    }
    m_eventArgs.append(args);
    m_events.append(&event);
    // A failing handler's error names the handler's own line, not the call that raised the event.
    for (const Handler& h : handlers)
        if (!execute(h.statement, h.line))
            break;
    m_eventArgs.removeLast();
    m_events.removeLast();
}

// A left click as a person's hand delivers it: press, then release, at one point of `target`.
static void sendClick(QWidget* target, QPointF at)
{
    const QPointer<QWidget> guard(target);
    const QPointF global = target->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (!guard)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

struct ScriptHost::Statement {
    const char* keyword;
    Status (ScriptHost::*run)(QStringView rest, int line);
};

const ScriptHost::Statement ScriptHost::statements[] = {
    {"echo", &ScriptHost::echo},     {"new", &ScriptHost::newObject}, {"load", &ScriptHost::load},
    {"save", &ScriptHost::save},     {"bag", &ScriptHost::bag},       {"get", &ScriptHost::get},
    {"set", &ScriptHost::set},       {"setref", &ScriptHost::setref}, {"call", &ScriptHost::call},
    {"invoke", &ScriptHost::invoke}, {"on", &ScriptHost::on},         {"arg", &ScriptHost::arg},
    {"click", &ScriptHost::click},   {"release", &ScriptHost::release},
};

bool ScriptHost::execute(const QString& statement, int line)
{
    QStringView rest(statement);
    const QString keyword = firstWord(rest);
    const auto found = std::find_if(std::begin(statements), std::end(statements),
                                    [&](const Statement& s) { return keyword == QLatin1String(s.keyword); });
    if (found == std::end(statements)) {
        fail(QStringLiteral("unknown statement %1").arg(keyword), line);
        return false;
    }
    // A statement whose value cannot be held (a result of hundreds of megabytes, printed) is
    // reported like a control's error; the script goes on.
    Status status = [&]() -> Status {
        try {
            return (this->*found->run)(rest, line);
        } catch (const std::bad_alloc&) {
            report(Error(errc::OutOfMemory, QStringLiteral("Out of memory: the statement needed more memory than it could get")), false);
            return {};
        }
    }();
    if (!status)
        fail(status.error().message(), line);
    return !m_failure;
}

ScriptHost::Status ScriptHost::echo(QStringView rest, int)
{
    print(rest.toString());
    return {};
}

ScriptHost::Status ScriptHost::newObject(QStringView rest, int)
{
    const QString var = firstWord(rest);
    const QString progId = firstWord(rest);
    if (var.isEmpty() || progId.isEmpty() || !rest.isEmpty())
        return mistake(QStringLiteral("usage: new VAR PROGID"));
    return create(var, progId, nullptr);
}

ScriptHost::Status ScriptHost::load(QStringView rest, int)
{
    const QString var = firstWord(rest);
    const QString progId = firstWord(rest);
    const QString file = rest.toString();
    if (var.isEmpty() || progId.isEmpty() || file.isEmpty())
        return mistake(QStringLiteral("usage: load VAR PROGID BAGFILE"));
    const PropertyBag bag = VELLOC_TRY(PropertyBag::load(file));
    return create(var, progId, &bag);
}

ScriptHost::Status ScriptHost::save(QStringView rest, int)
{
    Binding* b = VELLOC_TRY(binding(firstWord(rest)));
    const QString file = rest.toString();
    if (file.isEmpty())
        return mistake(QStringLiteral("usage: save VAR BAGFILE"));
    Control* c = VELLOC_TRY(control(*b, "has no property bag"));
    PropertyBag bag;
    Result<void> written = c->writeProperties(bag);
    if (m_failure) // a handler of an event raised while writing failed: no bag is written
        return {};
    if (written)
        written = bag.save(file);
    if (!written)
        report(written.releaseError(), false);
    return {};
}

ScriptHost::Status ScriptHost::bag(QStringView rest, int)
{
    const PropertyBag bag = VELLOC_TRY(PropertyBag::load(rest.toString()));
    for (const PropertyBag::Entry& e : bag.entries())
        print(QStringLiteral("%1 = %2").arg(e.name, varianttext::format(e.value)));
    return {};
}

ScriptHost::Status ScriptHost::get(QStringView rest, int)
{
    return invokeByName(rest, InvokeKind::PropertyGet, "get");
}

ScriptHost::Status ScriptHost::set(QStringView rest, int)
{
    return invokeByName(rest, InvokeKind::PropertyPut, "set");
}

ScriptHost::Status ScriptHost::setref(QStringView rest, int)
{
    return invokeByName(rest, InvokeKind::PropertyPutRef, "setref");
}

ScriptHost::Status ScriptHost::call(QStringView rest, int)
{
    return invokeByName(rest, InvokeKind::Method, "call");
}

ScriptHost::Status ScriptHost::invokeByName(QStringView rest, InvokeKind kind, const char* keyword)
{
    const auto [b, member] = VELLOC_TRY(target(firstWord(rest)));
    const MemberInfo* info = b->m_object->dispatch().info().findAnyByName(member);
    if (!info)
        return mistake(QStringLiteral("%1 has no member %2").arg(b->m_object->className(), member));
    QList<Variant> args = VELLOC_TRY(values(rest));
    const bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    if (put && args.size() != 1)
        return mistake(QStringLiteral("%1 takes exactly one value").arg(QLatin1String(keyword)));
    invokeMember(*b, info->id, kind, args);
    return {};
}

ScriptHost::Status ScriptHost::invoke(QStringView rest, int)
{
    Binding* b = VELLOC_TRY(binding(firstWord(rest)));
    const QString idText = firstWord(rest);
    const QString kindText = firstWord(rest);
    // From the most negative 32-bit number to the largest unsigned one: a DISPID is both.
    const Result<qint64> id = varianttext::parseWholeNumber(idText, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::uint32_t>::max(), QStringLiteral("a DISPID"));
    if (!id)
        return mistake(QStringLiteral("%1 is not a DISPID").arg(idText));
    const DispId dispId = DispId(std::uint32_t(id.value()));
    static const QHash<QString, InvokeKind> kinds = {{QStringLiteral("method"), InvokeKind::Method},
                                                     {QStringLiteral("get"), InvokeKind::PropertyGet},
                                                     {QStringLiteral("put"), InvokeKind::PropertyPut},
                                                     {QStringLiteral("putref"), InvokeKind::PropertyPutRef}};
    if (!kinds.contains(kindText))
        return mistake(QStringLiteral("KIND must be method, get, put or putref, not %1").arg(kindText));
    if (!b->m_object->dispatch().info().findAny(dispId))
        return mistake(QStringLiteral("%1 has no member with DISPID %2").arg(b->m_object->className(), idText));
    QList<Variant> args = VELLOC_TRY(values(rest));
    invokeMember(*b, dispId, kinds.value(kindText), args);
    return {};
}

void ScriptHost::invokeMember(Binding& b, DispId id, InvokeKind kind, QList<Variant>& args)
{
    // The statement holds the object until its call returns: a handler may release or rebind
    // the variable meanwhile.
    const std::shared_ptr<Object> object = b.m_object;
    report(object->invoke(id, kind, std::span<Variant>(args.data(), args.size())),
           kind == InvokeKind::Method || kind == InvokeKind::PropertyGet);
}

ScriptHost::Status ScriptHost::on(QStringView rest, int line)
{
    const auto [b, event] = VELLOC_TRY(target(firstWord(rest)));
    const InterfaceInfo* events = b->m_object->eventInterface();
    const MemberInfo* info = events ? events->findAnyByName(event) : nullptr;
    if (!info)
        return mistake(QStringLiteral("%1 has no event %2").arg(b->m_object->className(), event));
    if (rest.isEmpty())
        return mistake(QStringLiteral("usage: on VAR.EVENT STATEMENT"));
    b->m_handlers[info->name.toLower()].append(Handler {line, rest.toString()});
    return {};
}

ScriptHost::Status ScriptHost::arg(QStringView rest, int)
{
    if (m_eventArgs.isEmpty())
        return mistake(QStringLiteral("arg is only allowed inside an on handler"));
    bool ok = false;
    const int n = firstWord(rest).toInt(&ok);
    std::span<Variant> args = m_eventArgs.last();
    if (!ok || n < 1 || std::size_t(n) > args.size())
        return mistake(QStringLiteral("the event %1 has no argument %2").arg(m_events.last()->name).arg(n));
    const QList<Variant> v = VELLOC_TRY(values(rest));
    if (v.size() != 1)
        return mistake(QStringLiteral("usage: arg N VALUE"));
    Result<Variant> converted = v[0].convertTo(m_events.last()->params[n - 1].type.vt);
    if (converted)
        args[n - 1] = converted.value();
    else
        report(converted.releaseError(), false);
    return {};
}

// click VAR [X Y]: a left click on the control's face at X, Y twips, received by the part of
// the face under that point; without a point, in the middle of its first part.
ScriptHost::Status ScriptHost::click(QStringView rest, int)
{
    Binding* b = VELLOC_TRY(binding(firstWord(rest)));
    const std::shared_ptr<Object> object = b->m_object;
    Control* c = VELLOC_TRY(control(*b, "cannot be clicked"));
    const QList<Variant> point = VELLOC_TRY(values(rest));
    QWidget* face = c->widget();
    QWidget* target = face;
    QPointF at;
    if (point.isEmpty()) {
        for (QWidget* part : face->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!part->isHidden()) {
                target = part;
                break;
            }
        at = QRectF(target->rect()).center();
    } else if (point.size() == 2 && point[0].toI4() && point[1].toI4()) {
        const QPoint pixel(units::toPixelsX(*point[0].toI4()), units::toPixelsY(*point[1].toI4()));
        if (QWidget* part = face->childAt(pixel))
            target = part;
        at = target->mapFrom(face, QPointF(pixel));
    } else {
        return mistake(QStringLiteral("usage: click VAR [X Y]"));
    }
    sendClick(target, at);
    return {};
}

ScriptHost::Status ScriptHost::release(QStringView rest, int)
{
    const QString var = firstWord(rest);
    Binding* b = VELLOC_TRY(binding(var));
    if (Control* c = b->control())
        c->terminate();
    m_bindings.erase(var);
    return {};
}

int ScriptHost::run(const QString& script, QIODevice& err)
{
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (!execute(trimmed, n + 1)) {
            err.write(encodePath(QStringLiteral("compcall: line %1: %2\n").arg(m_failure->line).arg(m_failure->message)));
            m_failure.reset();
            return 2;
        }
    }
    return 0;
}
