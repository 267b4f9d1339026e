// The placed readings as tables: CSV with a header row, and space-delimited
// XYZ with "/" comment lines (the comment mark of the geophysical packages'
// XYZ import). Each row: easting, northing, value, sensor, console, session,
// date, line, station, time of day and, with GPS, the fix quality. The value
// column names the readings' unit, the time column the clock's zone
// ("time (UTC+01:00)", or "time (local)" when no fix told it). Coordinates are in the file's display unit; the header names
// their system: the EPSG code of the UTM zone in metres, the zone and the
// unit in feet (no EPSG code holds UTM in feet), the receiver's own grid in
// the grid modes, or the local grid of a survey without GPS. A survey shown
// in feet or US survey feet gets two more columns, the same places in
// metres, which for UTM are the EPSG code's own coordinates.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/export/export_text.h"
#include "core/export/survey_walk.h"

namespace tesselog {

class File;

// WGS 84 / UTM: 326zz north, 327zz south; 0 for a zone outside 1..60 or an
// unknown hemisphere.
int32_t UtmEpsgCode(int32_t zone, int32_t hemisphere);

enum class CoordinateFrame { Utm, ReceiverGrid, Local, Unknown };

// How the coordinates of a survey are stated.
struct CoordinateLabel {
    CoordinateFrame Frame = CoordinateFrame::Unknown;
    int32_t Epsg = 0;          // the metre coordinates' code (UTM only)
    std::string Unit;          // "m", "ft" or "US ft"
    std::string Text;          // e.g. "EPSG:32631 (WGS 84 / UTM zone 31N), m"
    std::string Column;        // in a column name: "EPSG:32631 m", "UTM 31N ft", "grid ft", "local m"
    std::string MetreColumn;   // the same in metres: "EPSG:32631 m", "grid m", "local m"
};
// `gps` says which set-up the tables follow (the first session's).
CoordinateLabel DescribeCoordinates(const SurveyHeader& header, bool gps);
inline CoordinateLabel DescribeCoordinates(const SurveyHeader& header) {
    return DescribeCoordinates(header, header.GpsInput);
}

// Writes the rows as the readings come. Either file may be absent. The
// first session's set-up decides the columns: a later session of the other
// kind (with or without GPS) has coordinates of another system, and its
// rows are left out and counted. `processing`, when not empty, names what
// was done to the values and goes into the XYZ's comments.
class ReadingTableWriter {
public:
    ReadingTableWriter(File* csv, File* xyz, const TableFacts& walk, std::string valueUnit = "nT",
                       std::string processing = {});

    // A site of several files: every row ends with a column naming the
    // file; `headers` false leaves out the header rows (a later file's rows
    // go on from an earlier one's). Before the first Write.
    void NameFile(const std::string& name, bool headers);
    void Write(const PositionedReading& reading);
    // Flushes both; false when a write failed.
    bool Finish();
    int64_t Rows() const { return rows_; }
    // Rows left out: placed in another coordinate system than the table's.
    int64_t OtherSystemRows() const { return otherSystem_; }

private:
    void WriteHeaders();
    void WriteRows(const PositionedReading& r);
    const std::string& LineText(int32_t line, bool csv);
    const std::string& DateText(int32_t day);

    const TableFacts& walk_;
    std::string valueUnit_;
    std::string processing_;
    std::unique_ptr<TextBuffer> csv_;
    std::unique_ptr<TextBuffer> xyz_;
    bool started_ = false;
    bool decided_ = false;
    bool gps_ = false;
    bool metres_ = false;        // the extra metre columns
    double metresPerUnit_ = 1.0;
    int64_t rows_ = 0;
    int64_t otherSystem_ = 0;
    // Texts of the lines and the latest date, made once.
    std::vector<std::string> csvLines_;
    std::vector<std::string> xyzLines_;
    std::string fileCsv_;        // the file's name as a field, empty for one file
    std::string fileXyz_;
    bool headers_ = true;
    int32_t dateDay_ = -2;
    std::string date_;
};

}  // namespace tesselog
