// The process's live GDI objects and private (committed) memory, for the
// tests, the figures and the end-to-end draw log that must show them flat.
// Wine answers GetGuiResources with 0; its GDI handle table takes a handle's
// table index alone, so there the live objects are counted by asking each
// index for its object type.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstddef>
#include <cstdint>

namespace tesselog::win32 {

inline size_t LiveGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return reported;
    size_t count = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    }
    return count;
}

inline size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    // Wine leaves PrivateUsage 0; its commit charge is the same figure.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

}  // namespace tesselog::test
