#include "core/export/track_output.h"

#include "core/export/export_text.h"
#include "core/platform/file_system.h"

namespace tesselog {

namespace {

// Degrees with eight decimals: about a millimetre.
constexpr int DegreeDecimals = 8;

void AppendLonLat(std::string& t, const TrackFix& fix) {
    t += '[';
    AppendFixed(t, fix.Longitude, DegreeDecimals);
    t += ',';
    AppendFixed(t, fix.Latitude, DegreeDecimals);
    t += ']';
}

const std::string& LineName(const std::vector<SurveyLine>& lines, int32_t line) {
    static const std::string None;
    return line >= 0 && size_t(line) < lines.size() ? lines[size_t(line)].Name : None;
}

// "lon,lat,0" as KML writes a place.
void AppendKmlPlace(std::string& t, const TrackFix& fix) {
    AppendFixed(t, fix.Longitude, DegreeDecimals);
    t += ',';
    AppendFixed(t, fix.Latitude, DegreeDecimals);
    t += ",0";
}

// KML colours are aabbggrr.
const char* KmlMarkColour(MarkKind kind) {
    switch (kind) {
    case MarkKind::Station: return "ff00ffff";
    case MarkKind::Comment: return "ffff8000";
    case MarkKind::LineStart: return "ff00c000";
    case MarkKind::ConnectionBreak: return "ff0000ff";
    }
    return "ffffffff";
}

const char* KmlStyleId(MarkKind kind) {
    switch (kind) {
    case MarkKind::Station: return "station";
    case MarkKind::Comment: return "comment";
    case MarkKind::LineStart: return "linestart";
    case MarkKind::ConnectionBreak: return "break";
    }
    return "mark";
}

// "name":"2026-12-04T10:00:03.624+01:00", or null without a date and time.
void AppendTimeProperty(std::string& t, const char* name, const TrackFix& at, const ClockZone& zone) {
    t += ",\"";
    t += name;
    t += "\":";
    if (at.Day < 0 || at.TimeMs < 0) {
        t += "null";
        return;
    }
    t += '"';
    AppendDateTime(t, at.Day, at.TimeMs, zone);
    t += '"';
}

// A KML time element: <TimeStamp> of one moment, <TimeSpan> of two; none
// without dates or a known zone.
void AppendKmlTime(std::string& t, const TrackFix& from, const TrackFix* to, const ClockZone& zone) {
    if (!zone.Known || from.Day < 0 || from.TimeMs < 0 || (to != nullptr && (to->Day < 0 || to->TimeMs < 0))) return;
    t += to != nullptr ? "<TimeSpan><begin>" : "<TimeStamp><when>";
    AppendDateTime(t, from.Day, from.TimeMs, zone);
    if (to == nullptr) {
        t += "</when></TimeStamp>";
        return;
    }
    t += "</begin><end>";
    AppendDateTime(t, to->Day, to->TimeMs, zone);
    t += "</end></TimeSpan>";
}

// A mark's placemark: its text, kind, line and time, in its kind's style.
void AppendKmlMark(std::string& t, const SurveyMark& mark, const std::vector<SurveyLine>& lines,
                   const ClockZone& zone) {
    t += "<Placemark><name>";
    AppendXmlText(t, mark.Text);
    t += "</name><description>";
    AppendXmlText(t, MarkKindName(mark.Kind));
    t += ", line ";
    AppendXmlText(t, LineName(lines, mark.Line));
    if (mark.At.TimeMs >= 0) {
        t += ", ";
        AppendTimeOfDay(t, mark.At.TimeMs);
    }
    t += "</description>";
    AppendKmlTime(t, mark.At, nullptr, zone);
    t += "<styleUrl>#";
    t += KmlStyleId(mark.Kind);
    t += "</styleUrl><Point><coordinates>";
    AppendKmlPlace(t, mark.At);
    t += "</coordinates></Point></Placemark>\n";
}

// "date,time" of a CSV row.
void AppendCsvTime(std::string& t, const TrackFix& at) {
    AppendDate(t, at.Day);
    t += ',';
    AppendTimeOfDay(t, at.TimeMs);
}

// "file":"NAME", first among a feature's properties (a site of several files).
void AppendFileProperty(std::string& t, const std::string& file) {
    if (file.empty()) return;
    t += "\"file\":";
    AppendJsonString(t, file);
    t += ',';
}

const char* GeoJsonStart = "{\"type\":\"FeatureCollection\",\"features\":[";

}  // namespace

const char* MarkKindName(MarkKind kind) {
    switch (kind) {
    case MarkKind::Station: return "station";
    case MarkKind::Comment: return "comment";
    case MarkKind::LineStart: return "line start";
    case MarkKind::ConnectionBreak: return "connection break";
    }
    return "mark";
}

size_t TrackCollector::RunCount() const {
    size_t runs = 0;
    for (size_t i = 0; i < fixes_.size(); ++i) {
        if (i == 0 || fixes_[i].Run != fixes_[i - 1].Run) ++runs;
    }
    return runs;
}

bool TrackCollector::WriteTrackGeoJson(File& file, const ClockZone& zone) const {
    TextBuffer out(file);
    std::string& t = out.Text();
    t += GeoJsonStart;
    for (size_t i = 0; i < fixes_.size();) {
        size_t end = i;
        while (end < fixes_.size() && fixes_[end].Run == fixes_[i].Run) ++end;
        t += i == 0 ? "\n" : ",\n";
        // A run of one fix still gets a line: the point twice.
        t += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":[";
        for (size_t k = i; k < end; ++k) {
            if (k > i) t += ',';
            AppendLonLat(t, fixes_[k]);
            out.Row();
        }
        if (end - i == 1) {
            t += ',';
            AppendLonLat(t, fixes_[i]);
        }
        t += "]},\"properties\":{";
        AppendFileProperty(t, file_);
        t += "\"run\":";
        AppendInt(t, fixes_[i].Run);
        t += ",\"fixes\":";
        AppendInt(t, static_cast<int64_t>(end - i));
        AppendTimeProperty(t, "start", fixes_[i], zone);
        AppendTimeProperty(t, "end", fixes_[end - 1], zone);
        t += "}}";
        i = end;
    }
    t += "\n]}\n";
    return out.Flush();
}

bool TrackCollector::WriteMarksGeoJson(File& file, const std::vector<SurveyLine>& lines, const ClockZone& zone) const {
    TextBuffer out(file);
    std::string& t = out.Text();
    t += GeoJsonStart;
    for (size_t i = 0; i < marks_.size(); ++i) {
        const SurveyMark& mark = marks_[i];
        t += i == 0 ? "\n" : ",\n";
        t += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":";
        AppendLonLat(t, mark.At);
        t += "},\"properties\":{";
        AppendFileProperty(t, file_);
        t += "\"kind\":";
        AppendJsonString(t, MarkKindName(mark.Kind));
        t += ",\"text\":";
        AppendJsonString(t, mark.Text);
        t += ",\"line\":";
        AppendJsonString(t, LineName(lines, mark.Line));
        t += ",\"run\":";
        AppendInt(t, mark.At.Run);
        AppendTimeProperty(t, "time", mark.At, zone);
        t += "}}";
        out.Row();
    }
    t += "\n]}\n";
    return out.Flush();
}

bool TrackCollector::WriteKml(File& file, const std::vector<SurveyLine>& lines, const std::string& name,
                              const ClockZone& zone) const {
    TextBuffer out(file);
    std::string& t = out.Text();
    t += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>";
    AppendXmlText(t, name);
    t += "</name>\n<Style id=\"track\"><LineStyle><color>ff0000ff</color><width>2</width></LineStyle></Style>\n";
    for (MarkKind kind : {MarkKind::Station, MarkKind::Comment, MarkKind::LineStart, MarkKind::ConnectionBreak}) {
        t += "<Style id=\"";
        t += KmlStyleId(kind);
        t += "\"><IconStyle><color>";
        t += KmlMarkColour(kind);
        t += "</color><scale>0.6</scale><Icon><href>http://maps.google.com/mapfiles/kml/shapes/placemark_circle.png"
             "</href></Icon></IconStyle></Style>\n";
    }
    t += "<Folder><name>Track</name>\n";
    for (size_t i = 0; i < fixes_.size();) {
        size_t end = i;
        while (end < fixes_.size() && fixes_[end].Run == fixes_[i].Run) ++end;
        t += "<Placemark><name>";
        if (!file_.empty()) {
            AppendXmlText(t, file_);
            t += ' ';
        }
        t += "Run ";
        AppendInt(t, fixes_[i].Run);
        t += "</name><description>";
        AppendInt(t, static_cast<int64_t>(end - i));
        t += " fixes";
        if (fixes_[i].TimeMs >= 0) {
            t += " from ";
            AppendDate(t, fixes_[i].Day);
            t += ' ';
            AppendTimeOfDay(t, fixes_[i].TimeMs);
        }
        t += "</description>";
        AppendKmlTime(t, fixes_[i], &fixes_[end - 1], zone);
        t += "<styleUrl>#track</styleUrl><LineString><tessellate>1</tessellate><coordinates>";
        for (size_t k = i; k < end; ++k) {
            if (k > i) t += ' ';
            AppendKmlPlace(t, fixes_[k]);
            out.Row();
        }
        if (end - i == 1) {
            t += ' ';
            AppendKmlPlace(t, fixes_[i]);
        }
        t += "</coordinates></LineString></Placemark>\n";
        i = end;
    }
    t += "</Folder>\n<Folder><name>Marks</name>\n";
    for (const SurveyMark& mark : marks_) {
        AppendKmlMark(t, mark, lines, zone);
        out.Row();
    }
    t += "</Folder>\n</Document>\n</kml>\n";
    return out.Flush();
}

bool TrackCollector::WriteTrackCsv(File& file, const std::string& unit, const ClockZone& zone) const {
    TextBuffer out(file);
    std::string& t = out.Text();
    t += "run,easting (grid " + unit + "),northing (grid " + unit + "),date,time (" + ZoneName(zone) + ")\n";
    for (const TrackFix& fix : fixes_) {
        AppendInt(t, fix.Run);
        t += ',';
        AppendFixed(t, fix.Easting, 3);
        t += ',';
        AppendFixed(t, fix.Northing, 3);
        t += ',';
        AppendCsvTime(t, fix);
        t += '\n';
        out.Row();
    }
    return out.Flush();
}

bool TrackCollector::WriteMarksCsv(File& file, const std::vector<SurveyLine>& lines, const std::string& unit,
                                   const ClockZone& zone) const {
    TextBuffer out(file);
    std::string& t = out.Text();
    t += "kind,text,line,run,easting (grid " + unit + "),northing (grid " + unit + "),date,time (" + ZoneName(zone) +
         ")\n";
    for (const SurveyMark& mark : marks_) {
        AppendCsvField(t, MarkKindName(mark.Kind));
        t += ',';
        AppendCsvField(t, mark.Text);
        t += ',';
        AppendCsvField(t, LineName(lines, mark.Line));
        t += ',';
        AppendInt(t, mark.At.Run);
        t += ',';
        AppendFixed(t, mark.At.Easting, 3);
        t += ',';
        AppendFixed(t, mark.At.Northing, 3);
        t += ',';
        AppendCsvTime(t, mark.At);
        t += '\n';
        out.Row();
    }
    return out.Flush();
}

}  // namespace tesselog
