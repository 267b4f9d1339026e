#include "tools/export/site_export.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "core/common/length_units.h"
#include "core/datafile/record_reader.h"
#include "core/export/export_text.h"
#include "core/export/line_report.h"
#include "core/export/output_set.h"
#include "core/export/processing.h"
#include "core/export/reading_tables.h"
#include "core/export/site_grid.h"
#include "core/export/site_places.h"
#include "core/export/survey_walk.h"
#include "core/export/track_output.h"
#include "core/platform/stdio_file_system.h"
#include "tools/export/grid_outputs.h"
#include "tools/export/report_sink.h"
#include "tools/export/sensor_flag_thread.h"
#include "tools/export/table_join.h"
#include "tools/export/table_thread.h"

namespace tesselog {

namespace {

// A file that holds its bytes in memory: a file's report and track, kept as
// text until the site's are put together.
class StringFile : public File {
public:
    std::string Bytes;
    size_t Read(void*, size_t) override { return 0; }
    bool Write(const void* data, size_t n) override {
        Bytes.append(static_cast<const char*>(data), n);
        return true;
    }
    bool SeekToStart() override { return true; }
    bool SeekToEnd() override { return true; }
    uint64_t Position() override { return Bytes.size(); }
    bool SeekTo(uint64_t) override { return false; }
    bool Flush() override { return true; }
    bool Truncate(uint64_t) override { return false; }
};

// What the tables know of a file's walk, in the site's coordinates: the
// walk's own header with the first file's zone and unit.
class SiteFacts : public TableFacts {
public:
    SiteFacts(const SurveyWalk& walk, const SiteFrame& site, bool siteGps)
        : walk_(walk), site_(site), gps_(siteGps) {}
    const SurveyHeader& Header() const override {
        header_ = walk_.Header();
        header_.DisplayUnits = site_.DisplayUnits;
        if (site_.Zone != 0) header_.UtmZone = site_.Zone;
        if (site_.Hemisphere != 0) header_.Hemisphere = site_.Hemisphere;
        return header_;
    }
    bool FirstSessionHasGps() const override { return gps_; }
    const std::vector<SurveyLine>& Lines() const override { return walk_.Lines(); }

private:
    const SurveyWalk& walk_;
    SiteFrame site_;
    bool gps_;
    mutable SurveyHeader header_;
};

// The first records of a file: whether it can be read and is a data file,
// and the set-up and the zone of its start.
struct FileStart {
    int Status = 0;             // 0, 1 not a data file, 2 cannot be read
    std::string Problem;
    SurveyHeader Header;
    bool Gps = false;
    uint64_t Size = 0;
};

class NoSink : public SurveySink {
public:
    void Reading(const PositionedReading&) override {}
};

FileStart LookAtStart(const std::string& path) {
    FileStart start;
    StdioFileSystem fs;
    std::unique_ptr<File> file = fs.Open(path, OpenMode::ReadExisting);
    if (!file) {
        start.Status = 2;
        start.Problem = "cannot be opened for reading";
        return start;
    }
    file->SeekToEnd();
    start.Size = file->Position();
    file->SeekToStart();
    RecordReader reader(BytesFromFile(*file));
    NoSink sink;
    SurveyWalk walk(sink);
    DataItem item;
    // Far enough for the first fix of any file that has one.
    for (uint64_t n = 0; n < 200000 && reader.Next(item); ++n) {
        if (n == 0 && item.kind != ItemKind::Identification) break;
        walk.Take(item);
        if (walk.Header().Hemisphere != 0) break;
    }
    if (reader.RecordCount() == 0 || !walk.Header().Seen) {
        start.Status = 1;
        start.Problem = "is not a Tesselog data file";
        return start;
    }
    start.Header = walk.Header();
    start.Gps = walk.FirstSessionHasGps();
    return start;
}

// What is kept of a file once its worker is done.
struct FileOutcome {
    std::string Path;
    std::string Name;
    FileStart Start;
    PlaceChange Change;
    bool Read = false;
    uint64_t Records = 0;
    uint64_t WholeBytes = 0;
    RecordProblem Problem;
    int32_t Sessions = 0;
    int64_t Positioned = 0;
    int64_t Unpositioned = 0;
    int64_t Rows = 0;
    int64_t OtherSystemRows = 0;
    bool TablesWritten = true;
    std::string ReportCsv;
    std::string ReportTable;
    size_t ReportLines = 0;
    int32_t BestQuality = -1;
    std::string TrackJson, MarksJson, Kml;
    size_t Runs = 0, Fixes = 0, Marks = 0;
    FileCells Raw, Processed;
    ProcessingCounts Counts;
    // The first file's walk and its sink stay for the grids' set-up.
    std::unique_ptr<SurveySink> KeptSink;
    std::unique_ptr<SurveyWalk> KeptWalk;
};

// A file's readings: rows (in the site's places) to its part of the tables,
// everything to its report, the placed readings (in the file's own places,
// for the processing steps) to its points, fixes and marks to its track.
class FileSink : public ReportingSink {
public:
    const SurveyWalk* Walk = nullptr;
    const SiteFacts* Facts = nullptr;
    const PlaceChange* Change = nullptr;
    bool SiteGps = true;
    TableThread* Tables = nullptr;
    std::vector<GridPoint>* Points = nullptr;
    std::vector<PointInfo>* Infos = nullptr;

    void Reading(const PositionedReading& r) override {
        if (Tables != nullptr) {
            if (Change->Identity() || !r.Positioned) {
                Tables->Add(r, *Facts);
            } else {
                PositionedReading moved = r;
                Change->Apply(moved.Easting, moved.Northing);
                Tables->Add(moved, *Facts);
            }
        }
        if (Report != nullptr) Report->Reading(r);
        if (Points != nullptr && r.Positioned && r.Local != SiteGps && Change->Comparable()) {
            Points->push_back({r.Easting, r.Northing, static_cast<float>(r.Value), static_cast<uint8_t>(r.Console)});
            if (Infos != nullptr) Infos->push_back(InfoOf(r));
        }
    }
};

struct SiteSetUp {
    const Options* O = nullptr;
    SiteFrame Frame;
    bool Gps = true;
    double Cell = 0.0;
    bool Gridding = false;
    bool Levelling = false;
    TableJoin* Csv = nullptr;   // the site's tables, when wanted
    TableJoin* Xyz = nullptr;
};

// The points moved into the site's places (a copy only when they move).
FileCells CellsInSite(std::vector<GridPoint>& points, const PlaceChange& change, double cell) {
    if (change.Identity()) return SumIntoCells(points, cell);
    for (GridPoint& p : points) change.Apply(p.Easting, p.Northing);
    return SumIntoCells(points, cell);
}

// One file, start to end, on a worker.
void ExportFile(const SiteSetUp& s, size_t index, FileOutcome& f) {
    const Options& o = *s.O;
    auto sink = std::make_unique<FileSink>();
    auto walk = std::make_unique<SurveyWalk>(*sink, o.Local);
    SiteFacts facts(*walk, s.Frame, s.Gps);
    sink->Walk = walk.get();
    sink->Facts = &facts;
    sink->Change = &f.Change;
    sink->SiteGps = s.Gps;
    sink->Track.NameFile(f.Name);

    std::unique_ptr<TableThread> tables;
    std::unique_ptr<File> csv = s.Csv != nullptr ? s.Csv->Open(index) : nullptr;
    std::unique_ptr<File> xyz = s.Xyz != nullptr ? s.Xyz->Open(index) : nullptr;
    if (csv || xyz) {
        tables = std::make_unique<TableThread>(std::move(csv), std::move(xyz), o.ValueUnit, f.Name, index == 0);
    }
    sink->Tables = tables.get();
    LineReport report(*walk, MaskOf(o));
    std::unique_ptr<SensorFlagThread> flags;
    if (Wanted(o, "report")) {
        sink->Report = &report;
        flags = std::make_unique<SensorFlagThread>(report.Flags());
        sink->Flags = flags.get();
    }
    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    if (s.Gridding) {
        points.reserve(size_t(std::min<uint64_t>(f.Start.Size / RecordLength * 2, uint64_t(1) << 28)));
        sink->Points = &points;
        if (o.Steps.Any()) {
            infos.reserve(points.capacity());
            sink->Infos = &infos;
        }
    }

    StdioFileSystem fs;
    std::unique_ptr<File> file = fs.Open(f.Path, OpenMode::ReadExisting);
    if (file) {
        RecordReader reader(BytesFromFile(*file));
        DataItem item;
        while (reader.Next(item)) walk->Take(item);
        walk->Finish();
        f.Records = reader.RecordCount();
        f.Problem = reader.FirstProblem();
        f.Read = true;
    }
    file.reset();
    if (flags) flags->Finish();
    if (tables) {
        f.TablesWritten = tables->Finish(facts);
        f.Rows = tables->Rows();
        f.OtherSystemRows = tables->OtherSystemRows();
        tables.reset();
    }
    for (TableJoin* join : {s.Csv, s.Xyz}) {
        if (join != nullptr) join->Done(index);
    }
    f.Sessions = walk->Sessions();
    f.Positioned = walk->PositionedCount();
    f.Unpositioned = walk->UnpositionedCount();
    const CoordinateLabel own = DescribeCoordinates(walk->Header(), walk->FirstSessionHasGps());
    if (Wanted(o, "report")) {
        report.Finish();
        StringFile text;
        report.WriteCsv(text, own.Unit);
        f.ReportCsv = std::move(text.Bytes);
        f.ReportTable = report.Table(own.Unit);
        f.ReportLines = report.Lines().size();
        f.BestQuality = report.BestQuality();
    }
    if (s.Gps && f.Change.Comparable() && !(walk->Header().NmeaMode >= 0 && IsGridMode(walk->Header().NmeaMode))) {
        StringFile track, marks, kml;
        if (Wanted(o, "track")) {
            sink->Track.WriteTrackGeoJson(track, walk->Header().Zone);
            sink->Track.WriteMarksGeoJson(marks, walk->Lines(), walk->Header().Zone);
        }
        if (Wanted(o, "kml")) sink->Track.WriteKml(kml, walk->Lines(), f.Name, walk->Header().Zone);
        f.TrackJson = std::move(track.Bytes);
        f.MarksJson = std::move(marks.Bytes);
        f.Kml = std::move(kml.Bytes);
        f.Runs = sink->Track.RunCount();
        f.Fixes = sink->Track.FixCount();
        f.Marks = sink->Track.MarkCount();
    }
    if (s.Gridding) {
        if (!o.Steps.Any()) {
            f.Raw = CellsInSite(points, f.Change, s.Cell);  // levelled alone, the raw cells serve both grids
        } else {
            // The raw cells from a copy in the site's places; the steps on the
            // file's own places, which its edges are in.
            std::vector<GridPoint> placed;
            if (!f.Change.Identity()) placed = points;
            f.Raw = CellsInSite(f.Change.Identity() ? points : placed, f.Change, s.Cell);
            placed = {};
            f.Counts = ApplyProcessing(points, infos, o.Steps, *walk);
            f.Processed = CellsInSite(points, f.Change, s.Cell);
        }
    }
    if (index == 0) {
        f.KeptWalk = std::move(walk);
        f.KeptSink = std::move(sink);
    }
}

// The report's rows of every file, each row with the file's name first.
std::string SiteReportCsv(const std::vector<FileOutcome>& files) {
    std::string out;
    bool header = false;
    for (const FileOutcome& f : files) {
        if (!f.Read) continue;
        size_t at = 0;
        bool first = true;
        while (at < f.ReportCsv.size()) {
            size_t end = f.ReportCsv.find('\n', at);
            if (end == std::string::npos) end = f.ReportCsv.size();
            const std::string line = f.ReportCsv.substr(at, end - at);
            at = end + 1;
            if (first) {
                first = false;
                if (header) continue;
                header = true;
                out += "file," + line + "\n";
                continue;
            }
            AppendCsvField(out, f.Name);
            out += ',' + line + '\n';
        }
    }
    return out;
}

// The features of each file's GeoJSON in one collection.
std::string JoinGeoJson(const std::vector<FileOutcome>& files, std::string FileOutcome::*member) {
    std::string out = "{\"type\":\"FeatureCollection\",\"features\":[";
    bool any = false;
    for (const FileOutcome& f : files) {
        const std::string& text = f.*member;
        const size_t from = text.find('[');
        const size_t to = text.rfind("\n]}");
        if (from == std::string::npos || to == std::string::npos || to <= from + 1) continue;
        std::string features = text.substr(from + 1, to - from - 1);  // "\n{...},\n{...}"
        if (any) out += ',';
        out += features;
        any = true;
    }
    out += "\n]}\n";
    return out;
}

// Each file's KML folders in a folder named by the file.
std::string JoinKml(const std::vector<FileOutcome>& files, const std::string& name) {
    std::string out;
    for (const FileOutcome& f : files) {
        const size_t folders = f.Kml.find("<Folder>");
        const size_t end = f.Kml.rfind("</Document>");
        if (folders == std::string::npos || end == std::string::npos) continue;
        if (out.empty()) {
            const size_t named = f.Kml.find("<name>");
            const size_t namedEnd = f.Kml.find("</name>\n", named);
            out = f.Kml.substr(0, named + 6);
            AppendXmlText(out, name);
            out += f.Kml.substr(namedEnd, folders - namedEnd);
        }
        out += "<Folder><name>";
        AppendXmlText(out, f.Name);
        out += "</name>\n" + f.Kml.substr(folders, end - folders) + "</Folder>\n";
    }
    if (!out.empty()) out += "</Document>\n</kml>\n";
    return out;
}

std::string Signed(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f", v);
    return text;
}

// The consoles an unknown of the levels holds: "all", "2" or "1,3".
std::string ConsolesOf(const LevelUnknown& k) {
    if (k.Console != 0) return std::to_string(k.Console);
    if (k.Consoles == 0) return "all";
    std::string consoles;
    for (int32_t c = 1; c <= MaxConsoles; ++c) {
        if (k.Consoles & 1u << c) consoles += (consoles.empty() ? "" : ",") + std::to_string(c);
    }
    return consoles;
}

// An unknown of the levels by name: the file's, or some of its consoles'.
std::string UnknownName(const std::vector<FileOutcome>& files, const std::vector<size_t>& used,
                        const LevelUnknown& k) {
    const std::string consoles = ConsolesOf(k);
    const std::string& name = files[used[k.File]].Name;
    if (consoles == "all") return name;
    return name + (consoles.find(',') == std::string::npos ? " console " : " consoles ") + consoles;
}

// What became of an unknown's level.
std::string LevelState(const std::vector<FileOutcome>& files, const std::vector<size_t>& used,
                       const SiteLevels& levels, size_t k) {
    const LevelUnknown& u = levels.Unknowns[k];
    const bool console = u.Console != 0;
    std::string state;
    if (k == 0) {
        state = "first file";
    } else if (levels.Alone[k]) {
        state = console ? "set up anew; overlaps no other file: held to its file by how far it moved"
                        : "overlaps no other file: keeps its level";
    } else if (levels.FixedBy[k] == k) {
        state = "first of a group that meets none of the first file's: fixed";
    } else {
        state = console ? "set up anew: solved" : "solved";
    }
    if (levels.FixedBy[k] != k && levels.FixedBy[k] != 0) {
        state += " (to " + UnknownName(files, used, levels.Unknowns[levels.FixedBy[k]]) + ")";
    }
    return state;
}

// PREFIX-levels.csv and its table: each unknown's offset (a file's, or a
// console's set up anew) and the overlaps it rests on.
std::string LevelsCsv(const std::vector<FileOutcome>& files, const std::vector<size_t>& used,
                      const SiteLevels& levels, const std::string& unit, std::string& table) {
    std::string csv = "file,consoles,offset (" + unit + "),level,overlaps\n";
    table = "levels between files (added to the processed outputs):\n";
    for (size_t k = 0; k < levels.Unknowns.size(); ++k) {
        const LevelUnknown& u = levels.Unknowns[k];
        std::string overlaps;
        for (const LevelOverlap& o : levels.Overlaps) {
            if (o.A != k && o.B != k) continue;
            const bool a = o.A == k;
            if (!overlaps.empty()) overlaps += "; ";
            if (o.Tie) {
                // The console's move against the rest of its file, as the file's own unknown sees it.
                const std::string moved = "moved " + Signed(-o.Difference) + " " + unit;
                overlaps += a ? UnknownName(files, used, levels.Unknowns[o.B]) + ": " + moved +
                                    " against these consoles since the first file, over " +
                                    std::to_string(o.Cells) + " cells"
                              : UnknownName(files, used, levels.Unknowns[o.A]) + ": its file's; it " + moved +
                                    " against them since the first file, over " + std::to_string(o.Cells) + " cells";
                continue;
            }
            overlaps += UnknownName(files, used, levels.Unknowns[a ? o.B : o.A]) + ": " + std::to_string(o.Cells) +
                        (o.Neighbouring ? " neighbouring cells" : " cells") + ", median difference " +
                        Signed(a ? o.Difference : -o.Difference) + " " + unit;
        }
        const std::string name = UnknownName(files, used, u);
        const std::string state = LevelState(files, used, levels, k);
        AppendCsvField(csv, files[used[u.File]].Name);
        csv += ',';
        AppendCsvField(csv, ConsolesOf(u));
        csv += ',' + Signed(levels.Offsets[k]) + ',';
        AppendCsvField(csv, state);
        csv += ',';
        AppendCsvField(csv, overlaps);
        csv += '\n';
        char row[200];
        std::snprintf(row, sizeof row, "  %-20s %8s %s  %s\n", name.c_str(), Signed(levels.Offsets[k]).c_str(),
                      unit.c_str(), state.c_str());
        table += row;
        if (!overlaps.empty()) table += "      on " + overlaps + "\n";
    }
    return csv;
}

std::string SitePartName(const std::string& prefix, const char* kind, size_t index) {
    return prefix + "." + kind + "~part" + std::to_string(index + 1);
}

void LeaveOut(const FileOutcome& f, const char* why) {
    std::fprintf(stderr, "tesselog-export: %s left out: %s\n", f.Path.c_str(), why);
}

// The grids, raw and processed (levelled), and their pictures. Both grids'
// cell means are made first; then the files' cells are let go, and each
// grid is filled and written in turn.
int WriteSiteGrids(OutputSet& out, Summary& summary, const Options& o, const SiteSetUp& s, const SurveyWalk& walk,
                   std::vector<FileOutcome>& files, const std::vector<size_t>& used, std::string& levelsTable) {
    const SurveyHeader& h = walk.Header();
    const double separation = std::max(h.Geometry.UnitSensorSeparation, h.Geometry.ConsoleSeparation);
    const double fill = o.Fill >= 0.0 ? o.Fill : std::max(MetresToDisplayUnits(separation, h.DisplayUnits), 2 * s.Cell);
    const int32_t radius = FillRadiusCells(s.Cell, fill);
    std::vector<const FileCells*> raw, processed;
    for (size_t i : used) {
        raw.push_back(&files[i].Raw);
        processed.push_back(o.Steps.Any() ? &files[i].Processed : &files[i].Raw);
    }
    std::string error;
    QuickGrid grid = MeansOfFiles(raw, {}, s.Cell, fill, error);
    if (grid.Empty()) {
        std::fprintf(stderr, "tesselog-export: no grid: %s\n", error.c_str());
        if (!o.Only.empty()) return 1;
        summary.Add("no grid, picture or processed output: %s", error.c_str());
        return 0;
    }
    const bool processing = o.Steps.Any() || s.Levelling;
    std::string steps = o.Steps.Describe(o.ValueUnit);
    std::vector<ConsoleOffsets> offsets;
    if (s.Levelling) {
        const SiteLevels levels = LevelFiles(processed);
        offsets = levels.CellOffsets();
        if (!out.WriteAll(o.Prefix + "-levels.csv", LevelsCsv(files, used, levels, o.ValueUnit, levelsTable))) return 2;
        const size_t consoles = levels.Unknowns.size() - used.size();
        summary.Add("wrote %s-levels.csv (%zu files, %zu consoles set up anew levelled on their own, %zu overlaps)",
                    o.Prefix.c_str(), used.size(), consoles, levels.Overlaps.size());
        for (size_t k = 1; k < levels.Unknowns.size(); ++k) {
            if (!levels.Alone[k]) continue;
            const std::string name = UnknownName(files, used, levels.Unknowns[k]);
            summary.Add("%s overlaps no other file: it %s", name.c_str(),
                        levels.Unknowns[k].Console == 0 ? "keeps its level" : "is held to its file by how far it moved");
        }
        steps += std::string(steps.empty() ? "" : "; ") + "levelled between files (" + BaseName(o.Prefix) +
                 "-levels.csv)";
    }
    QuickGrid levelled = processing ? MeansOfFiles(processed, offsets, s.Cell, fill, error) : QuickGrid();
    for (size_t i : used) {
        files[i].Raw = FileCells();
        files[i].Processed = FileCells();
    }
    Options named = o;
    named.Path = BaseName(o.Prefix);
    FillEmptyCells(grid, radius);
    int status = WriteGrid(out, summary, named, o.Prefix, walk, grid, std::string());
    grid = QuickGrid();
    if (status != 0 || !processing) return status;
    ProcessingCounts counts;
    for (size_t i : used) {
        counts.Moved += files[i].Counts.Moved;
        counts.Spikes += files[i].Counts.Spikes;
        counts.Clipped += files[i].Counts.Clipped;
    }
    if (!out.WriteAll(o.Prefix + "-processed.txt", "values: " + steps + "\n")) return 2;
    FillEmptyCells(levelled, radius);
    status = WriteGrid(out, summary, named, o.Prefix + "-processed", walk, levelled, steps);
    summary.Add("processed (%s-processed.txt): %s (%lld readings placed again, %lld spikes replaced, %lld values "
                "clipped)", o.Prefix.c_str(), steps.c_str(), static_cast<long long>(counts.Moved),
                static_cast<long long>(counts.Spikes), static_cast<long long>(counts.Clipped));
    return status;
}

int WriteSiteTrack(OutputSet& out, Summary& summary, const Options& o, const std::vector<FileOutcome>& files) {
    size_t runs = 0, fixes = 0, marks = 0;
    for (const FileOutcome& f : files) {
        runs += f.Runs;
        fixes += f.Fixes;
        marks += f.Marks;
    }
    if (fixes == 0 && marks == 0) {
        summary.Add("no track: no file of the site has GPS fixes in longitude and latitude");
        return 0;
    }
    if (Wanted(o, "track")) {
        if (!out.WriteAll(o.Prefix + "-track.geojson", JoinGeoJson(files, &FileOutcome::TrackJson)) ||
            !out.WriteAll(o.Prefix + "-marks.geojson", JoinGeoJson(files, &FileOutcome::MarksJson))) {
            return 2;
        }
        summary.Add("wrote %s-track.geojson (%zu runs, %zu fixes) and %s-marks.geojson (%zu marks), each run and "
                    "mark naming its file", o.Prefix.c_str(), runs, fixes, o.Prefix.c_str(), marks);
    }
    if (Wanted(o, "kml")) {
        if (!out.WriteAll(o.Prefix + ".kml", JoinKml(files, BaseName(o.Prefix)))) return 2;
        summary.Add("wrote %s.kml (a folder per file)", o.Prefix.c_str());
    }
    return 0;
}

// Reads every file on two workers; a line on stderr as each is done
// (unless -q).
void ExportFiles(const SiteSetUp& s, std::vector<FileOutcome>& files) {
    std::atomic<size_t> next{0};
    std::mutex shown;
    size_t done = 0;
    const auto work = [&] {
        for (size_t i; (i = next++) < files.size();) {
            if (files[i].Start.Status != 0) continue;
            ExportFile(s, i, files[i]);
            if (s.O->Quiet) continue;
            const std::lock_guard<std::mutex> lock(shown);
            std::fprintf(stderr, "tesselog-export: %s read (%zu of %zu)\n", files[i].Name.c_str(), ++done,
                         files.size());
        }
    };
    std::thread helper(work);
    work();
    helper.join();
}

void SummariseFile(Summary& summary, const FileOutcome& f) {
    summary.Add("%s: %llu records, %d sessions, %lld readings placed, %lld without a place%s%s", f.Path.c_str(),
                static_cast<unsigned long long>(f.Records), f.Sessions, static_cast<long long>(f.Positioned),
                static_cast<long long>(f.Unpositioned), f.Change.Describe().empty() ? "" : "; ",
                f.Change.Describe().c_str());
    if (f.Records * RecordLength < f.Start.Size) {
        std::fprintf(stderr, "tesselog-export: warning: %s is damaged at byte offset %llu (%s): exported up to its "
                             "last whole record\n", f.Path.c_str(),
                     static_cast<unsigned long long>(f.Problem.offset), f.Problem.reason.c_str());
    }
}

}  // namespace

std::vector<std::string> ExpandSiteFiles(const std::vector<std::string>& arguments, std::string& error) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    for (const std::string& a : arguments) {
        std::error_code failed;
        if (!fs::is_directory(fs::u8path(a), failed)) {
            paths.push_back(a);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(fs::u8path(a), failed)) {
            std::string ext = entry.path().extension().u8string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
            if (entry.is_regular_file(failed) && (ext == ".MGR" || ext == ".GXY")) found.push_back(entry.path().u8string());
        }
        if (found.empty()) {
            error = "the folder " + a + " holds no data file (.MGR or .GXY)";
            return {};
        }
        std::sort(found.begin(), found.end());
        paths.insert(paths.end(), found.begin(), found.end());
    }
    return paths;
}

int RunSite(const Options& o) {
    std::vector<FileOutcome> files(o.Paths.size());
    for (size_t i = 0; i < files.size(); ++i) {
        files[i].Path = o.Paths[i];
        files[i].Name = BaseName(o.Paths[i]);
        files[i].Start = LookAtStart(o.Paths[i]);
    }
    // The first file that can be read sets the site's coordinates.
    const auto first = std::find_if(files.begin(), files.end(), [](const FileOutcome& f) { return f.Start.Status == 0; });
    if (first == files.end()) {
        for (const FileOutcome& f : files) LeaveOut(f, f.Start.Problem.c_str());
        std::fprintf(stderr, "tesselog-export: nothing written: no file of the site could be read\n");
        return files.front().Start.Status;
    }
    if (first != files.begin()) std::rotate(files.begin(), first, first + 1);
    SiteSetUp s;
    s.O = &o;
    s.Gps = files[0].Start.Gps;
    s.Frame = FrameOf(files[0].Start.Header, s.Gps);
    const int32_t units = files[0].Start.Header.DisplayUnits;
    s.Cell = o.Cell > 0.0 ? o.Cell : MetresToDisplayUnits(0.25, units);
    s.Gridding = Wanted(o, "grid") || Wanted(o, "png");
    s.Levelling = o.Level;
    // The outputs' folder is checked, and the tables' files made, before any work.
    StdioFileSystem fs;
    OutputSet out(fs, [](const std::string& text) { std::fprintf(stderr, "tesselog-export: %s\n", text.c_str()); });
    std::unique_ptr<File> csv, xyz;
    if (Wanted(o, "csv") && !(csv = out.Create(o.Prefix + ".csv"))) return 2;
    if (Wanted(o, "xyz") && !(xyz = out.Create(o.Prefix + ".xyz"))) return 2;
    std::vector<std::string> csvParts, xyzParts;
    for (size_t i = 0; i < files.size(); ++i) {
        csvParts.push_back(SitePartName(o.Prefix, "csv", i));
        xyzParts.push_back(SitePartName(o.Prefix, "xyz", i));
        if (files[i].Start.Status == 0) files[i].Change = PlaceChange(FrameOf(files[i].Start.Header, files[i].Start.Gps), s.Frame);
    }
    std::unique_ptr<TableJoin> csvJoin, xyzJoin;
    if (csv) csvJoin = std::make_unique<TableJoin>(std::move(csv), csvParts);
    if (xyz) xyzJoin = std::make_unique<TableJoin>(std::move(xyz), xyzParts);
    s.Csv = csvJoin.get();
    s.Xyz = xyzJoin.get();
    // A file that cannot be read has no rows: its turn passes at once.
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].Start.Status == 0) continue;
        for (TableJoin* join : {s.Csv, s.Xyz}) {
            if (join != nullptr) join->Done(i);
        }
    }
    ExportFiles(s, files);

    Summary summary;
    int leftOut = 0;
    std::vector<size_t> used;
    for (size_t i = 0; i < files.size(); ++i) {
        FileOutcome& f = files[i];
        if (!f.TablesWritten) {
            std::fprintf(stderr, "tesselog-export: writing the tables of %s failed\n", f.Path.c_str());
            return 2;
        }
        if (f.Start.Status != 0 || !f.Read) {
            LeaveOut(f, f.Start.Status != 0 ? f.Start.Problem.c_str() : "cannot be read");
            f.Read = false;
            ++leftOut;
            continue;
        }
        if (!f.Change.Comparable()) {
            std::fprintf(stderr, "tesselog-export: %s: its places are in another kind of coordinates than the first "
                                 "file's (with GPS, without, or a receiver's grid): left out of the grid and the tables\n",
                         f.Path.c_str());
        }
        used.push_back(i);
        SummariseFile(summary, f);
    }
    if (used.empty() || !files[0].KeptWalk) {
        std::fprintf(stderr, "tesselog-export: nothing written: no file of the site could be read\n");
        return 2;
    }
    const CoordinateLabel label = DescribeCoordinates(files[0].KeptWalk->Header(), s.Gps);
    summary.Add("site of %zu files: coordinates: %s, of the first file %s", used.size(), label.Text.c_str(),
                files[0].Name.c_str());

    int64_t rows = 0, other = 0;
    for (size_t i : used) {
        rows += files[i].Rows;
        other += files[i].OtherSystemRows;
    }
    for (const char* kind : {"csv", "xyz"}) {
        if (!Wanted(o, kind)) continue;
        TableJoin& join = kind[0] == 'c' ? *csvJoin : *xyzJoin;
        if (!join.Finish()) {
            std::fprintf(stderr, "tesselog-export: writing %s.%s failed\n", o.Prefix.c_str(), kind);
            return 2;
        }
        summary.Add("wrote %s.%s (%lld rows, the file named in each)", o.Prefix.c_str(), kind,
                    static_cast<long long>(rows));
    }
    // The tables' files closed before the outputs are put in place.
    s.Csv = s.Xyz = nullptr;
    csvJoin.reset();
    xyzJoin.reset();
    if (other > 0) {
        summary.Add("left out of the tables and the grid: %lld readings whose places are in another coordinate "
                    "system than the first file's", static_cast<long long>(other));
    }
    std::string table;
    if (Wanted(o, "report")) {
        size_t lines = 0;
        for (size_t i : used) {
            lines += files[i].ReportLines;
            table += files[i].Name + ":\n" + files[i].ReportTable;
        }
        if (!out.WriteAll(o.Prefix + "-lines.csv", SiteReportCsv(files))) return 2;
        summary.Add("wrote %s-lines.csv (%zu lines of %zu files)", o.Prefix.c_str(), lines, used.size());
    }
    int status = 0;
    if ((Wanted(o, "track") || Wanted(o, "kml")) && s.Gps) status = WriteSiteTrack(out, summary, o, files);
    std::string levelsTable;
    if (status == 0 && s.Gridding) {
        status = WriteSiteGrids(out, summary, o, s, *files[0].KeptWalk, files, used, levelsTable);
    }
    if (status != 0) return status;
    if (!out.Commit()) return 2;
    for (const std::string& line : summary.Lines) std::printf("%s\n", line.c_str());
    if (!table.empty()) std::printf("%s", table.c_str());
    if (!levelsTable.empty()) std::printf("%s", levelsTable.c_str());
    if (leftOut > 0) {
        std::fprintf(stderr, "tesselog-export: %d of %zu files left out (named above); the site's outputs hold the "
                             "other %zu\n", leftOut, files.size(), used.size());
        return 3;
    }
    return 0;
}

}  // namespace tesselog
