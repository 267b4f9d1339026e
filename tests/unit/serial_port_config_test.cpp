#include <gtest/gtest.h>

#include <string>

#include "core/acquisition/serial_port_config.h"

namespace tesselog {
namespace {

TEST(SerialPortConfig, DeviceNameSwitchesFormAtCom10) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "COM1:"}, {8, "COM9:"}, {9, "\\\\.\\COM10"}, {47, "\\\\.\\COM48"}};
    for (const auto& [index, name] : cases) EXPECT_EQ(SerialDeviceName(index), name) << index;
}

// A line as a port might report it, with every field the program sets
// holding something else first.
const SerialLine OddLine = {1200, 5, SerialParity::Mark, SerialStopBits::OneAndHalf, false, true, true,
                            SerialLineControl::Handshake, SerialLineControl::Toggle, true, false};

void ExpectNoHardwareFlow(const SerialLine& line) {
    EXPECT_FALSE(line.CtsFlowControl || line.DsrFlowControl);
    EXPECT_EQ(line.DtrControl, SerialLineControl::Disable);
    EXPECT_EQ(line.RtsControl, SerialLineControl::Disable);
}

TEST(SerialPortConfig, GpsLineFollowsSettingsAndKeepsValuesOutsideTheLists) {
    const SerialLine& odd = OddLine;
    const struct {
        int32_t baud, dataBits, parity, stopBits;
        uint32_t wantBaud;
        uint8_t wantDataBits;
        SerialParity wantParity;
        SerialStopBits wantStopBits;
    } cases[] = {
        {0, 0, 0, 0, 4800, 7, SerialParity::None, SerialStopBits::One},
        {3, 0, 2, 1, 38400, 7, SerialParity::Odd, SerialStopBits::Two},
        {5, 1, 1, 0, 115200, 8, SerialParity::Even, SerialStopBits::One},
        // Outside the lists: the port's values stay.
        {6, 2, 3, 2, odd.BaudRate, odd.DataBits, odd.Parity, odd.StopBits},
        {-1, -1, -1, -1, odd.BaudRate, odd.DataBits, odd.Parity, odd.StopBits},
    };
    for (const auto& c : cases) {
        Settings settings;
        settings.GpsBaud = c.baud;
        settings.GpsDataBits = c.dataBits;
        settings.GpsParity = c.parity;
        settings.GpsStopBits = c.stopBits;
        SerialLine line = odd;
        ApplyGpsLine(line, settings);
        SCOPED_TRACE(testing::Message() << c.baud << "/" << c.dataBits << "/" << c.parity << "/" << c.stopBits);
        EXPECT_EQ(line.BaudRate, c.wantBaud);
        EXPECT_EQ(line.DataBits, c.wantDataBits);
        EXPECT_EQ(line.Parity, c.wantParity);
        EXPECT_EQ(line.StopBits, c.wantStopBits);
        EXPECT_EQ(line.Binary, odd.Binary);  // as the port reports it
        ExpectNoHardwareFlow(line);
        EXPECT_TRUE(line.XonXoffOutput && line.XonXoffInput);
    }
}

// A two-digit port and the widest port number: the port tests cover the rest.
TEST(SerialPortConfig, FailureTextsOfWideNumbers) {
    EXPECT_EQ(ConsolePortFailureText(47, 8), "Cannot open COM48 for instrument 9");
    EXPECT_EQ(GpsPortFailureText(2147483647), "Cannot open COM2147483648 for GPS");
    EXPECT_EQ(PortsPresentText({7, 3, 12, 7}), "Serial ports on this computer: COM3, COM7, COM12");
    EXPECT_EQ(PortsPresentText({}), "No serial port on this computer");
}

}  // namespace
}  // namespace tesselog
