#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <sys/stat.h>

using namespace platform;

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

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

void mouseClick(QWidget* widget, QPoint at, Qt::MouseButton button)
{
    const QPointer<QWidget> guard(widget);
    sendMouse(widget, QEvent::MouseButtonPress, at, button, button);
    if (guard)
        sendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

} // namespace testsupport
