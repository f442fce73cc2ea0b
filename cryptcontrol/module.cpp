// The library's four entry points.
#include "velloc.h"

VELLOC_COMPONENT_MODULE(velpack::vellibTypeLib)
