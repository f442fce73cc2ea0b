#include "velloc/hosting/controlhost.h"

#include "velloc/core/units.h"
#include "velloc/store/font.h"
#include "velloc/store/picture.h"
#include "velloc/store/propertybag.h"
#include "velloc/store/registry.h"

#include <QResizeEvent>

namespace velloc {

class ControlHost::Sink final : public EventSink {
public:
    explicit Sink(ControlHost& host) : m_host(host) {}
    void onEvent(Object&, const MemberInfo& event, std::span<Variant> args) override
    {
        m_host.onEvent(event.id, args);
        emit m_host.eventRaised(event.name, args);
    }

private:
    ControlHost& m_host;
};

class ControlHost::Site final : public ControlSite {
public:
    explicit Site(ControlHost& host) : m_host(host) {}
    Result<void> propertyChanged(Control&, const QString& name) override
    {
        m_host.notifyChanged(name);
        return {};
    }
    std::shared_ptr<Font> ambientFont() override { return m_host.m_ambientFont; }
    bool userMode() const override { return m_host.m_userMode; }

private:
    ControlHost& m_host;
};

ControlHost::ControlHost(const QString& progId, QWidget* parent, std::uint32_t hostAbi)
    : QWidget(parent), m_progId(progId), m_ambientFont(Font::create())
{
    if (hostAbi != ModuleAbi) {
        m_lastError = Error(errc::UnsupportedAutomationType,
                            QStringLiteral("This program was built for the Velloc runtime interface %1, and the runtime "
                                           "it runs with has interface %2; build it again against this runtime")
                                .arg(hostAbi)
                                .arg(ModuleAbi));
        return;
    }
    Result<std::shared_ptr<Object>> created = createObject(progId);
    if (!created) {
        m_lastError = created.releaseError();
        return;
    }
    m_object = std::move(created).value();
    m_control = dynamic_cast<Control*>(m_object.get());
    m_sink = std::make_unique<Sink>(*this);
    m_cookie = m_object->advise(m_sink.get());
    m_observer = services::addMessageObserver([this](const services::MessageNotice& notice) {
        if (m_callDepth == 0)
            return;
        emit messageShown(notice.text, notice.title, notice.answer);
        if (notice.icon == services::MsgIcon::Critical)
            emit error(0, notice.text);
    });
    if (!m_control)
        return;
    // The order of the container protocol: site, extent, properties, then the face.
    m_site = std::make_unique<Site>(*this);
    m_control->setSite(m_site.get());
    if (m_control->extent().isEmpty())
        m_control->setExtent(QSize(units::toTwipsX(100), units::toTwipsY(30)));
    m_control->resize();
    ++m_callDepth;
    Result<void> init = m_control->initProperties();
    --m_callDepth;
    if (!init)
        m_lastError = init.releaseError();
    QWidget* face = m_control->widget();
    face->setParent(this);
    face->setGeometry(rect());
    face->show();
    setFocusProxy(face);
    setSizePolicy(face->sizePolicy());
}

ControlHost::~ControlHost()
{
    if (m_observer)
        services::removeMessageObserver(m_observer);
    if (!m_object)
        return;
    m_object->unadvise(m_cookie);
    if (m_control) {
        m_control->terminate();
        m_control->setSite(nullptr);
        if (QWidget* face = m_control->widget(); face && face->parentWidget() == this)
            face->setParent(nullptr);
    }
    m_object.reset();
}

Control* ControlHost::controlOrFail()
{
    if (!m_control)
        fail(m_object ? Error(errc::NotSupported, QStringLiteral("%1 is not a control: it has no saved form").arg(m_progId))
                      : m_lastError);
    return m_control;
}

QString ControlHost::savedState()
{
    Control* control = controlOrFail();
    if (!control)
        return {};
    PropertyBag bag;
    if (Result<void> written = control->writeProperties(bag); !written) {
        fail(written.releaseError());
        return {};
    }
    succeed();
    return bag.toText();
}

void ControlHost::setSavedState(const QString& text)
{
    Control* control = controlOrFail();
    if (!control)
        return;
    Result<PropertyBag> bag = PropertyBag::fromText(text);
    if (!bag) {
        fail(bag.releaseError());
        return;
    }
    if (Result<void> read = control->readProperties(*bag); !read) {
        fail(read.releaseError());
        return;
    }
    succeed();
}

void ControlHost::setUserMode(bool userMode)
{
    m_userMode = userMode;
    if (m_control && m_control->widget())
        m_control->widget()->update();
}

void ControlHost::setAmbientFont(const QFont& font)
{
    m_ambientFont = fromFont(font).objectAs<Font>();
}

void ControlHost::fail(Error error)
{
    m_lastError = std::move(error);
    emit this->error(m_lastError.number(), m_lastError.message());
}

Result<Variant> ControlHost::call(DispId id, InvokeKind kind, std::span<Variant> args)
{
    if (!m_object)
        return m_lastError.number() ? m_lastError : Error(errc::CannotCreateObject);
    ++m_callDepth;
    Result<Variant> r = m_object->invoke(id, kind, args);
    --m_callDepth;
    return r;
}

std::optional<DispId> ControlHost::idOf(const QString& name)
{
    if (!m_object) {
        fail(m_lastError.number() ? m_lastError : Error(errc::CannotCreateObject));
        return std::nullopt;
    }
    const std::optional<DispId> id = m_object->idOfName(name);
    if (!id)
        fail(Error(errc::NotSupported, QStringLiteral("%1 has no member %2").arg(m_progId, name)));
    return id;
}

Variant ControlHost::getProperty(DispId id)
{
    return take(call(id, InvokeKind::PropertyGet, {}));
}

bool ControlHost::put(DispId id, InvokeKind kind, const Variant& value)
{
    Variant v = value;
    Result<Variant> r = call(id, kind, std::span<Variant>(&v, 1));
    if (!r) {
        fail(r.releaseError());
        return false;
    }
    succeed();
    return true;
}

bool ControlHost::putProperty(DispId id, const Variant& value)
{
    return put(id, InvokeKind::PropertyPut, value);
}

bool ControlHost::putPropertyRef(DispId id, const Variant& value)
{
    return put(id, InvokeKind::PropertyPutRef, value);
}

Variant ControlHost::invokeMethod(DispId id, std::span<Variant> args)
{
    return take(call(id, InvokeKind::Method, args));
}

Variant ControlHost::getProperty(const QString& name)
{
    const std::optional<DispId> id = idOf(name);
    return id ? getProperty(*id) : Variant();
}

bool ControlHost::putProperty(const QString& name, const Variant& value)
{
    const std::optional<DispId> id = idOf(name);
    return id && putProperty(*id, value);
}

Variant ControlHost::invokeMethod(const QString& name, std::span<Variant> args)
{
    const std::optional<DispId> id = idOf(name);
    return id ? invokeMethod(*id, args) : Variant();
}

QSize ControlHost::sizeHint() const
{
    return m_control ? units::toPixels(m_control->extent()) : QSize(100, 30);
}

QSize ControlHost::minimumSizeHint() const
{
    return sizeHint();
}

void ControlHost::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_control)
        return;
    m_control->setExtent(QSize(units::toTwipsX(event->size().width()), units::toTwipsY(event->size().height())));
    m_control->resize();
    if (QWidget* face = m_control->widget())
        face->setGeometry(rect());
}

void ControlHost::notifyChanged(const QString& name)
{
    // Controls tell their host under the persisted name ("Key"); the host says the member's
    // name, which matches it but for case.
    const std::optional<DispId> id = m_object ? m_object->idOfName(name) : std::nullopt;
    if (id) {
        onPropertyChanged(*id);
        if (const MemberInfo* member = m_object->dispatch().info().find(*id, MemberKind::PropertyGet))
            emit propertyChanged(member->name);
    } else {
        emit propertyChanged(name);
    }
}

void ControlHost::onPropertyChanged(DispId)
{
}

void ControlHost::onEvent(DispId, std::span<Variant>)
{
}

Variant ControlHost::fromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return Variant::fromI4(std::int32_t(std::uint32_t(rgb.red()) | std::uint32_t(rgb.green()) << 8
                                        | std::uint32_t(rgb.blue()) << 16));
}

QColor ControlHost::toColor(const Variant& value)
{
    const Result<std::int32_t> ole = value.toI4();
    return ole ? units::toQColor(std::uint32_t(ole.value())) : QColor();
}

Variant ControlHost::fromFont(const QFont& font)
{
    Font::Description d;
    d.name = font.family();
    d.size = font.pointSizeF() > 0 ? font.pointSizeF() : 8.25;
    d.weight = font.bold() ? 700 : 400;
    d.italic = font.italic();
    d.underline = font.underline();
    d.strikethrough = font.strikeOut();
    return Variant::fromObject(Font::create(d));
}

QFont ControlHost::toFont(const Variant& value)
{
    const std::shared_ptr<Font> font = value.objectAs<Font>();
    return font ? font->toQFont() : QFont();
}

Variant ControlHost::fromPixmap(const QPixmap& pixmap)
{
    return Variant::fromObject(Picture::create(pixmap.toImage()));
}

QPixmap ControlHost::toPixmap(const Variant& value)
{
    const std::shared_ptr<Picture> picture = value.objectAs<Picture>();
    return picture && !picture->isEmpty() ? QPixmap::fromImage(picture->image()) : QPixmap();
}

Variant ControlHost::fromQVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType: return Variant();
    case QMetaType::Bool: return Variant::fromBool(value.toBool());
    case QMetaType::Short: return Variant::fromI2(qint16(value.toInt()));
    case QMetaType::UChar: return Variant::fromUI1(quint8(value.toUInt()));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return Variant::fromI4(qint32(value.toLongLong()));
    case QMetaType::Float: return Variant::fromR4(value.toFloat());
    case QMetaType::Double: return Variant::fromR8(value.toDouble());
    case QMetaType::QColor: return fromColor(value.value<QColor>());
    case QMetaType::QFont: return fromFont(value.value<QFont>());
    case QMetaType::QPixmap: return fromPixmap(value.value<QPixmap>());
    case QMetaType::QImage: return Variant::fromObject(Picture::create(value.value<QImage>()));
    default: return Variant::fromString(value.toString());
    }
}

QVariant ControlHost::toQVariant(const Variant& value)
{
    switch (value.type()) {
    case VarType::I2: return QVariant::fromValue(value.i2());
    case VarType::I4: return QVariant::fromValue(value.i4());
    case VarType::UI1: return QVariant::fromValue(value.ui1());
    case VarType::R4: return QVariant::fromValue(value.r4());
    case VarType::R8: return QVariant::fromValue(value.r8());
    case VarType::Bool: return QVariant::fromValue(value.boolean());
    case VarType::BStr: return value.string();
    case VarType::Dispatch:
        if (value.objectAs<Picture>())
            return toPixmap(value);
        if (value.objectAs<Font>())
            return toFont(value);
        return {};
    default: return {};
    }
}

} // namespace velloc
