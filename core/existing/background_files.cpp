#include "core/existing/background_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/common/line_reader.h"
#include "core/gps/coordinates.h"

namespace tesselog {

namespace {

// What "%14.3f" shows in 14 characters.
constexpr double CopyValueMin = -999999999.999;
constexpr double CopyValueMax = 9999999999.999;
// Copy records are written in blocks of about 60 KiB.
constexpr size_t CopyWriteBlock = 2048 * BackgroundRecordLength;
constexpr size_t NumberMax = 63;

// Feet to US survey feet, and the reverse by division.
constexpr double FeetToUsFeet = 0.99999803149994;

double CopyValue(double value) {
    if (std::isnan(value)) return 0.0;
    return std::min(std::max(value, CopyValueMin), CopyValueMax);
}

char DelimiterOf(int32_t delimiter) {
    switch (delimiter) {
    case 1: return ',';
    case 2: return '\t';
    case 3: return ';';
    default: return ' ';
    }
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

double ValueAt(const uint8_t* bytes) {
    char text[15];
    std::memcpy(text, bytes, 14);
    text[14] = 0;
    const double value = std::strtod(text, nullptr);
    return std::isfinite(value) ? value : 0.0;
}

}  // namespace

// ------------------------------------------------------------------ copy file

std::string FormatBackgroundRecord(double easting, double northing) {
    char text[64];
    std::snprintf(text, sizeof text, "%14.3f,%14.3f\n", CopyValue(easting), CopyValue(northing));
    return text;
}

std::string BackgroundBreakRecord() { return FormatBackgroundRecord(BackgroundBreakValue, BackgroundBreakValue); }

BackgroundCopyReader::BackgroundCopyReader(File& copy, size_t blockRecords)
    : records_(BytesFromFile(copy), BackgroundRecordLength, blockRecords) {}

bool BackgroundCopyReader::Next(BackgroundPoint& point) {
    const uint8_t* record = records_.Next();
    if (record == nullptr) return false;
    point.Easting = ValueAt(record);
    point.Northing = ValueAt(record + 15);
    return true;
}

void BackgroundCopyWriter::Point(double easting, double northing) {
    pending_ += FormatBackgroundRecord(easting, northing);
    if (pending_.size() >= CopyWriteBlock) Flush();
}

void BackgroundCopyWriter::Break() {
    pending_ += BackgroundBreakRecord();
    if (pending_.size() >= CopyWriteBlock) Flush();
}

bool BackgroundCopyWriter::Flush() {
    if (!pending_.empty() && !copy_.Write(pending_.data(), pending_.size())) failed_ = true;
    pending_.clear();
    return !failed_;
}

// ------------------------------------------------------------------ names

std::string BackgroundDisplayName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > BackgroundNameMax) name.resize(BackgroundNameMax);
    return name;
}

std::string BackgroundCopyName(const std::string& sourceFileName, int count) {
    const size_t slash = sourceFileName.find_last_of("\\/");
    std::string name = slash == std::string::npos ? sourceFileName : sourceFileName.substr(slash + 1);
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".$%02d", std::min(std::max(count, 0), 99));
    if (name.size() >= 4) name.erase(name.size() - 4, 1);  // the last three over the one before them
    const size_t room = BackgroundNameMax - std::strlen(suffix);
    if (name.size() > room) name.erase(room - 3, name.size() - room);  // keep the last three
    return name + suffix;
}

// ------------------------------------------------------------------ conversions

BackgroundOptions BackgroundOptionsOf(const Settings& settings, int32_t zone) {
    BackgroundOptions o;
    o.Zone = zone;
    o.CoordType = settings.BackgroundCoordType;
    o.LonColumn = settings.BackgroundLonColumn;
    o.LatColumn = settings.BackgroundLatColumn;
    o.Delimiter = settings.BackgroundDelimiter;
    o.DisplayUnits = settings.DisplayUnits;
    return o;
}

bool ParseBackgroundNumber(std::string_view text, double& value) {
    if (text.empty() || text.size() > NumberMax) return false;
    size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    bool digit = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') digit = true;
        else if (text[i] != '.') return false;
    }
    if (!digit) return false;
    char buffer[NumberMax + 1];
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    value = std::strtod(buffer, nullptr);
    return std::isfinite(value);
}

bool BackgroundColumn(std::string_view line, char delimiter, int n, std::string_view& column) {
    if (n < 1) return false;
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const size_t at = line.find(delimiter, start);
        if (at == std::string_view::npos) return false;
        start = at + 1;
        while (start < line.size() && line[start] == ' ') ++start;
    }
    const size_t end = line.find(delimiter, start);
    column = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    return true;
}

void BackgroundGeodeticToMetres(double latitude, double longitude, int32_t zone, double& northing,
                                double& easting) {
    const bool kept = zone >= 1 && zone <= 60;
    int z = kept ? zone : 0;
    GeodeticToUtm(latitude, longitude, z, northing, easting, kept ? 1 : 0);
}

double BackgroundMetresToDisplay(double metres, int32_t displayUnits) {
    return MetresToDisplayUnits(metres, displayUnits);
}

double BackgroundGridToDisplay(double value, int32_t coordType, int32_t displayUnits) {
    switch (coordType) {
    case 2:  // UTM feet
        if (displayUnits == 1) return value;
        if (displayUnits == 2) return value * FeetToUsFeet;
        return value * InternationalFoot;
    case 3:  // UTM US survey feet
        if (displayUnits == 1) return value / FeetToUsFeet;
        if (displayUnits == 2) return value;
        return value * UsSurveyFoot;
    default: return BackgroundMetresToDisplay(value, displayUnits);
    }
}

bool BackgroundPointInsideMap(const MapState& map, double easting, double northing) {
    return RangeFitsMap(map, MapRange{easting, easting, northing, northing});
}

void BackgroundExtent::Take(double easting, double northing) {
    if (!BackgroundPointInsideMap(map_, easting, northing)) return;
    if (!any_) inside_ = MapRange{easting, easting, northing, northing};
    inside_.MinX = std::min(inside_.MinX, easting);
    inside_.MaxX = std::max(inside_.MaxX, easting);
    inside_.MinY = std::min(inside_.MinY, northing);
    inside_.MaxY = std::max(inside_.MaxY, northing);
    any_ = true;
}

void BackgroundExtent::Finish(BackgroundConversion& result) const {
    result.HasRange = any_;
    if (any_) result.Range = inside_;
}

namespace {

// The 1-based column of a setting 0..23; 0 (no column) for anything else.
int ColumnNumber(int32_t setting) { return setting >= 0 && setting < BackgroundColumnCount ? setting + 1 : 0; }

// The point of one text line (northing, easting in the display unit).
bool AsciiPoint(std::string_view line, const BackgroundOptions& o, double& easting, double& northing) {
    const char delimiter = DelimiterOf(o.Delimiter);
    line = TrimBlanks(line);
    std::string_view latText, lonText;
    double lat = 0.0, lon = 0.0;
    if (!BackgroundColumn(line, delimiter, ColumnNumber(o.LatColumn), latText) ||
        !BackgroundColumn(line, delimiter, ColumnNumber(o.LonColumn), lonText) || !ParseBackgroundNumber(latText, lat) ||
        !ParseBackgroundNumber(lonText, lon))
        return false;
    if (o.CoordType == 0) {
        double n = 0.0, e = 0.0;
        BackgroundGeodeticToMetres(lat, lon, o.Zone, n, e);
        northing = BackgroundMetresToDisplay(n, o.DisplayUnits);
        easting = BackgroundMetresToDisplay(e, o.DisplayUnits);
    } else {
        northing = BackgroundGridToDisplay(lat, o.CoordType, o.DisplayUnits);
        easting = BackgroundGridToDisplay(lon, o.CoordType, o.DisplayUnits);
    }
    return std::isfinite(northing) && std::isfinite(easting);
}

}  // namespace

BackgroundConversion ConvertAsciiBackground(File& source, File& copy, const BackgroundOptions& options,
                                            const MapState& map) {
    BackgroundConversion result;
    BackgroundCopyWriter writer(copy);
    BackgroundExtent extent(map);
    LineReader reader(source);
    std::string line;
    while (result.PointCount < BackgroundCountMax && result.BreakCount < BackgroundCountMax &&
           reader.ReadTextLine(line, BackgroundLineMax) >= 0) {
        if (line.empty() || line[0] == '/') continue;
        if (line[0] == 'b' || line[0] == 'B') {
            writer.Break();
            ++result.BreakCount;
            continue;
        }
        double easting = 0.0, northing = 0.0;
        if (!AsciiPoint(line, options, easting, northing)) continue;
        writer.Point(easting, northing);
        ++result.PointCount;
        extent.Take(easting, northing);
    }
    result.WriteFailed = !writer.Flush();
    extent.Finish(result);
    return result;
}

}  // namespace tesselog
