#pragma once

#include "platform/typeinfo.h"
#include "platform/variant.h"

#include <QList>

#include <functional>
#include <memory>
#include <span>

namespace platform {

enum class InvokeKind { Method, PropertyGet, PropertyPut, PropertyPutRef };

class Object;

// Receives the events an object raises. The arguments are the raiser's own variables:
// an assignment to one reaches the raiser.
class PLATFORM_EXPORT EventSink {
public:
    virtual ~EventSink() = default;
    virtual void onEvent(Object& source, const MemberInfo& event, std::span<Variant> args) = 0;
};

// The members of one dispatch interface: their declaration (the published type information)
// and their implementation, in one table. Arguments are coerced to the declared parameter
// types before a handler runs; by-reference parameters are written back into the caller's
// argument array.
class PLATFORM_EXPORT DispatchTable {
public:
    using Handler = std::function<Result<Variant>(Object& self, std::span<Variant> args)>;

    explicit DispatchTable(InterfaceInfo header);

    DispatchTable& add(MemberInfo member, Handler handler);

    // Typed conveniences for the usual shapes.
    template <typename T>
    DispatchTable& method(QString name, DispId id, QList<ParamInfo> params, TypeRef result, QString help,
                          std::function<Result<Variant>(T&, std::span<Variant>)> fn)
    {
        MemberInfo m {std::move(name), id, MemberKind::Method, std::move(params), std::move(result), std::move(help)};
        return add(std::move(m), [fn](Object& o, std::span<Variant> a) { return fn(static_cast<T&>(o), a); });
    }
    template <typename T>
    DispatchTable& get(QString name, DispId id, TypeRef type, QString help, std::function<Result<Variant>(T&)> fn,
                       MemberInfo extra = {})
    {
        MemberInfo m = std::move(extra);
        m.name = std::move(name);
        m.id = id;
        m.kind = MemberKind::PropertyGet;
        m.result = std::move(type);
        m.help = std::move(help);
        return add(std::move(m), [fn](Object& o, std::span<Variant>) { return fn(static_cast<T&>(o)); });
    }
    template <typename T>
    DispatchTable& put(QString name, DispId id, QString param, TypeRef type, QString help,
                       std::function<Result<void>(T&, const Variant&)> fn, MemberKind kind = MemberKind::PropertyPut,
                       MemberInfo extra = {})
    {
        MemberInfo m = std::move(extra);
        m.name = std::move(name);
        m.id = id;
        m.kind = kind;
        m.params = {ParamInfo {std::move(param), std::move(type), false}};
        m.result = TypeRef {VarType::Void, {}};
        m.help = std::move(help);
        return add(std::move(m), [fn](Object& o, std::span<Variant> a) -> Result<Variant> {
            TRY_VOID(fn(static_cast<T&>(o), a[0]));
            return Variant();
        });
    }

    const InterfaceInfo& info() const { return m_info; }
    Result<Variant> invoke(Object& self, DispId id, InvokeKind kind, std::span<Variant> args) const;

private:
    InterfaceInfo m_info;
    QList<Handler> m_handlers; // parallel to m_info.members
};

// A component object: late-bound access through its dispatch table, events to sinks, and
// shared ownership.
class PLATFORM_EXPORT Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    virtual QString className() const = 0;
    virtual const DispatchTable& dispatch() const = 0;
    virtual const InterfaceInfo* eventInterface() const { return nullptr; }

    Result<Variant> invoke(DispId id, InvokeKind kind, std::span<Variant> args);
    Result<Variant> invoke(DispId id, InvokeKind kind, std::initializer_list<Variant> args);
    // Case-insensitive lookup of a member of the default interface.
    std::optional<DispId> idOfName(QStringView name) const;

    // The value of the default member (DISPID 0), used when an object meets a conversion.
    virtual Result<Variant> defaultValue();
    // Value comparison for property-bag defaults; identity unless a class knows better.
    // `other` may be null (Nothing).
    virtual bool sameValue(const Object* other) const { return other == this; }

    int advise(EventSink* sink);
    void unadvise(int cookie);

protected:
    // Raises the event with this DISPID of the event interface, synchronously, to every sink.
    void fireEvent(DispId id, std::span<Variant> args);
    void fireEvent(DispId id) { fireEvent(id, std::span<Variant>()); }

private:
    struct Connection {
        int cookie;
        EventSink* sink;
    };
    QList<Connection> m_sinks;
    int m_nextCookie = 1;
};

} // namespace platform
