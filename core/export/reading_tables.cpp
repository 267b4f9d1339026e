#include "core/export/reading_tables.h"

#include <algorithm>
#include <string_view>

#include "core/gps/coordinates.h"
#include "core/gps/nmea_mode.h"
#include "core/platform/file_system.h"

namespace tesselog {

namespace {

const char* UnitName(int32_t displayUnits) {
    switch (displayUnits) {
    case 1: return "ft";
    case 2: return "US ft";
    default: return "m";
    }
}

void AppendPlace(std::string& t, double easting, double northing, char separator) {
    AppendFixed(t, easting, 3);
    t += separator;
    AppendFixed(t, northing, 3);
}

}  // namespace

int32_t UtmEpsgCode(int32_t zone, int32_t hemisphere) {
    if (zone < 1 || zone > 60 || hemisphere == 0) return 0;
    return (hemisphere > 0 ? 32600 : 32700) + zone;
}

CoordinateLabel DescribeCoordinates(const SurveyHeader& header, bool gps) {
    CoordinateLabel label;
    label.Unit = UnitName(header.DisplayUnits);
    const bool metres = header.DisplayUnits == 0;
    if (!gps) {
        label.Frame = CoordinateFrame::Local;
        label.Text = "local grid of lines and stations (recorded without GPS, no coordinate system), " + label.Unit;
        label.Column = "local " + label.Unit;
        label.MetreColumn = "local m";
    } else if (header.NmeaMode >= 0 && IsGridMode(header.NmeaMode)) {
        label.Frame = CoordinateFrame::ReceiverGrid;
        label.Text = "grid coordinates of the receiver (coordinate system unknown), " + label.Unit;
        label.Column = "grid " + label.Unit;
        label.MetreColumn = "grid m";
    } else if ((label.Epsg = UtmEpsgCode(header.UtmZone, header.Hemisphere)) != 0) {
        label.Frame = CoordinateFrame::Utm;
        const std::string zone = std::to_string(header.UtmZone) + (header.Hemisphere > 0 ? "N" : "S");
        const std::string epsg = "EPSG:" + std::to_string(label.Epsg);
        label.MetreColumn = epsg + " m";
        if (metres) {
            label.Text = epsg + " (WGS 84 / UTM zone " + zone + "), m";
            label.Column = label.MetreColumn;
        } else {
            label.Text = "WGS 84 / UTM zone " + zone + " in " + label.Unit + "; in metres " + epsg;
            label.Column = "UTM " + zone + " " + label.Unit;
        }
    } else {
        label.Text = "UTM zone unknown (no valid fix), " + label.Unit;
        label.Column = "UTM " + label.Unit;
        label.MetreColumn = "UTM m";
    }
    return label;
}

ReadingTableWriter::ReadingTableWriter(File* csv, File* xyz, const SurveyWalk& walk, std::string processing)
    : walk_(walk), processing_(std::move(processing)) {
    if (csv != nullptr) csv_ = std::make_unique<TextBuffer>(*csv);
    if (xyz != nullptr) xyz_ = std::make_unique<TextBuffer>(*xyz);
}

void ReadingTableWriter::WriteHeaders() {
    started_ = true;
    std::string held[2];
    if (csv_) held[0].swap(csv_->Text());
    if (xyz_) held[1].swap(xyz_->Text());
    const CoordinateLabel label = DescribeCoordinates(walk_.Header(), gps_);
    if (csv_) {
        std::string& t = csv_->Text();
        t += "easting (" + label.Column + "),northing (" + label.Column + "),";
        AppendCsvField(t, processing_.empty() ? "value" : "value (" + processing_ + ")");
        t += ",sensor,console,session,date,line,station,time";
        if (gps_) t += ",gps_quality";
        if (metres_) t += ",easting (" + label.MetreColumn + "),northing (" + label.MetreColumn + ")";
        t += '\n';
    }
    if (xyz_) {
        std::string& t = xyz_->Text();
        t += "# tesselog-export: coordinates " + label.Text + "\n";
        if (!processing_.empty()) t += "# values: " + processing_ + "\n";
        t += "# easting northing value sensor console session date line station time";
        if (gps_) t += " gps_quality";
        if (metres_) t += " easting_m northing_m";
        t += '\n';
    }
    if (csv_) csv_->Text() += held[0];
    if (xyz_) xyz_->Text() += held[1];
}

const std::string& ReadingTableWriter::LineText(int32_t line, bool csv) {
    static const std::string None[2] = {"", "-"};
    if (line < 0 || size_t(line) >= walk_.Lines().size()) return None[csv ? 0 : 1];
    std::vector<std::string>& texts = csv ? csvLines_ : xyzLines_;
    while (texts.size() <= size_t(line)) {
        const std::string& name = walk_.Lines()[texts.size()].Name;
        texts.emplace_back();
        // A line name has at most 8 characters; the text stays well within a row.
        const std::string_view shown(name.data(), std::min<size_t>(name.size(), 16));
        if (csv) {
            AppendCsvField(texts.back(), shown);
        } else {
            AppendToken(texts.back(), shown);
        }
    }
    return texts[size_t(line)];
}

const std::string& ReadingTableWriter::DateText(int32_t day) {
    if (day != dateDay_) {
        dateDay_ = day;
        date_.clear();
        AppendDate(date_, day);
        if (date_.empty()) date_ = "-";
    }
    return date_;
}

void ReadingTableWriter::Write(const PositionedReading& r) {
    const SurveyHeader& h = walk_.Header();
    if (!decided_) {
        decided_ = true;
        gps_ = walk_.FirstSessionHasGps();
        metres_ = h.DisplayUnits != 0;
        metresPerUnit_ = DisplayUnitFactor(h.DisplayUnits);
    }
    if (!r.Positioned) return;
    if (r.Local == gps_) {
        ++otherSystem_;
        return;
    }
    // The header row names the hemisphere, which the first recorded fix
    // tells; the first steps' rows wait in memory until it has come.
    if (!started_ && (!gps_ || h.Hemisphere != 0 || (h.NmeaMode >= 0 && IsGridMode(h.NmeaMode)))) {
        WriteHeaders();
    }
    ++rows_;
    if (csv_) {
        WriteCsvRow(r, csv_->Text());
        if (started_) csv_->Row();
    }
    if (xyz_) {
        WriteXyzRow(r, xyz_->Text());
        if (started_) xyz_->Row();
    }
}

// Rows are built in a buffer of their own and added to the text at once;
// no field is longer than 48 characters, a line name than 40.
constexpr size_t RowRoom = 640;

void ReadingTableWriter::WriteCsvRow(const PositionedReading& r, std::string& t) {
    char row[RowRoom];
    char* p = PutFixed(row, r.Easting, 3);
    *p++ = ',';
    p = PutFixed(p, r.Northing, 3);
    *p++ = ',';
    p = PutTrimmed(p, r.Value, 3);
    *p++ = ',';
    p = PutInt(p, r.Sensor);
    *p++ = ',';
    p = PutInt(p, r.Console);
    *p++ = ',';
    p = PutInt(p, r.Session);
    *p++ = ',';
    if (r.Day >= 0) p = PutText(p, DateText(r.Day));
    *p++ = ',';
    p = PutText(p, LineText(r.Line, true));
    *p++ = ',';
    p = PutTrimmed(p, r.Station, 3);
    *p++ = ',';
    p = PutTimeOfDay(p, r.TimeMs);
    if (gps_) {
        *p++ = ',';
        p = PutInt(p, r.Quality);
    }
    if (metres_) {
        *p++ = ',';
        p = PutFixed(p, r.Easting * metresPerUnit_, 3);
        *p++ = ',';
        p = PutFixed(p, r.Northing * metresPerUnit_, 3);
    }
    *p++ = '\n';
    t.append(row, size_t(p - row));
}

void ReadingTableWriter::WriteXyzRow(const PositionedReading& r, std::string& t) {
    char row[RowRoom];
    char* p = PutFixed(row, r.Easting, 3);
    *p++ = ' ';
    p = PutFixed(p, r.Northing, 3);
    *p++ = ' ';
    p = PutTrimmed(p, r.Value, 3);
    *p++ = ' ';
    p = PutInt(p, r.Sensor);
    *p++ = ' ';
    p = PutInt(p, r.Console);
    *p++ = ' ';
    p = PutInt(p, r.Session);
    *p++ = ' ';
    p = PutText(p, DateText(r.Day));
    *p++ = ' ';
    p = PutText(p, LineText(r.Line, false));
    *p++ = ' ';
    p = PutTrimmed(p, r.Station, 3);
    *p++ = ' ';
    if (r.TimeMs >= 0) {
        p = PutTimeOfDay(p, r.TimeMs);
    } else {
        *p++ = '-';
    }
    if (gps_) {
        *p++ = ' ';
        p = PutInt(p, r.Quality);
    }
    if (metres_) {
        *p++ = ' ';
        p = PutFixed(p, r.Easting * metresPerUnit_, 3);
        *p++ = ' ';
        p = PutFixed(p, r.Northing * metresPerUnit_, 3);
    }
    *p++ = '\n';
    t.append(row, size_t(p - row));
}

bool ReadingTableWriter::Finish() {
    if (!decided_) {
        decided_ = true;
        gps_ = walk_.FirstSessionHasGps();
        metres_ = walk_.Header().DisplayUnits != 0;
    }
    if (!started_) WriteHeaders();
    bool ok = true;
    if (csv_) ok = csv_->Flush() && ok;
    if (xyz_) ok = xyz_->Flush() && ok;
    return ok;
}

}  // namespace tesselog
