// tesselog-power-event.exe: plays the system's sleep and wake to a running
// Tesselog under the same Wine prefix, for the end-to-end tests (Wine sends
// no power messages of its own). It posts WM_POWERBROADCAST to the main
// window, found by its class "TesselogMain", and exits 0, or 1 when there is
// no such window.
//
//   tesselog-power-event.exe suspend    PBT_APMSUSPEND
//   tesselog-power-event.exe resume     PBT_APMRESUMEAUTOMATIC, then PBT_APMRESUMESUSPEND
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HWND main = FindWindowW(L"TesselogMain", nullptr);
    if (!main) return 1;
    if (std::wcscmp(argv[1], L"suspend") == 0) return PostMessageW(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0) ? 0 : 1;
    if (std::wcscmp(argv[1], L"resume") == 0) {
        // A wake the user brought about sends both, the automatic one first.
        const bool sent = PostMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0) &&
                          PostMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        return sent ? 0 : 1;
    }
    return 2;
}
