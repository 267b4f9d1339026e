// The console reader thread on a real port: run_port_tests.sh maps COM5 to a
// pty, and the pty helper writes the console's bytes on the pty's far end
// when asked. Without that environment the case is skipped.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "windows/console_reader.h"

namespace tesselog::win32 {
namespace {

// What the test window's handler of MSG_CONSOLE_DATA + k saw.
struct Received {
    UINT message = 0;
    std::string sentence;
    int32_t portOpen = -1;
    int count = 0;
};
Received TheReceived;
ConsoleStreams* TheStreams = nullptr;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message >= MSG_CONSOLE_DATA && message < MSG_CONSOLE_DATA + MaxConsoles) {
        const int k = static_cast<int>(message - MSG_CONSOLE_DATA);
        TheReceived.message = message;
        TheReceived.sentence = TheStreams->ConsoleSentence[k];
        TheReceived.portOpen = TheStreams->ConsolePortOpen[k];
        ++TheReceived.count;
        TheStreams->ConsoleSentence[k][0] = 0;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

class ConsoleReaderPortTest : public testing::Test {
protected:
    void SetUp() override {
        if (test::Env("TESSELOG_PORT_DIR").empty()) GTEST_SKIP() << "runs under tests/platform/run_port_tests.sh only";
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TesselogConsoleReaderTest";
        RegisterClassW(&wc);
        window_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        TheStreams = &streams_;
        TheReceived = Received();
    }
    void TearDown() override {
        for (int k = 0; k < MaxConsoles; ++k) CloseConsolePort(ports_, k);
        threads_.WaitForEnd(1000);
        for (int k = 0; k < MaxConsoles; ++k) threads_.ReleaseThread(k);
        if (window_) DestroyWindow(window_);
        TheStreams = nullptr;
    }

    // Handles messages (and the readers' sent ones) until done() or timeoutMs.
    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start >= timeoutMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
        return true;
    }

    // Asks the pty helper to write bytes on the far end of the pty of COM5.
    void WriteOnPty(const std::string& bytes) {
        static const char digits[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char c : bytes) {
            hex += digits[c >> 4];
            hex += digits[c & 15];
        }
        EXPECT_EQ(test::AskPtyHelper("write " + test::Env("TESSELOG_PTY_COM5") + " " + hex), "ok\n");
    }

    HWND window_ = nullptr;
    SerialPorts ports_;
    Settings settings_;
    ConsoleStreams streams_;
    ConsoleReaderThreads threads_;
};

// Console 3 (k = 2) on COM5: the sentence reaches the WM_USER+14 handler with
// the slot holding the text before the CR; closing the port ends the thread
// and leaves ConsolePortOpen at 1.
TEST_F(ConsoleReaderPortTest, SentenceReachesHandlerAndCloseEndsThread) {
    constexpr int k = 2;
    settings_.ConsolePort[k] = 4;  // COM5
    settings_.ConsoleType[k] = 1;
    ASSERT_EQ(OpenConsolePort(ports_, settings_, k, 0), 1);
    streams_.ConsolePortOpen[k] = 1;
    ASSERT_TRUE(threads_.Start(k, {&streams_, &ports_, &settings_, window_}));
    ASSERT_TRUE(PumpUntil([&] { return streams_.ConsolePortOpen[k].load() == 2; }, 2000));
    Sleep(50);  // past the start's purge of the input

    WriteOnPty("noise$PBAR,0060,0065\r\n");
    ASSERT_TRUE(PumpUntil([] { return TheReceived.count > 0; }, 3000));
    EXPECT_EQ(TheReceived.message, static_cast<UINT>(WM_USER + 14));
    EXPECT_EQ(TheReceived.sentence, "$PBAR,0060,0065");
    EXPECT_EQ(TheReceived.portOpen, 2);
    EXPECT_EQ(TheReceived.count, 1);
    EXPECT_EQ(streams_.ConsoleMinSentence[k], 7);

    threads_.ClosePort(k);
    EXPECT_EQ(ports_.ConsolePortHandle[k], INVALID_HANDLE_VALUE);
    EXPECT_TRUE(threads_.WaitForEnd(1000));
    EXPECT_EQ(streams_.ConsolePortOpen[k], 1);
    threads_.ReleaseThread(k);
    EXPECT_FALSE(threads_.Running(k));
}

}  // namespace
}  // namespace tesselog::win32
