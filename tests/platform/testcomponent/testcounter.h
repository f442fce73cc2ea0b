#pragma once

#include "velloc/core/module.h"
#include "velloc/core/object.h"

// A plain component object of the test library: no face, no site, no bag.
class TestCounter final : public velloc::Object {
public:
    static const velloc::ClassInfo& classInfo();
    static const velloc::DispatchTable& table();

    QString className() const override { return QStringLiteral("TestCounter"); }
    const velloc::DispatchTable& dispatch() const override { return table(); }

private:
    velloc::ModuleLock m_lock;
    std::int32_t m_value = 0;
};
