#pragma once

#include "velloc/core/object.h"

#include <QStringList>

namespace velloc {

struct ModuleHeader;

// The registry: a folder with one JSON file per registered library.
class VELLOC_EXPORT Registry {
public:
    struct ClassEntry {
        Guid clsid;
        QString progId;
        QString name;
        bool control = false;
        Guid libid;
        QString typeLibVersion;
        QString modulePath;
    };
    struct LibraryEntry {
        QString file;   // the JSON file
        QString path;   // the library's absolute path
        quint32 abi = 0;
        QList<ClassEntry> classes;
    };

    // The folder in use: set explicitly, else $VELLOC_REGISTRY, else the one the build tree or
    // install prefix carries beside the programs, else ~/.local/share/velloc/registry.
    static QString location();
    static void setLocation(const QString& dir);
    static QString defaultLocation();

    // Every readable library entry; files that do not parse are reported in `problems`.
    static QList<LibraryEntry> libraries(QStringList* problems = nullptr);
    static Result<void> writeLibrary(const TypeLibInfo& lib, const QString& modulePath);
    static Result<void> removeLibrary(const QString& modulePath);

    // Every entry for a programmatic identifier (without regard to case) or {CLSID}, in the
    // registry's order; an error when there is none.
    static Result<QList<ClassEntry>> findClasses(const QString& progIdOrClsid);
    // One line for each programmatic identifier that two entries with a library present claim
    // for different libraries.
    static QStringList conflicts(const QList<LibraryEntry>& libraries);

    static QString entryFileName(const QString& modulePath);
};

// A loaded component library.
class VELLOC_EXPORT Module {
public:
    enum class Failure { CannotLoad, NotAComponentLibrary, VersionMismatch };

    // Loads once per path; checks the four entry points and the ABI before anything else.
    static Result<Module*> load(const QString& path);
    static Failure failureOf(const Error& error);

    const QString& path() const { return m_path; }
    const TypeLibInfo& typeLib() const;
    long registerServer() const;
    long unregisterServer() const;
    bool canUnloadNow() const;
    Result<std::shared_ptr<Object>> createInstance(const Guid& clsid) const;

private:
    using RegisterFn = long (*)();
    using GetClassObjectFn = long (*)(const Guid*, const Guid*, const void**);
    QString m_path;
    void* m_handle = nullptr;
    RegisterFn m_register = nullptr;
    RegisterFn m_unregister = nullptr;
    GetClassObjectFn m_getClassObject = nullptr;
    RegisterFn m_canUnloadNow = nullptr;
    const ModuleHeader* m_header = nullptr;
};

// Error numbers of the loader (distinct, so callers and tests can tell them apart).
namespace loaderr {
inline constexpr int CannotLoad = errc::CannotLoadLibrary;
inline constexpr int NotAComponentLibrary = errc::EntryPointNotFound;
inline constexpr int VersionMismatch = errc::UnsupportedAutomationType;
} // namespace loaderr

// Classes the runtime itself provides, found before the registry: the hosting layer adds the
// common dialog when it is loaded.
VELLOC_EXPORT void registerBuiltInClass(const ClassInfo& cls);
VELLOC_EXPORT QList<ClassInfo> builtInClasses();

// Creates an object by programmatic identifier or {CLSID}.
VELLOC_EXPORT Result<std::shared_ptr<Object>> createObject(const QString& progIdOrClsid);

} // namespace velloc
