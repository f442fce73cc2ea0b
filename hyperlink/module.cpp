// The library's four entry points.
#include "typelib.h"

#include "platform/module.h"

VELLOC_COMPONENT_MODULE(linkwell::linkwellTypeLib)
