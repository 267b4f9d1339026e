// The GPS monitor without windows: the line framing of its reader, the 7-s
// silence rule, the buttons' highlight and key table, the command built for
// the receiver, the hand-over of lines to the user-interface thread and the
// cap of the list. The monitor does not parse sentences: it shows every line
// the receiver sends, so that the operator can see what comes in and send a
// command line back.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesselog {

// Buttons, by index (control id - MonitorButtonFirstId).
constexpr int32_t MonitorGo = 0;
constexpr int32_t MonitorPause = 1;
constexpr int32_t MonitorSend = 2;
constexpr int32_t MonitorExit = 3;
constexpr int32_t MonitorButtonCount = 4;

constexpr int MonitorButtonFirstId = 750;
constexpr int MonitorListId = 760;
constexpr int MonitorEditId = 770;

constexpr const char* MonitorButtonLabels[MonitorButtonCount] = {"&Go", "&Pause", "&Send", "E&xit"};
constexpr char MonitorInitialCommand[] = "$PASHS,NME,SAT,A,ON";  // an Ashtech receiver command
constexpr char MonitorLabelText[] = "Enter Command Text";
constexpr char MonitorNoDataText[] = "NO DATA";

constexpr uint32_t MonitorSilenceMs = 7000;
// A line that has collected more than this many characters without a line
// end starts again from empty with the next byte.
constexpr size_t MonitorLineRestart = 190;
// The message to the receiver holds 27 characters, CR LF and a zero (30 bytes).
constexpr size_t MonitorCommandMaxChars = 27;
constexpr size_t MonitorCommandEditChars = 100;  // what the send dialog's edit takes
// The list keeps the newest lines; at the cap the oldest go first. 10,000
// lines are 33 minutes at 5 sentences a second (over 8 minutes at 20 Hz),
// far more than a look at a receiver needs, and a list box of that size
// still scrolls at once.
constexpr int32_t MonitorListCap = 10000;
// Lines waiting for the user-interface thread; only reached when it stalls.
constexpr size_t MonitorFeedCap = 1000;

// ---------------------------------------------------------------- framing

// One byte at a time: "$" restarts the line with the "$"; LF ends a
// non-empty line, whose trailing CR is dropped; any other byte is appended,
// after restarting the line when more than MonitorLineRestart characters
// are collected.
class MonitorFramer {
public:
    // True when the byte ended a line; Line() then holds it.
    bool Feed(uint8_t byte);
    const std::string& Line() const { return line_; }
    void Reset() { collecting_.clear(); }

private:
    std::string collecting_;
    std::string line_;
};

// ---------------------------------------------------------------- silence

// After 7000 ms without a line the monitor says so. A silent line gives
// "NO DATA"; a line on which bytes arrive but no line ends (a receiver at
// another baud rate sends garbage without LF) gives "NO LINE END: N bytes in
// 7 s", so that the operator does not take it for a dead receiver.
class MonitorSilence {
public:
    void Start(uint32_t now);
    void ByteCame() { ++bytes_; }
    void LineEnded(uint32_t now) { Start(now); }
    // The report due at `now`, if any; the window then starts again.
    std::optional<std::string> Check(uint32_t now);

private:
    uint32_t since_ = 0;
    uint64_t bytes_ = 0;
};

std::string NoLineEndText(uint64_t bytes);

// ---------------------------------------------------------------- keys and highlight

enum class MonitorInput { Command, Char, KeyDown };

struct MonitorKeyDecision {
    bool Tab = false;     // move the highlight
    int32_t Button = -1;  // the button whose action runs, -1 for none
};

// The button from a click (ids 750..753) or from a typed character: Enter
// the highlighted button, G P S X in either case their buttons, Tab the
// highlight. Keys act through WM_CHAR only: the same key's WM_KEYDOWN comes
// first and would otherwise run the action twice (a second send dialog).
MonitorKeyDecision DecideMonitorInput(MonitorInput input, uint64_t wordParameter, int32_t focus);

// Tab: the next button, "&Go" jumping over "&Pause", "E&xit" wrapping to
// "&Go"; the hidden one of "&Go" and "&Pause" is never landed on ("&Pause"
// instead of "&Go" while running, "&Send" instead of "&Pause" while paused).
int32_t NextMonitorFocus(int32_t focus, bool running);

// ---------------------------------------------------------------- the command

enum class MonitorCommandResult { Ready, TooLong, Not8Bit };

struct MonitorCommandBytes {
    MonitorCommandResult Result = MonitorCommandResult::Ready;
    std::string Bytes;    // Ready: the text's bytes, then CR LF
    std::string Message;  // otherwise: what the operator is told, under "WARNING"
};

// The text as typed (UTF-16 code units). A text that does not fit the
// receiver's message is refused whole rather than cut.
MonitorCommandBytes BuildMonitorCommand(std::u16string_view text);

// ---------------------------------------------------------------- hand-over and list

// The reader thread's lines on their way to the list. The reader pushes;
// the user-interface thread takes them all when it paints. Past
// MonitorFeedCap waiting lines the oldest is dropped.
class MonitorFeed {
public:
    void Push(std::string line);
    std::vector<std::string> TakeAll();
    void Clear();

private:
    std::mutex lock_;
    std::deque<std::string> lines_;
};

struct MonitorListUpdate {
    int32_t RemoveFromTop = 0;  // oldest lines deleted first
    size_t FirstAdded = 0;      // the incoming lines from this index on are added
};

// How a list of `count` lines takes `incoming` new ones within `cap`.
MonitorListUpdate PlanMonitorListUpdate(int32_t count, size_t incoming, int32_t cap = MonitorListCap);

// State shared by the monitor's reader thread and the user-interface thread.
struct MonitorShared {
    std::atomic<int32_t> MonitorRun{0};     // 1 while the reader should go on
    std::atomic<int32_t> MonitorPaused{0};  // 1: the reader reads nothing
    std::atomic<int32_t> ReaderIdle{0};     // 1: the reader has seen the pause and reads nothing
    MonitorFeed Feed;
};

}  // namespace tesselog
