// Tesselog's entry: register the window classes, create the main window and
// run the message loop until the main window is destroyed.
#include <windows.h>

#include "windows/shell_window.h"

#ifdef TESSELOG_DRAWLOG
// tesselog-drawlog.exe, the build of the end-to-end tests: everything drawn
// through a window canvas (the logging screen's fields) is also written to
// C:\ProgramData\Brenvik\Temp\drawlog.txt, which the tests read. The
// program that goes to the field is built without it.
#include <memory>

#include "core/platform/logging_canvas.h"
#include "windows/platform_services.h"
#include "windows/window_canvas.h"

namespace {

constexpr char DrawLogPath[] = "C:\\ProgramData\\Brenvik\\Temp\\drawlog.txt";

tesselog::DrawLog* TheDrawLog = nullptr;

std::unique_ptr<tesselog::Canvas> WrapInDrawLog(tesselog::Canvas& inner) {
    return std::make_unique<tesselog::LoggingCanvas>(inner, *TheDrawLog);
}

void StartDrawLog() {
    static tesselog::win32::Win32FileSystem files;
    static tesselog::win32::Win32Clock clock;
    files.MakeDirectory(tesselog::win32::ScratchFolder);
    static tesselog::DrawLog log(files.Open(DrawLogPath, tesselog::OpenMode::CreateTruncate), clock);
    TheDrawLog = &log;
    tesselog::win32::SetWindowCanvasWrapper(&WrapInDrawLog);
}

}  // namespace
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace tesselog::win32;
#ifdef TESSELOG_DRAWLOG
    StartDrawLog();
#endif
    if (!RegisterWindowClasses(instance)) return 2;
    if (!CreateMainWindow(instance, showCommand)) return 16;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
