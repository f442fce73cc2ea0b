#pragma once

#include "platform/object.h"

// Property access by member name, as late-bound callers (property pages, scripts) use it.
namespace platform::latebound {

// Errors: 438 when the object has no such member, else whatever the member raises.
PLATFORM_EXPORT Result<Variant> get(Object& object, QStringView name);
PLATFORM_EXPORT Result<void> put(Object& object, QStringView name, Variant value);
PLATFORM_EXPORT Result<void> putRef(Object& object, QStringView name, Variant value);

// Whether the object has a member of this kind under this name.
PLATFORM_EXPORT bool has(const Object& object, QStringView name, MemberKind kind);

} // namespace platform::latebound
