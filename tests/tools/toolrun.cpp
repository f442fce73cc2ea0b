#include "toolrun.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QStringList ToolRun::outLines() const
{
    QStringList lines = out.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList ToolRun::errLines() const
{
    QStringList lines = err.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString compregPath()
{
    return QStringLiteral(COMPREG_PATH);
}

QString compcallPath()
{
    return QStringLiteral(COMPCALL_PATH);
}

QString testWidgetPath()
{
    return QStringLiteral(TESTWIDGET_PATH);
}

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

ToolWorld::ToolWorld() = default;

QStringList ToolWorld::registryFiles() const
{
    return QDir(registry()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

ToolRun ToolWorld::run(const QString& program, const QStringList& args, const QByteArray& input,
                       const QProcessEnvironment& extra, const QStringList& unset) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("VELLOC_REGISTRY"));
    env.remove(QStringLiteral("COMPCALL_OPEN"));
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(extra);
    for (const QString& name : unset)
        env.remove(name);

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(work());
    process.start(program, args);
    ToolRun result;
    if (!process.waitForStarted(30000)) {
        result.err = QStringLiteral("cannot start %1: %2").arg(program, process.errorString());
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("%1 did not finish").arg(program);
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

ToolRun ToolWorld::compreg(const QStringList& args) const
{
    return run(compregPath(), QStringList {QStringLiteral("--registry"), registry()} + args);
}

ToolRun ToolWorld::compcall(const QStringList& args, const QByteArray& input, const QProcessEnvironment& extra) const
{
    return run(compcallPath(), QStringList {QStringLiteral("--registry"), registry()} + args, input, extra);
}

bool ToolWorld::registerTestWidget() const
{
    const ToolRun r = compreg({QStringLiteral("register"), testWidgetPath()});
    return r.exitCode == 0 && !r.crashed;
}
