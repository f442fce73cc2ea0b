// The test component library: the widget and the counter behind the four entry points.
#include "testcounter.h"
#include "testwidget.h"
#include "testwidgetids.h"

#include "velloc/core/module.h"

static const velloc::TypeLibInfo& testLibrary()
{
    static const velloc::TypeLibInfo lib = [] {
        velloc::TypeLibInfo l;
        l.name = QStringLiteral("VellocTest");
        l.libid = testwidget::LibId;
        l.majorVersion = 1;
        l.minorVersion = 2;
        l.helpString = QStringLiteral("Velloc test components");
        l.classes = {TestWidget::classInfo(), TestCounter::classInfo()};
        l.interfaces = {&TestWidget::table().info(), &TestWidget::events(), &TestCounter::table().info()};
        l.enums = {velloc::EnumInfo {QStringLiteral("TestShade"), testwidget::ShadeEnumId,
                                       {{QStringLiteral("Light"), 0, QStringLiteral("A pale face")},
                                        {QStringLiteral("Dark"), 1, {}},
                                        {QStringLiteral("Unset"), -1, {}}}}};
        return l;
    }();
    return lib;
}

VELLOC_COMPONENT_MODULE(testLibrary)
