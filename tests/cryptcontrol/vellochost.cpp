#include "vellochost.h"

#include "platform/registry.h"
#include "platform/varianttext.h"
#include "velloc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace platform;

std::unique_ptr<VellocHost> VellocHost::create(bool init)
{
    Result<Module*> module = Module::load(QStringLiteral(VELPACK_MODULE));
    if (!module) {
        ADD_FAILURE() << module.error().message().toStdString();
        return nullptr;
    }
    Result<std::shared_ptr<Object>> object = module.value()->createInstance(velpack::Velloc::Clsid);
    if (!object) {
        ADD_FAILURE() << object.error().message().toStdString();
        return nullptr;
    }
    std::unique_ptr<VellocHost> host(new VellocHost);
    host->m_object = object.value();
    host->m_control = dynamic_cast<Control*>(host->m_object.get());
    host->m_control->setSite(host.get());
    host->m_cookie = host->m_object->advise(host.get());
    services::setResponder(host.get());
    if (init) {
        Result<void> r = host->m_control->initProperties();
        EXPECT_TRUE(r.ok());
    }
    return host;
}

VellocHost::~VellocHost()
{
    if (m_object) {
        m_object->unadvise(m_cookie);
        m_control->terminate();
        m_control->setSite(nullptr);
    }
    if (&services::responder() == this)
        services::setResponder(nullptr);
}

Result<Variant> VellocHost::call(DispId id, std::initializer_list<Variant> args)
{
    QList<Variant> copy(args);
    return callWith(id, copy);
}

Result<Variant> VellocHost::callWith(DispId id, QList<Variant>& args)
{
    return m_object->invoke(id, InvokeKind::Method, std::span<Variant>(args.data(), args.size()));
}

Result<Variant> VellocHost::get(DispId id)
{
    return m_object->invoke(id, InvokeKind::PropertyGet, std::span<Variant>());
}

Result<void> VellocHost::put(DispId id, const Variant& value)
{
    Variant v = value;
    Result<Variant> r = m_object->invoke(id, InvokeKind::PropertyPut, std::span<Variant>(&v, 1));
    if (!r)
        return r.releaseError();
    return {};
}

Result<void> VellocHost::putRef(DispId id, const Variant& value)
{
    Variant v = value;
    Result<Variant> r = m_object->invoke(id, InvokeKind::PropertyPutRef, std::span<Variant>(&v, 1));
    if (!r)
        return r.releaseError();
    return {};
}

Result<void> VellocHost::propertyChanged(Control&, const QString& name)
{
    log << QStringLiteral("changed ") + name;
    if (refuseChanges)
        return Error(382, QStringLiteral("The host refuses the change of %1").arg(name));
    return {};
}

std::shared_ptr<Font> VellocHost::ambientFont()
{
    return Font::create();
}

void VellocHost::onEvent(Object&, const MemberInfo& event, std::span<Variant> args)
{
    QStringList shown;
    for (const Variant& a : args)
        shown << (a.type() == VarType::I4 ? QString::number(a.i4()) : varianttext::format(a));
    log << QStringLiteral("%1(%2)").arg(event.name, shown.join(QStringLiteral(", ")));
    if (handler)
        handler(event.name, args);
}

int VellocHost::messageBox(const QString& text, services::MsgIcon icon, services::MsgButtons buttons, const QString&)
{
    log << QStringLiteral("msgbox %1 %2 %3").arg(services::iconName(icon), services::buttonsName(buttons), text);
    return services::firstButton(buttons);
}

std::optional<QString> VellocHost::openFileDialog(const services::FileDialogRequest& request)
{
    log << QStringLiteral("dialog open ") + request.title;
    return dialogAnswer;
}

void VellocHost::showModal(QWidget* window, QWidget*)
{
    log << QStringLiteral("window ") + window->windowTitle();
    window->hide();
}

QStringList VellocHost::events() const
{
    QStringList out;
    for (const QString& line : log)
        if (line.contains(QLatin1Char('(')) && !line.startsWith(QLatin1String("msgbox")))
            out << line;
    return out;
}

ScratchDir::ScratchDir()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/velpack-test-XXXXXX"));
    dir.setAutoRemove(false);
    m_path = dir.path();
}

ScratchDir::~ScratchDir()
{
    // Read-only files and folders are made writable again so they can go.
    QDir dir(m_path);
    chmod(QFile::encodeName(m_path).constData(), 0700);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        chmod(QFile::encodeName(dir.absoluteFilePath(name)).constData(), 0700);
    dir.removeRecursively();
}

QString ScratchDir::path(const QString& name) const
{
    return m_path + QLatin1Char('/') + name;
}

QStringList ScratchDir::entries() const
{
    return QDir(m_path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray patternBytes(int size, unsigned seed)
{
    QByteArray out(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = char(x >> 16);
    }
    return out;
}
