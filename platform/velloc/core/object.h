#pragma once

#include "velloc/core/typeinfo.h"
#include "velloc/core/variant.h"

#include <QList>

#include <functional>
#include <memory>
#include <span>

namespace velloc {

enum class InvokeKind { Method, PropertyGet, PropertyPut, PropertyPutRef };

class Object;

// Receives the events an object raises. The arguments are the raiser's own variables:
// an assignment to one reaches the raiser.
class VELLOC_EXPORT EventSink {
public:
    virtual ~EventSink() = default;
    virtual void onEvent(Object& source, const MemberInfo& event, std::span<Variant> args) = 0;
};

// One property, declared once: what the type library publishes (the get row and the put row
// share name, DISPID, type, help, category and page), how it is read and stored, and how it is
// persisted. From it the table makes the get and put members; a put stores through `store` and
// then tells the host, under the persisted name, that the property changed. A property with a
// default is persisted: the container protocol's generic walks (velloc::Control) read, write
// and initialise it in table order.
template <typename T>
struct Property {
    QString name;
    DispId id = 0;
    TypeRef type;
    QString putParam; // the put's parameter, New_<name> by convention
    QString help;
    QString category;
    Guid page;
    MemberKind putKind = MemberKind::PropertyPut; // PropertyPutRef: assigned by reference only
    std::function<Result<Variant>(T&)> get;
    // Checks and stores a value of the declared type; tells no one.
    std::function<Result<void>(T&, const Variant&)> store;

    // Persistence. A property without a default is not persisted.
    QString persistedName;                       // empty: `name`
    std::function<Variant(T&)> defaultValue;     // may depend on the instance
    VarType storedAs = VarType::Empty;           // the stored type, when narrower than the declared one
    std::function<Variant(T&)> saved;            // the value written, when it is not what `get` returns
    std::function<Result<void>(T&, const Variant&)> load; // takes a stored value, when not as `store` does
};

// A persisted property as the container protocol's walks see it.
struct PersistedProperty {
    QString name;      // the persisted name
    VarType type;      // the declared type
    VarType storedAs;  // Empty: as declared
    std::function<Variant(Object&)> defaultValue;
    std::function<Result<Variant>(Object&)> value;
    std::function<Result<void>(Object&, const Variant&)> load; // takes a value of the declared type
                                                               // (objects: as stored)
};

// The members of one dispatch interface: their declaration (the published type information)
// and their implementation, in one table. Arguments are coerced to the declared parameter
// types before a handler runs; by-reference parameters are written back into the caller's
// argument array.
class VELLOC_EXPORT DispatchTable {
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
            VELLOC_TRY_VOID(fn(static_cast<T&>(o), a[0]));
            return Variant();
        });
    }

    // A property's get and put members, and its persisted entry if it has a default.
    template <typename T>
    DispatchTable& property(Property<T> p)
    {
        MemberInfo get {p.name, p.id, MemberKind::PropertyGet, {}, p.type, p.help, p.category, p.page};
        MemberInfo put {p.name, p.id, p.putKind, {ParamInfo {p.putParam, p.type, false}}, TypeRef {VarType::Void, {}},
                        p.help, p.category, p.page};
        const QString persistedName = p.persistedName.isEmpty() ? p.name : p.persistedName;
        add(std::move(get), [fn = p.get](Object& o, std::span<Variant>) { return fn(static_cast<T&>(o)); });
        add(std::move(put), [store = p.store, persistedName](Object& o, std::span<Variant> a) -> Result<Variant> {
            VELLOC_TRY_VOID(store(static_cast<T&>(o), a[0]));
            VELLOC_TRY_VOID(notifyChanged(o, persistedName));
            return Variant();
        });
        if (p.defaultValue) {
            PersistedProperty e {persistedName, p.type.vt, p.storedAs, {}, {}, {}};
            e.defaultValue = [fn = p.defaultValue](Object& o) { return fn(static_cast<T&>(o)); };
            if (p.saved)
                e.value = [fn = p.saved](Object& o) -> Result<Variant> { return fn(static_cast<T&>(o)); };
            else
                e.value = [fn = p.get](Object& o) { return fn(static_cast<T&>(o)); };
            e.load = [fn = p.load ? p.load : p.store](Object& o, const Variant& v) { return fn(static_cast<T&>(o), v); };
            m_persisted.append(std::move(e));
        }
        return *this;
    }

    const InterfaceInfo& info() const { return m_info; }
    // The persisted properties, in table order.
    const QList<PersistedProperty>& persisted() const { return m_persisted; }
    Result<Variant> invoke(Object& self, DispId id, InvokeKind kind, std::span<Variant> args) const;

private:
    static Result<void> notifyChanged(Object& self, const QString& name);

    InterfaceInfo m_info;
    QList<Handler> m_handlers; // parallel to m_info.members
    QList<PersistedProperty> m_persisted;
};

// A component object: late-bound access through its dispatch table, events to sinks, and
// shared ownership.
class VELLOC_EXPORT Object : public std::enable_shared_from_this<Object> {
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

    // Assigns a property as a late-bound caller does: through its put member (by value, or by
    // reference when that is the only assignment it takes), notification included.
    Result<void> putProperty(DispId id, Variant value);

protected:
    // Tells whoever hosts the object that a property changed, under its persisted name; the
    // refusal of a host reaches the assignment's caller. A plain object has no one to tell.
    virtual Result<void> propertyChanged(const QString& name)
    {
        Q_UNUSED(name);
        return {};
    }

    // Raises the event with this DISPID of the event interface, synchronously, to every sink.
    void fireEvent(DispId id, std::span<Variant> args);
    void fireEvent(DispId id) { fireEvent(id, std::span<Variant>()); }

private:
    friend class DispatchTable;

    struct Connection {
        int cookie;
        EventSink* sink;
    };
    QList<Connection> m_sinks;
    int m_nextCookie = 1;
};

} // namespace velloc
