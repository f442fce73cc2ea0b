#pragma once

#include "velloc/core/object.h"

#include <atomic>
#include <cstdint>

// What a component library exports, and what the runtime finds in it.
namespace velloc {

// The binary interface between the runtime and its component libraries. Raise it whenever a
// type shared across that boundary changes layout.
inline constexpr std::uint32_t ModuleAbi = 1;
inline constexpr std::uint32_t ModuleMagic = 0x564C4C43; // "VLLC"

// The first thing the runtime reads from a library, before it uses anything else in it.
struct ModuleHeader {
    std::uint32_t magic;
    std::uint32_t abi;
    const TypeLibInfo& (*typeLib)();
};

// Status codes of the four entry points.
namespace hr {
inline constexpr long Ok = 0;
inline constexpr long False = 1;
inline constexpr long Fail = long(0x80004005);
inline constexpr long ClassNotAvailable = long(0x80040111);
inline constexpr long RegistrationFailed = long(0x80040201);
} // namespace hr

// Called from a library's DllRegisterServer / DllUnregisterServer: records or removes the
// library's classes in the current registry.
VELLOC_EXPORT long registerModule(const TypeLibInfo& lib, const char* modulePath);
VELLOC_EXPORT long unregisterModule(const TypeLibInfo& lib, const char* modulePath);

// Counts a library's live objects for DllCanUnloadNow. Built into each library with hidden
// visibility, so every library has its own count.
inline std::atomic<long> g_moduleObjects {0};
struct ModuleLock {
    ModuleLock() { ++g_moduleObjects; }
    ModuleLock(const ModuleLock&) : ModuleLock() {}
    ~ModuleLock() { --g_moduleObjects; }
};

} // namespace velloc

#define VELLOC_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

// Generates the four entry points of a component library from the function that returns its
// type library. ABI is normally velloc::ModuleAbi.
#define VELLOC_COMPONENT_MODULE_WITH_ABI(typeLibFunction, abiNumber)                                    \
    namespace {                                                                                         \
    const velloc::ModuleHeader g_moduleHeader {velloc::ModuleMagic, (abiNumber), &typeLibFunction};     \
    const char* moduleSelfPath()                                                                        \
    {                                                                                                   \
        Dl_info info {};                                                                                \
        return dladdr(reinterpret_cast<const void*>(&g_moduleHeader), &info) ? info.dli_fname : "";     \
    }                                                                                                   \
    }                                                                                                   \
    VELLOC_MODULE_EXPORT long DllRegisterServer()                                                       \
    {                                                                                                   \
        return velloc::registerModule(typeLibFunction(), moduleSelfPath());                             \
    }                                                                                                   \
    VELLOC_MODULE_EXPORT long DllUnregisterServer()                                                     \
    {                                                                                                   \
        return velloc::unregisterModule(typeLibFunction(), moduleSelfPath());                           \
    }                                                                                                   \
    VELLOC_MODULE_EXPORT long DllGetClassObject(const velloc::Guid* clsid, const velloc::Guid* iid,     \
                                                const void** out)                                       \
    {                                                                                                   \
        (void)iid;                                                                                      \
        if (!out)                                                                                       \
            return velloc::hr::Fail;                                                                    \
        if (!clsid) {                                                                                   \
            *out = &g_moduleHeader;                                                                     \
            return velloc::hr::Ok;                                                                      \
        }                                                                                               \
        const velloc::ClassInfo* cls = typeLibFunction().findClass(*clsid);                             \
        *out = cls;                                                                                     \
        return cls ? velloc::hr::Ok : velloc::hr::ClassNotAvailable;                                    \
    }                                                                                                   \
    VELLOC_MODULE_EXPORT long DllCanUnloadNow()                                                         \
    {                                                                                                   \
        return velloc::g_moduleObjects.load() == 0 ? velloc::hr::Ok : velloc::hr::False;                \
    }

#define VELLOC_COMPONENT_MODULE(typeLibFunction) VELLOC_COMPONENT_MODULE_WITH_ABI(typeLibFunction, velloc::ModuleAbi)

#include <dlfcn.h>
