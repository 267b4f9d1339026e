#include "windows/gps_monitor_window.h"

#include <cstdio>
#include <vector>

#include "core/gps/gps_monitor_screen.h"
#include "resources/monitor_dialog_ids.h"
#include "windows/display_scale_win32.h"
#include "windows/form_dialog.h"
#include "windows/platform_services.h"
#include "windows/serial_ports.h"

namespace tesselog::win32 {

namespace {

MonitorEventSink TheEventSink = nullptr;

void Report(const std::string& line) {
    if (TheEventSink) TheEventSink(line);
}

std::u16string WindowText16(HWND window) { return CodeUnits(ControlText(window)); }

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// ---------------------------------------------------------------- the reader thread

class Win32MonitorReaderIo : public MonitorReaderIo {
public:
    Win32MonitorReaderIo(const HANDLE& port, HWND window) : port_(port), window_(window) {}

    // As the logging screen's GPS reader: an empty input queue is a 10 ms
    // sleep rather than a blocking read, which under Wine costs several
    // times more CPU and spins on a pty whose far end hung up.
    GpsReadResult ReadByte(uint8_t& byte) override {
        COMSTAT status{};
        DWORD errors = 0;
        if (ClearCommError(port_, &errors, &status) && status.cbInQue == 0) {
            Sleep(GpsFailedReadWaitMs);
            return GpsReadResult::Nothing;
        }
        DWORD count = 0;
        if (!ReadFile(port_, &byte, 1, &count, nullptr)) return GpsReadResult::Failed;
        return count == 1 ? GpsReadResult::Byte : GpsReadResult::Nothing;
    }
    // The paint adds every waiting line; the reader does not wait for it.
    void LineReady() override { InvalidateRect(window_, nullptr, TRUE); }
    void Wait(uint32_t ms) override { Sleep(ms); }

private:
    const HANDLE& port_;
    HWND window_;
};

// ---------------------------------------------------------------- the screen's program

class Win32MonitorIo : public MonitorScreenIo {
public:
    void ShowButton(int32_t index, bool shown) override {
        HWND button = Buttons[index];
        ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
        EnableWindow(button, shown ? TRUE : FALSE);
    }
    void Highlight(int32_t index, bool on) override {
        SendMessageW(Buttons[index], BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
    std::u16string CommandText() override { return WindowText16(Edit); }
    void SetCommandText(const std::u16string& text) override { SetWindowTextW(Edit, Wide(text).c_str()); }
    bool RunSendDialog(std::u16string& text) override { return RunGpsMessageDialog(Shell().MainWindow, text); }
    void Warn(const std::string& text) override {
        ProgramShell& shell = Shell();
        shell.Prompts.Owner = shell.MainWindow;
        shell.Prompts.ShowMessage(text, CaptionWarning, PromptIcon::Exclamation);
    }
    void Purge(bool transmit, bool receive) override {
        DWORD flags = (transmit ? PURGE_TXCLEAR | PURGE_TXABORT : 0) | (receive ? PURGE_RXCLEAR | PURGE_RXABORT : 0);
        if (Ports.GpsPortHandle != INVALID_HANDLE_VALUE) PurgeComm(Ports.GpsPortHandle, flags);
    }
    void Write(const std::string& bytes) override {
        DWORD written = 0;
        if (Ports.GpsPortHandle != INVALID_HANDLE_VALUE)
            WriteFile(Ports.GpsPortHandle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    void Wait(uint32_t ms) override { Sleep(ms); }
    void ClosePort() override;
    void ShowMainWindow() override {
        ProgramShell& shell = Shell();
        ShowWindow(shell.GpsMonitor, SW_HIDE);
        for (HWND button : shell.MainButtons) ShowWindow(button, SW_SHOW);
        SetFocus(shell.MainWindow);
        InvalidateRect(shell.MainWindow, nullptr, TRUE);
    }
    void FocusMonitor() override { SetFocus(Shell().GpsMonitor); }

    bool StartReader();

    SerialPorts Ports;
    MonitorShared Shared;
    HANDLE Thread = nullptr;
    HWND Buttons[MonitorButtonCount] = {};
    HWND List = nullptr;
    HWND Edit = nullptr;

private:
    static DWORD WINAPI ReaderMain(void* parameter);
};

DWORD WINAPI Win32MonitorIo::ReaderMain(void* parameter) {
    auto& io = *static_cast<Win32MonitorIo*>(parameter);
    Win32MonitorReaderIo port(io.Ports.GpsPortHandle, Shell().GpsMonitor);
    Win32Clock clock;
    MonitorReaderLoop(io.Shared, port, clock).Run();
    return 0;
}

bool Win32MonitorIo::StartReader() {
    Shared.MonitorRun.store(1);
    Thread = CreateThread(nullptr, 0, &ReaderMain, this, 0, nullptr);
    if (!Thread) Shared.MonitorRun.store(0);
    return Thread != nullptr;
}

// The reader never waits on this thread, so a plain wait ends it; the port
// is closed once it no longer reads (or after the wait, when its reads then fail).
void Win32MonitorIo::ClosePort() {
    Shared.MonitorRun.store(0);
    if (Thread) {
        WaitForSingleObject(Thread, 2000);
        CloseHandle(Thread);
        Thread = nullptr;
    }
    if (Ports.GpsPortHandle != INVALID_HANDLE_VALUE) CloseHandle(Ports.GpsPortHandle);
    Ports.GpsPortHandle = INVALID_HANDLE_VALUE;
}

struct MonitorProgram {
    Win32MonitorIo Io;
    MonitorScreen Screen{Io.Shared, Io, Shell().Screen.ScreenMode};
};

MonitorProgram* TheMonitor = nullptr;

// ---------------------------------------------------------------- messages

HWND MakeControl(HWND parent, DWORD exStyle, const wchar_t* type, const std::wstring& text, DWORD style,
                 const MonitorRect& place, int id) {
    const Rect r = Shell().Fonts.Scale.ToDevice(Rect{place.X, place.Y, place.X + place.Width, place.Y + place.Height});
    HWND control = CreateWindowExW(exStyle, type, text.c_str(), WS_CHILD | style, r.Left, r.Top, r.Width(), r.Height(), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Shell().Instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Shell().Fonts.Text), FALSE);
    return control;
}

LRESULT OnMonitorCreate(HWND window, UINT, WPARAM, LPARAM lParam) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    // A child without a frame: its client size, in 96-DPI units.
    const DisplayScale scale = Shell().Fonts.Scale;
    const int32_t w = scale.FromDevice(create->cx), h = scale.FromDevice(create->cy);
    TheMonitor = new MonitorProgram;
    Win32MonitorIo& io = TheMonitor->Io;
    for (int32_t i = 0; i < MonitorButtonCount; ++i) {
        // "&Go" starts hidden and disabled; "&Pause" is the highlighted button.
        DWORD style = (i == MonitorGo ? WS_DISABLED : WS_VISIBLE) | WS_TABSTOP |
                      (i == MonitorPause ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        io.Buttons[i] = MakeControl(window, 0, L"BUTTON", WidenBytes(MonitorButtonLabels[i]), style,
                                    MonitorButtonRect(i, w, h), MonitorButtonFirstId + i);
    }
    io.List = MakeControl(window, WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                          MonitorListRect(w, h), MonitorListId);
    io.Edit = MakeControl(window, WS_EX_CLIENTEDGE, L"EDIT", WidenBytes(MonitorInitialCommand), WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                          MonitorEditRect(w, h), MonitorEditId);
    SendMessageW(io.Edit, EM_LIMITTEXT, MonitorCommandEditChars, 0);
    TheMonitor->Screen.MonitorCommand = WindowText16(io.Edit);
    return 0;
}

// Every line that came since the last paint goes to the end of the list,
// the oldest lines leave at the cap, and the newest is selected so that the
// list follows it.
void AddWaitingLines(Win32MonitorIo& io) {
    std::vector<std::string> lines = io.Shared.Feed.TakeAll();
    if (lines.empty()) return;
    const auto count = static_cast<int32_t>(SendMessageW(io.List, LB_GETCOUNT, 0, 0));
    const MonitorListUpdate plan = PlanMonitorListUpdate(count, lines.size());
    for (int32_t i = 0; i < plan.RemoveFromTop; ++i) SendMessageW(io.List, LB_DELETESTRING, 0, 0);
    LRESULT last = LB_ERR;
    for (size_t i = plan.FirstAdded; i < lines.size(); ++i) {
        last = SendMessageW(io.List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidenBytes(lines[i]).c_str()));
        if (TheEventSink && last >= 0) Report("monitor line " + std::to_string(last + 1) + " " + lines[i]);
    }
    if (last >= 0) SendMessageW(io.List, LB_SETCURSEL, static_cast<WPARAM>(last), 0);
}

LRESULT OnMonitorPaint(HWND window, UINT, WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (TheMonitor) {
        AddWaitingLines(TheMonitor->Io);
        const DisplayScale scale = Shell().Fonts.Scale;
        const SIZE client = ClientSizeIn96(window, scale);
        HGDIOBJ oldFont = SelectObject(dc, Shell().Fonts.Text);
        SetBkMode(dc, TRANSPARENT);
        const std::wstring label = WidenBytes(MonitorLabelText);
        TextOutW(dc, scale.ToDevice(MonitorLabelX), scale.ToDevice(MonitorLabelY(client.cy)), label.c_str(),
                 static_cast<int>(label.size()));
        SelectObject(dc, oldFont);
    }
    EndPaint(window, &ps);
    return 0;
}

LRESULT OnMonitorInput(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (!TheMonitor) return 0;
    const MonitorInput input = message == WM_COMMAND ? MonitorInput::Command
                               : message == WM_CHAR  ? MonitorInput::Char
                                                     : MonitorInput::KeyDown;
    const MonitorKeyDecision d = DecideMonitorInput(input, wParam, TheMonitor->Screen.MonitorButtonFocus);
    if (d.Button >= 0 && Shell().Screen.ScreenMode == ScreenGpsMonitor)
        Report("monitor button " + std::to_string(d.Button));
    TheMonitor->Screen.OnInput(input, static_cast<uint64_t>(wParam));
    return 0;
}

LRESULT OnMonitorSize(HWND window, UINT, WPARAM, LPARAM) {
    if (Shell().Screen.ScreenMode == ScreenGpsMonitor) SetFocus(window);
    return 0;
}

const MessageEntry<WindowHandler> MonitorEntries[] = {
    {WM_CREATE, &OnMonitorCreate}, {WM_PAINT, &OnMonitorPaint},  {WM_COMMAND, &OnMonitorInput},
    {WM_CHAR, &OnMonitorInput},    {WM_KEYDOWN, &OnMonitorInput}, {WM_SIZE, &OnMonitorSize},
};

// ---------------------------------------------------------------- the send dialog

INT_PTR CALLBACK GpsMessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* text = reinterpret_cast<std::u16string*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!text) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        // The command field holds 100 wide characters with its terminator:
        // 99 come back from the dialog.
        SendDlgItemMessageW(dialog, IDC_GPSMESSAGE_TEXT, EM_LIMITTEXT, MonitorCommandEditChars - 1, 0);
        SetDlgItemTextW(dialog, IDC_GPSMESSAGE_TEXT, Wide(*text).c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            *text = WindowText16(GetDlgItem(dialog, IDC_GPSMESSAGE_TEXT)).substr(0, MonitorCommandEditChars - 1);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

const WindowMessageTable MonitorGpsMessages = MakeMessageTable(MonitorEntries);

void SetMonitorEventSink(MonitorEventSink sink) { TheEventSink = sink; }

bool RunGpsMessageDialog(HWND owner, std::u16string& text) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), L"GETGPSMESSAGE", owner, GpsMessageDialogProc,
                           reinterpret_cast<LPARAM>(&text)) == 1;
}

void StartGpsMonitor(ProgramShell& shell) {
    if (!TheMonitor || shell.Screen.ScreenMode != ScreenMain) return;
    Win32MonitorIo& io = TheMonitor->Io;
    if (OpenGpsPort(io.Ports, shell.ProgramSettings, 1, shell.Prompts, PortReading::Polled) != 1) return;
    TheMonitor->Screen.Open();
    if (!io.StartReader()) {
        shell.Screen.ScreenMode = ScreenMain;
        io.ClosePort();
        return;
    }
    for (HWND button : shell.MainButtons) ShowWindow(button, SW_HIDE);
    ShowWindow(shell.GpsMonitor, SW_SHOW);
    InvalidateRect(shell.MainWindow, nullptr, TRUE);
    SetFocus(shell.GpsMonitor);
}

void StopGpsMonitorAtExit() {
    if (TheMonitor) TheMonitor->Io.ClosePort();
}

}  // namespace tesselog::win32
