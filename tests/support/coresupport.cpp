#include "coresupport.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace velloc;

namespace testsupport {

::testing::AssertionResult sameVariant(const Variant& actual, const Variant& expected)
{
    if (actual.type() == expected.type() && Variant::equalByValue(actual, expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << varianttext::format(actual).toStdString() << " is not "
                                         << varianttext::format(expected).toStdString();
}

Variant lit(const char* text, const varianttext::ObjectResolver& resolve)
{
    Result<Variant> v = varianttext::parseScriptAll(QString::fromUtf8(text), resolve);
    if (!v.ok())
        ADD_FAILURE() << "bad literal " << text << ": " << v.error().message().toStdString();
    return v.ok() ? v.value() : Variant();
}

QString outcome(const Result<Variant>& r)
{
    return r.ok() ? varianttext::format(r.value()) : QStringLiteral("error %1").arg(r.error().number());
}

ScopedRegistry::ScopedRegistry()
    : m_previous(Registry::location())
{
    Registry::setLocation(m_dir.path());
}

ScopedRegistry::~ScopedRegistry()
{
    Registry::setLocation(m_previous);
}

ScratchDir::ScratchDir()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/velloc-test-XXXXXX"));
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

Result<Variant> call(Object& object, DispId id, std::initializer_list<Variant> args)
{
    QList<Variant> copy(args);
    return callWith(object, id, copy);
}

Result<Variant> getProperty(Object& object, DispId id)
{
    return object.invoke(id, InvokeKind::PropertyGet, std::span<Variant>());
}

Result<Variant> putProperty(Object& object, DispId id, Variant value)
{
    return object.invoke(id, InvokeKind::PropertyPut, std::span<Variant>(&value, 1));
}

Result<Variant> putRefProperty(Object& object, DispId id, Variant value)
{
    return object.invoke(id, InvokeKind::PropertyPutRef, std::span<Variant>(&value, 1));
}

Result<Variant> callWith(Object& object, DispId id, QList<Variant>& args)
{
    return object.invoke(id, InvokeKind::Method, std::span<Variant>(args.data(), args.size()));
}

} // namespace testsupport
