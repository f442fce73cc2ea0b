#include "velloc/core/object.h"

namespace velloc {

static MemberKind memberKindFor(InvokeKind kind)
{
    switch (kind) {
    case InvokeKind::Method: return MemberKind::Method;
    case InvokeKind::PropertyGet: return MemberKind::PropertyGet;
    case InvokeKind::PropertyPut: return MemberKind::PropertyPut;
    case InvokeKind::PropertyPutRef: return MemberKind::PropertyPutRef;
    }
    return MemberKind::Method;
}

DispatchTable::DispatchTable(InterfaceInfo header)
    : m_info(std::move(header))
{
}

DispatchTable& DispatchTable::add(MemberInfo member, Handler handler)
{
    m_info.members.append(std::move(member));
    m_handlers.append(std::move(handler));
    return *this;
}

Result<Variant> DispatchTable::invoke(Object& self, DispId id, InvokeKind kind, std::span<Variant> args) const
{
    const MemberKind wanted = memberKindFor(kind);
    qsizetype index = -1;
    bool idKnown = false;
    for (qsizetype i = 0; i < m_info.members.size(); ++i) {
        const MemberInfo& m = m_info.members[i];
        if (m.id != id)
            continue;
        idKnown = true;
        if (m.kind == wanted) {
            index = i;
            break;
        }
        // A host reading a value may name a method that takes no arguments, and a method
        // call may name a property get, as late-bound callers do.
        if ((wanted == MemberKind::Method && m.kind == MemberKind::PropertyGet)
            || (wanted == MemberKind::PropertyGet && m.kind == MemberKind::Method && m.params.isEmpty()))
            index = i;
    }
    if (index < 0) {
        if (!idKnown)
            return Error(errc::NotSupported, QStringLiteral("%1 has no member with DISPID %2")
                                                 .arg(m_info.name, QString::number(id)));
        const QString name = m_info.findAny(id)->name;
        if (wanted == MemberKind::PropertyPut || wanted == MemberKind::PropertyPutRef)
            return Error(errc::PropertyReadOnly,
                         QStringLiteral("%1 cannot be assigned %2").arg(name, wanted == MemberKind::PropertyPut
                                                                                  ? QStringLiteral("by value")
                                                                                  : QStringLiteral("by reference")));
        if (wanted == MemberKind::PropertyGet)
            return Error(errc::PropertyWriteOnly, QStringLiteral("%1 cannot be read").arg(name));
        return Error(errc::NotSupported, QStringLiteral("%1 is not a method").arg(name));
    }
    const MemberInfo& member = m_info.members[index];
    if (args.size() != std::size_t(member.params.size()))
        return Error(errc::WrongArgumentCount,
                     QStringLiteral("%1 takes %2 argument(s), %3 given")
                         .arg(member.name)
                         .arg(member.params.size())
                         .arg(args.size()));
    // The handler works on coerced copies; only by-reference parameters reach the caller's
    // variables again.
    QList<Variant> coerced(args.begin(), args.end());
    for (qsizetype i = 0; i < member.params.size(); ++i) {
        const VarType vt = member.params[i].type.vt;
        if (vt == VarType::Variant || coerced[i].type() == vt)
            continue;
        Result<Variant> converted = coerced[i].convertTo(vt);
        if (!converted)
            return converted.releaseError();
        coerced[i] = std::move(converted.value());
    }
    Result<Variant> result = m_handlers[index](self, std::span<Variant>(coerced.data(), coerced.size()));
    for (qsizetype i = 0; i < member.params.size(); ++i)
        if (member.params[i].byRef)
            args[i] = std::move(coerced[i]);
    return result;
}

Result<void> DispatchTable::notifyChanged(Object& self, const QString& name)
{
    return self.propertyChanged(name);
}

Object::~Object() = default;

Result<void> Object::putProperty(DispId id, Variant value)
{
    const InvokeKind kind = dispatch().info().find(id, MemberKind::PropertyPut) ? InvokeKind::PropertyPut
                                                                                : InvokeKind::PropertyPutRef;
    VELLOC_TRY_VOID(invoke(id, kind, std::span<Variant>(&value, 1)));
    return {};
}

Result<Variant> Object::invoke(DispId id, InvokeKind kind, std::span<Variant> args)
{
    return dispatch().invoke(*this, id, kind, args);
}

Result<Variant> Object::invoke(DispId id, InvokeKind kind, std::initializer_list<Variant> args)
{
    QList<Variant> copy(args);
    return invoke(id, kind, std::span<Variant>(copy.data(), copy.size()));
}

std::optional<DispId> Object::idOfName(QStringView name) const
{
    if (const MemberInfo* m = dispatch().info().findAnyByName(name))
        return m->id;
    return std::nullopt;
}

Result<Variant> Object::defaultValue()
{
    if (!dispatch().info().find(dispid::Value, MemberKind::PropertyGet))
        return Error(errc::TypeMismatch, QStringLiteral("%1 has no default value").arg(className()));
    return invoke(dispid::Value, InvokeKind::PropertyGet, std::span<Variant>());
}

int Object::advise(EventSink* sink)
{
    const int cookie = m_nextCookie++;
    m_sinks.append(Connection {cookie, sink});
    return cookie;
}

void Object::unadvise(int cookie)
{
    m_sinks.removeIf([cookie](const Connection& c) { return c.cookie == cookie; });
}

void Object::fireEvent(DispId id, std::span<Variant> args)
{
    const InterfaceInfo* events = eventInterface();
    const MemberInfo* event = events ? events->findAny(id) : nullptr;
    if (!event)
        return;
    // A sink may disconnect itself while handling the event.
    const QList<Connection> sinks = m_sinks;
    for (const Connection& c : sinks) {
        const bool stillConnected = std::any_of(m_sinks.cbegin(), m_sinks.cend(),
                                                [&](const Connection& x) { return x.cookie == c.cookie; });
        if (stillConnected)
            c.sink->onEvent(*this, *event, args);
    }
}

} // namespace velloc
