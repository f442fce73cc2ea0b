#pragma once

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// What a finished tool run left behind.
struct ToolRun {
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;

    QStringList outLines() const;
    QStringList errLines() const;
};

// A scratch world for one test: its own registry, working folder and home, so the tools never
// touch the build tree's registry or the user's.
class ToolWorld {
public:
    ToolWorld();

    QString registry() const { return m_registry.path(); }
    QString work() const { return m_work.path(); }
    QString home() const { return m_home.path(); }
    QStringList registryFiles() const;

    // Runs a tool with the working folder as its current folder; `unset` names variables of the
    // tests' own environment the tool must not see.
    ToolRun run(const QString& program, const QStringList& args, const QByteArray& input = {},
                const QProcessEnvironment& extra = {}, const QStringList& unset = {}) const;
    ToolRun compreg(const QStringList& args) const;
    ToolRun compcall(const QStringList& args, const QByteArray& input = {}, const QProcessEnvironment& extra = {}) const;

    // Registers the test component library with compreg; true when that worked.
    bool registerTestWidget() const;

private:
    QTemporaryDir m_registry;
    QTemporaryDir m_work;
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
};

QString compregPath();
QString compcallPath();
QString testWidgetPath();
QString canonical(const QString& path);
