#include "testcounter.h"

#include "testwidgetids.h"

#include <limits>

using namespace velloc;

const ClassInfo& TestCounter::classInfo()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.name = QStringLiteral("TestCounter");
        c.clsid = testwidget::CounterClsid;
        c.progId = QString::fromLatin1(testwidget::CounterProgId);
        c.defaultInterface = &table().info();
        c.create = [] { return std::make_shared<TestCounter>(); };
        return c;
    }();
    return info;
}

const DispatchTable& TestCounter::table()
{
    static const DispatchTable t = [] {
        DispatchTable t(InterfaceInfo {QStringLiteral("_TestCounter"), testwidget::CounterIid, true});
        const TypeRef i4 {VarType::I4, {}};
        t.get<TestCounter>(QStringLiteral("Value"), testwidget::counterid::Value, i4, QStringLiteral("The count."),
                           [](TestCounter& c) -> Result<Variant> { return Variant::fromI4(c.m_value); });
        t.put<TestCounter>(QStringLiteral("Value"), testwidget::counterid::Value, QStringLiteral("New_Value"), i4, {},
                           [](TestCounter& c, const Variant& v) -> Result<void> {
                               c.m_value = v.i4();
                               return {};
                           });
        t.method<TestCounter>(QStringLiteral("Increment"), testwidget::counterid::Increment, {}, i4,
                              QStringLiteral("Adds one and returns the new count."),
                              [](TestCounter& c, std::span<Variant>) -> Result<Variant> {
                                  if (c.m_value == std::numeric_limits<std::int32_t>::max())
                                      return Error(errc::Overflow);
                                  return Variant::fromI4(++c.m_value);
                              });
        return t;
    }();
    return t;
}
