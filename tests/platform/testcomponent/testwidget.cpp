#include "testwidget.h"

#include "testcounter.h"
#include "testwidgetids.h"

#include "velloc/hosting/services.h"

#include <QDialog>
#include <QLabel>

#include <set>

using namespace velloc;

namespace {
// The widgets alive now, so that a widget can tell when a handler of its own event destroyed it
// instead of reading freed memory without a sign.
std::set<const TestWidget*>& liveWidgets()
{
    static std::set<const TestWidget*> widgets;
    return widgets;
}
} // namespace

TestWidget::TestWidget()
{
    liveWidgets().insert(this);
}

TestWidget::~TestWidget()
{
    liveWidgets().erase(this);
}

const ClassInfo& TestWidget::classInfo()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.name = QStringLiteral("TestWidget");
        c.clsid = testwidget::WidgetClsid;
        c.progId = QString::fromLatin1(testwidget::WidgetProgId);
        c.control = true;
        c.defaultInterface = &table().info();
        c.eventInterface = &events();
        c.create = [] { return std::make_shared<TestWidget>(); };
        return c;
    }();
    return info;
}

const InterfaceInfo& TestWidget::events()
{
    static const InterfaceInfo info = [] {
        InterfaceInfo e {QStringLiteral("__TestWidget"), testwidget::WidgetEventsIid, false, true, true};
        e.members.append(MemberInfo {QStringLiteral("Step"), testwidget::event::Step, MemberKind::Method,
                                     {ParamInfo {QStringLiteral("Value"), {VarType::I4, {}}, true}},
                                     {VarType::Void, {}}, QStringLiteral("Raised by Raise; the handler may change Value.")});
        e.members.append(MemberInfo {QStringLiteral("Done"), testwidget::event::Done, MemberKind::Method,
                                     {ParamInfo {QStringLiteral("Result"), {VarType::I4, {}}, false},
                                      ParamInfo {QStringLiteral("Caption"), {VarType::BStr, {}}, false}},
                                     {VarType::Void, {}}, QStringLiteral("Raised when Raise ends, with its result.")});
        return e;
    }();
    return info;
}

// A property: its reader, and its writer, which tells the site once the value is stored.
void TestWidget::addProperty(DispatchTable& t, const char* name, DispId id, TypeRef type, const char* help,
                             std::function<Variant(TestWidget&)> get,
                             std::function<Result<void>(TestWidget&, const Variant&)> set, MemberKind kind)
{
    const QString n = QString::fromLatin1(name);
    t.get<TestWidget>(n, id, type, QString::fromUtf8(help), [get](TestWidget& w) -> Result<Variant> { return get(w); });
    t.put<TestWidget>(n, id, QStringLiteral("New_") + n, type, {},
                      [set, n](TestWidget& w, const Variant& v) -> Result<void> {
                          VELLOC_TRY_VOID(set(w, v));
                          return w.propertyChanged(n);
                      },
                      kind);
}

const DispatchTable& TestWidget::table()
{
    namespace id = testwidget::id;
    static const DispatchTable t = [] {
        DispatchTable t(InterfaceInfo {QStringLiteral("_TestWidget"), testwidget::WidgetIid, true, false, false, true});
        const TypeRef str {VarType::BStr, {}};
        const TypeRef i4 {VarType::I4, {}};
        const TypeRef none {VarType::Void, {}};
        using W = TestWidget;
        addProperty(t, "Caption", id::Caption, str, "The text on the face.",
                    [](W& w) { return Variant::fromString(w.m_caption); },
                    [](W& w, const Variant& v) -> Result<void> { w.m_caption = v.string(); return {}; });
        addProperty(t, "Count", id::Count, {VarType::I2, {}}, "A 16-bit number.",
                    [](W& w) { return Variant::fromI2(w.m_count); },
                    [](W& w, const Variant& v) -> Result<void> { w.m_count = v.i2(); return {}; });
        addProperty(t, "Level", id::Level, i4, "0 to 255, kept in 8 bits.", [](W& w) { return Variant::fromI4(w.m_level); },
                    [](W& w, const Variant& v) -> Result<void> { w.m_level = VELLOC_TRY(v.toUI1()); return {}; });
        addProperty(t, "Enabled", id::Enabled, {VarType::Bool, {}}, "Whether the face reacts.",
                    [](W& w) { return Variant::fromBool(w.m_enabled); },
                    [](W& w, const Variant& v) -> Result<void> { w.m_enabled = v.boolean(); return {}; });
        addProperty(t, "Picture", id::Picture, {VarType::Dispatch, QStringLiteral("IPictureDisp")},
                    "A picture, assigned by reference.", [](W& w) { return Variant::fromObject(w.m_picture); },
                    [](W& w, const Variant& v) { return w.setPicture(v); }, MemberKind::PropertyPutRef);
        addProperty(t, "Font", id::Font, {VarType::Dispatch, QStringLiteral("Font")}, "The face's font.",
                    [](W& w) { return Variant::fromObject(w.m_font); },
                    [](W& w, const Variant& v) -> Result<void> {
                        auto font = std::dynamic_pointer_cast<Font>(VELLOC_TRY(v.toObject()));
                        if (!font)
                            return Error(errc::InvalidArgument, QStringLiteral("Font takes a font object"));
                        w.m_font = std::move(font);
                        return {};
                    },
                    MemberKind::PropertyPutRef);
        addProperty(t, "Zoom", id::Zoom, {VarType::R4, {}}, "A scale, in single precision.",
                    [](W& w) { return Variant::fromR4(w.m_zoom); },
                    [](W& w, const Variant& v) -> Result<void> { w.m_zoom = v.r4(); return {}; });
        t.get<TestWidget>(QStringLiteral("Counter"), id::Counter, {VarType::Dispatch, QStringLiteral("TestCounter")},
                          QStringLiteral("The widget's own counter; read-only."),
                          [](TestWidget& w) -> Result<Variant> {
                              if (!w.m_counter)
                                  w.m_counter = TestCounter::classInfo().create();
                              return Variant::fromObject(w.m_counter);
                          });

        t.method<TestWidget>(QStringLiteral("Decorate"), id::Decorate,
                             {ParamInfo {QStringLiteral("Text"), str, true}}, i4,
                             QStringLiteral("Wraps Text in angle brackets and returns its new length."),
                             [](TestWidget&, std::span<Variant> args) -> Result<Variant> {
                                 args[0] = Variant::fromString(QLatin1Char('<') + args[0].string() + QLatin1Char('>'));
                                 return Variant::fromI4(std::int32_t(args[0].string().size()));
                             });
        t.method<TestWidget>(QStringLiteral("Raise"), id::Raise, {ParamInfo {QStringLiteral("Start"), i4, false}}, i4,
                             QStringLiteral("Raises Step with Start, then Done; returns what the handlers left in Value."),
                             [](TestWidget& w, std::span<Variant> args) { return w.raise(args[0].i4()); });
        t.method<TestWidget>(QStringLiteral("ShowMessage"), id::ShowMessage, {ParamInfo {QStringLiteral("Text"), str, false}},
                             i4, QStringLiteral("Shows a message box and returns the button chosen."),
                             [](TestWidget&, std::span<Variant> args) -> Result<Variant> {
                                 return Variant::fromI4(services::messageBox(args[0].string(), services::MsgIcon::Exclamation,
                                                                             services::MsgButtons::OkCancel,
                                                                             QStringLiteral("TestWidget")));
                             });
        t.method<TestWidget>(QStringLiteral("Open"), id::Open, {ParamInfo {QStringLiteral("Target"), str, false}}, none,
                             QStringLiteral("Opens a document or address."),
                             [](TestWidget&, std::span<Variant> args) -> Result<Variant> {
                                 services::openDocument(args[0].string());
                                 return Variant();
                             });
        t.method<TestWidget>(QStringLiteral("AboutBox"), id::AboutBox, {}, none, QStringLiteral("Shows the about box."),
                             [](TestWidget& w, std::span<Variant>) -> Result<Variant> {
                                 QDialog box(w.widget());
                                 box.setWindowTitle(QStringLiteral("About TestWidget"));
                                 services::showModal(&box, w.widget());
                                 return Variant();
                             });
        return t;
    }();
    return t;
}

Result<void> TestWidget::setPicture(const Variant& value)
{
    const std::shared_ptr<Object> object = VELLOC_TRY(value.toObject());
    auto picture = std::dynamic_pointer_cast<Picture>(object);
    if (object && !picture)
        return Error(errc::TypeMismatch, QStringLiteral("Picture takes a picture object, not %1").arg(object->className()));
    m_picture = picture ? picture : Picture::create();
    return {};
}

Result<Variant> TestWidget::raise(std::int32_t start)
{
    // The handlers get this variable itself, so what they assign is what we read back.
    Variant value = Variant::fromI4(start);
    fireEvent(testwidget::event::Step, std::span<Variant>(&value, 1));
    if (!liveWidgets().contains(this))
        return Error(errc::ObjectRequired, QStringLiteral("The widget was destroyed while it raised Step"));
    const std::int32_t result = VELLOC_TRY(value.toI4());
    Variant done[] = {Variant::fromI4(result), Variant::fromString(m_caption)};
    fireEvent(testwidget::event::Done, done);
    return Variant::fromI4(result);
}

Result<void> TestWidget::initProperties()
{
    m_caption = QString::fromLatin1(testwidget::DefaultCaption);
    m_count = 0;
    m_level = 0;
    m_enabled = testwidget::DefaultEnabled;
    m_zoom = 1;
    m_picture = Picture::create();
    m_font = Font::create(ambientFont()->description());
    return {};
}

// Reads in a fixed order and stops at the first bad entry: the entries before it stay applied.
Result<void> TestWidget::readProperties(const PropertyBag& bag)
{
    m_caption = VELLOC_TRY(bag.read(u"Caption", Variant::fromString(QString::fromLatin1(testwidget::DefaultCaption))).toString());
    m_count = VELLOC_TRY(bag.read(u"Count", Variant::fromI2(0)).toI2());
    m_level = VELLOC_TRY(bag.read(u"Level", Variant::fromI2(0)).toUI1());
    m_enabled = VELLOC_TRY(bag.read(u"Enabled", Variant::fromBool(testwidget::DefaultEnabled)).toBool());
    m_zoom = float(VELLOC_TRY(bag.read(u"Zoom", Variant::fromR4(1)).convertTo(VarType::R4)).r4());
    auto picture = bag.read(u"Picture", Variant::nothing()).objectAs<Picture>();
    m_picture = picture ? picture : Picture::create();
    auto font = bag.read(u"Font", Variant::fromObject(ambientFont())).objectAs<Font>();
    m_font = Font::create(font ? font->description() : Font::Description());
    return {};
}

Result<void> TestWidget::writeProperties(PropertyBag& bag)
{
    bag.write(u"Caption", Variant::fromString(m_caption), Variant::fromString(QString::fromLatin1(testwidget::DefaultCaption)));
    bag.write(u"Count", Variant::fromI2(m_count), Variant::fromI2(0));
    bag.write(u"Level", Variant::fromUI1(m_level), Variant::fromI2(0));
    bag.write(u"Enabled", Variant::fromBool(m_enabled), Variant::fromBool(testwidget::DefaultEnabled));
    bag.write(u"Zoom", Variant::fromR4(m_zoom), Variant::fromR4(1));
    bag.write(u"Picture", Variant::fromObject(m_picture), Variant::nothing());
    bag.write(u"Font", Variant::fromObject(m_font), Variant::fromObject(ambientFont()));
    return {};
}

QWidget* TestWidget::createWidget()
{
    return new QLabel(m_caption);
}
