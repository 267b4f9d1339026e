// Any bytes as a data file through the export as tesselog-export runs it:
// the survey walk (the local grid of a file without GPS included), the CSV
// and XYZ tables, the line report, the track and marks as GeoJSON, KML and
// grid CSVs, the quick grid with its ESRI text and .prj, the processing
// steps, and the pictures (the raster with its world file and the map
// sheet), all into memory. Aborts when a write fails, when a table row is not one row of
// the right number of fields, when a placed reading is not a finite point,
// or when the picture holds a colour that its palette has not.
//
// The cell is widened so that the grid stays a few cells across: a wild
// position would otherwise ask for millions of cells, which the tool
// refuses anyway, and each run must stay quick.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/datafile/record_reader.h"
#include "core/export/grid_picture.h"
#include "core/export/line_report.h"
#include "core/export/png_writer.h"
#include "core/export/processing.h"
#include "core/export/quick_grid.h"
#include "core/export/reading_tables.h"
#include "core/export/survey_walk.h"
#include "core/export/track_output.h"
#include "core/gps/coordinates.h"
#include "core/platform/memory_file_system.h"

using namespace tesselog;

namespace {

constexpr int32_t MaxGridSide = 12;

void Check(bool ok) {
    if (!ok) std::abort();
}

class Sink : public SurveySink {
public:
    ReadingTableWriter* Tables = nullptr;
    LineReport* Report = nullptr;
    std::vector<GridPoint> Points;
    std::vector<PointInfo> Infos;
    TrackCollector Track;

    void Reading(const PositionedReading& r) override {
        Check(r.Sensor >= 1 && r.Sensor <= MaxSensors && r.Console >= 1 && r.Console <= MaxConsoles);
        if (r.Positioned) {
            Check(std::isfinite(r.Easting) && std::isfinite(r.Northing));
            Points.push_back({r.Easting, r.Northing, static_cast<float>(r.Value)});
            Infos.push_back(InfoOf(r));
        }
        Tables->Write(r);
        Report->Reading(r);
    }
    void Fix(const TrackFix& fix) override { Track.Fix(fix); }
    void Mark(const SurveyMark& mark) override { Track.Mark(mark); }
    void Sample(const SensorSample& sample) override { Report->Sample(sample); }
    void Position(const FixStatus& status) override { Report->Position(status); }
    void Break(const BreakEvent& event) override { Report->Break(event); }
};

// Rows of a CSV text: line ends outside quotes.
size_t CsvRows(const std::string& text) {
    size_t rows = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == '\n' && !quoted) ++rows;
    }
    Check(!quoted);
    return rows;
}

// XYZ data rows, each with `fields` space-separated non-empty fields.
size_t XyzRows(const std::string& text, size_t fields) {
    size_t rows = 0, from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        Check(end != std::string::npos);
        const std::string row = text.substr(from, end - from);
        from = end + 1;
        if (!row.empty() && row[0] == '/') continue;
        Check(!row.empty() && row.front() != ' ' && row.back() != ' ' && row.find("  ") == std::string::npos);
        Check(static_cast<size_t>(std::count(row.begin(), row.end(), ' ')) + 1 == fields);
        ++rows;
    }
    return rows;
}

// The picture (a tenth of a megabyte of pixels) and its PNG (zlib over all
// of them) are the largest outputs and took most of a run, while their code
// depends on the survey only through the grid's size and the scale's values:
// the picture is drawn for one input in four (by length), and encoded for
// one in sixteen.
enum class Picture { None, Draw, DrawAndEncode };
Picture PictureFor(size_t size) {
    return size % 16 == 0 ? Picture::DrawAndEncode : size % 4 == 0 ? Picture::Draw : Picture::None;
}

void CheckPicture(const QuickGrid& grid, Picture picture) {
    const ColourScale scale = PercentileScale(grid);
    Check(scale.Max > scale.Min);
    if (picture == Picture::None) return;
    const IndexedImage raster = DrawGridRaster(grid, scale, PictureColours::Grey);
    const IndexedImage image = DrawMapSheet(grid, scale, SheetText{});
    for (const IndexedImage* picture : {&raster, &image}) {
        Check(picture->Pixels.size() == size_t(picture->Width) * picture->Height);
        for (uint8_t index : picture->Pixels) Check(index < picture->Palette.size());
    }
    Check(!WorldFileText(grid).empty());
    if (picture == Picture::DrawAndEncode) Check(!EncodePng(image, {{"Description", "fuzz"}}).empty());
}

void ExportGrid(MemoryFileSystem& fs, const SurveyHeader& h, const std::vector<GridPoint>& points, Picture picture) {
    if (points.empty()) return;
    const GridExtent box = ExtentOf(points);
    const double extent = std::max(box.MaxEasting - box.MinEasting, box.MaxNorthing - box.MinNorthing);
    const double cell = std::max(MetresToDisplayUnits(0.25, h.DisplayUnits), extent / (MaxGridSide - 2));
    if (!std::isfinite(cell) || !(cell > 0.0)) return;
    std::string error;
    const QuickGrid grid = BuildQuickGrid(points, cell, 2.5 * cell, error);
    // The fill's two cells and half a cell beyond the readings on each side.
    Check(!grid.Empty() && grid.Columns <= MaxGridSide + 6 && grid.Rows <= MaxGridSide + 6);
    Check(grid.Values.size() == size_t(grid.Columns) * grid.Rows);
    auto asc = fs.Open("out.asc", OpenMode::CreateTruncate);
    Check(WriteEsriAsciiGrid(*asc, grid));
    UtmProjectionText(h.UtmZone, h.Hemisphere, h.DisplayUnits);
    CheckPicture(grid, picture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFileSystem fs;
    auto csv = fs.Open("out.csv", OpenMode::CreateTruncate);
    auto xyz = fs.Open("out.xyz", OpenMode::CreateTruncate);
    Sink sink;
    SurveyWalk walk(sink);
    ReadingTableWriter tables(csv.get(), xyz.get(), walk);
    LineReport report(walk, GpsMask{});
    sink.Tables = &tables;
    sink.Report = &report;

    RecordReader reader(BytesFromMemory(data, size), size + 1);  // not the tool's 1 MiB block each run
    DataItem item;
    bool first = true;
    while (reader.Next(item)) {
        if (first && item.kind != ItemKind::Identification) return 0;  // not a data file
        first = false;
        walk.Take(item);
    }
    if (first) return 0;
    walk.Finish();
    Check(tables.Finish());

    const SurveyHeader& h = walk.Header();
    const std::string& csvText = fs.Files[fs.Resolve("out.csv")];
    const std::string& xyzText = fs.Files[fs.Resolve("out.xyz")];
    Check(CsvRows(csvText) == static_cast<size_t>(tables.Rows()) + 1);
    // The columns that the header line names, whatever a later header says.
    const size_t names = xyzText.find("\n/ easting northing");
    Check(names != std::string::npos);
    const std::string columns = xyzText.substr(names + 3, xyzText.find('\n', names + 1) - names - 3);
    Check(XyzRows(xyzText, size_t(std::count(columns.begin(), columns.end(), ' ')) + 1) ==
          static_cast<size_t>(tables.Rows()));
    Check(walk.PositionedCount() >= 0 && walk.UnpositionedCount() >= 0);
    DescribeCoordinates(h, walk.FirstSessionHasGps());

    report.Finish();
    auto lines = fs.Open("out-lines.csv", OpenMode::CreateTruncate);
    Check(report.WriteCsv(*lines, "m"));
    Check(CsvRows(fs.Files[fs.Resolve("out-lines.csv")]) == report.Lines().size() + 1);
    report.Table("m");

    ProcessingSteps steps;
    steps.Lag = steps.Despike = steps.Destripe = steps.Clip = true;
    steps.LagSeconds = 0.2;
    steps.DespikeThreshold = 10.0;
    steps.ClipMin = -50.0;
    steps.ClipMax = 50.0;
    std::vector<GridPoint> processed = sink.Points;
    ApplyProcessing(processed, sink.Infos, steps, walk);
    for (const GridPoint& p : processed) Check(std::isfinite(p.Easting) && std::isfinite(p.Northing));
    if (!walk.FirstSessionHasGps()) {
        ExportGrid(fs, h, processed, PictureFor(size));
        return 0;
    }

    auto track = fs.Open("out-track.geojson", OpenMode::CreateTruncate);
    Check(sink.Track.WriteTrackGeoJson(*track, h.Zone));
    auto marks = fs.Open("out-marks.geojson", OpenMode::CreateTruncate);
    Check(sink.Track.WriteMarksGeoJson(*marks, walk.Lines(), h.Zone));
    auto kml = fs.Open("out.kml", OpenMode::CreateTruncate);
    Check(sink.Track.WriteKml(*kml, walk.Lines(), "fuzz", h.Zone));
    auto gridTrack = fs.Open("out-track.csv", OpenMode::CreateTruncate);
    Check(sink.Track.WriteTrackCsv(*gridTrack, DescribeCoordinates(h).Unit, h.Zone));
    auto gridMarks = fs.Open("out-marks.csv", OpenMode::CreateTruncate);
    Check(sink.Track.WriteMarksCsv(*gridMarks, walk.Lines(), DescribeCoordinates(h).Unit, h.Zone));
    Check(sink.Track.RunCount() <= sink.Track.FixCount());
    ExportGrid(fs, h, sink.Points, PictureFor(size));
    ExportGrid(fs, h, processed, PictureFor(size + 1));
    return 0;
}
