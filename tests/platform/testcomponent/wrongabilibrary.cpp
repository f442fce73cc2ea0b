// A component library built for a runtime ABI that does not exist yet: the loader must refuse
// it before it uses anything in it.
#include "testwidgetids.h"

#include "platform/module.h"

static const platform::TypeLibInfo& wrongAbiLibrary()
{
    static const platform::TypeLibInfo lib = [] {
        platform::TypeLibInfo l;
        l.name = QStringLiteral("WrongAbi");
        l.libid = testwidget::WrongAbiLibId;
        return l;
    }();
    return lib;
}

VELLOC_COMPONENT_MODULE_WITH_ABI(wrongAbiLibrary, platform::ModuleAbi + 1)
