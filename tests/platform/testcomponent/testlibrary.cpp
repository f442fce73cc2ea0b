// The test component library: the widget and the counter behind the four entry points.
#include "testcounter.h"
#include "testwidget.h"
#include "testwidgetids.h"

#include "platform/module.h"

static const platform::TypeLibInfo& testLibrary()
{
    static const platform::TypeLibInfo lib = [] {
        platform::TypeLibInfo l;
        l.name = QStringLiteral("VellocTest");
        l.libid = testwidget::LibId;
        l.majorVersion = 1;
        l.minorVersion = 2;
        l.helpString = QStringLiteral("Velloc test components");
        l.classes = {TestWidget::classInfo(), TestCounter::classInfo()};
        l.interfaces = {&TestWidget::table().info(), &TestWidget::events(), &TestCounter::table().info()};
        l.enums = {platform::EnumInfo {QStringLiteral("TestShade"), testwidget::ShadeEnumId,
                                       {{QStringLiteral("Light"), 0, QStringLiteral("A pale face")},
                                        {QStringLiteral("Dark"), 1, {}},
                                        {QStringLiteral("Unset"), -1, {}}}}};
        return l;
    }();
    return lib;
}

VELLOC_COMPONENT_MODULE(testLibrary)
