// compcall: drives registered components from a script, late-bound, and prints what happens.
#include "scripthost.h"

#include "platform/registry.h"

#include <QApplication>
#include <QFile>

// Qt's note that it picked a runtime folder itself is no news to a script's reader.
static void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

int main(int argc, char** argv)
{
    qInstallMessageHandler(messageHandler);
    // Without a display, windows are drawn offscreen; nothing here waits for a person.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == QLatin1String("--registry")) {
        platform::Registry::setLocation(args[1]);
        args = args.mid(2);
    }
    if (args.size() > 1 || (!args.isEmpty() && args[0].startsWith(QLatin1String("--")))) {
        err << "usage: compcall [--registry DIR] [SCRIPT]\n";
        return 2;
    }
    QFile file;
    if (args.isEmpty()) {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            err << "compcall: cannot read standard input\n";
            return 2;
        }
    } else {
        file.setFileName(args[0]);
        if (!file.open(QIODevice::ReadOnly)) {
            err << "compcall: cannot read " << args[0] << ": " << file.errorString() << '\n';
            return 2;
        }
    }
    const QString script = QString::fromUtf8(file.readAll());
    ScriptHost host(out);
    return host.run(script, err);
}
