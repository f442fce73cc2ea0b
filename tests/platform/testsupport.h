#pragma once

// Shared helpers of the runtime's tests: checks of results, values written as literals, a
// recording site and responder, a temporary registry, and the test component library.

#include "testwidgetids.h"

#include "platform/control.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/varianttext.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace testsupport {

// Asserts a result failed with this automation error number.
template <typename T>
::testing::AssertionResult failsWith(const platform::Result<T>& result, int number)
{
    if (result.ok())
        return ::testing::AssertionFailure() << "succeeded, expected error " << number;
    if (result.error().number() != number)
        return ::testing::AssertionFailure() << "failed with error " << result.error().number() << " ("
                                             << result.error().message().toStdString() << "), expected " << number;
    return ::testing::AssertionSuccess();
}

// Same type and same value.
inline ::testing::AssertionResult sameVariant(const platform::Variant& actual, const platform::Variant& expected)
{
    if (actual.type() == expected.type() && platform::Variant::equalByValue(actual, expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << platform::varianttext::format(actual).toStdString() << " is not "
                                         << platform::varianttext::format(expected).toStdString();
}

// A value written as a scripting literal: "i2:5", R"("text")", "nothing", "$name" through `resolve`.
inline platform::Variant lit(const char* text, const platform::varianttext::ObjectResolver& resolve = {})
{
    platform::Result<platform::Variant> v = platform::varianttext::parseScriptAll(QString::fromUtf8(text), resolve);
    if (!v.ok())
        ADD_FAILURE() << "bad literal " << text << ": " << v.error().message().toStdString();
    return v.ok() ? v.value() : platform::Variant();
}

// What a call gave, as compcall prints it: the value's literal, or "error N".
inline QString outcome(const platform::Result<platform::Variant>& r)
{
    return r.ok() ? platform::varianttext::format(r.value()) : QStringLiteral("error %1").arg(r.error().number());
}

// A registry of its own for one test; the runtime's location is put back afterwards.
class ScopedRegistry {
public:
    ScopedRegistry() { platform::Registry::setLocation(m_dir.path()); }
    ~ScopedRegistry() { platform::Registry::setLocation(QString()); }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A host site that records the notifications and can refuse one property.
class RecordingSite : public platform::ControlSite {
public:
    platform::Result<void> propertyChanged(platform::Control&, const QString& name) override
    {
        changes.append(name);
        if (refusedName.compare(name, Qt::CaseInsensitive) == 0)
            return refusal;
        return {};
    }
    std::shared_ptr<platform::Font> ambientFont() override { return font; }
    bool userMode() const override { return true; }

    QStringList changes;
    QString refusedName;
    platform::Error refusal {platform::errc::InvalidArgument, QStringLiteral("The host refused the change")};
    std::shared_ptr<platform::Font> font = platform::Font::create();
};

// Answers message boxes and cancels file dialogs without a person, and records what would have
// been shown. Installed for its lifetime.
class RecordingResponder : public platform::services::Responder {
public:
    RecordingResponder() { platform::services::setResponder(this); }
    ~RecordingResponder() override { platform::services::setResponder(nullptr); }

    int messageBox(const QString& text, platform::services::MsgIcon icon, platform::services::MsgButtons buttons,
                   const QString& title) override
    {
        log.append(QStringLiteral("msgbox %1 %2 %3 %4")
                       .arg(platform::services::iconName(icon), platform::services::buttonsName(buttons), title, text));
        return messageAnswer;
    }
    std::optional<QString> openFileDialog(const platform::services::FileDialogRequest& request) override
    {
        requests.append(request);
        return std::nullopt;
    }
    void openDocument(const QString& text, const QUrl& url) override
    {
        log.append(QStringLiteral("open %1 %2").arg(text, url.toString()));
    }

    QStringList log;
    QList<platform::services::FileDialogRequest> requests;
    int messageAnswer = platform::services::msgresult::Ok;
};

inline const QString testWidgetPath = QStringLiteral(TESTWIDGET_PATH);

// The test component library, loaded once for the process, and objects made by it.
inline platform::Module* testModule()
{
    platform::Result<platform::Module*> module = platform::Module::load(testWidgetPath);
    EXPECT_TRUE(module.ok()) << "cannot load the test component: " << module.error().message().toStdString();
    return module.ok() ? module.value() : nullptr;
}

inline std::shared_ptr<platform::Object> createFromTestModule(const platform::Guid& clsid)
{
    platform::Module* module = testModule();
    platform::Result<std::shared_ptr<platform::Object>> object = platform::Error(platform::errc::CannotCreateObject);
    if (module)
        object = module->createInstance(clsid);
    EXPECT_TRUE(object.ok()) << "cannot create " << clsid.toString().toStdString();
    return object.ok() ? object.value() : nullptr;
}

inline std::shared_ptr<platform::Control> newWidget()
{
    return std::dynamic_pointer_cast<platform::Control>(createFromTestModule(testwidget::WidgetClsid));
}

// Late-bound calls, as a host makes them.
inline platform::Result<platform::Variant> getProperty(platform::Object& object, platform::DispId id)
{
    return object.invoke(id, platform::InvokeKind::PropertyGet, {});
}
inline platform::Result<platform::Variant> putProperty(platform::Object& object, platform::DispId id,
                                                       platform::Variant value)
{
    return object.invoke(id, platform::InvokeKind::PropertyPut, {std::move(value)});
}

} // namespace testsupport
