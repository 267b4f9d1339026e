// tesselog-export: a data file's readings placed where they were taken (CSV
// and XYZ), a report of its lines, its track and marks (GeoJSON and KML, or
// CSV in grid coordinates), and a gridded quick-look (ESRI ASCII grid with
// .prj, pictures for a GIS with world files, map sheets), raw and, when
// asked, processed. The outputs replace an earlier export's together or not
// at all (core/export/output_set.h).
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef __linux__
#include <malloc.h>
#include <sys/mman.h>
#endif

#include "core/datafile/record_reader.h"
#include "core/export/line_report.h"
#include "core/export/output_set.h"
#include "core/export/processing.h"
#include "core/export/quick_grid.h"
#include "core/export/reading_tables.h"
#include "core/export/survey_walk.h"
#include "core/export/track_output.h"
#include "core/gps/coordinates.h"
#include "core/platform/stdio_file_system.h"
#include "core/qc/qc_settings.h"
#include "tools/common/command_line.h"
#include "tools/export/export_options.h"
#include "tools/export/grid_outputs.h"
#include "tools/export/report_sink.h"
#include "tools/export/sensor_flag_thread.h"
#include "tools/export/site_export.h"
#include "tools/export/table_thread.h"

namespace {

using namespace tesselog;

const char Description[] =
    "Exports a Tesselog data file (.MGR or .GXY, appended sessions included), or\n"
    "a site of several files or a folder of them as one (the file named in each\n"
    "row, run and mark, the files levelled against each other in the processed\n"
    "outputs, PREFIX-levels.csv):\n"
    "  PREFIX.csv, PREFIX.xyz  every reading of every sensor where it was taken:\n"
    "      easting, northing, value, sensor (1..18 across the array), console,\n"
    "      session, date, line, station, time of day, GPS quality; in a survey\n"
    "      shown in feet also easting and northing in metres. A file recorded\n"
    "      without GPS is placed on a local grid of lines and stations.\n"
    "  PREFIX-lines.csv  one row per line and session: times, traverses, length,\n"
    "      readings, mean, median and spread per sensor, dropouts, breaks, the\n"
    "      fastest stretch, time with a fix that failed the mask or of lower\n"
    "      quality.\n"
    "  PREFIX-track.geojson, PREFIX-marks.geojson, PREFIX.kml  the track (a line\n"
    "      per recorded run) and the stations, comments, line starts and\n"
    "      connection breaks, in longitude and latitude; for the grid NMEA modes\n"
    "      PREFIX-track.csv and PREFIX-marks.csv in the receiver's grid instead.\n"
    "  PREFIX.asc, PREFIX.prj  the readings gridded (ESRI ASCII grid, WGS 84 /\n"
    "      UTM zone of the file in the display unit); the same grid as\n"
    "      PREFIX.grd (Surfer 7 binary, coordinate system in .grd.aux.xml) and\n"
    "      PREFIX.tif (GeoTIFF of 32-bit floats, coordinate system in it).\n"
    "  PREFIX.png, PREFIX-grey.png  the grid alone for a GIS, a pixel a cell in\n"
    "      the 50 map colours and in greys, no data transparent, each with its\n"
    "      world file (.pgw) and, for UTM, its coordinate system (.png.aux.xml).\n"
    "  PREFIX-sheet.png, PREFIX-grey-sheet.png  the map sheet: the grid with its\n"
    "      corners, scale bar, colour scale, north arrow and caption.\n"
    "  PREFIX-processed.*  with --lag, --despike, --destripe or --clip: the grid\n"
    "      and pictures of the processed readings (the raw ones stay as they are)\n"
    "      and what was done (.txt), with --processed-tables the tables too.\n";

std::string DefaultPrefix(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
}

// Readings to the tables, the report and the grid's points; fixes and
// marks to the track; the position sentences and breaks to the report.
class ExportSink : public ReportingSink {
public:
    const SurveyWalk* Walk = nullptr;
    TableThread* Tables = nullptr;
    std::vector<GridPoint>* Points = nullptr;
    std::vector<PointInfo>* Infos = nullptr;  // only when the readings are processed

    void Reading(const PositionedReading& r) override {
        if (Tables != nullptr) Tables->Add(r, *Walk);
        if (Report != nullptr) Report->Reading(r);
        if (Points != nullptr && r.Positioned && r.Local != Walk->FirstSessionHasGps()) {
            Points->push_back({r.Easting, r.Northing, static_cast<float>(r.Value)});
            if (Infos != nullptr) Infos->push_back(InfoOf(r));
        }
    }
};

// The second walk for processed tables: the same readings in the same
// order, with the processed places and values.
class ProcessedSink : public SurveySink {
public:
    const SurveyWalk* Walk = nullptr;
    ReadingTableWriter* Tables = nullptr;
    const std::vector<GridPoint>* Points = nullptr;
    size_t Next = 0;

    void Reading(const PositionedReading& r) override {
        PositionedReading copy = r;
        if (r.Positioned && r.Local != Walk->FirstSessionHasGps() && Next < Points->size()) {
            const GridPoint& p = (*Points)[Next++];
            copy.Easting = p.Easting;
            copy.Northing = p.Northing;
            copy.Value = p.Value;
        }
        Tables->Write(copy);
    }
};

// The file's bytes with a progress line on stderr for a large file.
ByteSource WithProgress(File& file, uint64_t size, bool show, const char* what) {
    auto source = BytesFromFile(file);
    if (!show || size < (8u << 20)) return source;
    auto done = std::make_shared<uint64_t>(0);
    auto shown = std::make_shared<int>(-1);
    return [source, size, done, shown, what](void* buffer, size_t n) {
        const size_t got = source(buffer, n);
        *done += got;
        const int percent = static_cast<int>(*done * 100 / size);
        if (percent / 10 != *shown / 10) {
            *shown = percent;
            std::fprintf(stderr, "tesselog-export: %s %3d%%%s", what, percent, percent >= 100 ? "\n" : "\r");
            std::fflush(stderr);
        }
        return got;
    };
}

// A large table filled once from its start: on Linux its pages come in 2 MiB
// pieces where the system allows, which saves most of the page faults.
void PreferLargePages(const void* data, size_t bytes) {
#ifdef __linux__
    constexpr uintptr_t Huge = uintptr_t(2) << 20;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + Huge - 1) & ~(Huge - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(Huge - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

uint64_t FileSize(const std::string& path) {
    StdioFileSystem fs;
    std::unique_ptr<File> file = fs.Open(path, OpenMode::ReadExisting);
    if (!file || !file->SeekToEnd()) return 0;
    return file->Position();
}

// One walk of the file into `walk`. 0, or 1 for a file that is not a data
// file (with the message), or 2 when it cannot be read.
struct WalkResult {
    int Status = 0;
    uint64_t Size = 0;
    uint64_t Records = 0;
    RecordProblem Problem;
};
WalkResult WalkFile(const Options& o, SurveyWalk& walk, const char* what, bool loud = true) {
    WalkResult result;
    StdioFileSystem fs;
    std::unique_ptr<File> file = fs.Open(o.Path, OpenMode::ReadExisting);
    if (!file) {
        if (loud) std::fprintf(stderr, "tesselog-export: cannot open %s for reading\n", o.Path.c_str());
        result.Status = 2;
        return result;
    }
    file->SeekToEnd();
    result.Size = file->Position();
    file->SeekToStart();
    RecordReader reader(WithProgress(*file, result.Size, loud && !o.Quiet, what));
    DataItem item;
    bool first = true;
    while (reader.Next(item)) {
        if (first && item.kind != ItemKind::Identification) {
            if (loud) std::fprintf(stderr, "tesselog-export: %s is not a Tesselog data file (its first record is not "
                                 "\"TESSEL  W\")\n", o.Path.c_str());
            result.Status = 1;
            return result;
        }
        first = false;
        walk.Take(item);
    }
    walk.Finish();
    if (first) {
        if (loud) std::fprintf(stderr, "tesselog-export: %s is not a Tesselog data file (it does not begin with a whole "
                             "identification record)\n", o.Path.c_str());
        result.Status = 1;
    }
    result.Records = reader.RecordCount();
    result.Problem = reader.FirstProblem();
    return result;
}

// The track and the marks, each a layer of its own.
int WriteTrack(OutputSet& out, Summary& summary, const Options& o, const SurveyWalk& walk,
               const TrackCollector& track) {
    const SurveyHeader& h = walk.Header();
    if (!walk.FirstSessionHasGps()) {
        summary.Add("no track: recorded without GPS");
        return 0;
    }
    if (h.NmeaMode >= 0 && IsGridMode(h.NmeaMode)) {
        const std::string unit = DescribeCoordinates(h).Unit;
        auto file = out.Create(o.Prefix + "-track.csv");
        if (!file || !track.WriteTrackCsv(*file, unit, h.Zone)) return 2;
        file = out.Create(o.Prefix + "-marks.csv");
        if (!file || !track.WriteMarksCsv(*file, walk.Lines(), unit, h.Zone)) return 2;
        summary.Add("wrote %s-track.csv and %s-marks.csv: NMEA mode %d gives grid coordinates, not longitude and "
                    "latitude, so the track and marks are CSVs in the receiver's grid and no GeoJSON or KML is "
                    "written", o.Prefix.c_str(), o.Prefix.c_str(), h.NmeaMode);
        return 0;
    }
    if (Wanted(o, "track")) {
        auto file = out.Create(o.Prefix + "-track.geojson");
        if (!file || !track.WriteTrackGeoJson(*file, h.Zone)) return 2;
        file = out.Create(o.Prefix + "-marks.geojson");
        if (!file || !track.WriteMarksGeoJson(*file, walk.Lines(), h.Zone)) return 2;
        summary.Add("wrote %s-track.geojson (%zu runs, %zu fixes) and %s-marks.geojson (%zu marks)", o.Prefix.c_str(),
                    track.RunCount(), track.FixCount(), o.Prefix.c_str(), track.MarkCount());
    }
    if (Wanted(o, "kml")) {
        auto file = out.Create(o.Prefix + ".kml");
        if (!file || !track.WriteKml(*file, walk.Lines(), BaseName(o.Path), h.Zone)) return 2;
        summary.Add("wrote %s.kml", o.Prefix.c_str());
    }
    return 0;
}

int WriteReport(OutputSet& out, Summary& summary, const Options& o, LineReport& report, const std::string& unit,
                std::string& table) {
    report.Finish();
    auto file = out.Create(o.Prefix + "-lines.csv");
    if (!file || !report.WriteCsv(*file, unit)) return 2;
    summary.Add("wrote %s-lines.csv (%zu lines)", o.Prefix.c_str(), report.Lines().size());
    table = report.Table(unit);
    if (report.BestQuality() >= 0) {
        table += "best fix quality " + std::to_string(report.BestQuality()) + " (" +
                 QualityName(report.BestQuality()) + "); \"mask s\": time with a fix that failed the GPS mask, "
                 "\"qual s\": time below the best quality\n";
    }
    return 0;
}

// The tables again with the processed places and values.
int WriteProcessedTables(OutputSet& out, Summary& summary, const Options& o, const std::vector<GridPoint>& points,
                         const std::string& processing) {
    std::unique_ptr<File> csv, xyz;
    if (Wanted(o, "csv") && !(csv = out.Create(o.Prefix + "-processed.csv"))) return 2;
    if (Wanted(o, "xyz") && !(xyz = out.Create(o.Prefix + "-processed.xyz"))) return 2;
    ProcessedSink sink;
    SurveyWalk walk(sink, o.Local);
    ReadingTableWriter tables(csv.get(), xyz.get(), walk, o.ValueUnit, processing);
    sink.Walk = &walk;
    sink.Tables = &tables;
    sink.Points = &points;
    if (WalkFile(o, walk, "processed tables").Status != 0 || !tables.Finish()) return 2;
    summary.Add("wrote %s-processed.csv and .xyz (%lld rows)", o.Prefix.c_str(), static_cast<long long>(tables.Rows()));
    return 0;
}

// Room for two readings a record: the pages are touched only as they fill.
void CollectPoints(const Options& o, ExportSink& sink, std::vector<GridPoint>& points, std::vector<PointInfo>& infos) {
    const size_t most = size_t(std::min<uint64_t>(FileSize(o.Path) / RecordLength * 2, uint64_t(1) << 28));
    points.reserve(most);
    PreferLargePages(points.data(), most * sizeof(GridPoint));
    sink.Points = &points;
    if (o.Steps.Any()) {
        infos.reserve(most);
        PreferLargePages(infos.data(), most * sizeof(PointInfo));
        sink.Infos = &infos;
    }
}

void WarnIfDamaged(const Options& o, const WalkResult& walked) {
    const uint64_t whole = walked.Records * RecordLength;
    if (whole >= walked.Size) return;
    std::fprintf(stderr, "tesselog-export: warning: %s is damaged at byte offset %llu (%s): exported up to its "
                         "last whole record, record %llu, which ends at byte %llu of %llu\n",
                 o.Path.c_str(), static_cast<unsigned long long>(walked.Problem.offset), walked.Problem.reason.c_str(),
                 static_cast<unsigned long long>(walked.Records), static_cast<unsigned long long>(whole),
                 static_cast<unsigned long long>(walked.Size));
}

// The processed copies: the steps on the points, then their grid and
// pictures. The caller's raw grid is written meanwhile; this lane keeps a
// summary of its own.
int WriteProcessed(OutputSet& out, Summary& summary, const Options& o, const SurveyWalk& walk,
                   std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, bool gridding) {
    const std::string processing = o.Steps.Describe(o.ValueUnit);
    const ProcessingCounts counts = ApplyProcessing(points, infos, o.Steps, walk);
    if (!out.WriteAll(o.Prefix + "-processed.txt", "values: " + processing + "\n")) return 2;
    const int status =
        gridding ? WriteGrid(out, summary, o, o.Prefix + "-processed", walk, BuildGrid(o, walk, points), processing) : 0;
    summary.Add("processed (%s-processed.txt): %s (%lld readings placed again, %lld spikes replaced, %lld values "
                "clipped)", o.Prefix.c_str(), processing.c_str(), static_cast<long long>(counts.Moved),
                static_cast<long long>(counts.Spikes), static_cast<long long>(counts.Clipped));
    return status;
}

// The raw grid and pictures, and the processed copies beside them: once the
// raw grid is built the points are free for the processing steps.
int WriteGrids(OutputSet& out, Summary& summary, const Options& o, const SurveyWalk& walk,
               std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, bool gridding) {
    if (points.empty()) {
        if (gridding && !o.Only.empty()) {
            std::fprintf(stderr, "tesselog-export: no grid: no placed readings\n");
            return 1;
        }
        summary.Add("no grid, picture or processed output: no placed readings");
        return 0;
    }
    const QuickGrid raw = gridding ? BuildGrid(o, walk, points) : QuickGrid();
    Summary processedSummary;
    int processed = 0;
    std::thread lane;
    if (o.Steps.Any()) {
        lane = std::thread([&] { processed = WriteProcessed(out, processedSummary, o, walk, points, infos, gridding); });
    }
    int status = gridding ? WriteGrid(out, summary, o, o.Prefix, walk, raw, std::string()) : 0;
    if (lane.joinable()) lane.join();
    summary.Lines.insert(summary.Lines.end(), processedSummary.Lines.begin(), processedSummary.Lines.end());
    if (status == 0) status = processed;
    if (status == 0 && o.Steps.Any() && o.ProcessedTables) {
        status = WriteProcessedTables(out, summary, o, points, o.Steps.Describe(o.ValueUnit));
    }
    return status;
}

// The table thread's end, and its lines of the summary at `at`.
int FinishTables(TableThread& tables, Summary& summary, size_t at, const Options& o, const SurveyWalk& walk) {
    if (!tables.Finish(walk)) {
        std::fprintf(stderr, "tesselog-export: writing the tables failed\n");
        return 2;
    }
    Summary written;
    for (const char* kind : {"csv", "xyz"}) {
        if (Wanted(o, kind)) {
            written.Add("wrote %s.%s (%lld rows)", o.Prefix.c_str(), kind, static_cast<long long>(tables.Rows()));
        }
    }
    if (tables.OtherSystemRows() > 0) {
        written.Add("left out of the tables and the grid: %lld readings of sessions %s, whose places are in "
                    "another coordinate system", static_cast<long long>(tables.OtherSystemRows()),
                    walk.FirstSessionHasGps() ? "recorded without GPS" : "recorded with GPS");
    }
    summary.Lines.insert(summary.Lines.begin() + long(at), written.Lines.begin(), written.Lines.end());
    return 0;
}

int Run(const Options& o) {
    StdioFileSystem fs;
    OutputSet out(fs, [](const std::string& text) { std::fprintf(stderr, "tesselog-export: %s\n", text.c_str()); });
    std::unique_ptr<File> csv, xyz;
    if (Wanted(o, "csv") && !(csv = out.Create(o.Prefix + ".csv"))) return 2;
    if (Wanted(o, "xyz") && !(xyz = out.Create(o.Prefix + ".xyz"))) return 2;
    // The tables are written on a thread of their own while the walk goes on.
    std::unique_ptr<TableThread> tables;
    if (csv || xyz) tables = std::make_unique<TableThread>(std::move(csv), std::move(xyz), o.ValueUnit);

    ExportSink sink;
    SurveyWalk walk(sink, o.Local);
    // The sensor flags with the survey's own field-warning settings: the
    // file named, or TESSELQC.INI beside the data file, else the defaults.
    QcSettings qc;
    std::string qcFrom = "defaults, no " + std::string(QcSettingsFileName) + " beside the file";
    const std::string qcPath = o.QcSettingsPath.empty() ? QcSettingsPathBeside(o.Path) : o.QcSettingsPath;
    if (ReadQcSettings(qc, fs, qcPath)) {
        qcFrom = qcPath;
    } else if (!o.QcSettingsPath.empty()) {
        std::fprintf(stderr, "tesselog-export: cannot read %s\n", o.QcSettingsPath.c_str());
        return 2;
    }
    LineReport report(walk, MaskOf(o), SensorLimitsOf(qc));
    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    const bool gridding = Wanted(o, "grid") || Wanted(o, "png");
    // The sensor rules on a thread of their own while the walk goes on.
    std::unique_ptr<SensorFlagThread> flags;
    sink.Walk = &walk;
    sink.Tables = tables.get();
    if (Wanted(o, "report")) {
        sink.Report = &report;
        flags = std::make_unique<SensorFlagThread>(report.Flags());
        sink.Flags = flags.get();
    }
    const bool processedTables = o.Steps.Any() && o.ProcessedTables && (Wanted(o, "csv") || Wanted(o, "xyz"));
    if (gridding || processedTables) CollectPoints(o, sink, points, infos);

    const WalkResult walked = WalkFile(o, walk, "reading");
    if (walked.Status != 0) return walked.Status;
    if (flags) flags->Finish();
    WarnIfDamaged(o, walked);
    Summary summary;
    const CoordinateLabel label = DescribeCoordinates(walk.Header(), walk.FirstSessionHasGps());
    summary.Add("%s: %llu records, %d sessions, %lld readings placed, %lld without a place", o.Path.c_str(),
                static_cast<unsigned long long>(walked.Records), walk.Sessions(),
                static_cast<long long>(walk.PositionedCount()), static_cast<long long>(walk.UnpositionedCount()));
    summary.Add("coordinates: %s", label.Text.c_str());
    const size_t tablesAt = summary.Lines.size();
    if (Wanted(o, "report")) summary.Add("sensor flags: %s (%s)", SensorLimitsText(qc).c_str(), qcFrom.c_str());

    std::string table;
    int status = 0;
    if (Wanted(o, "report")) status = WriteReport(out, summary, o, report, label.Unit, table);
    if (status == 0 && (Wanted(o, "track") || Wanted(o, "kml"))) status = WriteTrack(out, summary, o, walk, sink.Track);
    if (status == 0 && (gridding || processedTables)) status = WriteGrids(out, summary, o, walk, points, infos, gridding);
    if (status == 0 && tables) status = FinishTables(*tables, summary, tablesAt, o, walk);
    if (status != 0) return status;
    if (!out.Commit()) return 2;
    for (const std::string& line : summary.Lines) std::printf("%s\n", line.c_str());
    if (!table.empty()) std::printf("%s", table.c_str());
    return 0;
}

// --despike T[,W], --clip MIN,MAX, --mask off|Q,S,D and the steps they make.
bool TakeProcessingOptions(Options& o) {
    if (!o.Despike.empty()) {
        o.Steps.Despike = true;
        o.Steps.DespikeThreshold = o.Despike[0];
        if (o.Despike.size() == 2) o.Steps.DespikeWindow = static_cast<int32_t>(o.Despike[1]);
        if (!(o.Steps.DespikeThreshold > 0.0) || o.Despike.size() > 2 || o.Steps.DespikeWindow < 3 ||
            o.Steps.DespikeWindow % 2 == 0 || o.Steps.DespikeWindow > 101) {
            std::fprintf(stderr, "tesselog-export: --despike needs a threshold above 0 and an odd window of 3 "
                                 "to 101 readings (see --help)\n");
            return false;
        }
    }
    if (!o.Clip.empty()) {
        if (o.Clip.size() != 2 || !(o.Clip[1] > o.Clip[0])) {
            std::fprintf(stderr, "tesselog-export: --clip needs MIN below MAX (see --help)\n");
            return false;
        }
        o.Steps.Clip = true;
        o.Steps.ClipMin = o.Clip[0];
        o.Steps.ClipMax = o.Clip[1];
    }
    const bool maskOff = o.Mask.size() == 1 && o.Mask[0] == "off";
    bool maskOk = o.Mask.empty() || maskOff;
    if (o.Mask.size() == 3) {
        char* end = nullptr;
        maskOk = true;
        for (const std::string& m : o.Mask) {
            std::strtod(m.c_str(), &end);
            maskOk = maskOk && !m.empty() && *end == 0;
        }
    }
    if (!maskOk) {
        std::fprintf(stderr, "tesselog-export: --mask needs off or QUALITY,SATELLITES,DILUTION (see --help)\n");
        return false;
    }
    if (o.Steps.Lag && !std::isfinite(o.Steps.LagSeconds)) return false;
    o.Local.LinesToLeft = o.LinesStep == "left";
    return true;
}


// The grids, pictures and points of a large file are blocks of tens of
// megabytes, each of which glibc would map afresh and fault in page by page;
// from the heap, and kept there, the processed copies reuse what the raw
// ones freed. Not for a site: its blocks come and go in many sizes, and
// kept in the heap they would add up to far more than are ever alive at once.
void KeepLargeBlocksInTheHeap() {
#ifdef __linux__
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(Description, "tesselog-export");
    app.get_formatter()->column_width(26);
    Options o;
    // Options of several values take them from one argument ("csv,xyz"), so
    // that the data files after them stay files.
    std::vector<std::string> arguments;
    app.add_option("FILE", arguments, "the data file (after \"--\" when its name starts with a dash);\n"
                                      "several files or a folder (its .MGR and .GXY files):\n"
                                      "one export of the site they make")
        ->required()
        ->expected(1, 100000)
        ->type_name("");
    app.add_option("-o,--out", o.Prefix, "PREFIX of the outputs (default: FILE without its extension;\n"
                                         "for several files FOLDER/site, the first file's folder)");
    app.add_option("--only", o.Only, "write only these: csv, xyz, report, track, kml, grid, png\n"
                                     "(comma-separated)")
        ->delimiter(',')
        ->allow_extra_args(false)
        ->check(CLI::IsMember({"csv", "xyz", "report", "track", "kml", "grid", "png"}));
    app.add_option("--cell", o.Cell, "grid cell size in the file's display unit (default 0.25 m,\n"
                                     "0.8202 ft in a file shown in feet)")
        ->check(CLI::PositiveNumber);
    app.add_option("--fill", o.Fill, "fill empty cells from filled ones within this distance\n"
                                     "(display unit; default the larger sensor separation; 0 none)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--scale", o.Scale, "MIN,MAX of the pictures' colour scale (default: the 2nd\n"
                                       "and 98th percentile of the grid)")
        ->delimiter(',')
        ->expected(2);
    app.add_option("--colours", o.Colours, "pictures to draw: map (the map's 50 colours), grey\n"
                                           "(white lowest, black highest); default both")
        ->delimiter(',')
        ->allow_extra_args(false)
        ->check(CLI::IsMember({"map", "grey"}));
    app.add_option("--value-unit", o.ValueUnit, "unit of the readings on the pictures' scale (default nT)");
    app.add_option("--qc-settings", o.QcSettingsPath, "FILE: the field warnings' settings (TESSELQC.INI) whose\n"
                                                  "sensor limits flag the report's lines (default: the\n"
                                                  "TESSELQC.INI beside the data file, else the defaults)");
    app.add_option("--mask", o.Mask, "the GPS mask of the report: QUALITY,SATELLITES,DILUTION\n"
                                     "(fix quality at least, satellites at least, dilution\n"
                                     "at most; default 2,5,4 as the program's own), or off")
        ->delimiter(',')
        ->allow_extra_args(false);
    app.add_option("--line-spacing", o.Local.LineSpacing, "without GPS: lines this far apart in the order they\n"
                                                          "first come (default: by their numbers)")
        ->check(CLI::PositiveNumber);
    app.add_option("--lines-step", o.LinesStep, "without GPS: later lines lie right (default) or left of\n"
                                                "the way the stations grow")
        ->check(CLI::IsMember({"right", "left"}));
    auto* lag = app.add_option("--lag", o.Steps.LagSeconds, "SECONDS: move readings back along the track by\n"
                                                            "this time (processed outputs)");
    app.add_option("--despike", o.Despike, "THRESHOLD[,WINDOW]: replace a reading farther than\n"
                                           "THRESHOLD from the median of WINDOW readings around\n"
                                           "it (default 9) by that median (processed outputs)")
        ->delimiter(',')
        ->allow_extra_args(false);
    app.add_flag("--destripe", o.Steps.Destripe, "take each line's median off each sensor's readings\n"
                                                 "(processed outputs)");
    app.add_option("--clip", o.Clip, "MIN,MAX: limit the processed values to this range")->delimiter(',')
        ->allow_extra_args(false);
    app.add_flag("--processed-tables", o.ProcessedTables, "also write the processed readings as\n"
                                                          "PREFIX-processed.csv and .xyz");
    app.add_flag("-q,--quiet", o.Quiet, "no progress lines on a large file");
    bool noLevel = false;
    app.add_flag("--no-level", noLevel, "several files: do not level them against each other\n"
                                        "(by default their processed outputs are levelled)");
    app.footer("Exit status: 0 exported (a damaged file up to its last whole record, with a\n"
               "warning), 1 not a data file or nothing to grid, 2 bad usage or a file that\n"
               "cannot be read or written, 3 a site exported with a file left out that\n"
               "could not be read (named on stderr). Nothing is written unless everything is: an\n"
               "export that fails leaves the files of an earlier one as they were.");
    if (const int status = ParseToolCommandLine(app, argc, argv); status >= 0) return status;
    o.Steps.Lag = lag->count() > 0;
    if (o.Scale.size() == 2 && !(o.Scale[1] > o.Scale[0])) {
        std::fprintf(stderr, "tesselog-export: --scale needs MIN below MAX (see --help)\n");
        return 2;
    }
    if (!TakeProcessingOptions(o)) return 2;
    std::string error;
    o.Paths = ExpandSiteFiles(arguments, error);
    if (o.Paths.empty()) {
        std::fprintf(stderr, "tesselog-export: %s\n", error.c_str());
        return 2;
    }
    if (o.Paths.size() == 1 && arguments.size() == 1 && o.Paths[0] == arguments[0]) {
        o.Path = o.Paths[0];
        if (o.Prefix.empty()) o.Prefix = DefaultPrefix(o.Path);
        KeepLargeBlocksInTheHeap();
        return Run(o);
    }
    o.Level = !noLevel;
    if (o.ProcessedTables) {
        std::fprintf(stderr, "tesselog-export: --processed-tables is for one file; a site writes its processed "
                             "grids and pictures\n");
        return 2;
    }
    if (o.Prefix.empty()) {
        const std::string& first = arguments[0] == o.Paths[0] ? o.Paths[0] : arguments[0] + "/x";
        const size_t slash = first.find_last_of("/\\");
        o.Prefix = (slash == std::string::npos ? std::string() : first.substr(0, slash + 1)) + "site";
    }
    o.Path = o.Paths[0];
    return RunSite(o);
}
