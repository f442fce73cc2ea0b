// The published description of the library: the interfaces, in interface order, are the same
// tables that dispatch the calls.
#include "velloc.h"

#include "builtinpictures.h"

#include "bgpic.h"
#include "latin1.h"

#include "cipher/catalogue.h"
#include "velloc/store/picture.h"
#include "velloc/hosting/standardpicturepage.h"

using namespace velloc;

namespace velpack {

namespace {
const TypeRef Bool {VarType::Bool, {}};
const TypeRef Str {VarType::BStr, {}};
const TypeRef AnyValue {VarType::Variant, {}};
const TypeRef PictureType {VarType::Dispatch, QStringLiteral("IPictureDisp")};
const TypeRef PTypeType {VarType::I4, QStringLiteral("PType")};
const TypeRef Byte {VarType::UI1, {}};
const TypeRef Long {VarType::I4, {}};

Result<Variant> toVariant(Result<QString> r)
{
    if (!r)
        return r.releaseError();
    return Variant::fromString(r.value());
}

Result<Variant> toVariant(Result<bool> r)
{
    if (!r)
        return r.releaseError();
    return Variant::fromBool(r.value());
}

// The settings a thread starts with are the properties' defaults.
const SharedSettings& initialSettings()
{
    static const SharedSettings initial;
    return initial;
}
} // namespace

const DispatchTable& Velloc::table()
{
    static const DispatchTable t = [] {
        DispatchTable d(InterfaceInfo {QStringLiteral("_Velloc"), Guid::literal("{C0E9A775-BC9A-11D3-BB5E-403D57C10000}"),
                                       true, false, true, true});
        const QList<ParamInfo> stringData {ParamInfo {QStringLiteral("StringData"), Str, true}};
        d.method<Velloc>(QStringLiteral("Encode"), dispids::Encode, {}, Bool, {},
                         [](Velloc& v, std::span<Variant>) { return toVariant(v.Encode()); });
        d.method<Velloc>(QStringLiteral("EncodeString"), dispids::EncodeString, stringData, Str, {},
                         [](Velloc& v, std::span<Variant> a) { return toVariant(v.EncodeString(a[0].string())); });
        d.method<Velloc>(QStringLiteral("Decode"), dispids::Decode, {}, Bool, {},
                         [](Velloc& v, std::span<Variant>) { return toVariant(v.Decode()); });
        d.method<Velloc>(QStringLiteral("DecodeString"), dispids::DecodeString, stringData, Str, {},
                         [](Velloc& v, std::span<Variant> a) { return toVariant(v.DecodeString(a[0].string())); });
        d.method<Velloc>(QStringLiteral("CRC"), dispids::CRC, {ParamInfo {QStringLiteral("Filename"), Str, true}}, AnyValue,
                         {}, [](Velloc& v, std::span<Variant> a) { return v.CRC(a[0].string()); });
        d.property<Velloc>({.name = QStringLiteral("KEY"), .id = dispids::KEY, .type = Str,
                            .putParam = QStringLiteral("New_Key"),
                            .get = [](Velloc& v) -> Result<Variant> { return Variant::fromString(v.KEY()); },
                            .store = [](Velloc& v, const Variant& x) { return v.storeKEY(x.string()); },
                            .persistedName = QStringLiteral("Key"),
                            .defaultValue = [](Velloc&) { return Variant::fromString(initialSettings().CurrentKey); }});
        d.property<Velloc>({.name = QStringLiteral("File"), .id = dispids::File, .type = Str,
                            .putParam = QStringLiteral("New_File"),
                            .help = QStringLiteral("Name of File To Operate On"), .page = BGPic::Clsid,
                            .get = [](Velloc& v) -> Result<Variant> { return Variant::fromString(v.File()); },
                            .store = [](Velloc& v, const Variant& x) { return v.storeFile(x.string()); },
                            .defaultValue = [](Velloc&) { return Variant::fromString(initialSettings().CurrentFile); }});
        d.property<Velloc>(
            {.name = QStringLiteral("Picture"), .id = dispids::Picture, .type = PictureType,
             .putParam = QStringLiteral("New_Picture"),
             .help = QStringLiteral("Returns/sets a graphic to be displayed in a control."),
             .page = StandardPicturePage::Clsid, .putKind = MemberKind::PropertyPutRef,
             .get = [](Velloc& v) -> Result<Variant> { return Variant::fromObject(v.Picture()); },
             .store = [](Velloc& v, const Variant& x) -> Result<void> {
                 auto picture = x.objectAs<velloc::Picture>();
                 if (x.object() && !picture)
                     return Error(errc::TypeMismatch, QStringLiteral("Picture takes a picture object"));
                 return v.storePicture(picture);
             },
             .defaultValue = [](Velloc&) { return Variant::nothing(); },
             // Saved as held: no picture is Nothing, not the empty picture the getter returns.
             .saved = [](Velloc& v) { return Variant::fromObject(v.m_pic->picture); },
             .load = [](Velloc& v, const Variant& x) -> Result<void> {
                 std::shared_ptr<Object> object = VELLOC_TRY(x.toObject());
                 auto picture = std::dynamic_pointer_cast<velloc::Picture>(object);
                 if (object && !picture)
                     return Error(errc::TypeMismatch, QStringLiteral("The stored Picture is not a picture"));
                 return v.storePicture(picture);
             }});
        d.property<Velloc>({.name = QStringLiteral("ShowProgress"), .id = dispids::ShowProgress, .type = Bool,
                            .putParam = QStringLiteral("New_ShowProgress"),
                            .help = QStringLiteral("Show Progress during Operation"), .category = QStringLiteral("FileSetup"),
                            .get = [](Velloc& v) -> Result<Variant> { return Variant::fromBool(v.ShowProgress()); },
                            .store = [](Velloc& v, const Variant& x) { return v.storeShowProgress(x.boolean()); },
                            .defaultValue = [](Velloc&) { return Variant::fromBool(initialSettings().CurrentShowProgress); }});
        d.method<Velloc>(QStringLiteral("CancelOperation"), dispids::CancelOperation, {}, Bool,
                         QStringLiteral("Stops Current Operation"),
                         [](Velloc& v, std::span<Variant>) -> Result<Variant> { return Variant::fromBool(v.CancelOperation()); });
        d.method<Velloc>(QStringLiteral("About"), dispids::About, {}, AnyValue, {},
                         [](Velloc& v, std::span<Variant>) { return v.About(); });
        // The cipher settings are stored as bytes; their defaults are 16-bit numbers.
        d.property<Velloc>(
            {.name = QStringLiteral("ProtectionType"), .id = dispids::ProtectionType, .type = PTypeType,
             .putParam = QStringLiteral("New_ProtectionType"), .help = QStringLiteral("Set's the type Protection"),
             .get = [](Velloc& v) -> Result<Variant> { return Variant::fromI4(v.ProtectionType()); },
             .store = [](Velloc& v, const Variant& x) { return v.storeProtectionType(x.i4()); },
             .defaultValue = [](Velloc&) { return Variant::fromI2(initialSettings().CurrentProtectionType); },
             .storedAs = VarType::UI1});
        d.property<Velloc>(
            {.name = QStringLiteral("CeaserOffset"), .id = dispids::CeaserOffset, .type = Byte,
             .putParam = QStringLiteral("New_CeaserOffset"),
             .help = QStringLiteral("Number between 1 and 255 used during the Ceaser Encryption."),
             .get = [](Velloc& v) -> Result<Variant> { return Variant::fromUI1(v.CeaserOffset()); },
             .store = [](Velloc& v, const Variant& x) { return v.storeCeaserOffset(x.ui1()); },
             .defaultValue = [](Velloc&) { return Variant::fromI2(initialSettings().CurrentCeaserOffset); },
             .storedAs = VarType::UI1});
        return d;
    }();
    return t;
}

const InterfaceInfo& Velloc::eventTable()
{
    static const InterfaceInfo events = [] {
        InterfaceInfo e {QStringLiteral("__Velloc"), Guid::literal("{C0E9A777-BC9A-11D3-BB5E-403D57C10000}"), false, true,
                         true, true};
        auto event = [&e](QString name, DispId id, QList<ParamInfo> params, QString help) {
            e.addEvent(std::move(name), id, std::move(params), std::move(help));
        };
        event(QStringLiteral("Progress"), events::Progress, {ParamInfo {QStringLiteral("CurrentProgress"), Long, true}}, {});
        event(QStringLiteral("Statred"), events::Statred, {ParamInfo {QStringLiteral("BytesToGo"), Long, true}}, {});
        event(QStringLiteral("Finished"), events::Finished, {}, QStringLiteral("Fired when Operation Ends"));
        event(QStringLiteral("Canceled"), events::Canceled, {},
              QStringLiteral("Fired when The CancelOperation Method is called"));
        return e;
    }();
    return events;
}

const TypeLibInfo& vellibTypeLib()
{
    static const TypeLibInfo lib = [] {
        TypeLibInfo l;
        l.name = QStringLiteral("Vellib");
        l.libid = Guid::literal("{1A9BCAC6-4913-11D3-B3D9-303549C10000}");
        l.majorVersion = 16;
        l.minorVersion = 0;
        l.lcid = 1033;
        l.helpString = QStringLiteral("Velpack file and string encryption control");
        l.helpFile = QStringLiteral("velpack.html");
        l.version.fileVersion = QStringLiteral("%1.%2.0.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision);
        l.version.productVersion = l.version.fileVersion;
        l.version.description = QStringLiteral("Velpack: enciphers and deciphers files and strings");
        l.version.legalCopyright = QStringLiteral("Copyright (C) 2026 The Velloc developers");
        l.version.companyName = QStringLiteral("The Velloc developers");
        l.version.selfRegister = true;
        l.bitmaps.append({30000, &toolboxBitmap});

        EnumInfo ptype {QStringLiteral("PType"), Guid::literal("{C0E9A776-BC9A-11D3-BB5E-403D57C10000}"), {}};
        for (const cipher::CipherType& type : cipher::catalogue())
            ptype.values.append({fromBytes(type.name), type.number(), fromBytes(type.description)});
        l.enums.append(ptype);

        l.interfaces = {&Velloc::table().info(), &Velloc::eventTable(), &BGPic::table().info()};

        ClassInfo control;
        control.name = QStringLiteral("Velloc");
        control.clsid = Velloc::Clsid;
        control.progId = QStringLiteral("Vellib.Velloc");
        control.control = true;
        control.defaultInterface = &Velloc::table().info();
        control.eventInterface = &Velloc::eventTable();
        control.propertyPages = {BGPic::Clsid, StandardPicturePage::Clsid};
        control.create = [] { return std::make_shared<Velloc>(); };
        l.classes.append(control);

        ClassInfo page;
        page.name = QStringLiteral("BGPic");
        page.clsid = BGPic::Clsid;
        page.propertyPage = true;
        page.defaultInterface = &BGPic::table().info();
        page.create = [] { return std::make_shared<BGPic>(); };
        l.classes.append(page);
        return l;
    }();
    return lib;
}

} // namespace velpack
