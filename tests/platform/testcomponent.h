#pragma once

// The test component library, loaded once for the process, and objects made by it.

#include "testwidgetids.h"

#include "testsupport.h"

#include "platform/module.h"

namespace testsupport {

inline const QString testWidgetPath = QStringLiteral(TESTWIDGET_PATH);

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

} // namespace testsupport
