// The published description of the library. The control's interfaces are the same tables that
// dispatch its calls, so the order, DISPIDs and help strings exist once.
#include "typelib.h"

#include "hyperlink.h"
#include "linkwelltxt.h"

#include "velloc/store/font.h"

#include <QPainter>

using namespace velloc;

namespace linkwell {

namespace {
const TypeRef OleColor {VarType::I4, QStringLiteral("OLE_COLOR")};
const TypeRef FontType {VarType::Dispatch, QStringLiteral("Font")};
const TypeRef Str {VarType::BStr, {}};
const TypeRef Bool {VarType::Bool, {}};
const TypeRef I2 {VarType::I2, {}};
const TypeRef R4 {VarType::R4, {}};
const TypeRef AnyValue {VarType::Variant, {}};
} // namespace

const DispatchTable& LinkwellTxt::table()
{
    static const DispatchTable t = [] {
        DispatchTable d(InterfaceInfo {QStringLiteral("_LinkwellTxt"), Guid::literal("{A0369AC1-B6D8-11D3-901D-00207816FA15}"),
                                       true, false, true, true});
        const auto oleColor = [](const Variant& v) { return std::uint32_t(v.i4()); };
        d.property<LinkwellTxt>(
            {.name = QStringLiteral("BackColor"), .id = dispids::BackColor, .type = OleColor,
             .putParam = QStringLiteral("New_BackColor"),
             .help = QStringLiteral("Returns/sets the background color used to display text and graphics in an object."),
             .get = [](LinkwellTxt& c) -> Result<Variant> { return Variant::fromI4(std::int32_t(c.BackColor())); },
             .store = [oleColor](LinkwellTxt& c, const Variant& v) { return c.storeBackColor(oleColor(v)); },
             .defaultValue = [](LinkwellTxt&) { return Variant::fromI4(std::int32_t(LinkwellTxt::DefaultBackColor)); }});
        d.property<LinkwellTxt>(
            {.name = QStringLiteral("ForeColor"), .id = dispids::ForeColor, .type = OleColor,
             .putParam = QStringLiteral("New_ForeColor"),
             .help = QStringLiteral("Returns/sets the foreground color used to display text and graphics in an object."),
             .get = [](LinkwellTxt& c) -> Result<Variant> { return Variant::fromI4(std::int32_t(c.ForeColor())); },
             .store = [oleColor](LinkwellTxt& c, const Variant& v) { return c.storeForeColor(oleColor(v)); },
             .defaultValue = [](LinkwellTxt&) { return Variant::fromI4(std::int32_t(LinkwellTxt::DefaultForeColor)); }});
        d.property<LinkwellTxt>(
            {.name = QStringLiteral("Font"), .id = dispids::Font, .type = FontType, .putParam = QStringLiteral("New_Font"),
             .help = QStringLiteral("Returns a Font object."), .putKind = MemberKind::PropertyPutRef,
             .get = [](LinkwellTxt& c) -> Result<Variant> { return Variant::fromObject(c.Font()); },
             .store = [](LinkwellTxt& c, const Variant& v) -> Result<void> {
                 auto font = v.objectAs<velloc::Font>();
                 if (v.object() && !font)
                     return Error(errc::TypeMismatch, QStringLiteral("Font takes a font object"));
                 return c.storeFont(std::move(font));
             },
             .defaultValue = [](LinkwellTxt& c) { return Variant::fromObject(c.ambientFont()); },
             // A copy, so that the label never draws with the container's or a bag's own font object.
             .load = [](LinkwellTxt& c, const Variant& v) -> Result<void> {
                 auto font = v.objectAs<velloc::Font>();
                 if (!font)
                     return Error(errc::TypeMismatch, QStringLiteral("The stored \"Font\" is not a font"));
                 return c.storeFont(velloc::Font::create(font->description()));
             }});
        d.property<LinkwellTxt>(
            {.name = QStringLiteral("Hyperlink"), .id = dispids::Hyperlink, .type = Str,
             .putParam = QStringLiteral("New_Hyperlink"),
             .help = QStringLiteral("Set Hyperlink path to access.  Click 'CUSTOM' tab for more information"),
             .get = [](LinkwellTxt& c) -> Result<Variant> { return Variant::fromString(c.Hyperlink()); },
             .store = [](LinkwellTxt& c, const Variant& v) { return c.storeHyperlink(v.string()); },
             .persistedName = QStringLiteral("HyperLink"),
             .defaultValue = [](LinkwellTxt&) { return Variant::fromString(LinkwellTxt::DefaultHyperlink); }});
        d.property<LinkwellTxt>(
            {.name = QStringLiteral("Enabled"), .id = dispids::Enabled, .type = Bool,
             .putParam = QStringLiteral("New_Enabled"),
             .help = QStringLiteral("Returns/sets a value that determines whether an object can respond to user-generated events."),
             .get = [](LinkwellTxt& c) -> Result<Variant> { return Variant::fromBool(c.Enabled()); },
             .store = [](LinkwellTxt& c, const Variant& v) { return c.storeEnabled(v.boolean()); },
             .defaultValue = [](LinkwellTxt&) { return Variant::fromBool(true); }});
        d.method<LinkwellTxt>(QStringLiteral("About"), dispids::About, {}, AnyValue, {},
                              [](LinkwellTxt& c, std::span<Variant>) { return c.About(); });
        return d;
    }();
    return t;
}

const InterfaceInfo& LinkwellTxt::eventTable()
{
    static const InterfaceInfo e = [] {
        InterfaceInfo info {QStringLiteral("__LinkwellTxt"), Guid::literal("{A0369AC3-B6D8-11D3-901D-00207816FA15}"), false,
                            true, true, true};
        auto event = [&info](QString name, DispId id, QList<ParamInfo> params, QString help) {
            info.addEvent(std::move(name), id, std::move(params), std::move(help));
        };
        auto byRef = [](const char* name, TypeRef type) { return ParamInfo {QLatin1String(name), std::move(type), true}; };
        const QList<ParamInfo> keyParams {byRef("KeyCode", I2), byRef("Shift", I2)};
        const QList<ParamInfo> mouseParams {byRef("Button", I2), byRef("Shift", I2), byRef("X", R4), byRef("Y", R4)};
        event(QStringLiteral("Click"), events::Click, {},
              QStringLiteral("Occurs when the user presses and then releases a mouse button over an object."));
        event(QStringLiteral("KeyDown"), events::KeyDown, keyParams,
              QStringLiteral("Occurs when the user presses a key while an object has the focus."));
        event(QStringLiteral("KeyPress"), events::KeyPress, {byRef("KeyAscii", I2)},
              QStringLiteral("Occurs when the user presses and releases an ANSI key."));
        event(QStringLiteral("KeyUp"), events::KeyUp, keyParams,
              QStringLiteral("Occurs when the user releases a key while an object has the focus."));
        event(QStringLiteral("MouseDown"), events::MouseDown, mouseParams,
              QStringLiteral("Occurs when the user presses the mouse button while an object has the focus."));
        event(QStringLiteral("MouseMove"), events::MouseMove, mouseParams, QStringLiteral("Occurs when the user moves the mouse."));
        event(QStringLiteral("MouseUp"), events::MouseUp, mouseParams,
              QStringLiteral("Occurs when the user releases the mouse button while an object has the focus."));
        return info;
    }();
    return e;
}

const TypeLibInfo& linkwellTypeLib()
{
    static const TypeLibInfo lib = [] {
        TypeLibInfo l;
        l.name = QStringLiteral("Linkwell");
        l.libid = Guid::literal("{A0369ABE-B6D8-11D3-901D-00207816FA15}");
        l.majorVersion = 1;
        l.minorVersion = 0;
        l.lcid = 1033;
        l.helpString = QStringLiteral("Torvane Software - Linkwell");
        l.helpFile = QStringLiteral("linkwell.html");
        l.version.fileVersion = QStringLiteral("1.00.0055");
        l.version.productVersion = l.version.fileVersion;
        l.version.description = QStringLiteral("ActiveX control which works like a hyperlink.  Both email and web addresses "
                                               "as well as local and network drives can be used.");
        l.version.selfRegister = true;
        l.bitmaps.append({ToolboxBitmapId, &toolboxBitmap});

        l.interfaces = {&LinkwellTxt::table().info(), &LinkwellTxt::eventTable(), &Hyperlink::table().info()};

        ClassInfo control;
        control.name = QStringLiteral("LinkwellTxt");
        control.clsid = LinkwellTxt::Clsid;
        control.progId = QStringLiteral("Linkwell.LinkwellTxt");
        control.control = true;
        control.defaultInterface = &LinkwellTxt::table().info();
        control.eventInterface = &LinkwellTxt::eventTable();
        control.propertyPages = LinkwellTxt::pages();
        control.create = [] { return std::make_shared<LinkwellTxt>(); };
        l.classes.append(control);

        ClassInfo page;
        page.name = QStringLiteral("Hyperlink");
        page.clsid = Hyperlink::Clsid;
        page.propertyPage = true;
        page.defaultInterface = &Hyperlink::table().info();
        page.create = [] { return std::make_shared<Hyperlink>(); };
        l.classes.append(page);
        return l;
    }();
    return lib;
}

QImage toolboxBitmap()
{
    // A globe-blue "A" over an underline, on the toolbox's grey.
    QImage image(16, 15, QImage::Format_RGB888);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    const QColor blue(0, 0, 192);
    p.setPen(blue);
    // The letter: two legs and a bar, drawn pixel-exact without antialiasing.
    p.drawLine(3, 11, 7, 1);
    p.drawLine(4, 11, 8, 1);
    p.drawLine(8, 1, 12, 11);
    p.drawLine(9, 1, 13, 11);
    p.drawLine(6, 7, 10, 7);
    // The link's underline.
    p.drawLine(1, 13, 14, 13);
    // A hand's fingertip pointing at the underline.
    p.setPen(Qt::black);
    p.drawPoint(14, 10);
    p.drawLine(13, 11, 15, 11);
    p.end();
    return image;
}

} // namespace linkwell
