#include "recordinghost.h"

#include "velloc/store/registry.h"
#include "velloc/store/varianttext.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace velloc;

namespace testsupport {

class RecordingHost::Binding final : public ControlSite, public EventSink {
public:
    Binding(RecordingHost& host, std::shared_ptr<Object> object, QString var)
        : m_host(host), m_object(std::move(object)), m_var(std::move(var))
    {
        if (m_object->eventInterface())
            m_cookie = m_object->advise(this);
        if (Control* c = control())
            c->setSite(this);
    }
    ~Binding() override
    {
        if (m_cookie)
            m_object->unadvise(m_cookie);
        if (Control* c = control())
            c->setSite(nullptr);
    }
    Control* control() const { return dynamic_cast<Control*>(m_object.get()); }

    Result<void> propertyChanged(Control&, const QString& name) override
    {
        m_host.log << QStringLiteral("changed %1.%2").arg(m_var, name);
        if (m_host.refuse == QLatin1String("*") || m_host.refuse.compare(name, Qt::CaseInsensitive) == 0)
            return m_host.refusal;
        return {};
    }
    std::shared_ptr<Font> ambientFont() override { return m_host.ambient; }
    bool userMode() const override { return true; }

    void onEvent(Object&, const MemberInfo& event, std::span<Variant> args) override
    {
        QStringList shown;
        for (const Variant& a : args)
            shown << varianttext::format(a);
        m_host.log << QStringLiteral("event %1.%2(%3)").arg(m_var, event.name, shown.join(QStringLiteral(", ")));
        if (m_host.onEvent)
            m_host.onEvent(event.name, args);
    }

    RecordingHost& m_host;
    std::shared_ptr<Object> m_object;
    QString m_var;
    int m_cookie = 0;
};

RecordingHost::RecordingHost()
{
    m_previousResponder = &services::responder();
    services::setResponder(this);
}

RecordingHost::~RecordingHost()
{
    while (!m_bindings.empty())
        release(m_bindings.begin()->first, true);
    if (&services::responder() == this)
        services::setResponder(m_previousResponder);
}

void RecordingHost::attach(std::shared_ptr<Object> object, const QString& var)
{
    if (!object)
        return;
    m_bindings[object.get()] = std::make_unique<Binding>(*this, object, var);
    m_last = std::move(object);
}

std::shared_ptr<Object> RecordingHost::create(const QString& modulePath, const Guid& clsid, const QString& var, bool init)
{
    Result<Module*> module = Module::load(modulePath);
    if (!module) {
        ADD_FAILURE() << module.error().message().toStdString();
        return nullptr;
    }
    Result<std::shared_ptr<Object>> object = module.value()->createInstance(clsid);
    if (!object) {
        ADD_FAILURE() << object.error().message().toStdString();
        return nullptr;
    }
    adopt(object.value(), var);
    if (auto* c = dynamic_cast<Control*>(object.value().get()); c && init) {
        EXPECT_TRUE(c->initProperties().ok());
    }
    return object.value();
}

std::unique_ptr<RecordingHost> RecordingHost::with(const QString& modulePath, const Guid& clsid, bool init)
{
    auto host = std::make_unique<RecordingHost>();
    if (!host->create(modulePath, clsid, QStringLiteral("v"), init))
        return nullptr;
    return host;
}

void RecordingHost::release(const Object* object, bool terminate)
{
    auto it = m_bindings.find(object);
    if (it == m_bindings.end())
        return;
    std::unique_ptr<Binding> b = std::move(it->second);
    m_bindings.erase(it);
    if (m_last.get() == object)
        m_last.reset();
    if (Control* c = b->control(); c && terminate)
        c->terminate();
}

QStringList RecordingHost::events() const
{
    QStringList out;
    for (const QString& line : log)
        if (line.startsWith(QLatin1String("event ")))
            out << line;
    return out;
}

int RecordingHost::messageBox(const QString& text, services::MsgIcon icon, services::MsgButtons buttons,
                              const QString& title)
{
    log << QStringLiteral("msgbox %1 %2 %3").arg(services::iconName(icon), services::buttonsName(buttons),
                                                 varianttext::quote(text));
    titles << title;
    return messageAnswer.value_or(services::firstButton(buttons));
}

std::optional<QString> RecordingHost::openFileDialog(const services::FileDialogRequest& request)
{
    log << QStringLiteral("dialog open %1").arg(varianttext::quote(request.title));
    requests << request;
    return fileToOpen;
}

std::optional<QString> RecordingHost::saveFileDialog(const services::FileDialogRequest& request)
{
    log << QStringLiteral("dialog save %1").arg(varianttext::quote(request.title));
    requests << request;
    return fileToSave;
}

void RecordingHost::openDocument(const QString& text, const QUrl& url)
{
    urls << url;
    log << QStringLiteral("open %1").arg(varianttext::quote(text));
}

std::optional<QColor> RecordingHost::chooseColor(const QColor& initial, const QString& title, QWidget*)
{
    log << QStringLiteral("choose color %1").arg(varianttext::quote(title));
    colorsOffered << initial;
    return colorToChoose ? colorToChoose : initial;
}

std::optional<QFont> RecordingHost::chooseFont(const QFont& initial, const QString& title, QWidget*)
{
    log << QStringLiteral("choose font %1").arg(varianttext::quote(title));
    fontsOffered << initial;
    return fontToChoose ? fontToChoose : initial;
}

void RecordingHost::showModal(QWidget* window, QWidget* owner)
{
    log << QStringLiteral("window %1").arg(varianttext::quote(window->windowTitle()));
    if (onModal)
        onModal(window, owner);
    window->hide();
}



Result<Variant> RecordingHost::call(DispId id, std::initializer_list<Variant> args)
{
    return testsupport::call(*m_last, id, args);
}

Result<Variant> RecordingHost::callWith(DispId id, QList<Variant>& args)
{
    return testsupport::callWith(*m_last, id, args);
}

Result<Variant> RecordingHost::get(DispId id)
{
    return getProperty(*m_last, id);
}

static Result<void> withoutValue(Result<Variant> r)
{
    if (!r)
        return r.releaseError();
    return {};
}

Result<void> RecordingHost::put(DispId id, const Variant& value)
{
    return withoutValue(putProperty(*m_last, id, value));
}

Result<void> RecordingHost::putRef(DispId id, const Variant& value)
{
    return withoutValue(putRefProperty(*m_last, id, value));
}

} // namespace testsupport
