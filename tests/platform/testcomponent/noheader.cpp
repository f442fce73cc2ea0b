// A library with all four entry points that does not hand out a module header, as a library
// written for another component runtime would.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) long DllRegisterServer()
{
    std::abort();
}

extern "C" __attribute__((visibility("default"))) long DllUnregisterServer()
{
    std::abort();
}

extern "C" __attribute__((visibility("default"))) long DllGetClassObject(const void*, const void*, const void** out)
{
    if (out)
        *out = nullptr;
    return long(0x80040111); // class not available
}

extern "C" __attribute__((visibility("default"))) long DllCanUnloadNow()
{
    return 0;
}
