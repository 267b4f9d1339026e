// tesselog-export: a data file's readings placed where the map painted them
// (CSV and XYZ), its track and marks (GeoJSON, or CSV in grid coordinates),
// and a gridded quick-look (ESRI ASCII grid with .prj, PNG picture).
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/datafile/record_reader.h"
#include "core/export/grid_picture.h"
#include "core/export/png_writer.h"
#include "core/export/quick_grid.h"
#include "core/export/reading_tables.h"
#include "core/export/survey_walk.h"
#include "core/export/track_output.h"
#include "core/gps/coordinates.h"
#include "core/platform/stdio_file_system.h"
#include "tools/common/command_line.h"

namespace {

using namespace tesselog;

const char Description[] =
    "Exports a Tesselog data file (.MGR or .GXY, appended sessions included):\n"
    "  PREFIX.csv, PREFIX.xyz  every reading of every sensor where the live map\n"
    "      painted it: easting, northing, value, sensor (1..18 across the array),\n"
    "      console, line, station, time of day, GPS quality. A file recorded\n"
    "      without GPS gives line, station, sensor, console, time and value.\n"
    "  PREFIX.geojson  the track (one LineString per recorded run) and points for\n"
    "      stations, comments, line starts and connection breaks, in longitude\n"
    "      and latitude from the recorded sentences; for the grid NMEA modes\n"
    "      PREFIX-track.csv in the receiver's grid coordinates instead.\n"
    "  PREFIX.asc, PREFIX.prj  the readings gridded (ESRI ASCII grid, WGS 84 /\n"
    "      UTM zone of the file).\n"
    "  PREFIX.png  the grid in the map's 50 colours with its colour scale.\n"
    "Coordinates are in the file's display unit; the summary and the headers\n"
    "name the UTM zone and hemisphere as an EPSG code.\n";

struct Options {
    std::string Path;
    std::string Prefix;
    std::vector<std::string> Only;
    double Cell = 0.0;       // 0: 0.25 m in the display unit
    double Fill = -1.0;      // below 0: the larger sensor separation
    std::vector<double> Scale;
    bool Quiet = false;
};

bool Wanted(const Options& o, const char* what) {
    if (o.Only.empty()) return true;
    for (const std::string& w : o.Only) {
        if (w == what) return true;
    }
    return false;
}

std::string DefaultPrefix(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
}

// Readings to the tables and the grid's points, fixes and marks to the track.
class ExportSink : public SurveySink {
public:
    ReadingTableWriter* Tables = nullptr;
    std::vector<GridPoint>* Points = nullptr;
    TrackCollector Track;

    void Reading(const PositionedReading& r) override {
        if (Tables != nullptr) Tables->Write(r);
        if (Points != nullptr && r.Positioned)
            Points->push_back({r.Easting, r.Northing, static_cast<float>(r.Value)});
    }
    void Fix(const TrackFix& fix) override { Track.Fix(fix); }
    void Mark(const SurveyMark& mark) override { Track.Mark(mark); }
};

// The file's bytes with a progress line on stderr for a large file.
ByteSource WithProgress(File& file, uint64_t size, bool show) {
    auto source = BytesFromFile(file);
    if (!show || size < (8u << 20)) return source;
    auto done = std::make_shared<uint64_t>(0);
    auto shown = std::make_shared<int>(-1);
    return [source, size, done, shown](void* buffer, size_t n) {
        const size_t got = source(buffer, n);
        *done += got;
        const int percent = static_cast<int>(*done * 100 / size);
        if (percent / 10 != *shown / 10) {
            *shown = percent;
            std::fprintf(stderr, "tesselog-export: reading %3d%%%s", percent, percent >= 100 ? "\n" : "\r");
            std::fflush(stderr);
        }
        return got;
    };
}

std::unique_ptr<File> OpenOutput(StdioFileSystem& fs, const std::string& path, bool& failed) {
    auto file = fs.Open(path, OpenMode::CreateTruncate);
    if (!file) {
        std::fprintf(stderr, "tesselog-export: cannot write %s\n", path.c_str());
        failed = true;
    }
    return file;
}

bool WriteBytes(StdioFileSystem& fs, const std::string& path, const std::string& bytes) {
    auto file = fs.Open(path, OpenMode::CreateTruncate);
    return file && file->Write(bytes.data(), bytes.size());
}

// The grid, its .prj and its picture.
int ExportGrid(StdioFileSystem& fs, const Options& o, const SurveyWalk& walk, const std::vector<GridPoint>& points) {
    const SurveyHeader& h = walk.Header();
    const double cell = o.Cell > 0.0 ? o.Cell : MetresToDisplayUnits(0.25, h.DisplayUnits);
    const double separation = std::max(h.Geometry.UnitSensorSeparation, h.Geometry.ConsoleSeparation);
    const double fill = o.Fill >= 0.0 ? o.Fill : std::max(MetresToDisplayUnits(separation, h.DisplayUnits), 2 * cell);
    std::string error;
    const QuickGrid grid = BuildQuickGrid(points, cell, fill, error);
    if (grid.Empty()) {
        std::fprintf(stderr, "tesselog-export: no grid: %s\n", error.c_str());
        return 1;
    }
    if (Wanted(o, "grid")) {
        bool failed = false;
        auto asc = OpenOutput(fs, o.Prefix + ".asc", failed);
        if (failed || !WriteEsriAsciiGrid(*asc, grid)) return 2;
        const std::string prj = UtmProjectionText(h.UtmZone, h.Hemisphere, h.DisplayUnits);
        if (!prj.empty() && !WriteBytes(fs, o.Prefix + ".prj", prj + "\n")) return 2;
        std::printf("wrote %s.asc (%d x %d cells of %g %s)%s\n", o.Prefix.c_str(), grid.Columns, grid.Rows, cell,
                    DescribeCoordinates(h).Unit.c_str(),
                    prj.empty() ? ", no .prj: the coordinates are not UTM" : (" and " + o.Prefix + ".prj").c_str());
    }
    if (Wanted(o, "png")) {
        const ColourScale scale = o.Scale.size() == 2 ? ColourScale{o.Scale[0], o.Scale[1]} : PercentileScale(grid);
        const std::vector<uint8_t> png = EncodePng(DrawGridPicture(grid, scale));
        if (png.empty() || !WriteBytes(fs, o.Prefix + ".png", std::string(png.begin(), png.end()))) {
            std::fprintf(stderr, "tesselog-export: cannot write %s.png\n", o.Prefix.c_str());
            return 2;
        }
        std::printf("wrote %s.png (colour scale %g .. %g)\n", o.Prefix.c_str(), scale.Min, scale.Max);
    }
    return 0;
}

int ExportTrack(StdioFileSystem& fs, const Options& o, const SurveyWalk& walk, const TrackCollector& track) {
    const SurveyHeader& h = walk.Header();
    bool failed = false;
    if (h.NmeaMode >= 0 && IsGridMode(h.NmeaMode)) {
        auto out = OpenOutput(fs, o.Prefix + "-track.csv", failed);
        if (failed || !track.WriteGridCsv(*out, walk.Lines(), DescribeCoordinates(h).Unit)) return 2;
        std::printf("wrote %s-track.csv: NMEA mode %d gives grid coordinates, not longitude and latitude, so the "
                    "track is a CSV in the receiver's grid and no GeoJSON is written\n",
                    o.Prefix.c_str(), h.NmeaMode);
        return 0;
    }
    auto out = OpenOutput(fs, o.Prefix + ".geojson", failed);
    if (failed || !track.WriteGeoJson(*out, walk.Lines())) return 2;
    std::printf("wrote %s.geojson (%zu runs, %zu fixes, %zu marks)\n", o.Prefix.c_str(), track.RunCount(),
                track.FixCount(), track.MarkCount());
    return 0;
}

int Run(const Options& o) {
    StdioFileSystem fs;
    std::unique_ptr<File> file = fs.Open(o.Path, OpenMode::ReadExisting);
    if (!file) {
        std::fprintf(stderr, "tesselog-export: cannot open %s for reading\n", o.Path.c_str());
        return 2;
    }
    file->SeekToEnd();
    const uint64_t size = file->Position();
    file->SeekToStart();

    bool failed = false;
    std::unique_ptr<File> csv, xyz;
    if (Wanted(o, "csv")) csv = OpenOutput(fs, o.Prefix + ".csv", failed);
    if (Wanted(o, "xyz")) xyz = OpenOutput(fs, o.Prefix + ".xyz", failed);
    if (failed) return 2;

    ExportSink sink;
    SurveyWalk walk(sink);
    ReadingTableWriter tables(csv.get(), xyz.get(), walk);
    std::vector<GridPoint> points;
    sink.Tables = &tables;
    if (Wanted(o, "grid") || Wanted(o, "png")) sink.Points = &points;

    RecordReader reader(WithProgress(*file, size, !o.Quiet));
    DataItem item;
    bool first = true;
    while (reader.Next(item)) {
        if (first && item.kind != ItemKind::Identification) {
            std::fprintf(stderr, "tesselog-export: %s is not a Tesselog data file (its first record is not "
                                 "\"TESSEL  W\")\n", o.Path.c_str());
            return 1;
        }
        first = false;
        walk.Take(item);
    }
    walk.Finish();
    if (first) {
        std::fprintf(stderr, "tesselog-export: %s is not a Tesselog data file (it does not begin with a whole "
                             "identification record)\n", o.Path.c_str());
        return 1;
    }
    const uint64_t whole = reader.RecordCount() * RecordLength;
    const RecordProblem& problem = reader.FirstProblem();
    if (whole < size) {
        std::fprintf(stderr, "tesselog-export: warning: %s is damaged at byte offset %llu (%s): exported up to its "
                             "last whole record, record %llu, which ends at byte %llu of %llu\n",
                     o.Path.c_str(), static_cast<unsigned long long>(problem.offset), problem.reason.c_str(),
                     static_cast<unsigned long long>(reader.RecordCount()), static_cast<unsigned long long>(whole),
                     static_cast<unsigned long long>(size));
    }
    if (!tables.Finish()) {
        std::fprintf(stderr, "tesselog-export: writing the tables failed\n");
        return 2;
    }

    const SurveyHeader& h = walk.Header();
    std::printf("%s: %llu records, %lld readings placed, %lld without a place\n", o.Path.c_str(),
                static_cast<unsigned long long>(reader.RecordCount()), static_cast<long long>(walk.PositionedCount()),
                static_cast<long long>(walk.UnpositionedCount()));
    std::printf("coordinates: %s\n", DescribeCoordinates(h).Text.c_str());
    if (csv) std::printf("wrote %s.csv (%lld rows)\n", o.Prefix.c_str(), static_cast<long long>(tables.Rows()));
    if (xyz) std::printf("wrote %s.xyz (%lld rows)\n", o.Prefix.c_str(), static_cast<long long>(tables.Rows()));
    if (!h.GpsInput) {
        std::printf("no positions (recorded without GPS): no track, grid or picture\n");
        return 0;
    }
    int status = 0;
    if (Wanted(o, "track")) status = ExportTrack(fs, o, walk, sink.Track);
    if (status == 0 && (Wanted(o, "grid") || Wanted(o, "png"))) status = ExportGrid(fs, o, walk, points);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(Description, "tesselog-export");
    app.get_formatter()->column_width(24);
    Options o;
    app.add_option("FILE", o.Path, "the data file (after \"--\" when its name starts with a dash)")
        ->required()
        ->type_name("");
    app.add_option("-o,--out", o.Prefix, "PREFIX of the outputs (default: FILE without its extension)");
    app.add_option("--only", o.Only, "write only these: csv, xyz, track, grid, png (comma-separated)")
        ->delimiter(',')
        ->check(CLI::IsMember({"csv", "xyz", "track", "grid", "png"}));
    app.add_option("--cell", o.Cell, "grid cell size in the file's display unit (default 0.25 m,\n"
                                     "0.8202 ft in a file shown in feet)")
        ->check(CLI::PositiveNumber);
    app.add_option("--fill", o.Fill, "fill empty cells from filled ones within this distance\n"
                                     "(display unit; default the larger sensor separation; 0 none)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--scale", o.Scale, "MIN,MAX of the picture's colour scale (default: the 2nd\n"
                                       "and 98th percentile of the grid)")
        ->delimiter(',')
        ->expected(2);
    app.add_flag("-q,--quiet", o.Quiet, "no progress lines on a large file");
    app.footer("Exit status: 0 exported (a damaged file up to its last whole record, with a\n"
               "warning), 1 not a data file or nothing to grid, 2 bad usage or a file that\n"
               "cannot be read or written.");
    if (const int status = ParseToolCommandLine(app, argc, argv); status >= 0) return status;
    if (o.Scale.size() == 2 && !(o.Scale[1] > o.Scale[0])) {
        std::fprintf(stderr, "tesselog-export: --scale needs MIN below MAX (see --help)\n");
        return 2;
    }
    if (o.Prefix.empty()) o.Prefix = DefaultPrefix(o.Path);
    return Run(o);
}
