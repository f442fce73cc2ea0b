#include "velloc/store/registry.h"

#include "velloc/io/localfile.h"
#include "velloc/core/module.h"
#include "velloc/io/pathcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

#include <map>
#include <memory>

namespace velloc {

static QString& explicitLocation()
{
    static QString dir;
    return dir;
}

void Registry::setLocation(const QString& dir)
{
    explicitLocation() = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

static QString programDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

QString Registry::defaultLocation()
{
    const QString env = qEnvironmentVariable("VELLOC_REGISTRY");
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    const QString beside = QDir(programDir()).absoluteFilePath(QStringLiteral("../share/velloc/registry"));
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    // A host program outside the prefix finds the registry the runtime was installed with,
    // relative to the runtime library itself, so the prefix may move as a whole.
    Dl_info info {};
    if (dladdr(reinterpret_cast<const void*>(&Registry::defaultLocation), &info) && info.dli_fname) {
        const QDir libDir = QFileInfo(decodePath(info.dli_fname)).canonicalPath();
        const QString installed = libDir.absoluteFilePath(QStringLiteral(VELLOC_REGISTRY_FROM_LIBRARY));
        if (QFileInfo(installed).isDir())
            return QDir::cleanPath(installed);
    }
    return QDir::homePath() + QStringLiteral("/.local/share/velloc/registry");
}

QString Registry::location()
{
    return explicitLocation().isEmpty() ? defaultLocation() : explicitLocation();
}

QString Registry::entryFileName(const QString& modulePath)
{
    return QFileInfo(modulePath).completeBaseName().section(QLatin1Char('.'), 0, 0) + QStringLiteral(".json");
}

static Result<Registry::LibraryEntry> parseEntry(const QString& file)
{
    // An entry is a few hundred bytes; anything but a small regular file is not one.
    const QByteArray json = VELLOC_TRY(localfile::readRegular(file, QStringLiteral("registry entry"), 1 << 20));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull())
        return Error(errc::InvalidArgument, QStringLiteral("%1: not valid JSON (%2 at offset %3)")
                                                .arg(file, parseError.errorString())
                                                .arg(parseError.offset));
    const QJsonObject root = doc.object();
    Registry::LibraryEntry entry;
    entry.file = file;
    entry.path = root.value(QStringLiteral("path")).toString();
    entry.abi = quint32(root.value(QStringLiteral("abi")).toInteger());
    if (entry.path.isEmpty() || !root.value(QStringLiteral("classes")).isArray())
        return Error(errc::InvalidArgument, QStringLiteral("%1: a registry entry needs \"path\" and \"classes\"").arg(file));
    const Guid libid = Guid::parse(root.value(QStringLiteral("libid")).toString()).value_or(Guid());
    const QString version = root.value(QStringLiteral("version")).toString();
    for (const QJsonValue& v : root.value(QStringLiteral("classes")).toArray()) {
        const QJsonObject c = v.toObject();
        const auto clsid = Guid::parse(c.value(QStringLiteral("clsid")).toString());
        if (!clsid)
            return Error(errc::InvalidArgument, QStringLiteral("%1: a class has no valid \"clsid\"").arg(file));
        entry.classes.append(Registry::ClassEntry {*clsid, c.value(QStringLiteral("progid")).toString(),
                                                   c.value(QStringLiteral("name")).toString(),
                                                   c.value(QStringLiteral("control")).toBool(), libid, version,
                                                   entry.path});
    }
    return entry;
}

QList<Registry::LibraryEntry> Registry::libraries(QStringList* problems)
{
    QList<LibraryEntry> out;
    const QDir dir(location());
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        Result<LibraryEntry> entry = parseEntry(dir.absoluteFilePath(name));
        if (entry)
            out.append(entry.value());
        else if (problems)
            problems->append(entry.error().message());
    }
    return out;
}

Result<void> Registry::writeLibrary(const TypeLibInfo& lib, const QString& modulePath)
{
    const QString dirPath = location();
    if (!QDir().mkpath(dirPath))
        return Error(errc::PathFileAccess, QStringLiteral("Cannot create the registry folder %1").arg(dirPath));
    QJsonArray classes;
    for (const ClassInfo& c : lib.classes) {
        if (c.progId.isEmpty() && !c.propertyPage)
            continue;
        classes.append(QJsonObject {{QStringLiteral("clsid"), c.clsid.toString()},
                                    {QStringLiteral("progid"), c.progId},
                                    {QStringLiteral("name"), c.name},
                                    {QStringLiteral("control"), c.control}});
    }
    const QJsonObject root {{QStringLiteral("path"), QFileInfo(modulePath).absoluteFilePath()},
                            {QStringLiteral("abi"), qint64(ModuleAbi)},
                            {QStringLiteral("library"), lib.name},
                            {QStringLiteral("libid"), lib.libid.toString()},
                            {QStringLiteral("version"), QStringLiteral("%1.%2").arg(lib.majorVersion).arg(lib.minorVersion)},
                            {QStringLiteral("classes"), classes}};
    QSaveFile file(QDir(dirPath).absoluteFilePath(entryFileName(modulePath)));
    if (!file.open(QIODevice::WriteOnly))
        return Error(errc::PathFileAccess, QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
    file.write(QJsonDocument(root).toJson());
    if (!file.commit())
        return Error(errc::PathFileAccess, QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
    return {};
}

Result<void> Registry::removeLibrary(const QString& modulePath)
{
    const QString file = QDir(location()).absoluteFilePath(entryFileName(modulePath));
    if (QFileInfo::exists(file) && !QFile::remove(file))
        return Error(errc::PathFileAccess, QStringLiteral("Cannot remove %1").arg(file));
    return {};
}

Result<QList<Registry::ClassEntry>> Registry::findClasses(const QString& progIdOrClsid)
{
    const auto clsid = Guid::parse(progIdOrClsid);
    QStringList problems;
    QList<ClassEntry> found;
    for (const LibraryEntry& lib : libraries(&problems))
        for (const ClassEntry& c : lib.classes)
            if (clsid ? c.clsid == *clsid : c.progId.compare(progIdOrClsid, Qt::CaseInsensitive) == 0)
                found.append(c);
    if (!found.isEmpty())
        return found;
    QString message = QStringLiteral("No class is registered as %1 in %2").arg(progIdOrClsid, location());
    if (!problems.isEmpty())
        message += QStringLiteral(" (unreadable entries: %1)").arg(problems.join(QStringLiteral("; ")));
    return Error(errc::CannotCreateObject, message);
}

QStringList Registry::conflicts(const QList<LibraryEntry>& libraries)
{
    struct Claim {
        QString progId;
        QString file;
        QString library;
    };
    QList<Claim> live;
    for (const LibraryEntry& lib : libraries) {
        const QString library = canonicalPath(lib.path);
        struct stat st {};
        if (library.isEmpty() || ::stat(encodePath(library).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        for (const ClassEntry& c : lib.classes)
            if (!c.progId.isEmpty())
                live.append(Claim {c.progId, lib.file, library});
    }
    QStringList out;
    QStringList reported;
    for (qsizetype i = 0; i < live.size(); ++i) {
        if (reported.contains(live[i].progId, Qt::CaseInsensitive))
            continue;
        QStringList claims {QStringLiteral("%1 (%2)").arg(live[i].file, live[i].library)};
        for (qsizetype j = i + 1; j < live.size(); ++j)
            if (live[j].progId.compare(live[i].progId, Qt::CaseInsensitive) == 0 && live[j].library != live[i].library)
                claims << QStringLiteral("%1 (%2)").arg(live[j].file, live[j].library);
        if (claims.size() < 2)
            continue;
        reported << live[i].progId;
        out << QStringLiteral("%1 is claimed by %2; the first whose library loads is used")
                   .arg(live[i].progId, claims.join(QStringLiteral(" and ")));
    }
    return out;
}

long registerModule(const TypeLibInfo& lib, const char* modulePath)
{
    return Registry::writeLibrary(lib, decodePath(modulePath)) ? hr::Ok : hr::RegistrationFailed;
}

long unregisterModule(const TypeLibInfo&, const char* modulePath)
{
    return Registry::removeLibrary(decodePath(modulePath)) ? hr::Ok : hr::RegistrationFailed;
}

// ---- Module loading ----

static std::map<QString, std::unique_ptr<Module>>& loadedModules()
{
    static std::map<QString, std::unique_ptr<Module>> modules;
    return modules;
}

Module::Failure Module::failureOf(const Error& error)
{
    switch (error.number()) {
    case loaderr::NotAComponentLibrary: return Failure::NotAComponentLibrary;
    case loaderr::VersionMismatch: return Failure::VersionMismatch;
    default: return Failure::CannotLoad;
    }
}

Result<Module*> Module::load(const QString& path)
{
    const QString canonical = canonicalPath(path);
    if (canonical.isEmpty())
        return Error(loaderr::CannotLoad, QStringLiteral("cannot load %1: no such file").arg(path));
    auto& modules = loadedModules();
    if (auto it = modules.find(canonical); it != modules.end())
        return it->second.get();

    // dlopen would wait for ever on a FIFO and read a device without end.
    struct stat info {};
    if (::stat(encodePath(canonical).constData(), &info) != 0)
        return Error(loaderr::CannotLoad, QStringLiteral("cannot load %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISREG(info.st_mode))
        return Error(loaderr::CannotLoad,
                     QStringLiteral("cannot load %1: it is %2, not a regular file").arg(path, localfile::kindOf(info.st_mode)));
    void* handle = dlopen(encodePath(canonical).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return Error(loaderr::CannotLoad, QStringLiteral("cannot load %1: %2").arg(path, QString::fromLocal8Bit(dlerror())));
    auto module = std::make_unique<Module>();
    module->m_path = canonical;
    module->m_handle = handle;
    module->m_register = reinterpret_cast<RegisterFn>(dlsym(handle, "DllRegisterServer"));
    module->m_unregister = reinterpret_cast<RegisterFn>(dlsym(handle, "DllUnregisterServer"));
    module->m_getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    module->m_canUnloadNow = reinterpret_cast<RegisterFn>(dlsym(handle, "DllCanUnloadNow"));
    if (!module->m_register || !module->m_unregister || !module->m_getClassObject || !module->m_canUnloadNow) {
        dlclose(handle);
        return Error(loaderr::NotAComponentLibrary,
                     QStringLiteral("%1 is not a component library: it lacks the entry points DllRegisterServer, "
                                    "DllUnregisterServer, DllGetClassObject and DllCanUnloadNow")
                         .arg(path));
    }
    const void* header = nullptr;
    if (module->m_getClassObject(nullptr, nullptr, &header) != hr::Ok || !header
        || static_cast<const ModuleHeader*>(header)->magic != ModuleMagic) {
        dlclose(handle);
        return Error(loaderr::NotAComponentLibrary, QStringLiteral("%1 is not a component library: it has no module header").arg(path));
    }
    module->m_header = static_cast<const ModuleHeader*>(header);
    if (module->m_header->abi != ModuleAbi) {
        const quint32 abi = module->m_header->abi;
        dlclose(handle);
        return Error(loaderr::VersionMismatch,
                     QStringLiteral("version mismatch: %1 was built for runtime ABI %2, this runtime has ABI %3")
                         .arg(path)
                         .arg(abi)
                         .arg(ModuleAbi));
    }
    Module* raw = module.get();
    modules.emplace(canonical, std::move(module));
    return raw;
}

const TypeLibInfo& Module::typeLib() const { return m_header->typeLib(); }
long Module::registerServer() const { return m_register(); }
long Module::unregisterServer() const { return m_unregister(); }
bool Module::canUnloadNow() const { return m_canUnloadNow() == hr::Ok; }

Result<std::shared_ptr<Object>> Module::createInstance(const Guid& clsid) const
{
    const void* out = nullptr;
    if (m_getClassObject(&clsid, nullptr, &out) != hr::Ok || !out)
        return Error(errc::CannotCreateObject, QStringLiteral("%1 does not provide the class %2").arg(m_path, clsid.toString()));
    const auto* cls = static_cast<const ClassInfo*>(out);
    if (!cls->create)
        return Error(errc::CannotCreateObject, QStringLiteral("The class %1 cannot be created").arg(cls->name));
    return cls->create();
}

// ---- Creation ----

static QList<ClassInfo>& builtIns()
{
    static QList<ClassInfo> classes;
    return classes;
}

void registerBuiltInClass(const ClassInfo& cls)
{
    builtIns().append(cls);
}

QList<ClassInfo> builtInClasses()
{
    return builtIns();
}

Result<std::shared_ptr<Object>> createObject(const QString& progIdOrClsid)
{
    const auto clsid = Guid::parse(progIdOrClsid);
    for (const ClassInfo& c : builtIns())
        if (clsid ? c.clsid == *clsid : c.progId.compare(progIdOrClsid, Qt::CaseInsensitive) == 0)
            return c.create();
    // A broken entry (its library gone or not loadable) does not hide a good one for the same
    // class: the first whose library loads is used.
    const QList<Registry::ClassEntry> entries = VELLOC_TRY(Registry::findClasses(progIdOrClsid));
    QList<Error> failures;
    for (const Registry::ClassEntry& entry : entries) {
        Result<Module*> module = Module::load(entry.modulePath);
        if (module)
            return module.value()->createInstance(entry.clsid);
        failures.append(module.releaseError());
    }
    QString message = failures.first().message();
    for (qsizetype i = 1; i < failures.size(); ++i)
        message += QStringLiteral("; ") + failures[i].message();
    return Error(failures.first().number(), message);
}

} // namespace velloc
