// Background files: earlier tracks laid under the live map as a guide.
//
// A source (a column-delimited text file, or a data file of this program) is
// converted once, when it is loaded, into a private copy in the temporary
// folder: one plane position per 30-byte record, "%14.3f,%14.3f" (easting,
// northing in the display unit) and LF. A record whose easting is negative
// is a break: the converters write -99999.000 for both values where the
// source starts a new segment, and the drawing lifts the pen at any negative
// easting. Every later redraw reads the copy, never the source.
//
// This half holds the copy format, the names and the conversions; the
// dialogs, the drawing into the map tiles and the commands are the logging
// screen's. Typical load:
//
//     auto source = fs.Open(path, OpenMode::ReadExisting);
//     std::string display = BackgroundDisplayName(path);
//     std::string copyName = BackgroundCopyName(display, count);
//     // create the copy empty in BackgroundTempFolder (an older copy of the
//     // same name must not leave its tail after the new records), then:
//     BackgroundConversion c = ConvertAsciiBackground(*source, *copy, BackgroundOptionsOf(settings, zone), map);
//     // c.PointCount 0: "Check background file structure."; else draw from
//     // the copy with BackgroundCopyReader and BackgroundPointInsideMap, and
//     // once the file is taken widen the track by c.Range (WidenTrackByRange).
//
// Sources are untrusted bytes: every line and field is bounded, and values
// that would not fit the copy's columns are clamped to them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/datafile/block_records.h"
#include "core/gps/coordinates.h"
#include "core/map/map_geometry.h"
#include "core/platform/file_system.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr int MaxBackgroundFiles = 10;  // loaded at once on the logging screen
constexpr int BackgroundRecordLength = 30;
constexpr double BackgroundBreakValue = -99999.0;
constexpr size_t BackgroundNameMax = 63;  // display and copy names
constexpr char BackgroundTempFolder[] = "C:\\ProgramData\\Brenvik\\Temp\\";
// ASCII lines longer than this are cut (the rest up to the LF is dropped).
constexpr size_t BackgroundLineMax = 1024;
constexpr int32_t BackgroundColumnCount = 24;  // "Column 1" .. "Column 24"
// A conversion stops before its counts could overflow.
constexpr int32_t BackgroundCountMax = 2000000000;

struct BackgroundPoint {
    double Easting = 0.0;
    double Northing = 0.0;
};

inline bool IsBackgroundBreak(const BackgroundPoint& point) { return point.Easting < 0.0; }

// ------------------------------------------------------------------ copy file

// One copy record, exactly 30 bytes. Values beyond what "%14.3f" shows in 14
// characters are clamped to -999999999.999..9999999999.999, a NaN written
// as 0, so a record never runs into the next one.
std::string FormatBackgroundRecord(double easting, double northing);
// -99999.000 for both values.
std::string BackgroundBreakRecord();

// The points of a copy, from the file's current position. Next is false at
// the end or at a short record; RecordsRead (counted from 1) names the
// record of a read error for the drawing's message.
class BackgroundCopyReader {
public:
    explicit BackgroundCopyReader(File& copy, size_t blockRecords = 2048);
    bool Next(BackgroundPoint& point);
    uint64_t RecordsRead() const { return records_.RecordsRead(); }

private:
    BlockRecordReader records_;
};

// Collects copy records and writes them in blocks.
class BackgroundCopyWriter {
public:
    explicit BackgroundCopyWriter(File& copy) : copy_(copy) {}
    ~BackgroundCopyWriter() { Flush(); }
    void Point(double easting, double northing);
    void Break();
    // False once any write failed.
    bool Flush();

private:
    File& copy_;
    std::string pending_;
    bool failed_ = false;
};

// ------------------------------------------------------------------ names

// The file name without its folder ('\\' and '/' both separate), cut to 63
// characters.
std::string BackgroundDisplayName(const std::string& path);

// The copy's name: the source name's last three characters move one place
// to the left, over the character before them (the dot of a three-letter
// extension), then ".$" and "%02d" of count: "LINE4.TXT", 2 -> "LINE4TXT.$02".
// A name of fewer than four characters has nothing to move over and keeps
// all its characters ("AB", 1 -> "AB.$01"). A folder in front is dropped;
// a long name loses characters in front of its last three so that the copy
// name stays within 63 characters. count is held to 0..99.
std::string BackgroundCopyName(const std::string& sourceFileName, int count);

// ------------------------------------------------------------------ conversions

// The settings a conversion reads.
struct BackgroundOptions {
    int32_t CoordType = 1;     // 0 geodetic, 1 UTM metres, 2 UTM feet, 3 UTM US survey feet
    int32_t LonColumn = 0;     // 0..23: column of the longitude or easting
    int32_t LatColumn = 1;     // 0..23: column of the latitude or northing
    int32_t Delimiter = 0;     // 0 blank, 1 comma, 2 tab, 3 semicolon
    int32_t DisplayUnits = 0;  // 0 metres, 1 feet, 2 US survey feet
    // The UTM zone the run keeps (UtmZoneState::UtmZone); UtmZoneNotFixed
    // while no fix has fixed it.
    int32_t Zone = UtmZoneNotFixed;
};
BackgroundOptions BackgroundOptionsOf(const Settings& settings, int32_t zone);

struct BackgroundConversion {
    int32_t PointCount = 0;    // BackgroundPointCount: points written, breaks not counted
    int32_t BreakCount = 0;
    bool WriteFailed = false;  // a write of the copy failed
    // The extent of the points inside the map (valid when HasRange): what the
    // file adds to the track's extent once it is taken.
    bool HasRange = false;
    MapRange Range;
};

// True when the point's global pixel lies in a tile of the allowed range
// 3..1996 at the map's current scale: the drawing's test of a valid point.
bool BackgroundPointInsideMap(const MapState& map, double easting, double northing);

// A column-delimited text file into the copy, from the source's current
// position to its end.
//
// Lines are read as text lines (LineReader::ReadTextLine): CR LF and LF line
// ends alike, and a last line without LF counts, so that a file written by
// any tool loses no point. Empty lines and lines starting with "/" are skipped; a line starting
// with "b" or "B" writes a break. Any other line is trimmed of blanks and
// split into columns at the delimiter, the blanks after a delimiter skipped
// (a run of blanks separates like one blank). The line gives a point when
// both chosen columns exist and hold a plain decimal number: digits and ".",
// at least one digit, an optional sign first (no exponent, no inner sign).
//
// Geodetic values (latitude from LatColumn) are projected as the live fixes
// are (BackgroundGeodeticToMetres). Every point is brought into the display
// unit; the range of the points inside `map` comes back in the result.
BackgroundConversion ConvertAsciiBackground(File& source, File& copy, const BackgroundOptions& options,
                                            const MapState& map);

// --- Pieces shared with the data-file conversion ---

// A plain decimal number as above, at most 63 characters.
bool ParseBackgroundNumber(std::string_view text, double& value);
// Column n (1-based) of a trimmed line split at `delimiter`; false when the
// line has fewer columns.
bool BackgroundColumn(std::string_view line, char delimiter, int n, std::string_view& column);
// A geodetic position (signed degrees) as UTM northing and easting in
// metres, in `zone`, the zone the run keeps, so that a track crossing a zone
// border lies where the live fixes put it. While the run has no zone
// (UtmZoneNotFixed, or anything outside 1..60) each point takes the zone of
// its own longitude; the run's zone is fixed by its first fix alone.
void BackgroundGeodeticToMetres(double latitude, double longitude, int32_t zone, double& northing,
                                double& easting);
// Metres into the display unit (divided by 0.3048 or 0.304800609601219).
double BackgroundMetresToDisplay(double metres, int32_t displayUnits);
// A value of coordinate type 1..3 (UTM metres, feet, US survey feet) into the
// display unit by the fixed factors between these units.
double BackgroundGridToDisplay(double value, int32_t coordType, int32_t displayUnits);

// The range of a conversion's points that lie inside the map. A point off
// the map takes no part: a stray point far away would otherwise make every
// map size too small for the track and "&Fit All" zoom out to it.
class BackgroundExtent {
public:
    explicit BackgroundExtent(const MapState& map) : map_(map) {}
    void Take(double easting, double northing);
    // The range taken goes into `result`.
    void Finish(BackgroundConversion& result) const;

private:
    const MapState& map_;
    bool any_ = false;
    MapRange inside_;
};

}  // namespace tesselog
