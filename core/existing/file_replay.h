// Reading the open data file back onto the screen. The map and the profile
// panes are drawn as the data comes; whenever they must be drawn again
// (after appending to an old file, a new map size, colours or display type,
// a zoom or "&Fit All" of the review, a repaint of a profile pane) the file
// itself is the record of what was drawn:
//
// - the extent scan reads every segment record, finds the area the file's
//   track covers, checks that it fits the map and counts its positions;
// - the track replay draws the whole track again into the map's overlay
//   tiles, as position marks or as the colour swath, from the same segment
//   records and readings the live drawing wrote and painted;
// - the profile replay walks back from the end of the file to the start of
//   the current line and gives one console's curve as the pane showed it.
//
// The file is read in large blocks through DataFile::ReadAt, which keeps the
// writing position at the end of the file: a record written meanwhile by the
// GPS reader still goes to the end.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/datafile/block_records.h"
#include "core/acquisition/profile_steps.h"
#include "core/map/map_geometry.h"
#include "core/platform/canvas.h"
#include "core/platform/clock.h"
#include "core/settings/settings.h"

namespace tesselog {

class DataFile;
struct SensorTables;

// Texts of the extent scan (caption "WARNING", then "INFORMATION").
constexpr char FileTooLargeForMapText[] =
    "Map Size too small to accommodate the data file.\r\nPlease increase map size in Map Size option\r\n"
    "then select the file again";
constexpr char PositionCountLabel[] = "Total Number of GPS Positions:      ";
constexpr char PositionsAtMaximumText[] = "Number of GPS Positions in the file has reached its maximum";

// A file holds at most this many positions (d and h segment records).
constexpr int32_t ReplayMaxGpsPositions = 28800;
// The track replay starts after the first "X$START" within this many records.
constexpr int32_t StartSearchRecords = 50;
// The busy indicator steps at most this often during a long replay.
constexpr uint32_t BusyStepIntervalMs = 750;

// Steps the busy indicator at most every BusyStepIntervalMs while a replay
// runs. Without a clock or a step it does nothing.
class ReplayProgress {
public:
    ReplayProgress() = default;
    ReplayProgress(Clock& clock, std::function<void()> step);
    // Called every few thousand records.
    void Tick();

private:
    Clock* clock_ = nullptr;
    std::function<void()> step_;
    uint32_t lastStep_ = 0;
};

// ------------------------------------------------------------------ extent scan

enum class ExtentVerdict {
    Fits,             // the count message follows
    TooLarge,         // a corner lies outside the allowed tiles: refused
    PositionsAtLimit  // the file holds ReplayMaxGpsPositions positions or more
};

struct ExtentScan {
    ExtentVerdict Verdict = ExtentVerdict::Fits;
    MapRange Range;              // from the map origin, widened by every a..h value
    int32_t PositionCount = 0;   // d and h records
};

// Reads every record of the file from its start (the file is left at its
// end) and judges the range against the map of `state`. Messages, sounds
// and the end of the program are the caller's.
ExtentScan ScanFileExtent(DataFile& file, const MapState& state, ReplayProgress& progress);

// The message of a scan that fits: "%s %ld\r\n" with PositionCountLabel.
std::string PositionCountText(int32_t count);

// ------------------------------------------------------------------ track replay

// Draws the file's track into the overlay tiles: after the first "X$START"
// record, every segment's edges as position marks (MapDisplayType 0) or as
// colour strips of the readings between them, in the map's current scale
// and display options; with no sensor, the antenna's track as the live map
// draws it. The file is left at its end.
void ReplayTrack(DataFile& file, MapState& state, MapTileSurfaces& tiles, const Settings& settings,
                 const SensorTables& sensors, ReplayProgress& progress);

// ------------------------------------------------------------------ profile replay

// Console k's readings of the current line as curve pieces (a station
// record breaks the curve), walking back from the end of the
// file to its "Z" record, two pixels apart from x = paneWidth - 10 leftwards
// until x leaves the pane. Rows as the live profile (ReadingToPixels).
std::vector<ProfileCurvePiece> ReplayProfile(DataFile& file, const Settings& settings, int k, int32_t paneWidth);

}  // namespace tesselog
