// A library with only the registration entry points: the loader must not take it for a
// component library and must not call either of them.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) long DllRegisterServer()
{
    std::abort();
}

extern "C" __attribute__((visibility("default"))) long DllUnregisterServer()
{
    std::abort();
}
