// The library's four entry points.
#include "typelib.h"

#include "velloc/core/module.h"

VELLOC_COMPONENT_MODULE(linkwell::linkwellTypeLib)
