#pragma once

#include "velloc/core/object.h"

#include <QHash>

// Property access by member name, as late-bound callers (property pages, scripts) use it.
namespace velloc::latebound {

// Errors: 438 when the object has no such member, else whatever the member raises.
VELLOC_EXPORT Result<Variant> get(Object& object, QStringView name);
VELLOC_EXPORT Result<void> put(Object& object, QStringView name, Variant value);
VELLOC_EXPORT Result<void> putRef(Object& object, QStringView name, Variant value);

// Whether the object has a member of this kind under this name.
VELLOC_EXPORT bool has(const Object& object, QStringView name, MemberKind kind);

// An object a host calls by member names, as a late-bound caller does: each name is looked up
// once, on its first use, so the host keeps no copy of the object's DISPIDs.
class VELLOC_EXPORT Caller {
public:
    explicit Caller(std::shared_ptr<Object> object);

    Result<Variant> call(QStringView name, QList<Variant> args = {});
    Result<Variant> get(QStringView name);
    Result<void> put(QStringView name, Variant value);
    Result<Variant> invoke(QStringView name, InvokeKind kind, QList<Variant> args);

private:
    Result<DispId> id(QStringView name);

    std::shared_ptr<Object> m_object;
    QHash<QString, DispId> m_ids; // by lower-case name
};

} // namespace velloc::latebound
