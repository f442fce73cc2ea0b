#pragma once

#include "velloc/core/guid.h"
#include "velloc/core/variant.h"

#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace velloc {

using DispId = std::int32_t;

// Standard dispatch identifiers.
namespace dispid {
inline constexpr DispId Value = 0;
inline constexpr DispId AboutBox = -552;
inline constexpr DispId Font = -512;
} // namespace dispid

enum class MemberKind { Method, PropertyGet, PropertyPut, PropertyPutRef };
VELLOC_EXPORT QString memberKindName(MemberKind kind);

// A declared type: a variant type, optionally under a user-visible alias such as "PType",
// "OLE_COLOR" or "IPictureDisp".
struct TypeRef {
    VarType vt = VarType::Void;
    QString alias;

    QString displayName() const;
};

struct ParamInfo {
    QString name;
    TypeRef type;
    bool byRef = false;
};

struct MemberInfo {
    QString name;
    DispId id = 0;
    MemberKind kind = MemberKind::Method;
    QList<ParamInfo> params;
    TypeRef result;
    QString help;
    QString category;    // property browser category
    Guid propertyPage;   // the page a property browser opens for this property
    bool hidden = false;
};

struct InterfaceInfo {
    QString name;
    Guid iid;
    bool dual = false;
    bool dispatchOnly = false;
    bool hidden = false;
    bool nonExtensible = false;
    QList<MemberInfo> members; // interface order; for an event interface, its events

    // Declares an event of a source interface: no result, parameters as given.
    void addEvent(QString name, DispId id, QList<ParamInfo> params, QString help = {});

    const MemberInfo* find(DispId id, MemberKind kind) const;
    const MemberInfo* findByName(QStringView name, MemberKind kind) const;
    const MemberInfo* findAnyByName(QStringView name) const;
    const MemberInfo* findAny(DispId id) const;
};

struct EnumInfo {
    QString name;
    Guid guid;
    struct Value {
        QString name;
        std::int32_t value;
        QString help;
    };
    QList<Value> values;
};

class Object;

struct ClassInfo {
    QString name;
    Guid clsid;
    QString progId;
    bool control = false;
    bool propertyPage = false;
    const InterfaceInfo* defaultInterface = nullptr;
    const InterfaceInfo* eventInterface = nullptr;
    QList<Guid> propertyPages;
    std::function<std::shared_ptr<Object>()> create; // constructs a fresh instance
};

struct VersionRecord {
    QString fileVersion;    // e.g. "3.0.0.10"
    QString productVersion;
    QString description;
    QString legalCopyright;
    QString companyName;
    bool selfRegister = true;
};

// What a component library publishes about itself.
struct TypeLibInfo {
    QString name;
    Guid libid;
    int majorVersion = 1;
    int minorVersion = 0;
    int lcid = 1033;
    QString helpString;
    QString helpFile;
    QList<ClassInfo> classes;
    QList<const InterfaceInfo*> interfaces;
    QList<EnumInfo> enums;
    VersionRecord version;
    // Bitmap resources by number (a control's toolbox picture is 30000), drawn on request.
    QList<std::pair<int, std::function<QImage()>>> bitmaps;

    QImage bitmap(int id) const;

    const ClassInfo* findClass(const Guid& clsid) const;
};

// A stable, readable listing of a type library.
VELLOC_EXPORT QString formatTypeLib(const TypeLibInfo& lib);

} // namespace velloc
