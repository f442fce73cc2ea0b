#pragma once

// The test component library, loaded once for the process, and objects made by it.

#include "testwidgetids.h"

#include "coresupport.h"

#include "velloc/core/module.h"

namespace testsupport {

inline const QString testWidgetPath = QStringLiteral(TESTWIDGET_PATH);

inline velloc::Module* testModule()
{
    velloc::Result<velloc::Module*> module = velloc::Module::load(testWidgetPath);
    EXPECT_TRUE(module.ok()) << "cannot load the test component: " << module.error().message().toStdString();
    return module.ok() ? module.value() : nullptr;
}

inline std::shared_ptr<velloc::Object> createFromTestModule(const velloc::Guid& clsid)
{
    velloc::Module* module = testModule();
    velloc::Result<std::shared_ptr<velloc::Object>> object = velloc::Error(velloc::errc::CannotCreateObject);
    if (module)
        object = module->createInstance(clsid);
    EXPECT_TRUE(object.ok()) << "cannot create " << clsid.toString().toStdString();
    return object.ok() ? object.value() : nullptr;
}
} // namespace testsupport
