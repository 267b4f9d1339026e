// tesselog-replay: runs the logging screen's program without windows on a
// manual clock and writes the data file it produces. Console and GPS bytes
// come from a tesselog-sim capture and go through the same framers and
// handlers as in the program (a ConsoleReader per console, the GPS reader
// loop with the position handler); the operator's commands and the
// once-a-second connection watch come from a scenario file.
//
// Scenario file, one statement per line; a line starting with "#" is a comment:
//   capture NAME           the capture NAME.index with NAME.<port>.raw, beside the scenario
//   date YYYY-MM-DD HH:MM:SS   local time at 0 ms (default 2026-12-04 10:00:00)
//   set FIELD VALUE        a setting: ConsoleCount, ConsoleType (list, e.g. 1,1,0), ConsolePort (list,
//                          COM1 = 0), GpsInput, GpsPort, NmeaMode, PauseKey, LineSequence, LineDirection,
//                          LineIncrement, StartLineText, StartStation, StationIncrement, DisconnectAlarm,
//                          AudioTicks, MapDisplayType, MapSize, DisplayUnits, GpsOffsetX, GpsOffsetY,
//                          UnitSensorSeparation, ConsoleSeparation
//   MS COMMAND [ARGS]      an operator command at MS milliseconds from the start:
//     start                  "&Logging" of the main window
//     file                   "&File", confirming the proposed name
//     go | pause             "&Go" | "P A U S E"
//     newline LINE DIR STATION   the menu's "New &Line", answered OK (DIR 0 W, 1 S, 2 N, 3 E)
//     newline cancel
//     quickline yes|no       "&QLine" and its answer
//     station VALUE          "&New Station", answered OK
//     comment TEXT           "&Comment", answered OK (the rest of the line)
//     mapsize N              "Map &Size", answered OK with MapSize N
//     exit yes|no            "E&xit" and the answer to "Exit Logging?" (asked only with a file open)
//     key CODE               a key-down with that key code (decimal)
//     end                    the replay ends here
// At the same millisecond commands come first, then port bytes, then the
// timer; a whole chunk of port bytes arrives at its index time. Waits of the program (300 ms after the file dialog, 50 ms before
// the recording starts) move the clock on; events due meanwhile follow.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/acquisition/console_framer.h"
#include "core/common/eight_bit_text.h"
#include "core/gps/gps_reader_loop.h"
#include "core/logscreen/logging_layout.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/map/map_tiles.h"
#include "core/platform/memory_file_system.h"
#include "tools/common/command_line.h"

namespace tesselog {
namespace {

constexpr uint32_t BaseTick = 5000000;  // the replay's tick at 0 ms

const char Description[] =
    "Replays SCENARIO (see the comment at the top of tools/replay/main.cpp for its statements:\n"
    "capture, date, set, and timed commands start, file, go, pause, newline, quickline, station,\n"
    "comment, mapsize, exit, key, end) and writes the data file the program would write to OUTPUT.\n";

struct Event {
    uint32_t Ms = 0;
    int Order = 0;   // 0 command, 1 bytes, 2 timer
    size_t Seq = 0;
    std::string Command;  // command line, or the port name
    std::string Bytes;
};

bool Fail(const std::string& text) {
    std::fprintf(stderr, "tesselog-replay: %s\n", text.c_str());
    return false;
}

std::string ReadAll(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void ParseList(const std::string& text, int32_t* out, int n) {
    std::stringstream s(text);
    std::string item;
    for (int i = 0; i < n && std::getline(s, item, ','); ++i) out[i] = TextToInt32(item);
}

bool ApplySetting(Settings& s, const std::string& field, const std::string& value) {
    std::map<std::string, int32_t*> ints = {
        {"ConsoleCount", &s.ConsoleCount},   {"GpsInput", &s.GpsInput},         {"GpsPort", &s.GpsPort},
        {"NmeaMode", &s.NmeaMode},           {"PauseKey", &s.PauseKey},         {"LineSequence", &s.LineSequence},
        {"LineDirection", &s.LineDirection}, {"DisconnectAlarm", &s.DisconnectAlarm},
        {"AudioTicks", &s.AudioTicks},       {"MapDisplayType", &s.MapDisplayType}, {"MapSize", &s.MapSize},
        {"DisplayUnits", &s.DisplayUnits},
    };
    std::map<std::string, double*> doubles = {
        {"LineIncrement", &s.LineIncrement},
        {"StartStation", &s.StartStation},
        {"StationIncrement", &s.StationIncrement},
        {"GpsOffsetX", &s.GpsOffsetX},
        {"GpsOffsetY", &s.GpsOffsetY},
        {"UnitSensorSeparation", &s.UnitSensorSeparation},
        {"ConsoleSeparation", &s.ConsoleSeparation},
    };
    if (ints.count(field)) {
        *ints[field] = TextToInt32(value);
    } else if (doubles.count(field)) {
        *doubles[field] = TextToDouble(value);
    } else if (field == "ConsoleType") {
        ParseList(value, s.ConsoleType, MaxConsoles);
    } else if (field == "ConsolePort") {
        ParseList(value, s.ConsolePort, MaxConsoles);
    } else if (field == "StartLineText") {
        s.StartLineText = value.substr(0, StartLineTextMaxLength);
    } else {
        return false;
    }
    // As the settings file's loader does: values out of range and a leading
    // point beyond the sensors go back to their defaults.
    s.ResetValuesOutOfRange();
    s.RecomputeAll();
    s.CurrentStation = s.StartStation;
    return true;
}

// The save dialog confirms the proposed name with the offered extension.
class ConfirmingFileDialogs : public FileDialogs {
public:
    std::optional<std::u16string> ChooseSaveFile(const FileDialogRequest& request) override {
        std::string ext = request.Filters.empty() ? "MGR" : request.Filters[0].Pattern.substr(2);
        for (char& c : ext) c = static_cast<char>(c - 'A' + 'a');
        Chosen = request.InitialFolder + request.InitialName + "." + ext;
        return From8Bit(Chosen);
    }
    std::optional<std::u16string> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::string Chosen;
};

// The GPS port as the reader loop sees it: the bytes of the current chunk.
// The capture moves the clock, so a read never waits.
class ReplayGpsIo : public GpsReaderIo {
public:
    explicit ReplayGpsIo(LoggingSession& session) : session_(session) { canvas_.Keep = false; }
    GpsReadResult ReadByte(uint8_t& byte, uint32_t) override {
        if (Pending.empty()) return GpsReadResult::Nothing;
        byte = static_cast<uint8_t>(Pending.front());
        Pending.erase(0, 1);
        return GpsReadResult::Byte;
    }
    void SetEventMask() override {}
    void HandOver() override {
        GpsDataOutcome outcome = session_.OnGpsData(canvas_, Hooks);
        if (outcome.PositionLimitReached) Pending.clear();
    }
    void ShowConnectionBreak() override {}
    bool TryClosePort() override { return true; }
    void ReopenPort() override {}
    void Wait(uint32_t) override {}

    struct Hooks : GpsScreenHooks {
        void EnableFileButton() override { FileEnabled = true; }
        bool FileEnabled = false;
    } Hooks;
    std::string Pending;

private:
    LoggingSession& session_;
    RecordingCanvas canvas_;  // the handler's fix texts, which the replay does not look at
};

class ReplayPorts : public RecordingLoggingPorts {
public:
    ReplayPorts(ManualClock& clock, LocalTime start, RecordingState& recording, const Settings& settings,
                SoundPlayer& sound)
        : clock_(clock), start_(start), recording_(recording), settings_(settings), sound_(sound) {}
    // The session and the GPS port, once made (the port hands each sentence
    // to the session, which is made on these ports).
    void Bind(LoggingSession* session, ReplayGpsIo* gpsIo) {
        session_ = session;
        gpsIo_ = gpsIo;
    }
    void CloseConsolePort(int k) override { readers_[k].reset(); }
    void StartConsoleReader(int k) override {
        readers_[k] = std::make_unique<ConsoleReader>(recording_.Consoles, settings_, k);
        recording_.Consoles.ConsolePortOpen[k] = 2;
    }
    void StartGpsReader() override {
        gps_ = std::make_unique<GpsReaderLoop>(recording_.Gps, recording_.Mode, *gpsIo_, clock_, sound_,
                                               recording_.Logging, &recording_.Writer, settings_.DisconnectAlarm);
        gps_->Start();
    }
    void StopGpsReader() override {
        recording_.Gps.GpsReaderRun = 0;
        gps_.reset();
    }
    void Wait(uint32_t ms) override { Advance(clock_.CurrentTick - BaseTick + ms); }

    // Moves the clock to `ms` from the start (never backwards).
    void Advance(uint32_t ms) {
        if (ms + BaseTick <= clock_.CurrentTick) return;
        clock_.CurrentTick = BaseTick + ms;
        uint32_t seconds = static_cast<uint32_t>(start_.Hour) * 3600 + start_.Minute * 60 + start_.Second + ms / 1000;
        LocalTime now = start_;
        now.Hour = static_cast<int>(seconds / 3600 % 24);
        now.Minute = static_cast<int>(seconds / 60 % 60);
        now.Second = static_cast<int>(seconds % 60);
        now.Millisecond = static_cast<int>(ms % 1000);
        clock_.CurrentTime = now;
    }

    void ConsoleBytes(int k, const std::string& bytes, ReadingDisplay& display) {
        if (!readers_[k]) return;
        for (char c : bytes)
            if (readers_[k]->Feed(static_cast<uint8_t>(c), clock_)) session_->OnConsoleData(k, display);
    }
    void GpsBytes(const std::string& bytes) {
        if (!gps_) return;
        gpsIo_->Pending += bytes;
        while (gps_ && !gpsIo_->Pending.empty() && recording_.Gps.GpsReaderRun == 1) gps_->Pass();
        gpsIo_->Pending.clear();
    }
    void GpsIdle() {
        if (gps_ && recording_.Gps.GpsReaderRun == 1) gps_->Pass();
    }

private:
    ManualClock& clock_;
    LocalTime start_;
    RecordingState& recording_;
    const Settings& settings_;
    SoundPlayer& sound_;
    LoggingSession* session_ = nullptr;
    ReplayGpsIo* gpsIo_ = nullptr;
    std::unique_ptr<ConsoleReader> readers_[MaxConsoles];
    std::unique_ptr<GpsReaderLoop> gps_;
};

struct Scenario {
    Settings Config;
    LocalTime Start{2026, 12, 4, 10, 0, 0, 0};
    std::vector<Event> Events;
};

bool LoadCapture(const std::string& prefix, Scenario& scenario, size_t& seq) {
    bool ok = false;
    std::string index = ReadAll(prefix + ".index", ok);
    if (!ok) return Fail("cannot read " + prefix + ".index");
    std::map<std::string, std::string> raw;
    std::istringstream lines(index);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        unsigned long ms = 0, offset = 0, length = 0;
        std::string port;
        if (!(fields >> ms >> port >> offset >> length)) return Fail("bad index line: " + line);
        if (port == "gps-in") continue;
        if (!raw.count(port)) {
            raw[port] = ReadAll(prefix + "." + port + ".raw", ok);
            if (!ok) return Fail("cannot read " + prefix + "." + port + ".raw");
        }
        const std::string& bytes = raw[port];
        if (offset > bytes.size() || length > bytes.size() - offset) return Fail("index beyond raw file: " + line);
        scenario.Events.push_back({static_cast<uint32_t>(ms), 1, seq++, port, bytes.substr(offset, length)});
    }
    return true;
}

bool LoadScenario(const std::string& path, Scenario& scenario) {
    bool ok = false;
    std::string text = ReadAll(path, ok);
    if (!ok) return Fail("cannot read " + path);
    std::string folder = path.substr(0, path.find_last_of('/') + 1);
    std::istringstream lines(text);
    std::string line;
    size_t seq = 0;
    uint32_t lastMs = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t text = line.find_first_not_of(" \t");
        if (text == std::string::npos || line[text] == '#') continue;
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) continue;
        if (first == "capture") {
            std::string name;
            words >> name;
            if (!LoadCapture(folder + name, scenario, seq)) return false;
        } else if (first == "date") {
            LocalTime& t = scenario.Start;
            std::string rest;
            std::getline(words, rest);
            if (std::sscanf(rest.c_str(), " %d-%d-%d %d:%d:%d", &t.Year, &t.Month, &t.Day, &t.Hour, &t.Minute,
                            &t.Second) != 6)
                return Fail("bad date: " + line);
        } else if (first == "set") {
            std::string field, value;
            words >> field >> value;
            if (!ApplySetting(scenario.Config, field, value)) return Fail("unknown setting: " + line);
        } else if (std::isdigit(static_cast<unsigned char>(first[0]))) {
            std::string command;
            std::getline(words, command);
            command.erase(0, command.find_first_not_of(' '));
            lastMs = static_cast<uint32_t>(std::strtoul(first.c_str(), nullptr, 10));
            scenario.Events.push_back({lastMs, 0, seq++, command, {}});
        } else {
            return Fail("unknown statement: " + line);
        }
    }
    uint32_t end = lastMs;
    for (const Event& e : scenario.Events) end = std::max(end, e.Ms);
    for (uint32_t ms = 1000; ms <= end; ms += 1000) scenario.Events.push_back({ms, 2, seq++, "timer", {}});
    std::stable_sort(scenario.Events.begin(), scenario.Events.end(), [](const Event& a, const Event& b) {
        return a.Ms != b.Ms ? a.Ms < b.Ms : a.Order != b.Order ? a.Order < b.Order : a.Seq < b.Seq;
    });
    return true;
}

// The screen of the replay: no windows, but the layout pass of a 1024 x 768
// main window (client 1018 x 740, line height 16) gives the settings their
// pane sizes and the map its tile size, as in the program on such a screen.
class ReplayControls : public RecordingScreenControls {
public:
    ReplayControls(Settings& settings, MapCommands& map) : settings_(settings), map_(map) {}
    void LayoutPass() override {
        const LoggingLayout panes = ComputeLoggingLayout(ReplayClientWidth, ReplayClientHeight, ReplayLineHeight,
                                                         settings_.ConsoleCount, PaneRightColumnWidth);
        TakePaneSizes(settings_, panes);
        map_.SetPaneSize(panes.MapSide - 2, panes.MapSide - 2);
    }

private:
    static constexpr int32_t ReplayClientWidth = 1018;
    static constexpr int32_t ReplayClientHeight = 740;
    static constexpr int32_t ReplayLineHeight = 16;
    Settings& settings_;
    MapCommands& map_;
};

int Run(const std::string& scenarioPath, const std::string& outputPath) {
    Scenario scenario;
    if (!LoadScenario(scenarioPath, scenario)) return 2;

    Settings settings = scenario.Config;
    MemoryFileSystem files;
    ManualClock clock;
    SilentSoundPlayer sound;
    RecordingPrompts prompts;
    ConfirmingFileDialogs fileDialogs;
    ScriptedLoggingDialogs dialogs;
    // The recording first, then the map on it and the in-memory tile store,
    // so that a replay places the track on the same tiles as the program and
    // overflows at the same fix. The overflow is sent to the logging screen
    // inside the drawing of the fix that left the map, as the program does.
    RecordingState recording(files, settings, clock);
    MemoryMapTiles tiles;
    tiles.KeepCalls = false;
    LoggingSession* overflowTarget = nullptr;
    MapCommands map(tiles, settings, recording, clock, [&overflowTarget] {
        if (overflowTarget) overflowTarget->OnMapOverflow();
    });
    ReplayControls controls(settings, map);
    ReplayPorts ports(clock, scenario.Start, recording, settings, sound);
    AppendValidation validation;
    NoBackgroundFiles background;
    ReadingDisplay display;
    int32_t screenMode = 0;
    clock.CurrentTick = BaseTick;
    clock.CurrentTime = scenario.Start;
    LoggingServices services{files, clock, sound, prompts, fileDialogs, controls, dialogs, ports, map,
                             validation, background, screenMode, nullptr};
    LoggingSession session(settings, services, recording);
    overflowTarget = &session;
    ReplayGpsIo gpsIo(session);
    ports.Bind(&session, &gpsIo);

    auto warn = [](uint32_t ms, const std::string& text) { std::fprintf(stderr, "%u ms: %s\n", ms, text.c_str()); };
    for (const Event& e : scenario.Events) {
        ports.Advance(e.Ms);
        if (e.Order == 2) {
            if (screenMode == 1) {
                session.OnWatchTimer();
                ports.GpsIdle();
            }
            continue;
        }
        if (e.Order == 1) {
            // Bytes that came while the program waited (the 50 ms before
            // the recording starts) carry their own arrival tick: the reader
            // threads stamp them and then wait in their hand-over.
            const uint32_t uiTick = clock.CurrentTick;
            clock.CurrentTick = BaseTick + e.Ms;
            if (e.Command == "gps")
                ports.GpsBytes(e.Bytes);
            else if (e.Command.rfind("console", 0) == 0 && e.Command.size() == 8)
                ports.ConsoleBytes(e.Command[7] - '1', e.Bytes, display);
            clock.CurrentTick = uiTick;
            continue;
        }
        std::istringstream words(e.Command);
        std::string verb, arg;
        words >> verb;
        const int32_t state = recording.Logging.LoggingState;
        if (verb == "end") break;
        if (verb == "start") {
            if (!session.StartLogging()) warn(e.Ms, "the logging screen did not open");
            gpsIo.Hooks.FileEnabled = settings.GpsInput != 1;
            continue;
        }
        if (screenMode != 1) {
            warn(e.Ms, "'" + e.Command + "' ignored: the logging screen is not open");
            continue;
        }
        if (verb == "file") {
            if (!gpsIo.Hooks.FileEnabled)
                warn(e.Ms, "'file' ignored: no valid GPS position yet");
            else if (state != LoggingMonitoring)
                warn(e.Ms, "'file' ignored: a file is open");
            else
                session.OnCommand(LogInput::Command, CommandButtonFirstId);
        } else if (verb == "go" || verb == "pause") {
            if ((verb == "go") != (state == LoggingStandBy)) warn(e.Ms, "'" + verb + "' ignored in this state");
            else session.OnCommand(LogInput::Command, CommandButtonFirstId);
        } else if (verb == "newline") {
            ScriptedLoggingDialogs::NewLineAnswer answer;
            std::string line;
            int direction = 0;
            double station = 0.0;
            if (words >> line && line != "cancel" && words >> direction >> station)
                answer = {true, line, direction, station};
            dialogs.NewLines.push_back(answer);
            session.OnCommand(LogInput::Command, 501);
        } else if (verb == "quickline") {
            words >> arg;
            prompts.Answers.push_back(arg != "no");
            session.OnCommand(LogInput::Command, CommandButtonFirstId + 1);
        } else if (verb == "station") {
            double station = 0.0;
            words >> station;
            dialogs.Stations.push_back({true, station});
            session.OnCommand(LogInput::Command, 502);
        } else if (verb == "comment") {
            std::string text;
            std::getline(words, text);
            text.erase(0, text.find_first_not_of(' '));
            dialogs.Comments.push_back({true, text});
            session.OnCommand(LogInput::Command, 503);
        } else if (verb == "exit") {
            words >> arg;
            if (state != LoggingMonitoring) prompts.Answers.push_back(arg != "no");
            session.OnCommand(LogInput::Command, CommandButtonFirstId + 2);
        } else if (verb == "mapsize") {
            int32_t size = 0;
            words >> size;
            dialogs.MapSizes.push_back({true, size});
            session.OnCommand(LogInput::Command, 510);
        } else if (verb == "key") {
            words >> arg;
            session.OnCommand(LogInput::KeyDown, std::strtoul(arg.c_str(), nullptr, 10));
        } else {
            warn(e.Ms, "unknown command '" + e.Command + "'");
            return 2;
        }
    }
    for (const auto& shown : prompts.History)
        std::fprintf(stderr, "message [%s]: %s\n", shown.Caption.c_str(), shown.Text.c_str());

    if (fileDialogs.Chosen.empty()) return Fail("no data file was created"), 1;
    const std::string& bytes = files.Files[files.Resolve(fileDialogs.Chosen)];
    std::ofstream out(outputPath, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return Fail("cannot write " + outputPath), 1;
    std::printf("%s: %zu bytes, %zu records\n", outputPath.c_str(), bytes.size(), bytes.size() / 27);
    return 0;
}

}  // namespace
}  // namespace tesselog

int main(int argc, char** argv) {
    CLI::App app(tesselog::Description, "tesselog-replay");
    std::string scenario, output;
    app.get_formatter()->column_width(22);
    app.add_option("SCENARIO", scenario, "the scenario file")->required()->type_name("");
    app.add_option("OUTPUT", output, "where the data file goes")->required()->type_name("");
    if (const int status = tesselog::ParseToolCommandLine(app, argc, argv); status >= 0) return status;
    return tesselog::Run(scenario, output);
}
