#include "velloc/core/latebinding.h"

namespace velloc::latebound {

static Result<Variant> invokeByName(Object& object, QStringView name, MemberKind kind, InvokeKind invokeKind,
                                    std::span<Variant> args)
{
    const InterfaceInfo& itf = object.dispatch().info();
    const MemberInfo* member = itf.findByName(name, kind);
    if (!member)
        member = itf.findAnyByName(name);
    if (!member)
        return Error(errc::NotSupported, QStringLiteral("%1 has no member %2").arg(object.className(), name.toString()));
    // A member of another kind under that name reports its own refusal (read-only, ...).
    return object.invoke(member->id, invokeKind, args);
}

Result<Variant> get(Object& object, QStringView name)
{
    return invokeByName(object, name, MemberKind::PropertyGet, InvokeKind::PropertyGet, {});
}

Result<void> put(Object& object, QStringView name, Variant value)
{
    VELLOC_TRY_VOID(invokeByName(object, name, MemberKind::PropertyPut, InvokeKind::PropertyPut, std::span<Variant>(&value, 1)));
    return {};
}

Result<void> putRef(Object& object, QStringView name, Variant value)
{
    VELLOC_TRY_VOID(invokeByName(object, name, MemberKind::PropertyPutRef, InvokeKind::PropertyPutRef,
                          std::span<Variant>(&value, 1)));
    return {};
}

bool has(const Object& object, QStringView name, MemberKind kind)
{
    return object.dispatch().info().findByName(name, kind) != nullptr;
}

Caller::Caller(std::shared_ptr<Object> object)
    : m_object(std::move(object))
{
}

Result<DispId> Caller::id(QStringView name)
{
    if (!m_object)
        return Error(errc::ObjectNotSet, QStringLiteral("There is no object to call %1 on").arg(name.toString()));
    const QString key = name.toString().toLower();
    if (auto known = m_ids.constFind(key); known != m_ids.constEnd())
        return *known;
    const std::optional<DispId> found = m_object->idOfName(name);
    if (!found)
        return Error(errc::NotSupported, QStringLiteral("%1 has no member %2").arg(m_object->className(), name.toString()));
    m_ids.insert(key, *found);
    return *found;
}

Result<Variant> Caller::invoke(QStringView name, InvokeKind kind, QList<Variant> args)
{
    const DispId member = VELLOC_TRY(id(name));
    return m_object->invoke(member, kind, std::span<Variant>(args.data(), std::size_t(args.size())));
}

Result<Variant> Caller::call(QStringView name, QList<Variant> args)
{
    return invoke(name, InvokeKind::Method, std::move(args));
}

Result<Variant> Caller::get(QStringView name)
{
    return invoke(name, InvokeKind::PropertyGet, {});
}

Result<void> Caller::put(QStringView name, Variant value)
{
    VELLOC_TRY_VOID(invoke(name, InvokeKind::PropertyPut, {std::move(value)}));
    return {};
}

} // namespace velloc::latebound
