// Tesselog's entry: register the window classes, create the main window and
// run the message loop until the main window is destroyed.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "windows/platform_services.h"
#include "windows/shell_window.h"

#ifdef TESSELOG_DRAWLOG
// tesselog-drawlog.exe, the build of the end-to-end tests: everything drawn
// through a window canvas (the logging screen's fields) is also written to
// C:\ProgramData\Brenvik\Temp\drawlog.txt, which the tests read, and every
// record written to a data file goes to recordlog.txt beside it, with the
// time its write returned; the GPS monitor's list lines and button actions go
// to the draw log too. The program that goes to the field is built
// without them.
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "core/datafile/record_log.h"
#include "core/platform/battery.h"
#include "core/platform/disk_space.h"
#include "core/platform/logging_canvas.h"
#include "windows/gps_monitor_window.h"
#include "windows/logging_screen.h"
#include "windows/platform_services.h"
#include "windows/process_resources.h"
#include "windows/replay_timing.h"
#include "windows/window_canvas.h"

namespace {

constexpr char DrawLogPath[] = "C:\\ProgramData\\Brenvik\\Temp\\drawlog.txt";
constexpr char RecordLogPath[] = "C:\\ProgramData\\Brenvik\\Temp\\recordlog.txt";

tesselog::DrawLog* TheDrawLog = nullptr;

std::unique_ptr<tesselog::Canvas> WrapInDrawLog(tesselog::Canvas& inner) {
    return std::make_unique<tesselog::LoggingCanvas>(inner, *TheDrawLog);
}

// "prompt CAPTION: TEXT", the text's CR and LF written as \r and \n, so that
// every message box is one line of the draw log.
void LogPrompt(const std::string& caption, const std::string& text) {
    std::string line = "prompt " + caption + ": ";
    for (char c : text) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    TheDrawLog->Write(line);
}

// The record log's clock. Wine 8 serves QueryPerformanceCounter (10 MHz)
// from the host's CLOCK_MONOTONIC_RAW, so its microseconds compare directly
// with the simulator's write log, which reads that clock too. Measured: the
// counter read here and CLOCK_MONOTONIC_RAW read on Linux as the line came
// through a pipe differed by 0.10-0.14 ms; CLOCK_MONOTONIC was 190 ms off,
// as NTP slews it. GetTickCount64 and QueryUnbiasedInterruptTime follow the
// raw clock as well, at coarser steps.
class PerformanceCounterClock : public tesselog::MicrosecondClock {
public:
    PerformanceCounterClock() { QueryPerformanceFrequency(&frequency_); }
    uint64_t Microseconds() override {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const uint64_t count = static_cast<uint64_t>(now.QuadPart);
        const uint64_t hz = static_cast<uint64_t>(frequency_.QuadPart);
        return count / hz * 1000000u + count % hz * 1000000u / hz;
    }

private:
    LARGE_INTEGER frequency_{};
};

// With TESSELOG_RESOURCE_PROBE set in the environment, the process's GDI
// object count, handle count and private bytes go into the draw log
// ("resources gdi=N handles=N private=BYTES"), every second, or every N
// seconds for TESSELOG_RESOURCE_PROBE=N, so a measurement can see that a long
// day does not make them grow. Off by default: under Wine the count walks the
// whole handle table, which would weigh on the CPU figures.
DWORD ProbeSeconds() {
    wchar_t value[16] = {};
    if (GetEnvironmentVariableW(L"TESSELOG_RESOURCE_PROBE", value, 16) == 0) return 0;
    const long seconds = std::wcstol(value, nullptr, 10);
    return seconds > 0 ? static_cast<DWORD>(seconds) : 1;
}

DWORD WINAPI ProbeResources(void* period) {
    const DWORD ms = 1000 * static_cast<DWORD>(reinterpret_cast<uintptr_t>(period));
    for (;;) {
        DWORD handles = 0;
        GetProcessHandleCount(GetCurrentProcess(), &handles);
        char line[128];
        std::snprintf(line, sizeof line, "resources gdi=%llu handles=%lu private=%llu",
                      static_cast<unsigned long long>(tesselog::win32::LiveGdiObjects()),
                      static_cast<unsigned long>(handles),
                      static_cast<unsigned long long>(tesselog::win32::PrivateBytes()));
        TheDrawLog->Write(line);
        Sleep(ms);
    }
}

// With TESSELOG_QUIET_LOGS set, only the message boxes and the resource
// probe go into the draw log and no record log is kept: a run of hours at the
// full logging load would otherwise write gigabytes.
void StartDrawLog() {
    static tesselog::win32::Win32FileSystem files;
    static tesselog::win32::Win32Clock clock;
    files.MakeDirectory(tesselog::win32::ScratchFolder);
    static tesselog::DrawLog log(files.Open(DrawLogPath, tesselog::OpenMode::CreateTruncate), clock);
    TheDrawLog = &log;
    tesselog::win32::SetPromptObserver(&LogPrompt);
    if (GetEnvironmentVariableW(L"TESSELOG_QUIET_LOGS", nullptr, 0) == 0) {
        tesselog::win32::SetWindowCanvasWrapper(&WrapInDrawLog);
        static PerformanceCounterClock microseconds;
        static tesselog::RecordLog records(files.Open(RecordLogPath, tesselog::OpenMode::CreateTruncate),
                                           microseconds);
        tesselog::DataFile::SetDefaultObserver(&records);
        tesselog::win32::SetReplayTimingSink([](const std::string& line) { TheDrawLog->Write(line); });
        tesselog::win32::SetMonitorEventSink([](const std::string& line) { TheDrawLog->Write(line); });
    }
    if (const DWORD seconds = ProbeSeconds())
        CloseHandle(CreateThread(nullptr, 0, &ProbeResources, reinterpret_cast<void*>(uintptr_t{seconds}), 0,
                                 nullptr));
}

// The field warnings' low disk and battery, for the end-to-end tests:
// TESSELOG_FREE_DISK_MB=N gives the data file's disk N MB free, and
// TESSELOG_BATTERY=P,R a battery at P% losing R% a minute, from the start.
void ChooseFieldWarningSources() {
    wchar_t value[32] = {};
    static tesselog::FixedDiskSpace disk;
    tesselog::DiskSpace* chosenDisk = nullptr;
    if (GetEnvironmentVariableW(L"TESSELOG_FREE_DISK_MB", value, 32) > 0) {
        disk.Free = static_cast<uint64_t>(std::wcstoull(value, nullptr, 10)) * 1024 * 1024;
        chosenDisk = &disk;
    }
    tesselog::PowerSource* chosenPower = nullptr;
    if (GetEnvironmentVariableW(L"TESSELOG_BATTERY", value, 32) > 0) {
        wchar_t* rest = nullptr;
        const long percent = std::wcstol(value, &rest, 10);
        const double perMinute = *rest == L',' ? std::wcstod(rest + 1, nullptr) : 0.0;
        static tesselog::win32::Win32Clock clock;
        static tesselog::DrainingBattery battery(clock, static_cast<int32_t>(percent), perMinute);
        chosenPower = &battery;
    }
    tesselog::win32::SetFieldWarningSources(chosenDisk, chosenPower);
}

}  // namespace
#endif

namespace {

// The desktop the windows were made on, by name, and whether its desktop
// window still stands. Under Wine a start soon after another instance was
// killed could not make the logging screen's first pane (error 1400, an
// invalid window handle); this says whether the desktop was going away.
std::string DesktopState() {
    wchar_t name[64] = {};
    DWORD needed = 0;
    HDESK desktop = GetThreadDesktop(GetCurrentThreadId());
    const bool named =
        desktop && GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - sizeof name[0], &needed);
    return "desktop " + (named ? tesselog::win32::NarrowToBytes(name) : std::string("unknown")) +
           (IsWindow(GetDesktopWindow()) ? "" : " without its window");
}

// Each failed start-up attempt is one line on the standard error (Wine passes
// it to the shell that started the program; end-to-end runs keep it in their
// program.log), so that a rare failure names its window in any build.
void TellStartupFailure(const std::string& failure) {
    std::fprintf(stderr, "tesselog: start-up failed: %s (%s)\n", failure.c_str(), DesktopState().c_str());
    std::fflush(stderr);
}

// Under Wine the logging screen's first pane was seen, once, not to be made
// (error 1400) in a start soon after another instance had been killed, and a
// second try 200 ms later failed the same way while the next process started
// well. So the tries go on for about four seconds before the program gives
// up. A failed try has destroyed its windows and posted the quit message,
// which is taken back. Every failed try is one line on the standard error,
// and the test build writes it into its draw log, so that runs of many
// starts count them (scripts/reliability-starts.sh).
bool CreateMainWindowWithRetries(HINSTANCE instance, int showCommand) {
    using namespace tesselog::win32;
    constexpr DWORD WaitsBeforeTries[] = {200, 1000, 3000};
    if (CreateMainWindow(instance, showCommand)) return true;
    for (DWORD wait : WaitsBeforeTries) {
        TellStartupFailure(Shell().CreationFailure);
#ifdef TESSELOG_DRAWLOG
        TheDrawLog->Write("start-up retry: " + Shell().CreationFailure);
#endif
        MSG quit{};
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        Sleep(wait);
        if (CreateMainWindow(instance, showCommand)) return true;
    }
    TellStartupFailure(Shell().CreationFailure);
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace tesselog::win32;
#ifdef TESSELOG_DRAWLOG
    StartDrawLog();
    ChooseFieldWarningSources();
#endif
    // The common controls of version 6 (the manifest asks for them): the
    // tooltips of the navigation buttons.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterWindowClasses(instance)) return 2;
    if (!CreateMainWindowWithRetries(instance, showCommand)) {
        // The operator sees why nothing opened rather than nothing at all.
        const std::wstring text = L"Tesselog could not open its windows (" + WidenBytes(Shell().CreationFailure) +
                                  L").\nClose other programs and start Tesselog again.";
        MessageBoxW(nullptr, text.c_str(), L"Tesselog start-up", MB_OK | MB_ICONSTOP);
        return 16;
    }
    ShowStartupWarning();
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
