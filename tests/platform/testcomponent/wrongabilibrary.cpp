// A component library built for a runtime ABI that does not exist yet: the loader must refuse
// it before it uses anything in it.
#include "testwidgetids.h"

#include "velloc/core/module.h"

static const velloc::TypeLibInfo& wrongAbiLibrary()
{
    static const velloc::TypeLibInfo lib = [] {
        velloc::TypeLibInfo l;
        l.name = QStringLiteral("WrongAbi");
        l.libid = testwidget::WrongAbiLibId;
        return l;
    }();
    return lib;
}

VELLOC_COMPONENT_MODULE_WITH_ABI(wrongAbiLibrary, velloc::ModuleAbi + 1)
