// compreg: registers component libraries and shows what the registry and a library hold.
#include "velloc/core/module.h"
#include "velloc/hosting/commondialog.h"
#include "velloc/io/pathcodec.h"
#include "velloc/io/localfile.h"
#include "velloc/store/registry.h"

#include "proxygen.h"

#include <QDir>
#include <QFile>

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

using namespace velloc;

// Writes a generated file unless it already holds exactly this text, so that a build that runs
// the generator again recompiles nothing that did not change.
static bool writeGenerated(const QString& path, const QString& text, QTextStream& err)
{
    const QByteArray bytes = text.toUtf8();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return true;
    const Result<void> written = localfile::write(path, QStringLiteral("generated file"), bytes);
    if (!written)
        err << "compreg: " << written.error().message() << '\n';
    return written.ok();
}

// The typed proxy of a registered class, written as OUTDIR/<library>_<class>.h and .cpp.
static int writeProxy(const QString& progId, const QString& outDir, QTextStream& out, QTextStream& err)
{
    const Result<QList<Registry::ClassEntry>> entries = Registry::findClasses(progId);
    if (!entries) {
        err << "compreg: " << entries.error().message() << '\n';
        return 1;
    }
    QString failures;
    for (const Registry::ClassEntry& entry : entries.value()) {
        Result<Module*> module = Module::load(entry.modulePath);
        if (!module) {
            failures += module.error().message() + QLatin1Char('\n');
            continue;
        }
        const TypeLibInfo& lib = module.value()->typeLib();
        const ClassInfo* cls = lib.findClass(entry.clsid);
        if (!cls) {
            failures += QStringLiteral("%1 does not describe the class %2\n").arg(entry.modulePath, progId);
            continue;
        }
        const Result<proxygen::Proxy> proxy = proxygen::generateProxy(lib, *cls);
        if (!proxy) {
            err << "compreg: no proxy for " << progId << ": " << proxy.error().message() << '\n';
            return 1;
        }
        if (!QDir().mkpath(outDir)) {
            err << "compreg: cannot make the folder " << outDir << '\n';
            return 1;
        }
        const QDir dir(outDir);
        if (!writeGenerated(dir.filePath(proxy->baseName + QStringLiteral(".h")), proxy->header, err)
            || !writeGenerated(dir.filePath(proxy->baseName + QStringLiteral(".cpp")), proxy->source, err))
            return 1;
        out << "proxy " << lib.name << "::" << cls->name << " in " << dir.filePath(proxy->baseName) << ".h\n";
        return 0;
    }
    err << "compreg: " << failures;
    return 1;
}

static int usage(QTextStream& err)
{
    err << "usage: compreg [--registry DIR] register LIBRARY\n"
           "       compreg [--registry DIR] unregister LIBRARY\n"
           "       compreg [--registry DIR] list\n"
           "       compreg typelib LIBRARY\n"
           "       compreg [--registry DIR] proxy PROGID OUTDIR\n"
           "       compreg reference LIBRARY OUTPUT.html\n";
    return 2;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The runtime's own classes come with its hosting layer; a host sees them, so the listing
    // shows them too.
    (void)CommonDialog::classInfo();
    // Past a file-size limit writing an entry fails with an error, instead of the signal ending
    // the process without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Arguments are file names: kept byte for byte (see pathcodec.h), not decoded as text.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << decodePath(argv[i]);
    if (args.size() >= 2 && args[0] == QLatin1String("--registry")) {
        Registry::setLocation(args[1]);
        args = args.mid(2);
    }
    if (args.isEmpty())
        return usage(err);
    const QString command = args[0];

    if (command == QLatin1String("list") && args.size() == 1) {
        QStringList problems;
        const auto libraries = Registry::libraries(&problems);
        out << "registry " << Registry::location() << '\n';
        for (const ClassInfo& c : builtInClasses())
            out << c.clsid.toString() << "  " << c.progId << "  " << c.name << (c.control ? "  control" : "")
                << "  (built into the runtime)\n";
        for (const auto& lib : libraries)
            for (const auto& c : lib.classes)
                out << c.clsid.toString() << "  " << (c.progId.isEmpty() ? QStringLiteral("-") : c.progId) << "  "
                    << c.name << (c.control ? "  control" : "") << "  " << lib.path << '\n';
        out.flush();
        for (const QString& p : problems)
            err << "compreg: unreadable registry entry: " << p << '\n';
        const QStringList conflicts = Registry::conflicts(libraries);
        for (const QString& c : conflicts)
            err << "compreg: conflict: " << c << '\n';
        return problems.isEmpty() && conflicts.isEmpty() ? 0 : 1;
    }

    if (command == QLatin1String("proxy") && args.size() == 3)
        return writeProxy(args[1], args[2], out, err);

    if (command == QLatin1String("reference") && args.size() == 3) {
        Result<Module*> module = Module::load(absolutePath(args[1]));
        if (!module) {
            err << "compreg: " << module.error().message() << '\n';
            return 1;
        }
        return writeGenerated(args[2], proxygen::generateReference(module.value()->typeLib()), err) ? 0 : 1;
    }

    if (args.size() != 2
        || !QStringList {QStringLiteral("register"), QStringLiteral("unregister"), QStringLiteral("typelib")}.contains(command))
        return usage(err);
    const QString path = absolutePath(args[1]);
    Result<Module*> module = Module::load(path);
    if (!module) {
        err << "compreg: " << module.error().message() << '\n';
        return 1;
    }
    if (command == QLatin1String("typelib")) {
        out << formatTypeLib(module.value()->typeLib());
        return 0;
    }
    if (command == QLatin1String("register") || command == QLatin1String("unregister")) {
        const bool reg = command == QLatin1String("register");
        const long hr = reg ? module.value()->registerServer() : module.value()->unregisterServer();
        if (hr != hr::Ok) {
            err << "compreg: " << (reg ? "DllRegisterServer" : "DllUnregisterServer") << " of " << path
                << " failed (0x" << QString::number(quint32(hr), 16) << ") in " << Registry::location() << '\n';
            return 1;
        }
        out << (reg ? "registered " : "unregistered ") << path << " in " << Registry::location() << '\n';
        return 0;
    }
    return usage(err);
}
