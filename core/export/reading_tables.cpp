#include "core/export/reading_tables.h"

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

}  // namespace

int32_t UtmEpsgCode(int32_t zone, int32_t hemisphere) {
    if (zone < 1 || zone > 60 || hemisphere == 0) return 0;
    return (hemisphere > 0 ? 32600 : 32700) + zone;
}

CoordinateLabel DescribeCoordinates(const SurveyHeader& header) {
    CoordinateLabel label;
    label.Unit = UnitName(header.DisplayUnits);
    if (!header.GpsInput) {
        label.Text = "none (recorded without GPS)";
    } else if (header.NmeaMode >= 0 && IsGridMode(header.NmeaMode)) {
        label.Text = "grid coordinates of the receiver, " + label.Unit;
    } else if ((label.Epsg = UtmEpsgCode(header.UtmZone, header.Hemisphere)) != 0) {
        label.Text = "EPSG:" + std::to_string(label.Epsg) + " (WGS 84 / UTM zone " +
                     std::to_string(header.UtmZone) + (header.Hemisphere > 0 ? "N" : "S") + "), " + label.Unit;
    } else {
        label.Text = "UTM zone unknown (no valid fix), " + label.Unit;
    }
    return label;
}

ReadingTableWriter::ReadingTableWriter(File* csv, File* xyz, const SurveyWalk& walk) : walk_(walk) {
    if (csv != nullptr) csv_ = std::make_unique<TextBuffer>(*csv);
    if (xyz != nullptr) xyz_ = std::make_unique<TextBuffer>(*xyz);
}

void ReadingTableWriter::WriteHeaders() {
    started_ = true;
    if (rows_ == 0) positioned_ = walk_.Header().GpsInput;
    std::string held[2];
    if (csv_) held[0].swap(csv_->Text());
    if (xyz_) held[1].swap(xyz_->Text());
    const CoordinateLabel label = DescribeCoordinates(walk_.Header());
    const std::string system = label.Epsg != 0 ? "EPSG:" + std::to_string(label.Epsg) + " " + label.Unit
                                               : "grid " + label.Unit;
    if (csv_) {
        std::string& t = csv_->Text();
        if (positioned_) {
            t += "easting (" + system + "),northing (" + system + "),";
            t += "value,sensor,console,line,station,time,gps_quality\n";
        } else {
            t += "line,station,sensor,console,time,value\n";
        }
    }
    if (xyz_) {
        std::string& t = xyz_->Text();
        t += "# tesselog-export: coordinates " + label.Text + "\n";
        t += positioned_ ? "# easting northing value sensor console line station time gps_quality\n"
                         : "# station sensor value line console time\n";
    }
    if (csv_) csv_->Text() += held[0];
    if (xyz_) xyz_->Text() += held[1];
}

void ReadingTableWriter::Write(const PositionedReading& r) {
    const SurveyHeader& h = walk_.Header();
    // The first row sets the columns: a later header that says otherwise (a
    // session of another set-up appended) must not change them midway.
    if (rows_ == 0) positioned_ = h.GpsInput;
    if (positioned_ && !r.Positioned) return;
    // The header row names the hemisphere, which the first recorded fix
    // tells; the first steps' rows wait in memory until it has come.
    if (!started_ && (!positioned_ || h.Hemisphere != 0 || (h.NmeaMode >= 0 && IsGridMode(h.NmeaMode)))) {
        WriteHeaders();
    }
    static const std::string NoLine;
    const std::string& line = r.Line >= 0 ? walk_.Lines()[r.Line] : NoLine;
    ++rows_;
    if (csv_) {
        std::string& t = csv_->Text();
        if (positioned_) {
            AppendFixed(t, r.Easting, 3);
            t += ',';
            AppendFixed(t, r.Northing, 3);
            t += ',';
            AppendTrimmed(t, r.Value, 3);
            t += ',';
        } else {
            AppendCsvField(t, line);
            t += ',';
            AppendTrimmed(t, r.Station, 3);
            t += ',';
        }
        AppendInt(t, r.Sensor);
        t += ',';
        AppendInt(t, r.Console);
        t += ',';
        if (positioned_) {
            AppendCsvField(t, line);
            t += ',';
            AppendTrimmed(t, r.Station, 3);
            t += ',';
            AppendTimeOfDay(t, r.TimeMs);
            t += ',';
            AppendInt(t, r.Quality);
        } else {
            AppendTimeOfDay(t, r.TimeMs);
            t += ',';
            AppendTrimmed(t, r.Value, 3);
        }
        t += '\n';
        if (started_) csv_->Row();
    }
    if (xyz_) {
        std::string& t = xyz_->Text();
        if (positioned_) {
            AppendFixed(t, r.Easting, 3);
            t += ' ';
            AppendFixed(t, r.Northing, 3);
            t += ' ';
            AppendTrimmed(t, r.Value, 3);
            t += ' ';
            AppendInt(t, r.Sensor);
        } else {
            AppendTrimmed(t, r.Station, 3);
            t += ' ';
            AppendInt(t, r.Sensor);
            t += ' ';
            AppendTrimmed(t, r.Value, 3);
        }
        t += ' ';
        if (positioned_) {
            AppendInt(t, r.Console);
            t += ' ';
            AppendToken(t, line);
            t += ' ';
            AppendTrimmed(t, r.Station, 3);
        } else {
            AppendToken(t, line);
            t += ' ';
            AppendInt(t, r.Console);
        }
        t += ' ';
        if (r.TimeMs >= 0) {
            AppendTimeOfDay(t, r.TimeMs);
        } else {
            t += '-';
        }
        if (positioned_) {
            t += ' ';
            AppendInt(t, r.Quality);
        }
        t += '\n';
        if (started_) xyz_->Row();
    }
}

bool ReadingTableWriter::Finish() {
    if (!started_) WriteHeaders();
    bool ok = true;
    if (csv_) ok = csv_->Flush() && ok;
    if (xyz_) ok = xyz_->Flush() && ok;
    return ok;
}

}  // namespace tesselog
