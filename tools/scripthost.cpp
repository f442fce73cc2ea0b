#include "scripthost.h"

#include "platform/pathcodec.h"
#include "platform/registry.h"
#include "platform/units.h"
#include "platform/varianttext.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

using namespace platform;

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

ScriptHost::Binding& ScriptHost::binding(const QString& name)
{
    auto it = m_bindings.find(name);
    if (it == m_bindings.end())
        throw ScriptError {QStringLiteral("unknown variable %1").arg(name)};
    return *it->second;
}

std::pair<ScriptHost::Binding*, QString> ScriptHost::target(const QString& dotted)
{
    const qsizetype dot = dotted.indexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == dotted.size() - 1)
        throw ScriptError {QStringLiteral("expected VAR.MEMBER, found %1").arg(dotted)};
    return {&binding(dotted.left(dot)), dotted.mid(dot + 1)};
}

QList<Variant> ScriptHost::values(QStringView text)
{
    QList<Variant> out;
    qsizetype pos = 0;
    auto resolve = [this](const QString& name) -> Result<Variant> {
        return Variant::fromObject(binding(name).m_object);
    };
    while (true) {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
        if (pos >= text.size())
            return out;
        Result<Variant> v = varianttext::parseScript(text, pos, resolve);
        if (!v)
            throw ScriptError {v.error().message()};
        out.append(v.value());
    }
}

void ScriptHost::report(const Result<Variant>& result, bool printValue)
{
    if (!result)
        print(QStringLiteral("error %1: %2").arg(result.error().number()).arg(result.error().message()));
    else if (printValue)
        print(varianttext::format(result.value()));
}

void ScriptHost::create(const QString& var, const QString& progId, const PropertyBag* bag)
{
    Result<std::shared_ptr<Object>> object = createObject(progId);
    if (!object)
        throw ScriptError {object.error().message()};
    if (auto it = m_bindings.find(var); it != m_bindings.end()) {
        if (Control* c = it->second->control())
            c->terminate();
        m_bindings.erase(it);
    }
    auto b = std::make_unique<Binding>(*this, var, object.value());
    Binding& ref = *b;
    m_bindings[var] = std::move(b);
    if (Control* c = ref.control()) {
        Result<void> r = bag ? c->readProperties(*bag) : c->initProperties();
        if (!r)
            print(QStringLiteral("error %1: %2").arg(r.error().number()).arg(r.error().message()));
    }
}

void ScriptHost::onEvent(Binding& b, const MemberInfo& event, std::span<Variant> args)
{
    QStringList shown;
    for (const Variant& a : args)
        shown << varianttext::format(a);
    print(QStringLiteral("event %1.%2(%3)").arg(b.m_name, event.name, shown.join(QStringLiteral(", "))));
    const QList<Handler> handlers = b.m_handlers.value(event.name.toLower());
    if (handlers.isEmpty())
        return;
    // A handler that raises its own event again would recurse until the stack runs out.
    if (m_eventArgs.size() >= MaxHandlerDepth)
        throw ScriptError {QStringLiteral("handlers nested more than %1 deep: the handler of %2.%3 keeps raising events")
                               .arg(MaxHandlerDepth)
                               .arg(b.m_name, event.name),
                           handlers.first().line};
    m_eventArgs.append(args);
    m_events.append(&event);
    for (const Handler& h : handlers) {
        try {
            execute(h.statement, h.line);
        } catch (ScriptError& e) {
            // The mistake is in the handler's own line, not in the call that raised the event.
            if (e.line == 0)
                e.line = h.line;
            m_eventArgs.removeLast();
            m_events.removeLast();
            throw;
        }
    }
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

void ScriptHost::execute(const QString& statement, int line)
{
    QStringView rest(statement);
    const QString keyword = firstWord(rest);

    if (keyword == QLatin1String("echo")) {
        print(rest.toString());
    } else if (keyword == QLatin1String("new")) {
        const QString var = firstWord(rest);
        const QString progId = firstWord(rest);
        if (var.isEmpty() || progId.isEmpty() || !rest.isEmpty())
            throw ScriptError {QStringLiteral("usage: new VAR PROGID")};
        create(var, progId, nullptr);
    } else if (keyword == QLatin1String("load")) {
        const QString var = firstWord(rest);
        const QString progId = firstWord(rest);
        const QString file = rest.toString();
        if (var.isEmpty() || progId.isEmpty() || file.isEmpty())
            throw ScriptError {QStringLiteral("usage: load VAR PROGID BAGFILE")};
        Result<PropertyBag> bag = PropertyBag::load(file);
        if (!bag)
            throw ScriptError {bag.error().message()};
        create(var, progId, &bag.value());
    } else if (keyword == QLatin1String("save")) {
        Binding& b = binding(firstWord(rest));
        const QString file = rest.toString();
        if (file.isEmpty())
            throw ScriptError {QStringLiteral("usage: save VAR BAGFILE")};
        Control* c = b.control();
        if (!c)
            throw ScriptError {QStringLiteral("%1 is not a control and has no property bag").arg(b.m_name)};
        PropertyBag bag;
        Result<void> r = c->writeProperties(bag);
        if (!r) {
            report(r.releaseError(), false);
            return;
        }
        Result<void> saved = bag.save(file);
        if (!saved)
            report(saved.releaseError(), false);
    } else if (keyword == QLatin1String("bag")) {
        Result<PropertyBag> bag = PropertyBag::load(rest.toString());
        if (!bag)
            throw ScriptError {bag.error().message()};
        for (const PropertyBag::Entry& e : bag->entries())
            print(QStringLiteral("%1 = %2").arg(e.name, varianttext::format(e.value)));
    } else if (keyword == QLatin1String("get") || keyword == QLatin1String("set") || keyword == QLatin1String("setref")
               || keyword == QLatin1String("call")) {
        auto [b, member] = target(firstWord(rest));
        // The statement holds the object until its call returns: a handler may release or
        // rebind the variable meanwhile.
        const std::shared_ptr<Object> object = b->m_object;
        const InterfaceInfo& itf = object->dispatch().info();
        const MemberInfo* info = itf.findAnyByName(member);
        if (!info)
            throw ScriptError {QStringLiteral("%1 has no member %2").arg(b->m_object->className(), member)};
        QList<Variant> args = values(rest);
        InvokeKind kind = InvokeKind::Method;
        if (keyword == QLatin1String("get"))
            kind = InvokeKind::PropertyGet;
        else if (keyword == QLatin1String("set"))
            kind = InvokeKind::PropertyPut;
        else if (keyword == QLatin1String("setref"))
            kind = InvokeKind::PropertyPutRef;
        if ((kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef) && args.size() != 1)
            throw ScriptError {QStringLiteral("%1 takes exactly one value").arg(keyword)};
        report(object->invoke(info->id, kind, std::span<Variant>(args.data(), args.size())),
               kind == InvokeKind::Method || kind == InvokeKind::PropertyGet);
    } else if (keyword == QLatin1String("invoke")) {
        Binding& b = binding(firstWord(rest));
        const std::shared_ptr<Object> object = b.m_object;
        const QString idText = firstWord(rest);
        const QString kindText = firstWord(rest);
        // Decimal or 0x hexadecimal, either one negative; a leading zero does not mean octal.
        const bool negative = idText.startsWith(QLatin1Char('-'));
        const QString magnitude = negative ? idText.mid(1) : idText;
        const bool hex = magnitude.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        bool ok = false;
        qlonglong id = hex ? magnitude.mid(2).toLongLong(&ok, 16) : magnitude.toLongLong(&ok, 10);
        ok = ok && !magnitude.startsWith(QLatin1Char('-')) && !magnitude.startsWith(QLatin1Char('+'));
        if (negative)
            id = -id;
        if (!ok || id < std::numeric_limits<std::int32_t>::min() || id > std::numeric_limits<std::uint32_t>::max())
            throw ScriptError {QStringLiteral("%1 is not a DISPID").arg(idText)};
        const DispId dispId = DispId(std::uint32_t(id));
        static const QHash<QString, InvokeKind> kinds = {{QStringLiteral("method"), InvokeKind::Method},
                                                         {QStringLiteral("get"), InvokeKind::PropertyGet},
                                                         {QStringLiteral("put"), InvokeKind::PropertyPut},
                                                         {QStringLiteral("putref"), InvokeKind::PropertyPutRef}};
        if (!kinds.contains(kindText))
            throw ScriptError {QStringLiteral("KIND must be method, get, put or putref, not %1").arg(kindText)};
        if (!b.m_object->dispatch().info().findAny(dispId))
            throw ScriptError {QStringLiteral("%1 has no member with DISPID %2").arg(b.m_object->className(), idText)};
        QList<Variant> args = values(rest);
        const InvokeKind kind = kinds.value(kindText);
        report(object->invoke(dispId, kind, std::span<Variant>(args.data(), args.size())),
               kind == InvokeKind::Method || kind == InvokeKind::PropertyGet);
    } else if (keyword == QLatin1String("on")) {
        auto [b, event] = target(firstWord(rest));
        const InterfaceInfo* events = b->m_object->eventInterface();
        const MemberInfo* info = events ? events->findAnyByName(event) : nullptr;
        if (!info)
            throw ScriptError {QStringLiteral("%1 has no event %2").arg(b->m_object->className(), event)};
        if (rest.isEmpty())
            throw ScriptError {QStringLiteral("usage: on VAR.EVENT STATEMENT")};
        b->m_handlers[info->name.toLower()].append(Handler {line, rest.toString()});
    } else if (keyword == QLatin1String("arg")) {
        if (m_eventArgs.isEmpty())
            throw ScriptError {QStringLiteral("arg is only allowed inside an on handler")};
        bool ok = false;
        const int n = firstWord(rest).toInt(&ok);
        std::span<Variant> args = m_eventArgs.last();
        if (!ok || n < 1 || std::size_t(n) > args.size())
            throw ScriptError {QStringLiteral("the event %1 has no argument %2").arg(m_events.last()->name).arg(n)};
        const QList<Variant> v = values(rest);
        if (v.size() != 1)
            throw ScriptError {QStringLiteral("usage: arg N VALUE")};
        Result<Variant> converted = v[0].convertTo(m_events.last()->params[n - 1].type.vt);
        if (converted)
            args[n - 1] = converted.value();
        else
            report(converted.releaseError(), false);
    } else if (keyword == QLatin1String("click")) {
        // click VAR [X Y]: a left click on the control's face at X, Y twips, received by the
        // part of the face under that point; without a point, in the middle of its first part.
        Binding& b = binding(firstWord(rest));
        const std::shared_ptr<Object> object = b.m_object;
        Control* c = b.control();
        if (!c)
            throw ScriptError {QStringLiteral("%1 is not a control and cannot be clicked").arg(b.m_name)};
        const QList<Variant> point = values(rest);
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
            throw ScriptError {QStringLiteral("usage: click VAR [X Y]")};
        }
        sendClick(target, at);
    } else if (keyword == QLatin1String("release")) {
        const QString var = firstWord(rest);
        Binding& b = binding(var);
        if (Control* c = b.control())
            c->terminate();
        m_bindings.erase(var);
    } else {
        throw ScriptError {QStringLiteral("unknown statement %1").arg(keyword)};
    }
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
        try {
            execute(trimmed, n + 1);
        } catch (const ScriptError& e) {
            err.write(encodePath(QStringLiteral("compcall: line %1: %2\n").arg(e.line ? e.line : n + 1).arg(e.message)));
            return 2;
        }
    }
    return 0;
}
