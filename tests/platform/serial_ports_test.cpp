// OpenConsolePort and OpenGpsPort against pseudo-terminals. run_port_tests.sh
// maps COM5 and COM12 of a private Wine prefix to two ptys and leaves COM40
// and COM99 unmapped, starts this program under strace with the environment
// below and answers every probe with the pty's termios as Linux sees it.
// Without that environment the cases are skipped.
//
//   TESSELOG_PORT_DIR    folder for the probe files (a Windows path)
//   TESSELOG_PTY_COM5    Linux path of the pty behind COM5
//   TESSELOG_PTY_COM12   Linux path of the pty behind COM12
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "core/platform/prompts.h"
#include "support/test_support.h"
#include "windows/serial_ports.h"

namespace tesselog::win32 {
namespace {

constexpr int32_t Com5 = 4;    // setting indices
constexpr int32_t Com12 = 11;  // opened as "\\.\COM12"
constexpr int32_t Com40 = 39;  // not mapped
constexpr int32_t Com99 = 98;  // not mapped, and never given a device by Wine

using Termios = std::map<std::string, long>;

class SerialPortTest : public testing::Test {
protected:
    void SetUp() override {
        if (test::Env("TESSELOG_PORT_DIR").empty()) GTEST_SKIP() << "runs under tests/platform/run_port_tests.sh only";
    }
    void TearDown() override {
        for (HANDLE& h : ports_.ConsolePortHandle) Close(h);
        Close(ports_.GpsPortHandle);
    }
    static void Close(HANDLE& h) {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }

    // Starts a new window of the ioctl log on the Linux side: call it before
    // opening the port that a later Probe looks at.
    void Mark() { test::AskPtyHelper("mark"); }

    // The line settings of a pty while the port is open here, as Linux sees
    // them: "pty.<name>" what the pty holds, "set.<name>" what the port was
    // last set to since the Mark.
    Termios Probe(const char* ptyVariable) {
        Termios values;
        std::istringstream answer(test::AskPtyHelper("probe " + test::Env(ptyVariable)));
        std::string field;
        while (answer >> field) {
            size_t eq = field.find('=');
            if (eq != std::string::npos) values[field.substr(0, eq)] = std::atol(field.c_str() + eq + 1);
        }
        return values;
    }

    SerialPorts ports_;
    Settings settings_;
    RecordingPrompts prompts_;
};

struct Line {
    long speed, csize, parenb, parodd, cstopb, crtscts, ixon, ixoff;
};

// What the port was set to must be the wanted line; what the pty holds must
// agree for every setting a Linux pty keeps (it forces 8 bits, no parity).
void ExpectLine(const Termios& t, const Line& want) {
    const struct {
        const char* name;
        long value;
        bool heldByPty;
    } fields[] = {{"speed", want.speed, true},     {"csize", want.csize, false},  {"parenb", want.parenb, false},
                  {"parodd", want.parodd, true},   {"cstopb", want.cstopb, true}, {"crtscts", want.crtscts, true},
                  {"ixon", want.ixon, true},       {"ixoff", want.ixoff, true}};
    for (const auto& f : fields) {
        for (const char* prefix : {"set.", "pty."}) {
            if (prefix[0] == 'p' && !f.heldByPty) continue;
            auto it = t.find(std::string(prefix) + f.name);
            ASSERT_NE(it, t.end()) << prefix << f.name;
            EXPECT_EQ(it->second, f.value) << prefix << f.name;
        }
    }
}

constexpr Line Console9600_8N1 = {9600, 8, 0, 0, 0, 0, 0, 0};

// The helper starts both ptys at 1200 baud, 2 stop bits, odd parity flag,
// RTS/CTS and XON/XOFF, so each value checked here was set by the program.
TEST_F(SerialPortTest, ConsolePortIs9600_8N1WithoutFlowControl) {
    settings_.ConsolePort[1] = Com5;
    settings_.GpsBaud = 3;  // GPS settings must not reach a console port
    settings_.GpsParity = 2;
    settings_.GpsDataBits = 0;
    settings_.GpsStopBits = 1;
    Mark();
    ASSERT_EQ(OpenConsolePort(ports_, settings_, 1, 1, prompts_), 1);
    EXPECT_NE(ports_.ConsolePortHandle[1], INVALID_HANDLE_VALUE);
    EXPECT_TRUE(prompts_.History.empty());
    ExpectLine(Probe("TESSELOG_PTY_COM5"), Console9600_8N1);
}

TEST_F(SerialPortTest, GpsPortTakesItsLineSettings) {
    settings_.GpsPort = Com12;
    settings_.GpsBaud = 3;      // 38400
    settings_.GpsParity = 2;    // odd
    settings_.GpsDataBits = 0;  // 7
    settings_.GpsStopBits = 1;  // 2
    Mark();
    ASSERT_EQ(OpenGpsPort(ports_, settings_, 1, prompts_, PortReading::Polled), 1);
    EXPECT_NE(ports_.GpsPortHandle, INVALID_HANDLE_VALUE);
    ExpectLine(Probe("TESSELOG_PTY_COM12"), {38400, 7, 1, 1, 1, 0, 1, 1});
}

TEST_F(SerialPortTest, FailuresGiveTheMessageWhenAskedAndAnInvalidHandle) {
    struct Case {
        bool gps;
        int32_t port;
        int report;
        const char* message;  // nullptr: nothing shown
    };
    const Case cases[] = {
        {false, Com99, 1, "Cannot open COM99 for instrument 2"},
        {false, Com40, 2, "Cannot open COM40 for instrument 2"},
        {false, Com99, 0, nullptr},
        {true, Com40, 1, "Cannot open COM40 for GPS"},
        {true, Com99, 0, nullptr},
        {true, Com99, 2, nullptr},  // the GPS reader's silent reopen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.gps ? "GPS" : "console 2") << " COM" << c.port + 1 << " report "
                                        << c.report);
        RecordingPrompts prompts;
        HANDLE stale = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1234));  // must be overwritten
        int result;
        HANDLE stored;
        if (c.gps) {
            settings_.GpsPort = c.port;
            ports_.GpsPortHandle = stale;
            result = OpenGpsPort(ports_, settings_, c.report, prompts, PortReading::Awaited);
            stored = ports_.GpsPortHandle;
        } else {
            settings_.ConsolePort[1] = c.port;
            ports_.ConsolePortHandle[1] = stale;
            result = OpenConsolePort(ports_, settings_, 1, c.report, prompts);
            stored = ports_.ConsolePortHandle[1];
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(stored, INVALID_HANDLE_VALUE);
        if (!c.message) {
            EXPECT_TRUE(prompts.History.empty());
            continue;
        }
        ASSERT_EQ(prompts.History.size(), 1u);
        // The failure, then the ports the computer has now.
        const std::string& text = prompts.History[0].Text;
        EXPECT_EQ(text.substr(0, text.find("\r\n")), c.message);
        const std::string present = text.substr(text.find("\r\n") + 2);
        EXPECT_TRUE(present.rfind("Serial ports on this computer: COM", 0) == 0 ||
                    present == "No serial port on this computer")
            << present;
        EXPECT_EQ(prompts.History[0].Caption, "Serial Port");
        EXPECT_FALSE(prompts.History[0].Question);
    }
}

// A port in use elsewhere is not checked here: Wine lets a second CreateFile
// of an open serial device succeed, where Windows refuses it.

}  // namespace
}  // namespace tesselog::win32
