#pragma once

#include "platform/module.h"
#include "platform/object.h"

// A plain component object of the test library: no face, no site, no bag.
class TestCounter final : public platform::Object {
public:
    static const platform::ClassInfo& classInfo();
    static const platform::DispatchTable& table();

    QString className() const override { return QStringLiteral("TestCounter"); }
    const platform::DispatchTable& dispatch() const override { return table(); }

private:
    platform::ModuleLock m_lock;
    std::int32_t m_value = 0;
};
