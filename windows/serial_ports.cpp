#include "windows/serial_ports.h"

#include "core/acquisition/serial_port_config.h"
#include "windows/platform_services.h"

#include <cwchar>
#include <vector>

namespace tesselog::win32 {
namespace {

// The COMn numbers of the serial devices the system knows now
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, where a USB adapter appears with the
// number it was given this time).
std::vector<int32_t> SerialPortsPresent() {
    std::vector<int32_t> numbers;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return numbers;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], value[64];
        DWORD nameLength = 256, valueBytes = sizeof value - sizeof(wchar_t), type = 0;
        const LSTATUS status = RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(value), &valueBytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        value[valueBytes / sizeof(wchar_t)] = L'\0';
        if (_wcsnicmp(value, L"COM", 3) == 0 && value[3] >= L'1' && value[3] <= L'9')
            numbers.push_back(static_cast<int32_t>(std::wcstol(value + 3, nullptr, 10)));
    }
    RegCloseKey(key);
    return numbers;
}

std::string WithPortsPresent(const std::string& failure) {
    return failure + "\r\n" + PortsPresentText(SerialPortsPresent());
}

static_assert(static_cast<int>(SerialParity::Odd) == ODDPARITY && static_cast<int>(SerialParity::Even) == EVENPARITY,
              "parity values are copied into the DCB unchanged");
static_assert(static_cast<int>(SerialStopBits::Two) == TWOSTOPBITS, "stop bits are copied unchanged");
static_assert(static_cast<int>(SerialLineControl::Disable) == DTR_CONTROL_DISABLE &&
                  static_cast<int>(SerialLineControl::Disable) == RTS_CONTROL_DISABLE,
              "line controls are copied unchanged");

// An existing device for reading and writing, not shared; overlapped for a
// waiting reader.
HANDLE OpenDevice(int32_t settingIndex, PortReading reading) {
    std::wstring name = WidenBytes(SerialDeviceName(settingIndex));
    const DWORD flags = reading == PortReading::Awaited ? FILE_FLAG_OVERLAPPED : 0;
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr);
}

SerialLine LineFromDcb(const DCB& dcb) {
    SerialLine line;
    line.BaudRate = dcb.BaudRate;
    line.DataBits = dcb.ByteSize;
    line.Parity = static_cast<SerialParity>(dcb.Parity);
    line.StopBits = static_cast<SerialStopBits>(dcb.StopBits);
    line.Binary = dcb.fBinary != 0;
    line.CtsFlowControl = dcb.fOutxCtsFlow != 0;
    line.DsrFlowControl = dcb.fOutxDsrFlow != 0;
    line.DtrControl = static_cast<SerialLineControl>(dcb.fDtrControl);
    line.RtsControl = static_cast<SerialLineControl>(dcb.fRtsControl);
    line.XonXoffOutput = dcb.fOutX != 0;
    line.XonXoffInput = dcb.fInX != 0;
    return line;
}

void CopyLineToDcb(const SerialLine& line, DCB& dcb) {
    dcb.BaudRate = line.BaudRate;
    dcb.ByteSize = line.DataBits;
    dcb.Parity = static_cast<BYTE>(line.Parity);
    dcb.StopBits = static_cast<BYTE>(line.StopBits);
    dcb.fBinary = line.Binary;
    dcb.fOutxCtsFlow = line.CtsFlowControl;
    dcb.fOutxDsrFlow = line.DsrFlowControl;
    dcb.fDtrControl = static_cast<DWORD>(line.DtrControl);
    dcb.fRtsControl = static_cast<DWORD>(line.RtsControl);
    dcb.fOutX = line.XonXoffOutput;
    dcb.fInX = line.XonXoffInput;
}

// Time-outs first, then the control block as the port reports it with the
// program's changes. Results are not checked: a port that opens counts as
// ready.
template <typename Apply>
void Configure(HANDLE handle, PortReading reading, Apply apply) {
    const SerialTimeouts& wanted = reading == PortReading::Awaited ? AwaitedPortTimeouts : PortTimeouts;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = wanted.ReadInterval;
    timeouts.ReadTotalTimeoutMultiplier = wanted.ReadTotalMultiplier;
    timeouts.ReadTotalTimeoutConstant = wanted.ReadTotalConstant;
    timeouts.WriteTotalTimeoutMultiplier = wanted.WriteTotalMultiplier;
    timeouts.WriteTotalTimeoutConstant = wanted.WriteTotalConstant;
    SetCommTimeouts(handle, &timeouts);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    SerialLine line = LineFromDcb(dcb);
    apply(line);
    CopyLineToDcb(line, dcb);
    SetCommState(handle, &dcb);
}

}  // namespace

HANDLE OpenConsoleDevice(const Settings& settings, int k) {
    if (k < 0 || k >= MaxConsoles) return INVALID_HANDLE_VALUE;
    HANDLE handle = OpenDevice(settings.ConsolePort[k], PortReading::Awaited);
    if (handle != INVALID_HANDLE_VALUE)
        Configure(handle, PortReading::Awaited, [](SerialLine& line) { ApplyConsoleLine(line); });
    return handle;
}

int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report, Prompts& prompts) {
    if (k < 0 || k >= MaxConsoles) return 0;
    HANDLE handle = OpenConsoleDevice(settings, k);
    ports.ConsolePortHandle[k] = handle;
    if (handle == INVALID_HANDLE_VALUE) {
        if (ReportsConsoleFailure(report))
            prompts.ShowMessage(WithPortsPresent(ConsolePortFailureText(settings.ConsolePort[k], k)),
                                CaptionSerialPort);
        return 0;
    }
    return 1;
}

int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report, Prompts& prompts, PortReading reading) {
    HANDLE handle = OpenDevice(settings.GpsPort, reading);
    ports.GpsPortHandle = handle;
    if (handle == INVALID_HANDLE_VALUE) {
        if (ReportsGpsFailure(report))
            prompts.ShowMessage(WithPortsPresent(GpsPortFailureText(settings.GpsPort)), CaptionSerialPort);
        return 0;
    }
    Configure(handle, reading, [&settings](SerialLine& line) { ApplyGpsLine(line, settings); });
    return 1;
}

int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report) {
    Win32Prompts prompts;
    return OpenConsolePort(ports, settings, k, report, prompts);
}

int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report, PortReading reading) {
    Win32Prompts prompts;
    return OpenGpsPort(ports, settings, report, prompts, reading);
}

}  // namespace tesselog::win32
