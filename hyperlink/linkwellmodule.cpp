// The library's four entry points.
#include "linkwelltypelib.h"

#include "platform/module.h"

VELLOC_COMPONENT_MODULE(linkwell::linkwellTypeLib)
