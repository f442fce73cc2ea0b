// compreg: registers component libraries and shows what the registry and a library hold.
#include "platform/module.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

using namespace platform;

static int usage(QTextStream& err)
{
    err << "usage: compreg [--registry DIR] register LIBRARY\n"
           "       compreg [--registry DIR] unregister LIBRARY\n"
           "       compreg [--registry DIR] list\n"
           "       compreg typelib LIBRARY\n";
    return 2;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
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
        return problems.isEmpty() ? 0 : 1;
    }

    if (args.size() != 2
        || !QStringList {QStringLiteral("register"), QStringLiteral("unregister"), QStringLiteral("typelib")}.contains(command))
        return usage(err);
    const QString path = QFileInfo(args[1]).absoluteFilePath();
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
