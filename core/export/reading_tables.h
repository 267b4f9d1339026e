// The positioned readings as tables: CSV with a header row, and
// space-delimited XYZ with "#" comment lines. Coordinates are in the file's
// display unit; the header names the coordinate system by its EPSG code.
// A file recorded without GPS gives line, station, sensor and value instead.
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

// How the coordinates of a survey are stated: "EPSG:32631" (with the unit
// when it is not metres), "grid coordinates" for the grid modes, "none"
// without GPS.
struct CoordinateLabel {
    int32_t Epsg = 0;
    std::string Unit;   // "m", "ft" or "US ft"
    std::string Text;   // e.g. "EPSG:32631 (WGS 84 / UTM zone 31N), m"
};
CoordinateLabel DescribeCoordinates(const SurveyHeader& header);

// Writes the rows as the readings come. Either file may be absent.
class ReadingTableWriter {
public:
    ReadingTableWriter(File* csv, File* xyz, const SurveyWalk& walk);

    void Write(const PositionedReading& reading);
    // Flushes both; false when a write failed.
    bool Finish();
    int64_t Rows() const { return rows_; }

private:
    void WriteHeaders();

    const SurveyWalk& walk_;
    std::unique_ptr<TextBuffer> csv_;
    std::unique_ptr<TextBuffer> xyz_;
    bool started_ = false;
    bool positioned_ = false;
    int64_t rows_ = 0;
};

}  // namespace tesselog
