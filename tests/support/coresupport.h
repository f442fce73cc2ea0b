#pragma once

// What every test binary of the suite shares, the object-model tests too (no QtWidgets): checks
// of results, values written as compcall literals, a registry and a scratch folder of a test's
// own, and files.

#include "velloc/store/registry.h"
#include "velloc/store/varianttext.h"

#include <QEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace testsupport {

// Asserts a result failed with this automation error number.
template <typename T>
::testing::AssertionResult failsWith(const velloc::Result<T>& result, int number)
{
    if (result.ok())
        return ::testing::AssertionFailure() << "succeeded, expected error " << number;
    if (result.error().number() != number)
        return ::testing::AssertionFailure() << "failed with error " << result.error().number() << " ("
                                             << result.error().message().toStdString() << "), expected " << number;
    return ::testing::AssertionSuccess();
}

// Same type and same value.
::testing::AssertionResult sameVariant(const velloc::Variant& actual, const velloc::Variant& expected);

// A value written as a compcall literal: "i2:5", R"("text")", "nothing", "$name" through `resolve`.
velloc::Variant lit(const char* text, const velloc::varianttext::ObjectResolver& resolve = {});

// What a call gave, as compcall prints it: the value, or "error N".
QString outcome(const velloc::Result<velloc::Variant>& r);

// A registry of its own for one test; the previous location is put back afterwards.
class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// A scratch folder removed with its contents, also when files in it were made read-only.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    QString path(const QString& name) const;
    QString path() const { return m_path; }
    QStringList entries() const;

private:
    QString m_path;
};

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
QByteArray patternBytes(int size, unsigned seed = 1);

// Late-bound calls, as a host makes them.
velloc::Result<velloc::Variant> call(velloc::Object& object, velloc::DispId id,
                                         std::initializer_list<velloc::Variant> args = {});
// With the caller's own argument variables, to see what a by-reference call leaves in them.
velloc::Result<velloc::Variant> callWith(velloc::Object& object, velloc::DispId id, QList<velloc::Variant>& args);
velloc::Result<velloc::Variant> getProperty(velloc::Object& object, velloc::DispId id);
velloc::Result<velloc::Variant> putProperty(velloc::Object& object, velloc::DispId id, velloc::Variant value);
velloc::Result<velloc::Variant> putRefProperty(velloc::Object& object, velloc::DispId id, velloc::Variant value);

} // namespace testsupport
