// What the program asks of a serial port: its device name, its line settings
// and its time-outs, and the text shown when it cannot be opened. The Win32
// layer only copies these values into the API's structures, so every choice
// about a port is made (and tested) here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/settings.h"

namespace tesselog {

// Numeric values as in the Win32 device control block, so that the Win32
// layer copies them across unchanged.
enum class SerialParity : uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class SerialStopBits : uint8_t { One = 0, OneAndHalf = 1, Two = 2 };
enum class SerialLineControl : uint8_t { Disable = 0, Enable = 1, Handshake = 2, Toggle = 3 };

// The part of a port's control block that the program touches. The Win32
// layer fills it from the port's current block, lets ApplyConsoleLine or
// ApplyGpsLine change it and writes it back; everything not listed here stays
// as the port reported it.
struct SerialLine {
    uint32_t BaudRate = 0;
    uint8_t DataBits = 8;
    SerialParity Parity = SerialParity::None;
    SerialStopBits StopBits = SerialStopBits::One;
    bool Binary = false;
    bool CtsFlowControl = false;   // output flow control by CTS
    bool DsrFlowControl = false;   // output flow control by DSR
    SerialLineControl DtrControl = SerialLineControl::Disable;
    SerialLineControl RtsControl = SerialLineControl::Disable;
    bool XonXoffOutput = false;
    bool XonXoffInput = false;
};

// Milliseconds. With PortTimeouts a one-byte read returns within about 10 ms,
// with no byte when nothing arrived; the GPS monitor's reader polls on that.
// The logging screen's readers wait for their bytes instead (overlapped
// reads, see windows/port_byte_waiter.h): their ports have no time-outs, so
// a read ends only when its bytes came, the reader's own wait bounding the
// time. Writes never time out.
struct SerialTimeouts {
    uint32_t ReadInterval;
    uint32_t ReadTotalMultiplier;
    uint32_t ReadTotalConstant;
    uint32_t WriteTotalMultiplier;
    uint32_t WriteTotalConstant;
};
constexpr SerialTimeouts PortTimeouts = {10, 0, 10, 0, 0};
constexpr SerialTimeouts AwaitedPortTimeouts = {0, 0, 0, 0, 0};

// Port number p of a setting index (0 = COM1); wide enough for any index.
constexpr int64_t SerialPortNumber(int32_t settingIndex) { return static_cast<int64_t>(settingIndex) + 1; }

// "COM%d:" below COM10; from COM10 on only the "\\.\COM%d" form reaches the
// device.
std::string SerialDeviceName(int32_t settingIndex);

// Grad601 consoles always talk 9600 baud 8N1 without any flow control.
void ApplyConsoleLine(SerialLine& line);

// The GPS line follows GpsBaud, GpsDataBits, GpsParity and GpsStopBits; an
// index outside its list leaves the port's current value. XON/XOFF is on.
void ApplyGpsLine(SerialLine& line, const Settings& settings);

// Failure texts (caption CaptionSerialPort). k is the console index 0..8.
std::string ConsolePortFailureText(int32_t settingIndex, int k);
std::string GpsPortFailureText(int32_t settingIndex);

// The line under a failure text that names the serial ports the computer has
// now (their numbers, COMn), in order: a USB serial adapter plugged into
// another socket, or back from a sleep, may come back under another number.
// "Serial ports on this computer: COM3, COM7"; "No serial port on this
// computer" for none.
std::string PortsPresentText(std::vector<int32_t> portNumbers);

// A console failure is shown for any non-zero report flag, a GPS failure only
// for 1: the GPS reader's silent reopen after a break passes other values.
constexpr bool ReportsConsoleFailure(int report) { return report != 0; }
constexpr bool ReportsGpsFailure(int report) { return report == 1; }

}  // namespace tesselog
