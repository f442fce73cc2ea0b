// compcall: drives registered components from a script, late-bound, and prints what happens.
#include "scripthost.h"
#include "scriptoutput.h"

#include "velloc/io/pathcodec.h"
#include "velloc/store/registry.h"

#include <QApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

static ScriptOutput* output = nullptr;

// Qt's note that it picked a runtime folder itself is no news to a script's reader.
static void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (output)
        output->flush();
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
    // Past a file-size limit a write fails with an error the control reports, instead of the
    // signal ending the process without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    ScriptOutput out(STDOUT_FILENO);
    ScriptOutput err(STDERR_FILENO, &out);
    output = &out;
    // Whatever is logged once the output is gone goes straight to the error stream.
    struct Forget {
        ~Forget() { output = nullptr; }
    } forget;

    // Arguments are file names: kept byte for byte (see pathcodec.h), not decoded as text.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << velloc::decodePath(argv[i]);
    if (args.size() >= 2 && args[0] == QLatin1String("--registry")) {
        velloc::Registry::setLocation(args[1]);
        args = args.mid(2);
    }
    if (args.size() > 1 || (!args.isEmpty() && args[0].startsWith(QLatin1String("--")))) {
        err.write("usage: compcall [--registry DIR] [SCRIPT]\n");
        return 2;
    }
    QByteArray script;
    if (args.isEmpty()) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            err.write("compcall: cannot read standard input\n");
            return 2;
        }
        script = in.readAll();
    } else {
        const int fd = ::open(velloc::encodePath(args[0]).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            err.write(velloc::encodePath(QStringLiteral("compcall: cannot read %1: %2\n").arg(args[0], reason)));
            return 2;
        }
        QFile in;
        if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            err.write(velloc::encodePath(QStringLiteral("compcall: cannot read %1\n").arg(args[0])));
            return 2;
        }
        script = in.readAll();
    }
    // A script is text, but the file names in it are bytes: they are kept as they are.
    ScriptHost host(out);
    return host.run(velloc::decodePath(script), err);
}
