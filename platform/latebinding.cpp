#include "platform/latebinding.h"

namespace platform::latebound {

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
    TRY_VOID(invokeByName(object, name, MemberKind::PropertyPut, InvokeKind::PropertyPut, std::span<Variant>(&value, 1)));
    return {};
}

Result<void> putRef(Object& object, QStringView name, Variant value)
{
    TRY_VOID(invokeByName(object, name, MemberKind::PropertyPutRef, InvokeKind::PropertyPutRef,
                          std::span<Variant>(&value, 1)));
    return {};
}

bool has(const Object& object, QStringView name, MemberKind kind)
{
    return object.dispatch().info().findByName(name, kind) != nullptr;
}

} // namespace platform::latebound
