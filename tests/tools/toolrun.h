#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline const QString compregPath = QStringLiteral(COMPREG_PATH);
inline const QString compcallPath = QStringLiteral(COMPCALL_PATH);
inline const QString testWidgetPath = QStringLiteral(TESTWIDGET_PATH);

// The lines of a text, without the empty one after its last newline.
inline QStringList lines(const QString& text)
{
    QStringList out = text.split(u'\n');
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

// What a finished tool run left behind.
struct ToolRun {
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
    QByteArray rawOut; // standard output byte for byte
};

// A scratch world for one test: its own registry, working folder and home, so the tools never
// touch the build tree's registry or the user's.
class ToolWorld {
public:
    QString registry() const { return m_registry.path(); }
    QString work() const { return m_work.path(); }
    QString home() const { return m_home.path(); }
    QStringList registryFiles() const { return QDir(registry()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    // Runs a tool in the working folder; `unset` names variables of the tests' own environment
    // the tool must not see.
    // `inChild` runs in the child before the tool starts (to set a resource limit).
    ToolRun run(const QString& program, const QStringList& args, const QByteArray& input = {},
                const QProcessEnvironment& extra = {}, const QStringList& unset = {},
                const std::function<void()>& inChild = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "VELLOC_REGISTRY", "COMPCALL_OPEN"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(extra);
        for (const QString& name : unset)
            env.remove(name);
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(work());
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(program, args);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000))
            process.kill();
        const QByteArray out = process.readAllStandardOutput();
        return ToolRun {process.exitCode(), process.exitStatus() != QProcess::NormalExit, QString::fromUtf8(out),
                        QString::fromUtf8(process.readAllStandardError()), out};
    }
    ToolRun compreg(const QStringList& args) const
    {
        return run(compregPath, QStringList {QStringLiteral("--registry"), registry()} + args);
    }
    ToolRun compcall(const QStringList& args, const QByteArray& input = {}, const QProcessEnvironment& extra = {}) const
    {
        return run(compcallPath, QStringList {QStringLiteral("--registry"), registry()} + args, input, extra);
    }
    bool registerLibrary(const QString& path) const
    {
        const ToolRun r = compreg({QStringLiteral("register"), path});
        return r.exitCode == 0 && !r.crashed;
    }
    bool registerTestWidget() const { return registerLibrary(testWidgetPath); }

private:
    QTemporaryDir m_registry;
    QTemporaryDir m_work;
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
};
