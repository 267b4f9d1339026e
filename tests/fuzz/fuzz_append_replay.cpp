// Any bytes as an existing data file, read the ways the logging screen reads
// one back: the append check against a set-up taken from the first bytes,
// then the extent scan, the track replay when the scan lets it (and the
// track is small enough), and the profile replay of every
// console. Aborts when the file is changed by any of them, when the append
// check accepts a file without leaving it open or refuses one without a
// message, when the scan counts less than nothing, or when a profile curve
// does not run leftwards from inside its pane.
//
// Input: byte 0 the set-up, byte 1 the NMEA mode and the run's first fix,
// byte 2 the map, byte 3 the zone of the run, the rest the file.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/existing/append_validation.h"
#include "core/existing/file_replay.h"
#include "core/logscreen/logging_session.h"
#include "core/map/map_tiles.h"
#include "core/platform/memory_file_system.h"

using namespace tesselog;

namespace {

constexpr char Path[] = "C:\\DATA\\FUZZ.MGR";
constexpr int32_t PaneWidth = 210;
constexpr double NarrowTrackTiles = 6.0;
constexpr double WideTrackTiles = 16.0;

void Check(bool ok) {
    if (!ok) std::abort();
}

Settings SetUp(uint8_t setup, uint8_t gps) {
    Settings s;
    s.GpsInput = setup & 1;
    s.ConsoleCount = (setup >> 1) % 4;
    s.ConsoleType[1] = (setup >> 3) & 1;
    s.MapDisplayType = (setup >> 4) & 1;
    s.DisplayUnits = (setup >> 5) % 3;
    s.NmeaMode = gps % 10;
    s.RecomputeAll();
    return s;
}

void CheckAppend(MemoryFileSystem& fs, const Settings& settings, uint8_t gps, uint8_t zone) {
    DataFile file(fs);
    Check(file.Open(Path, OpenMode::ReadWriteExisting));
    AppendInputs inputs;
    inputs.FirstFixSeen = gps / 10 % 2;
    inputs.CurrentZone = zone % 64 - 1;
    inputs.FirstFixLatitude = static_cast<int8_t>(zone) * 0.7;
    inputs.FirstFixLongitude = gps * 1.4 - 179.0;
    RecordingPrompts prompts;
    const AppendOutcome outcome = ValidateAppendFile(file, settings, inputs, prompts);
    Check(outcome.Accepted == file.IsOpen());
    Check(outcome.Accepted || !prompts.History.empty());
    if (outcome.AdoptZone) Check(outcome.Accepted && outcome.Zone >= 1 && outcome.Zone <= 60);
}

// The map reference of the header (records 4 and 5) as the map origin, as
// the positions of an appended file are drawn from it; 0 where none is read.
double HeaderValue(const std::string& bytes, int record) {
    const size_t at = size_t(record - 1) * RecordLength + 1;
    if (bytes.size() < at + RecordLfColumn - 1) return 0.0;
    const std::string field = bytes.substr(at, RecordLfColumn - 1);
    const double value = std::strtod(field.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

void CheckReplay(MemoryFileSystem& fs, const Settings& settings, uint8_t mapByte, bool wide) {
    DataFile file(fs);
    Check(file.Open(Path, OpenMode::ReadWriteExisting));
    MapState state;
    state.TileWidth = state.TileHeight = 40 + mapByte % 3 * 30;
    state.Scale = 0.05 * (1 + (mapByte >> 2) % 40);
    const std::string& bytes = fs.Files[Path];
    state.OriginX = HeaderValue(bytes, 4) + 10.0 * ((mapByte >> 6) & 3);
    state.OriginY = HeaderValue(bytes, 5);
    ReplayProgress none;
    const ExtentScan scan = ScanFileExtent(file, state, none);
    Check(scan.PositionCount >= 0);
    // The replay paints every stroke into each tile it crosses. A track up
    // to six tiles across is replayed; one up to sixteen, which a batch over
    // more than sixteen tiles (sorted, not gathered) needs, for one input in
    // eight (by length); a larger one, which only makes a run slow with the
    // same strokes, is left at the scan. Wide replays for every input took
    // 72 % of the target's time and held it near 500 runs a second.
    const double most = (wide ? WideTrackTiles : NarrowTrackTiles) * state.TileWidth;
    const bool small = (scan.Range.MaxX - scan.Range.MinX) * state.Scale <= most &&
                       (scan.Range.MaxY - scan.Range.MinY) * state.Scale <= most;
    if (scan.Verdict == ExtentVerdict::Fits && small) {
        MemoryMapTiles tiles;
        tiles.KeepCalls = false;
        ReplayTrack(file, state, tiles, settings, BuildSensorTables(settings), none);
    }
    for (int k = -1; k <= MaxConsoles; ++k) {
        for (const ProfileCurvePiece& piece : ReplayProfile(file, settings, k, PaneWidth)) {
            for (const auto* side : {&piece.Left, &piece.Right})
                for (size_t i = 0; i < side->size(); ++i)
                    Check((*side)[i].X < PaneWidth && (i == 0 || (*side)[i].X < (*side)[i - 1].X));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const Settings settings = SetUp(data[0], data[1]);
    const uint8_t mapByte = data[2];
    const uint8_t zone = data[3];
    const std::string bytes(reinterpret_cast<const char*>(data) + 4, size - 4);

    MemoryFileSystem fs;
    fs.Files[Path] = bytes;
    CheckAppend(fs, settings, data[1], zone);
    Check(fs.Files[Path] == bytes);
    CheckReplay(fs, settings, mapByte, size % 8 == 0);
    Check(fs.Files[Path] == bytes);
    return 0;
}
