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

ReadingTableWriter::ReadingTableWriter(File* csv, File* xyz, const TableFacts& walk, std::string valueUnit,
                                       std::string processing)
    : walk_(walk), valueUnit_(std::move(valueUnit)), processing_(std::move(processing)) {
    if (csv != nullptr) csv_ = std::make_unique<TextBuffer>(*csv);
    if (xyz != nullptr) xyz_ = std::make_unique<TextBuffer>(*xyz);
}

void ReadingTableWriter::NameFile(const std::string& name, bool headers) {
    fileCsv_.clear();
    fileXyz_.clear();
    AppendCsvField(fileCsv_, name);
    AppendToken(fileXyz_, name);
    headers_ = headers;
}

void ReadingTableWriter::WriteHeaders() {
    started_ = true;
    if (!headers_) return;
    std::string held[2];
    if (csv_) held[0].swap(csv_->Text());
    if (xyz_) held[1].swap(xyz_->Text());
    const CoordinateLabel label = DescribeCoordinates(walk_.Header(), gps_);
    const std::string zone = ZoneName(walk_.Header().Zone);
    if (csv_) {
        std::string& t = csv_->Text();
        t += "easting (" + label.Column + "),northing (" + label.Column + "),";
        AppendCsvField(t, "value (" + valueUnit_ + ")");
        t += ",sensor,console,session,date,line,station,time (" + zone + ")";
        if (gps_) t += ",gps_quality";
        if (metres_) t += ",easting (" + label.MetreColumn + "),northing (" + label.MetreColumn + ")";
        if (!fileCsv_.empty()) t += ",file";
        t += '\n';
    }
    if (xyz_) {
        std::string& t = xyz_->Text();
        t += "/ tesselog-export: coordinates " + label.Text + "; values in " + valueUnit_ + "; times " + zone + "\n";
        if (!processing_.empty()) t += "/ values: " + processing_ + "\n";
        t += "/ easting northing value sensor console session date line station time";
        if (gps_) t += " gps_quality";
        if (metres_) t += " easting_m northing_m";
        if (!fileXyz_.empty()) t += " file";
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
    WriteRows(r);
    if (started_) {
        if (csv_) csv_->Row();
        if (xyz_) xyz_->Row();
    }
}

// Each number is formatted once, into a field of its own, and both rows are
// put together from the fields; no field is longer than 48 characters.
namespace {

struct Field {
    char Text[48];
    size_t Size = 0;
};

struct RowFields {
    enum { Easting, Northing, Value, Sensor, Console, Session, Station, Time, Quality, MetreEasting, MetreNorthing,
           Count };
    Field F[Count];
};

void Put(Field& f, char* end) { f.Size = size_t(end - f.Text); }

// The fields joined by `separator`, with the text fields (date and line,
// as the format writes them) in their places, and a line end.
void AppendRow(std::string& t, const RowFields& r, char separator, const std::string& date,
               const std::string& line, bool quality, bool metres, const std::string& file) {
    char row[640];
    char* p = row;
    const auto field = [&p](const Field& f) { p = std::copy(f.Text, f.Text + f.Size, p); };
    const auto text = [&p](const std::string& s) { p = std::copy(s.begin(), s.begin() + std::min<size_t>(s.size(), 64), p); };
    for (int i = RowFields::Easting; i <= RowFields::Session; ++i) {
        field(r.F[i]);
        *p++ = separator;
    }
    text(date);
    *p++ = separator;
    text(line);
    *p++ = separator;
    field(r.F[RowFields::Station]);
    *p++ = separator;
    field(r.F[RowFields::Time]);
    if (quality) {
        *p++ = separator;
        field(r.F[RowFields::Quality]);
    }
    if (metres) {
        *p++ = separator;
        field(r.F[RowFields::MetreEasting]);
        *p++ = separator;
        field(r.F[RowFields::MetreNorthing]);
    }
    if (!file.empty()) {
        *p++ = separator;
        text(file);
    }
    *p++ = '\n';
    t.append(row, size_t(p - row));
}

}  // namespace

void ReadingTableWriter::WriteRows(const PositionedReading& r) {
    RowFields f;
    Put(f.F[RowFields::Easting], PutFixed(f.F[RowFields::Easting].Text, r.Easting, 3));
    Put(f.F[RowFields::Northing], PutFixed(f.F[RowFields::Northing].Text, r.Northing, 3));
    Put(f.F[RowFields::Value], PutTrimmed(f.F[RowFields::Value].Text, r.Value, 3));
    Put(f.F[RowFields::Sensor], PutInt(f.F[RowFields::Sensor].Text, r.Sensor));
    Put(f.F[RowFields::Console], PutInt(f.F[RowFields::Console].Text, r.Console));
    Put(f.F[RowFields::Session], PutInt(f.F[RowFields::Session].Text, r.Session));
    Put(f.F[RowFields::Station], PutTrimmed(f.F[RowFields::Station].Text, r.Station, 3));
    Put(f.F[RowFields::Time], PutTimeOfDay(f.F[RowFields::Time].Text, r.TimeMs));
    if (gps_) Put(f.F[RowFields::Quality], PutInt(f.F[RowFields::Quality].Text, r.Quality));
    if (metres_) {
        Put(f.F[RowFields::MetreEasting], PutFixed(f.F[RowFields::MetreEasting].Text, r.Easting * metresPerUnit_, 3));
        Put(f.F[RowFields::MetreNorthing],
            PutFixed(f.F[RowFields::MetreNorthing].Text, r.Northing * metresPerUnit_, 3));
    }
    static const std::string None;
    if (csv_) AppendRow(csv_->Text(), f, ',', r.Day >= 0 ? DateText(r.Day) : None, LineText(r.Line, true), gps_, metres_, fileCsv_);
    if (xyz_) {
        // XYZ fields are never empty: "-" for a missing time.
        if (r.TimeMs < 0) Put(f.F[RowFields::Time], std::copy_n("-", 1, f.F[RowFields::Time].Text));
        AppendRow(xyz_->Text(), f, ' ', DateText(r.Day), LineText(r.Line, false), gps_, metres_, fileXyz_);
    }
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
