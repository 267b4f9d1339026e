// Any bytes as a data file through the export as tesselog-export runs it:
// the survey walk, the CSV and XYZ tables, the track as GeoJSON and as grid
// CSV, the quick grid with its ESRI text and .prj, and the picture and its
// PNG (for some inputs, below), all into memory. Aborts when a write fails,
// when a table row is not one row of the right number of fields, when a
// placed reading is not a finite point, or when the picture holds a colour
// that its palette has not.
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
#include "core/export/png_writer.h"
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
    std::vector<GridPoint> Points;
    TrackCollector Track;

    void Reading(const PositionedReading& r) override {
        Check(r.Sensor >= 1 && r.Sensor <= MaxSensors && r.Console >= 1 && r.Console <= MaxConsoles);
        if (r.Positioned) {
            Check(std::isfinite(r.Easting) && std::isfinite(r.Northing));
            Points.push_back({r.Easting, r.Northing, static_cast<float>(r.Value)});
        }
        Tables->Write(r);
    }
    void Fix(const TrackFix& fix) override { Track.Fix(fix); }
    void Mark(const SurveyMark& mark) override { Track.Mark(mark); }
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
        if (!row.empty() && row[0] == '#') continue;
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
    const IndexedImage image = DrawGridPicture(grid, scale);
    Check(image.Pixels.size() == size_t(image.Width) * image.Height);
    bool used[256] = {};
    for (uint8_t index : image.Pixels) used[index] = true;
    for (size_t index = image.Palette.size(); index < 256; ++index) Check(!used[index]);
    if (picture == Picture::DrawAndEncode) Check(!EncodePng(image).empty());
}

void ExportGrid(MemoryFileSystem& fs, const SurveyHeader& h, const std::vector<GridPoint>& points, Picture picture) {
    const GridExtent box = ExtentOf(points);
    const double extent = std::max(box.MaxEasting - box.MinEasting, box.MaxNorthing - box.MinNorthing);
    const double cell = std::max(MetresToDisplayUnits(0.25, h.DisplayUnits), extent / (MaxGridSide - 2));
    if (!std::isfinite(cell) || !(cell > 0.0)) return;
    std::string error;
    const QuickGrid grid = BuildQuickGrid(points, cell, 2.5 * cell, error);
    Check(!grid.Empty() && grid.Columns <= MaxGridSide + 1 && grid.Rows <= MaxGridSide + 1);
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
    sink.Tables = &tables;

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
    const bool placed = xyzText.find("\n# easting northing") != std::string::npos;
    Check(XyzRows(xyzText, placed ? 9 : 6) == static_cast<size_t>(tables.Rows()));
    Check(walk.PositionedCount() >= 0 && walk.UnpositionedCount() >= 0);
    DescribeCoordinates(h);
    if (!h.GpsInput) return 0;

    auto track = fs.Open("out.geojson", OpenMode::CreateTruncate);
    Check(sink.Track.WriteGeoJson(*track, walk.Lines()));
    auto gridTrack = fs.Open("out-track.csv", OpenMode::CreateTruncate);
    Check(sink.Track.WriteGridCsv(*gridTrack, walk.Lines(), DescribeCoordinates(h).Unit));
    Check(sink.Track.RunCount() <= sink.Track.FixCount());
    if (!sink.Points.empty()) ExportGrid(fs, h, sink.Points, PictureFor(size));
    return 0;
}
