#include "core/gps/gps_monitor.h"

#include <algorithm>

#include "core/common/eight_bit_text.h"

namespace tesselog {

bool MonitorFramer::Feed(uint8_t byte) {
    if (byte == '$') {
        collecting_.assign(1, '$');
        return false;
    }
    if (byte == '\n') {
        if (collecting_.empty()) return false;
        line_.swap(collecting_);
        collecting_.clear();
        // A receiver that ends its lines with LF alone keeps its last character.
        if (line_.back() == '\r') line_.pop_back();
        return true;
    }
    if (collecting_.size() > MonitorLineRestart) collecting_.clear();
    collecting_.push_back(static_cast<char>(byte));
    return false;
}

void MonitorSilence::Start(uint32_t now) {
    since_ = now;
    bytes_ = 0;
}

std::optional<std::string> MonitorSilence::Check(uint32_t now) {
    if (now - since_ <= MonitorSilenceMs) return std::nullopt;
    std::string text = bytes_ == 0 ? std::string(MonitorNoDataText) : NoLineEndText(bytes_);
    Start(now);
    return text;
}

std::string NoLineEndText(uint64_t bytes) {
    return "NO LINE END: " + std::to_string(bytes) + " bytes in 7 s";
}

MonitorKeyDecision DecideMonitorInput(MonitorInput input, uint64_t wordParameter, int32_t focus) {
    MonitorKeyDecision d;
    if (input == MonitorInput::Command) {
        const int id = static_cast<int>(wordParameter & 0xFFFF);
        if (id >= MonitorButtonFirstId && id < MonitorButtonFirstId + MonitorButtonCount)
            d.Button = id - MonitorButtonFirstId;
        return d;
    }
    if (input != MonitorInput::Char) return d;
    switch (wordParameter) {
    case 9: d.Tab = true; break;
    case 13: d.Button = focus; break;
    case 'G': case 'g': d.Button = MonitorGo; break;
    case 'P': case 'p': d.Button = MonitorPause; break;
    case 'S': case 's': d.Button = MonitorSend; break;
    case 'X': case 'x': d.Button = MonitorExit; break;
    default: break;
    }
    return d;
}

int32_t NextMonitorFocus(int32_t focus, bool running) {
    int32_t next = focus == MonitorGo ? MonitorSend : focus + 1;
    if (next >= MonitorButtonCount || next < 0) next = MonitorGo;
    if (next == MonitorGo && running) next = MonitorPause;
    if (next == MonitorPause && !running) next = MonitorSend;
    return next;
}

MonitorCommandBytes BuildMonitorCommand(std::u16string_view text) {
    MonitorCommandBytes out;
    if (FirstNon8BitCharacter(text) != AllCharactersFit) {
        out.Result = MonitorCommandResult::Not8Bit;
        out.Message = Not8BitMessage("GPS command", text);
        return out;
    }
    if (text.size() > MonitorCommandMaxChars) {
        out.Result = MonitorCommandResult::TooLong;
        out.Message = "The command has " + std::to_string(text.size()) +
                      " characters; a message to the GPS receiver holds at most " +
                      std::to_string(MonitorCommandMaxChars) + ".\r\nNothing was sent: shorten the command.";
        return out;
    }
    out.Bytes = To8Bit(text) + "\r\n";
    return out;
}

void MonitorFeed::Push(std::string line) {
    std::lock_guard<std::mutex> hold(lock_);
    if (lines_.size() >= MonitorFeedCap) lines_.pop_front();
    lines_.push_back(std::move(line));
}

std::vector<std::string> MonitorFeed::TakeAll() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::string> taken(std::make_move_iterator(lines_.begin()), std::make_move_iterator(lines_.end()));
    lines_.clear();
    return taken;
}

void MonitorFeed::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.clear();
}

MonitorListUpdate PlanMonitorListUpdate(int32_t count, size_t incoming, int32_t cap) {
    MonitorListUpdate plan;
    const size_t limit = static_cast<size_t>(std::max<int32_t>(cap, 1));
    if (incoming > limit) plan.FirstAdded = incoming - limit;
    const size_t added = incoming - plan.FirstAdded;
    const size_t have = static_cast<size_t>(std::max<int32_t>(count, 0));
    if (have + added > limit) plan.RemoveFromTop = static_cast<int32_t>(std::min(have, have + added - limit));
    return plan;
}

}  // namespace tesselog
