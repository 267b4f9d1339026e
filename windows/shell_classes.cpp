// Window classes and their procedures. Every procedure is the same search of
// its class's table; an empty table leaves its window a plain window.
#include "windows/shell_window.h"

namespace tesselog::win32 {

// ScreenLogMessages is the logging screen's, in logging_screen.cpp; CurveMessages,
// DecayMessages, NumbersMessages and SpeedMessages share the pane paint handler
// of profile_panes.cpp; ColorBarMessages is in numbers_panes.cpp; MonitorGpsMessages
// is in gps_monitor_window.cpp.
const WindowMessageTable MapMessages = EmptyMessageTable<WindowHandler>();

LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);  // shell_window.cpp

namespace {

template <const WindowMessageTable& Table>
LRESULT CALLBACK TableWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchThroughTable(Table, message, &DefWindowProcW, window, message, wParam, lParam);
}

struct ClassEntry {
    const wchar_t* Name;
    UINT Style;
    WNDPROC Procedure;
    int Background;  // -1 the button-face brush, else a stock object
    int ExtraBytes;
};

constexpr UINT Redraw = CS_HREDRAW | CS_VREDRAW;

// Registration order after the main class.
const ClassEntry ChildClasses[] = {
    {L"ScreenLogWnd", Redraw, &TableWindowProc<ScreenLogMessages>, -1, 0},
    {L"DecayWnd", Redraw, &TableWindowProc<DecayMessages>, WHITE_BRUSH, 4},
    {L"CurveWnd", Redraw, &TableWindowProc<CurveMessages>, WHITE_BRUSH, 4},
    {L"NumbersWnd", Redraw, &TableWindowProc<NumbersMessages>, WHITE_BRUSH, 4},
    {L"SpeedWnd", Redraw, &TableWindowProc<SpeedMessages>, WHITE_BRUSH, 4},
    {L"MapWnd", Redraw, &TableWindowProc<MapMessages>, WHITE_BRUSH, 4},
    {L"ColorBarWnd", 0, &TableWindowProc<ColorBarMessages>, WHITE_BRUSH, 4},
    {L"MonitorGPSWnd", 0, &TableWindowProc<MonitorGpsMessages>, -1, 0},
};

WNDCLASSEXW ClassOf(HINSTANCE instance, const wchar_t* name, UINT style, WNDPROC procedure, HBRUSH background,
                    int extraBytes) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = extraBytes;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return wc;
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
    HBRUSH buttonFace = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));

    WNDCLASSEXW main = ClassOf(instance, MainClassName, Redraw, &MainWindowProc, buttonFace, 0);
    main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(108));
    RegisterClassExW(&main);  // a failure shows when the main window is created

    for (const ClassEntry& c : ChildClasses) {
        HBRUSH background = c.Background < 0 ? buttonFace : static_cast<HBRUSH>(GetStockObject(c.Background));
        WNDCLASSEXW wc = ClassOf(instance, c.Name, c.Style, c.Procedure, background, c.ExtraBytes);
        if (!RegisterClassExW(&wc)) return false;
    }
    return true;
}

}  // namespace tesselog::win32
