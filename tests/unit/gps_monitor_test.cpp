#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/gps/gps_monitor.h"
#include "core/gps/gps_monitor_screen.h"

namespace tesselog {
namespace {

std::vector<std::string> Frame(const std::string& bytes) {
    MonitorFramer framer;
    std::vector<std::string> lines;
    for (unsigned char b : bytes)
        if (framer.Feed(b)) lines.push_back(framer.Line());
    return lines;
}

TEST(GpsMonitorFramer, LinesRestartsAndLimits) {
    const std::string a190(190, 'a');
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF dropped", "$GPGGA,1*70\r\n$GPGSA,2\r\n", {"$GPGGA,1*70", "$GPGSA,2"}},
        {"LF alone keeps the last character", "$GPGLL,4\n", {"$GPGLL,4"}},
        {"$ restarts the line", "$GPGGA,12$GPGLL,3\r\n", {"$GPGLL,3"}},
        {"empty lines are no lines", "\n\n$A\r\n\n", {"$A"}},
        {"a line without $ is shown too", "OK\r\n", {"OK"}},
        {"190 characters shown whole", a190 + "\r\n", {a190}},
        {"more than 190 restart at the next byte", a190 + "ab\r\n", {"b"}},
        {"bytes above 0x7F kept", "\xB0\xFF\r\n", {"\xB0\xFF"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Frame(c.bytes), c.lines) << c.name;
}

// A port whose bytes come from a script: a byte takes 5 ms, a read with
// nothing there the 10 ms time-out. Time moves only through the port.
class ScriptedMonitorPort : public MonitorReaderIo {
public:
    explicit ScriptedMonitorPort(ManualClock& clock) : clock_(clock) {}
    GpsReadResult ReadByte(uint8_t& byte) override {
        if (!bytes.empty() && clock_.CurrentTick >= from) {
            byte = static_cast<uint8_t>(bytes.front());
            bytes.erase(0, 1);
            clock_.CurrentTick += 5;
            return GpsReadResult::Byte;
        }
        clock_.CurrentTick += 10;
        return GpsReadResult::Nothing;
    }
    void LineReady() override { ++repaints; }
    void Wait(uint32_t ms) override { clock_.CurrentTick += ms; }

    std::string bytes;
    uint32_t from = 0;  // no byte before this tick
    int repaints = 0;

private:
    ManualClock& clock_;
};

struct ReaderRig {
    ManualClock clock;
    MonitorShared shared;
    ScriptedMonitorPort port{clock};
    MonitorReaderLoop loop{shared, port, clock};
    ReaderRig() {
        shared.MonitorRun = 1;
        loop.Start();
    }
    std::vector<std::string> RunUntil(uint32_t tick) {
        while (clock.CurrentTick < tick) loop.Pass();
        return shared.Feed.TakeAll();
    }
};

TEST(GpsMonitorReader, LinesKeepTheWindowOpenAndAPartialLineIsDroppedAtTheReport) {
    ReaderRig rig;
    rig.port.bytes = "$GPGGA,1\r\n$GPGGA,2";
    EXPECT_EQ(rig.RunUntil(7000), (std::vector<std::string>{"$GPGGA,1"}));
    rig.port.bytes = "\r\n";
    rig.port.from = 9000;
    // The report at 7050 dropped "$GPGGA,2"; its line end alone makes an empty line.
    EXPECT_EQ(rig.RunUntil(9100), (std::vector<std::string>{"NO LINE END: 8 bytes in 7 s", ""}));
}

TEST(GpsMonitorReader, PausedReadsNothingAndTheWindowStartsAtTheResume) {
    ReaderRig rig;
    rig.port.bytes = "$GPGGA,1\r\n";
    rig.shared.MonitorPaused = 1;
    EXPECT_TRUE(rig.RunUntil(20000).empty());
    EXPECT_EQ(rig.shared.ReaderIdle.load(), 1);
    EXPECT_EQ(rig.port.bytes.size(), 10u);
    rig.shared.MonitorPaused = 0;
    EXPECT_EQ(rig.RunUntil(26000), (std::vector<std::string>{"$GPGGA,1"}));
    EXPECT_EQ(rig.RunUntil(28000), (std::vector<std::string>{"NO DATA"}));
}

TEST(GpsMonitorKeys, TabJumpsOverTheHiddenButton) {
    const struct {
        int32_t from;
        bool running;
        int32_t to;
    } cases[] = {
        {MonitorGo, false, MonitorSend},    {MonitorPause, true, MonitorSend}, {MonitorSend, true, MonitorExit},
        {MonitorSend, false, MonitorExit},  {MonitorExit, true, MonitorPause}, {MonitorExit, false, MonitorGo},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextMonitorFocus(c.from, c.running), c.to) << c.from << (c.running ? " running" : " paused");
}

TEST(GpsMonitorKeys, CharactersClicksAndKeyDowns) {
    const struct {
        MonitorInput input;
        uint64_t code;
        bool tab;
        int32_t button;
    } cases[] = {
        {MonitorInput::Char, 'g', false, MonitorGo},    {MonitorInput::Char, 'P', false, MonitorPause},
        {MonitorInput::Char, 's', false, MonitorSend},  {MonitorInput::Char, 'X', false, MonitorExit},
        {MonitorInput::Char, 13, false, MonitorExit},   // Enter: the highlighted button (Exit here)
        {MonitorInput::Char, 9, true, -1},              {MonitorInput::Char, 'a', false, -1},
        // The key-down of the same key must not act a second time.
        {MonitorInput::KeyDown, 'S', false, -1},        {MonitorInput::KeyDown, 9, false, -1},
        {MonitorInput::Command, 751, false, MonitorPause},
        {MonitorInput::Command, 753 | (5u << 16), false, MonitorExit},  // any notice of a button
        {MonitorInput::Command, 770 | (0x300u << 16), false, -1},  // the edit's notices
    };
    for (const auto& c : cases) {
        const MonitorKeyDecision d = DecideMonitorInput(c.input, c.code, MonitorExit);
        EXPECT_EQ(d.Tab, c.tab) << c.code;
        EXPECT_EQ(d.Button, c.button) << c.code;
    }
}

TEST(GpsMonitorCommand, BytesAndRefusals) {
    const std::u16string c27 = u"$PASHS,NME,GGA,A,ON,0.5,X12";
    ASSERT_EQ(c27.size(), 27u);
    EXPECT_EQ(BuildMonitorCommand(c27).Bytes, "$PASHS,NME,GGA,A,ON,0.5,X12\r\n");
    EXPECT_EQ(BuildMonitorCommand(u"").Bytes, "\r\n");
    EXPECT_EQ(BuildMonitorCommand(u"\u00E9").Bytes, "\xE9\r\n");

    const std::u16string c40(40, u'A');
    const MonitorCommandBytes tooLong = BuildMonitorCommand(c40);
    EXPECT_EQ(tooLong.Result, MonitorCommandResult::TooLong);
    EXPECT_TRUE(tooLong.Bytes.empty());
    EXPECT_NE(tooLong.Message.find("40 characters"), std::string::npos) << tooLong.Message;
    EXPECT_NE(tooLong.Message.find("27"), std::string::npos) << tooLong.Message;
    EXPECT_EQ(BuildMonitorCommand(c27 + u"3").Result, MonitorCommandResult::TooLong);
    EXPECT_EQ(BuildMonitorCommand(u"$PASHS\u0141").Result, MonitorCommandResult::Not8Bit);
}

TEST(GpsMonitorList, CapRemovesTheOldestFirst) {
    const struct {
        int32_t count;
        size_t incoming;
        int32_t removed;
        size_t firstAdded;
    } cases[] = {
        {0, 1, 0, 0}, {9, 1, 0, 0}, {10, 1, 1, 0}, {9, 3, 2, 0}, {5, 25, 5, 15}, {10, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const MonitorListUpdate plan = PlanMonitorListUpdate(c.count, c.incoming, 10);
        EXPECT_EQ(plan.RemoveFromTop, c.removed) << c.count << "+" << c.incoming;
        EXPECT_EQ(plan.FirstAdded, c.firstAdded) << c.count << "+" << c.incoming;
    }
    MonitorFeed feed;
    for (size_t i = 0; i <= MonitorFeedCap; ++i) feed.Push(std::to_string(i));
    const std::vector<std::string> waiting = feed.TakeAll();
    ASSERT_EQ(waiting.size(), MonitorFeedCap);
    EXPECT_EQ(waiting.front(), "1");
}

// Records what the screen does, in order, and answers the send dialog.
class RecordingMonitorIo : public MonitorScreenIo {
public:
    explicit RecordingMonitorIo(MonitorShared& shared) : shared_(shared) {}
    void ShowButton(int32_t index, bool shown) override { Log((shown ? "show " : "hide ") + std::to_string(index)); }
    void Highlight(int32_t index, bool on) override { Log((on ? "light " : "unlight ") + std::to_string(index)); }
    std::u16string CommandText() override { return edit; }
    void SetCommandText(const std::u16string& text) override { edit = text; }
    bool RunSendDialog(std::u16string& text) override {
        Log("dialog");
        if (!typed.empty()) text = typed;
        return ok;
    }
    void Warn(const std::string& text) override { Log("warn " + text); }
    void Purge(bool tx, bool rx) override { Log(std::string("purge") + (tx ? " tx" : "") + (rx ? " rx" : "")); }
    void Write(const std::string& bytes) override { Log("write " + bytes); }
    void Wait(uint32_t) override {}
    void ClosePort() override { Log("close"); }
    void ShowMainWindow() override { Log("main"); }
    void FocusMonitor() override { Log("focus"); }

    std::vector<std::string> events;
    std::u16string edit = u"$PASHS,NME,SAT,A,ON";
    std::u16string typed;
    bool ok = true;

private:
    // Each event carries whether the reader was paused when it happened.
    void Log(const std::string& what) { events.push_back((shared_.MonitorPaused.load() ? "P " : "R ") + what); }
    MonitorShared& shared_;
};

struct ScreenRig {
    MonitorShared shared;
    RecordingMonitorIo io{shared};
    int32_t screenMode = ScreenMain;
    MonitorScreen screen{shared, io, screenMode};
    ScreenRig() { screen.Open(); }
};

TEST(GpsMonitorScreen, SendWritesWhileTheReaderIsPausedAndResumesIt) {
    ScreenRig rig;
    rig.screen.OnInput(MonitorInput::Char, 'p');
    rig.io.events.clear();
    rig.screen.OnInput(MonitorInput::Char, 's');
    EXPECT_EQ(rig.io.events, (std::vector<std::string>{"P dialog", "P purge tx", "P purge rx",
                                                       "P write $PASHS,NME,SAT,A,ON\r\n", "P hide 0", "P show 1",
                                                       "P unlight 0", "P light 1"}));
    EXPECT_EQ(rig.shared.MonitorPaused.load(), 0);
    EXPECT_EQ(rig.screen.MonitorRunning, 1);
}

TEST(GpsMonitorScreen, SendWhileRunningPausesTheReaderFirst) {
    ScreenRig rig;
    rig.io.typed = u"$PASHQ,PRT";
    rig.screen.OnInput(MonitorInput::Command, MonitorButtonFirstId + MonitorSend);
    EXPECT_EQ(rig.io.events, (std::vector<std::string>{"R dialog", "P purge tx", "P purge rx",
                                                       "P write $PASHQ,PRT\r\n", "P hide 0", "P show 1", "R focus"}));
    EXPECT_EQ(rig.io.edit, u"$PASHQ,PRT");
}

TEST(GpsMonitorScreen, PauseMovesTheHighlightAndExitKeepsTheState) {
    ScreenRig rig;
    rig.screen.OnInput(MonitorInput::Char, 'P');
    EXPECT_EQ(rig.io.events, (std::vector<std::string>{"P purge tx rx", "P hide 1", "P show 0", "P unlight 1",
                                                       "P light 0"}));
    rig.io.events.clear();
    rig.screen.OnInput(MonitorInput::Char, 'x');
    EXPECT_EQ(rig.io.events, (std::vector<std::string>{"R close", "R main"}));
    EXPECT_EQ(rig.screenMode, ScreenMain);
    rig.screen.OnInput(MonitorInput::Char, 'g');  // not in front: nothing
    EXPECT_EQ(rig.io.events.size(), 2u);

    rig.screen.Open();  // opens as it was left: paused, "&Go" highlighted
    EXPECT_EQ(rig.shared.MonitorPaused.load(), 1);
    rig.screen.OnInput(MonitorInput::Char, 13);
    EXPECT_EQ(rig.shared.MonitorPaused.load(), 0);
    EXPECT_EQ(rig.screen.MonitorButtonFocus, MonitorPause);
}

}  // namespace
}  // namespace tesselog
