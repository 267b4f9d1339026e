#include "core/acquisition/serial_port_config.h"

#include <algorithm>

#include <cstdio>

namespace tesselog {
namespace {

// The lists of the GPS Port Setup dialog, by stored index.
constexpr uint32_t GpsBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr uint8_t GpsDataBitsList[] = {7, 8};
constexpr SerialParity GpsParities[] = {SerialParity::None, SerialParity::Even, SerialParity::Odd};
constexpr SerialStopBits GpsStopBitsList[] = {SerialStopBits::One, SerialStopBits::Two};

template <typename T, size_t N>
void PickByIndex(T& target, const T (&list)[N], int32_t index) {
    if (index >= 0 && static_cast<size_t>(index) < N) target = list[index];
}

// Flow control and modem lines are the same for both kinds of port.
void SetNoHardwareFlow(SerialLine& line) {
    line.CtsFlowControl = false;
    line.DsrFlowControl = false;
    line.DtrControl = SerialLineControl::Disable;
    line.RtsControl = SerialLineControl::Disable;
}

}  // namespace

std::string SerialDeviceName(int32_t settingIndex) {
    long long p = SerialPortNumber(settingIndex);
    char name[32];
    std::snprintf(name, sizeof name, p < 10 ? "COM%lld:" : "\\\\.\\COM%lld", p);
    return name;
}

void ApplyConsoleLine(SerialLine& line) {
    line.BaudRate = 9600;
    line.Parity = SerialParity::None;
    line.Binary = true;
    line.DataBits = 8;
    line.StopBits = SerialStopBits::One;
    SetNoHardwareFlow(line);
    line.XonXoffOutput = false;
    line.XonXoffInput = false;
}

void ApplyGpsLine(SerialLine& line, const Settings& settings) {
    PickByIndex(line.BaudRate, GpsBaudRates, settings.GpsBaud);
    PickByIndex(line.Parity, GpsParities, settings.GpsParity);
    PickByIndex(line.DataBits, GpsDataBitsList, settings.GpsDataBits);
    PickByIndex(line.StopBits, GpsStopBitsList, settings.GpsStopBits);
    SetNoHardwareFlow(line);
    line.XonXoffOutput = true;
    line.XonXoffInput = true;
}

std::string ConsolePortFailureText(int32_t settingIndex, int k) {
    char text[80];
    std::snprintf(text, sizeof text, "Cannot open COM%lld for instrument %d",
                  static_cast<long long>(SerialPortNumber(settingIndex)), k + 1);
    return text;
}

std::string PortsPresentText(std::vector<int32_t> portNumbers) {
    std::sort(portNumbers.begin(), portNumbers.end());
    portNumbers.erase(std::unique(portNumbers.begin(), portNumbers.end()), portNumbers.end());
    if (portNumbers.empty()) return "No serial port on this computer";
    std::string text = "Serial ports on this computer:";
    for (size_t i = 0; i < portNumbers.size(); ++i)
        text += (i == 0 ? " COM" : ", COM") + std::to_string(portNumbers[i]);
    return text;
}

std::string GpsPortFailureText(int32_t settingIndex) {
    char text[64];
    std::snprintf(text, sizeof text, "Cannot open COM%lld for GPS",
                  static_cast<long long>(SerialPortNumber(settingIndex)));
    return text;
}

}  // namespace tesselog
