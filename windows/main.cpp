// Tesselog's entry: register the window classes, create the main window and
// run the message loop until the main window is destroyed.
#include <windows.h>

#include "windows/shell_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace tesselog::win32;
    if (!RegisterWindowClasses(instance)) return 2;
    if (!CreateMainWindow(instance, showCommand)) return 16;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
