// The logging screen as the program assembles it (the map on in-memory
// tiles, the append check, the background layer), fed GPS and console bytes
// as the reader threads feed them: a survey recorded live is drawn again from its data file, and an
// existing file is continued through "&File".
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/acquisition/console_framer.h"
#include "core/datafile/record_layout.h"
#include "core/datafile/record_reader.h"
#include "core/existing/append_validation.h"
#include "core/existing/file_replay.h"
#include "core/existing/torn_end.h"
#include "core/gps/gps_framer.h"
#include "core/logscreen/logging_assembly.h"
#include "core/logscreen/map_commands.h"
#include "core/map/map_tiles.h"
#include "support/logging_session_fixture.h"
#include "support/map_strokes.h"

namespace tesselog {
namespace {

using test::OverlayStrokes;

constexpr const char* DataPath = "C:\\261204_000.mgr";

// No background file is ever offered.
class NoBackgroundChoices : public BackgroundDialogs {
public:
    bool Load(Settings&, int32_t) override { return false; }
    bool Remove(const std::vector<std::string>&, std::vector<bool>&) override { return false; }
};

Settings SurveySettings(int32_t displayType) {
    Settings s;  // three consoles, the second with one sensor
    s.ConsoleType[1] = 0;
    s.NmeaMode = 1;
    s.MapDisplayType = displayType;
    s.PositionSize = displayType == 0 ? 2 : 4;
    s.RecomputeAll();
    return s;
}

// The session made on its map, append check and background layer by the
// logging screen's assembly, with the bytes of the GPS and consoles framed as their readers do.
struct MapSession {
    explicit MapSession(const Settings& s) : settings(s) {
        clock.CurrentTick = 100000;
        clock.CurrentTime = LocalTime{2026, 12, 4, 10, 30, 0, 0};
        ports.OnWait = [this](uint32_t ms) { clock.CurrentTick += ms; };
        files.Directories.insert("C:\\");
        map.SetPaneSize(400, 400);
    }

    // Opens the screen and takes the first fix, `north` metres north of the
    // usual start.
    void Start(double north = 0.0) {
        start = north;
        session.StartLogging();
        gps.Start(clock.CurrentTick);
        for (int k = 0; k < settings.ConsoleCount; ++k)
            consoles[k] = std::make_unique<ConsoleReader>(recording.Consoles, settings, k);
        Fix(0);
    }
    // "&File", "&Go" or "P A U S E" by the state.
    void Button0() {
        if (session.Recording.Logging.LoggingState == LoggingMonitoring) fileDialogs.Answers.push_back(From8Bit(DataPath));
        session.PressButton(0);
    }

    // Fix i of a walk north for 20 fixes, then east, with four readings of
    // every console before it.
    void Walk(int from, int to) {
        for (int i = from; i < to; ++i) {
            for (int j = 0; j < 4; ++j) {
                clock.CurrentTick += 200;
                for (int k = 0; k < settings.ConsoleCount; ++k) Console(k, i * 53 + j * 97 + k * 31);
            }
            clock.CurrentTick += 200;
            Fix(i);
        }
    }

    void Console(int k, int value) {
        char text[40];
        const int n = std::snprintf(text, sizeof text, "$PBAR,%04d,%04d\r\n", value % 500, (value * 7) % 500);
        if (settings.ConsoleType[k] == 0) std::memcpy(text + n - 7, "\r\n", 3);
        for (const char* c = text; *c; ++c)
            if (consoles[k]->Feed(static_cast<uint8_t>(*c), clock)) session.OnConsoleData(k, display);
    }

    void Fix(int i) {
        if (settings.GpsInput == 0) return;
        const double lat = 10.0 + start / 1852.0 + 0.0005 * std::min(i, 20);
        const double lon = 15.0 - 0.0008 * std::max(i - 20, 0);
        char sentence[140];
        const int n = std::snprintf(sentence, sizeof sentence,
                                    "$GPGGA,10%02d%02d.00,51%08.5f,N,001%08.5f,W,4,13,1.0,45.0,M,47.0,M,0.6,0001",
                                    30 + i / 60, i % 60, lat, lon);
        uint8_t sum = 0;
        for (int c = 1; c < n; ++c) sum ^= static_cast<uint8_t>(sentence[c]);
        std::snprintf(sentence + n, sizeof sentence - n, "*%02X\r\n", sum);
        for (const char* c = sentence; *c; ++c) {
            if (!gps.Feed(static_cast<uint8_t>(*c), clock.CurrentTick)) continue;
            if (gps.Line().PassedOn) session.OnGpsData(canvas, hooks);
            WriteGpsLine(session.Recording.Writer, session.Recording.Logging, gps.Line());
        }
    }

    // Fix i after a reading of every console at every fourth fix only (a
    // receiver four times faster than its consoles), console 2 silent from
    // fix 20 to 29, and at every seventh fix the antenna standing still (the
    // same fix again, after one more reading of console 1).
    void WalkFast(int from, int to) {
        for (int i = from; i < to; ++i) {
            clock.CurrentTick += 50;
            for (int k = 0; k < settings.ConsoleCount && i % 4 == 0; ++k)
                if (k != 1 || i < 20 || i >= 30) Console(k, i * 53 + k * 31);
            Fix(i);
            if (i % 7 != 0) continue;
            Console(0, i * 11);
            Fix(i);
        }
    }

    // A survey: Go, 30 fixes, pause, Go again, 15 more fixes, pause.
    void Survey(bool fast = false) {
        auto walk = [this, fast](int from, int to) { fast ? WalkFast(from, to) : Walk(from, to); };
        Start();
        Button0();
        Button0();
        walk(1, 30);
        Button0();
        walk(30, 32);
        Button0();
        walk(32, 47);
        Button0();
    }

    std::string& Bytes() { return files.Files[DataPath]; }

    LoggingServices Services() {
        LoggingServices services = mapSide.Services(sound, controls, dialogs, ports, screenMode);
        services.SaveSettings = [this] { ++saves; };
        services.EndProgram = [this](const std::string& note) {
            ++ended;
            endNote = note;
        };
        return services;
    }

    Settings settings;
    MemoryFileSystem files;
    ManualClock clock;
    test::RecordingSoundPlayer sound;
    RecordingPrompts prompts;
    ScriptedFileDialogs fileDialogs;
    RecordingScreenControls controls;
    ScriptedLoggingDialogs dialogs;
    RecordingLoggingPorts ports;
    MemoryMapTiles tiles;
    NoBackgroundChoices backgroundChoices;
    // The program's two steps: the map side, then the session on it.
    LoggingScreenMap mapSide{settings, MapPlatform{files, clock, prompts, fileDialogs, tiles, backgroundChoices, [] {}}};
    RecordingState& recording = mapSide.Recording;
    MapCommands& map = mapSide.Map;
    int32_t screenMode = 0;
    int ended = 0;
    std::string endNote;  // what the end of the program was to show
    int saves = 0;
    LoggingScreen screen{settings, mapSide, Services()};
    LoggingSession& session = screen.Session;
    GpsFramer gps{recording.Gps, recording.Mode};
    std::unique_ptr<ConsoleReader> consoles[MaxConsoles];
    RecordingCanvas canvas;
    GpsScreenHooks hooks;
    ReadingDisplay display;
    double start = 0.0;
};

int CountRecords(const std::string& bytes, const std::string& start) {
    int n = 0;
    for (size_t at = 0; at + RecordLength <= bytes.size(); at += RecordLength)
        n += bytes.compare(at, start.size(), start) == 0;
    return n;
}

// The first letters of the records from byte `from` on ("r" for "rESSEL").
std::string Kinds(const std::string& bytes, size_t from) {
    std::string kinds;
    for (size_t at = from; at + RecordLength <= bytes.size(); at += RecordLength) kinds += bytes[at];
    return kinds;
}

TEST(TrackReplay, DrawsWhatTheLiveMapDrew) {
    // The colour strips and the sensors' dots; without a console the
    // antenna's track, as a line or as dots, in either display type. And
    // the colour strips under a receiver faster than the consoles, with a
    // console silent for a while and the antenna standing still now and
    // then: readings carried over the steps without one, none over the
    // silence, those of the standing still on the next step.
    const struct { int32_t display, consoles, size; bool fast; } cases[] = {
        {1, 3, 4, false}, {0, 3, 2, false}, {1, 0, 4, false}, {0, 0, 2, false}, {1, 3, 4, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.display) + " " + std::to_string(c.consoles) + (c.fast ? " fast" : ""));
        Settings s = SurveySettings(c.display);
        s.ConsoleCount = c.consoles;
        s.PositionSize = c.size;
        s.RecomputeAll();
        MapSession live(s);
        live.Survey(c.fast);
        const test::TileStrokes drawn = OverlayStrokes(live.tiles);
        ASSERT_GT(test::CountStrokes(drawn), 20);  // a 1-pixel line counts a half
        ASSERT_EQ(CountRecords(live.Bytes(), "X$STARTED"), 2);

        MemoryMapTiles again;
        MapState state = live.map.State();
        ReplayProgress none;
        ReplayTrack(live.session.Recording.File, state, again, live.settings, live.session.Recording.Sensors, none);
        EXPECT_EQ(OverlayStrokes(again), drawn);
    }
}

// A survey's file, and a second screen at the same place (or `north`
// metres further) that chooses it in "&File".
struct Append {
    explicit Append(const Settings& s, const Settings& was = SurveySettings(1)) : first(was), second(s) {
        first.Survey();
        old = first.Bytes();
        second.Bytes() = old;
    }
    void Choose(double north = 0.0) {
        second.Start(north);
        logFrom = second.controls.Log.size();
        second.Button0();
    }
    // The messages as "CAPTION|text", and what the screen was asked to do
    // from "&File" on, each followed by "; ".
    std::string Messages() const {
        std::string joined;
        for (const auto& m : second.prompts.History) joined += m.Caption + "|" + m.Text + "; ";
        return joined;
    }
    std::string ScreenLog() const {
        std::string joined;
        for (size_t i = logFrom; i < second.controls.Log.size(); ++i) joined += second.controls.Log[i] + "; ";
        return joined;
    }
    // The file's old bytes, then one appended header block, then `more`.
    void ExpectOldThenHeader(const std::string& more = "") {
        const std::string& bytes = second.Bytes();
        EXPECT_EQ(bytes.substr(0, old.size()), old);
        EXPECT_EQ(bytes.compare(old.size(), 9, "rESSEL  W"), 0);
        EXPECT_EQ(Kinds(bytes, old.size()).substr(0, 11 + more.size()), "rHGGGGLBAZ*" + more);
    }
    MapSession first;
    MapSession second;
    std::string old;
    size_t logFrom = 0;
};

// An accepted file and one refused for its set-up are continued and closed
// in the end-to-end append run; the refusals themselves are in the append
// validation test.
TEST(AppendSequence, FileTooLargeForTheMapIsClosed) {
    // 60 km north the old track lies beyond the 997 tiles of 40 m each way;
    // the header block went in before the scan.
    Append far(SurveySettings(1));
    far.Choose(60000.0);
    EXPECT_EQ(far.Messages(),
              "WARNING|Map Size too small to accommodate the data file.\r\nPlease increase map size in Map Size "
              "option\r\nthen select the file again; ");
    EXPECT_EQ(far.second.sound.Played, std::vector<SoundId>{SoundId::Ring});
    EXPECT_EQ(test::CountStrokes(OverlayStrokes(far.second.tiles)), 0);
    far.ExpectOldThenHeader();

    EXPECT_FALSE(far.second.session.Recording.File.IsOpen());
    EXPECT_EQ(far.second.session.Recording.Logging.LoggingState, LoggingMonitoring);
}

TEST(AppendSequence, FileAtThePositionLimitEndsTheProgram) {
    Append a(SurveySettings(1));
    MapSession& s = a.second;
    // Positions at the map origin up to the limit.
    char text[32];
    std::snprintf(text, sizeof text, "{h%14.3f", a.first.map.State().OriginY);
    std::string filler(text);
    filler.resize(RecordLfColumn, ' ');
    const int positions = CountRecords(a.old, "{d") + CountRecords(a.old, "{h");
    for (int i = positions; i < 28800; ++i) a.old += filler + '\n';  // the most a file holds
    s.Bytes() = a.old;
    a.Choose();
    EXPECT_EQ(a.Messages(), "INFORMATION|Number of GPS Positions in the file has reached its maximum; ");
    EXPECT_EQ(s.ended, 1);
    EXPECT_EQ(s.endNote, "");
    EXPECT_EQ(s.saves, 1);
    a.ExpectOldThenHeader();
}

// A recording that reaches the limit ends the program once, with its box.
TEST(AppendSequence, RecordingAtThePositionLimitEndsTheProgram) {
    MapSession s(SurveySettings(1));
    s.Start();
    s.Button0();
    s.Button0();
    s.session.Recording.GpsState.MaxGpsPositions = 3;
    s.Walk(1, 8);
    EXPECT_EQ(s.ended, 1);
    EXPECT_EQ(s.endNote,
              "Maximum number of GPS positions reached.\r\nCurrent data file is saved.\r\nPlease restart the program.");
    EXPECT_EQ(s.session.Recording.Logging.LoggingState, LoggingMonitoring);
    EXPECT_EQ(s.session.Recording.GpsState.GpsPositionCount, 3);
    EXPECT_FALSE(s.session.ScreenUpdatesOn());  // nothing more is drawn
}

// The file offsets at which a unit of the recorded file ends: a GPS sentence
// group and a four-value segment group are one write each and whole only
// with all their records; the records of any other write (a header block,
// a line block) each stand alone.
struct WriteEnds : DataFileObserver {
    void Appended(const void* bytes, size_t n) override {
        const auto* b = static_cast<const uint8_t*>(bytes);
        const bool group = b[0] == '@' || b[0] == '?' || (b[0] == '{' && n > RecordLength);
        for (size_t at = group ? n : RecordLength; at <= n; at += group ? n : RecordLength) ends.push_back(size + at);
        size += n;
    }
    // The end of the last unit that lies wholly before `damage`.
    uint64_t LastBefore(uint64_t damage) const {
        auto it = std::upper_bound(ends.begin(), ends.end(), damage);
        return it == ends.begin() ? 0 : *(it - 1);
    }
    std::vector<uint64_t> ends;
    uint64_t size = 0;
};

// What a power loss leaves at the end of a recorded file: the file cut at
// any byte, at a 512-byte sector or between two records, followed by 0 to
// 64 KiB of zeros (NTFS can leave a file longer than what reached the disk,
// ending in zeros). "&File" on it keeps every whole record and group before the damage byte
// for byte, cuts the rest, says so in one more message, and appends its
// header to a well-formed file. TESSELOG_TORN_END_CASES sets the number of
// random cases (scripts/reliability-torn-ends.sh runs a thousand).
TEST(AppendSequence, PowerLossEndsAreCutToTheLastWholeRecord) {
    MapSession recorded(SurveySettings(1));
    WriteEnds units;
    recorded.session.Recording.File.SetObserver(&units);
    recorded.Survey();
    const std::string old = recorded.Bytes();
    ASSERT_EQ(units.size, old.size());
    const uint64_t size = old.size();

    // The file chosen in "&File"; a cut file is continued in Stand By as any other.
    auto append = [](const std::string& bytes, size_t& messages) {
        MapSession s(SurveySettings(1));
        s.Bytes() = bytes;
        s.Start();
        s.Button0();
        messages = s.prompts.History.size();
        EXPECT_EQ(s.session.Recording.Logging.LoggingState, LoggingStandBy);
        return std::make_pair(s.Bytes(), s.prompts.History);
    };
    size_t usualMessages = 0;
    append(old, usualMessages);

    const char* env = std::getenv("TESSELOG_TORN_END_CASES");
    const int count = env ? std::atoi(env) : 24;
    struct Damage {
        uint64_t at, zeros;
    };
    std::vector<Damage> damages = {{size, 0}, {size, 65536}, {512, 65536}, {6 * RecordLength, 1}};
    for (int i = 0; static_cast<int>(damages.size()) < count; ++i) {
        std::mt19937_64 rng(20261207 + i);
        uint64_t at = 6 * RecordLength + rng() % (size - 6 * RecordLength + 1);  // the first six records stay
        if (i % 3 == 1) at = std::max<uint64_t>(512, at / 512 * 512);         // a sector boundary
        if (i % 3 == 2) at = units.LastBefore(at);                            // a record or group boundary
        const uint64_t zeros = rng() % 5 == 0 ? 0 : 1 + rng() % 65536;
        damages.push_back({at, zeros});
    }

    int cutCases = 0, groupCases = 0, sectorCases = 0;
    uint64_t mostCut = 0;
    const auto began = std::chrono::steady_clock::now();
    for (const Damage& d : damages) {
        SCOPED_TRACE(testing::Message() << "cut at " << d.at << ", " << d.zeros << " zeros");
        const uint64_t keep = units.LastBefore(d.at);
        const uint64_t cut = d.at + d.zeros - keep;
        size_t messages = 0;
        const auto [after, history] = append(old.substr(0, d.at) + std::string(d.zeros, '\0'), messages);
        ASSERT_EQ(after.compare(0, keep, old, 0, keep), 0);
        ASSERT_EQ(after.compare(keep, 9, "rESSEL  W"), 0);
        const std::string appended = after;
        const DataFileCheck check = CheckDataFile(BytesFromMemory(appended.data(), appended.size()));
        ASSERT_TRUE(check.ok) << check.problem.reason << " at " << check.problem.offset;
        ASSERT_EQ(messages, usualMessages + (cut > 0 ? 1 : 0));
        if (cut > 0) {
            EXPECT_EQ(history[0].Caption, "INFORMATION");
            EXPECT_EQ(history[0].Text.rfind("The end of this file was not written completely ", 0), 0u);
            EXPECT_NE(history[0].Text.find("The last " + std::to_string(cut) + " bytes were removed"),
                      std::string::npos) << history[0].Text;
        }
        cutCases += cut > 0;
        groupCases += d.at - keep >= RecordLength;  // whole records of an open group went too
        sectorCases += d.at % 512 == 0;
        mostCut = std::max(mostCut, cut);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("torn ends: %zu cases on a file of %llu bytes (%d at a sector boundary); %d cut, %d of them "
                "taking whole records of an open group; at most %llu bytes cut; %.1f s\n",
                damages.size(), static_cast<unsigned long long>(size), sectorCases, cutCases, groupCases,
                static_cast<unsigned long long>(mostCut), seconds);
}

TEST(AppendSequence, WithoutGpsTheFileIsOnlyContinued) {
    Settings noGps = SurveySettings(1);
    noGps.GpsInput = 0;
    noGps.RecomputeAll();
    Append a(noGps, noGps);
    a.Choose();
    a.ExpectOldThenHeader();
    EXPECT_EQ(a.Messages(), "");
    EXPECT_EQ(a.ScreenLog().find("please wait"), std::string::npos);
    EXPECT_EQ(a.second.session.Recording.Logging.LoggingState, LoggingStandBy);
    EXPECT_TRUE(a.second.controls.SetVisible[1]);
    EXPECT_FALSE(a.second.controls.SetVisible[0]);
}

}  // namespace
}  // namespace tesselog
