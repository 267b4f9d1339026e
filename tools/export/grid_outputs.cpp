#include "tools/export/grid_outputs.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "core/common/length_units.h"
#include "core/export/export_text.h"
#include "core/export/grid_formats.h"
#include "core/export/grid_picture.h"
#include "core/export/png_writer.h"
#include "core/export/reading_tables.h"

namespace tesselog {

namespace {

// One picture's pixels compressed once and written in each colour wanted:
// `suffix` after the base and "-grey"; the raster with its world file and
// coordinate system, the sheet alone.
struct PictureKind {
    const char* Suffix;
    bool Raster;
};

int WritePictureFiles(OutputSet& out, Summary& summary, const Options& o, const std::string& base,
                      const IndexedImage& image, const PictureKind& kind, const QuickGrid& grid,
                      const std::vector<PngText>& texts, const std::string& prj) {
    const std::vector<uint8_t> pixels = CompressPngPixels(image);
    for (const char* colours : {"map", "grey"}) {
        if (!WantsColours(o, colours)) continue;
        const bool grey = colours[0] == 'g';
        const std::string name = base + (grey ? "-grey" : "") + kind.Suffix;
        const std::vector<uint8_t> png = AssemblePng(image, PicturePalette(grey ? PictureColours::Grey : PictureColours::Map),
                                                     pixels, texts, kind.Raster ? PictureNoData : -1);
        if (png.empty() || !out.WriteAll(name + ".png", std::string(png.begin(), png.end()))) return 2;
        if (!kind.Raster) {
            summary.Add("wrote %s.png (%d x %d pixels, %s): the map sheet, no world file", name.c_str(), image.Width,
                        image.Height, grey ? "greys" : "map colours");
            continue;
        }
        if (!out.WriteAll(name + ".pgw", WorldFileText(grid))) return 2;
        if (!prj.empty() && !out.WriteAll(name + ".png.aux.xml", PictureAuxXml(prj.substr(0, prj.size() - 1)))) return 2;
        summary.Add("wrote %s.png with %s.pgw%s (%s, a pixel a cell, no data transparent)", name.c_str(), name.c_str(),
                    prj.empty() ? "" : " and .png.aux.xml", grey ? "greys" : "map colours");
    }
    return 0;
}

int WritePictures(OutputSet& out, Summary& summary, const Options& o, const std::string& base,
                  const SurveyWalk& walk, const CoordinateLabel& label, const QuickGrid& grid,
                  const std::string& processing, const std::string& prj) {
    if (!Wanted(o, "png")) return 0;
    ColourScale scale = o.Scale.size() == 2 ? ColourScale{o.Scale[0], o.Scale[1]} : PercentileScale(grid);
    if (o.Steps.Clip && !processing.empty() && o.Scale.size() != 2) scale = {o.Steps.ClipMin, o.Steps.ClipMax};
    SheetText text;
    text.ValueUnit = o.ValueUnit;
    text.PlaceUnit = label.Unit;
    text.Caption = processing.empty() ? "readings as recorded" : processing;
    const bool local = label.Frame == CoordinateFrame::Local;
    text.NorthArrow = !local;
    CornerLabels(grid, local ? &walk.Frame() : nullptr, text.NorthWest, text.SouthEast);
    const std::vector<PngText> texts = {{"Title", BaseName(o.Path)}, {"Description", text.Caption},
                                        {"Coordinates", label.Text}};
    // The raster compressed on a thread of its own while the sheet is drawn.
    const IndexedImage raster = DrawGridRaster(grid, scale, PictureColours::Map);
    int rasterStatus = 0;
    std::thread rasterThread([&] {
        rasterStatus = WritePictureFiles(out, summary, o, base, raster, {"", true}, grid, texts, prj);
    });
    const IndexedImage sheet = DrawMapSheet(grid, scale, text);
    rasterThread.join();
    if (rasterStatus != 0) return rasterStatus;
    const int status = WritePictureFiles(out, summary, o, base, sheet, {"-sheet", false}, grid, texts, prj);
    summary.Add("pictures: colour scale %g .. %g %s", scale.Min, scale.Max, o.ValueUnit.c_str());
    return status;
}

// The grid's files: .asc with its .prj, and the pictures with their world files.
int WriteGridSet(OutputSet& out, Summary& summary, const Options& o, const std::string& base,
                 const SurveyWalk& walk, const QuickGrid& grid, const std::string& processing) {
    const SurveyHeader& h = walk.Header();
    const CoordinateLabel label = DescribeCoordinates(h, walk.FirstSessionHasGps());
    const std::string prj = label.Frame == CoordinateFrame::Utm
                                ? UtmProjectionText(h.UtmZone, h.Hemisphere, h.DisplayUnits) + "\n"
                                : std::string();
    // The grid's text on a thread of its own while the pictures are drawn.
    std::unique_ptr<File> asc;
    bool ascWritten = false;
    std::thread ascThread;
    struct Joiner {
        std::thread& Thread;
        ~Joiner() {
            if (Thread.joinable()) Thread.join();
        }
    } joiner{ascThread};
    if (Wanted(o, "grid")) {
        if (!(asc = out.Create(base + ".asc"))) return 2;
        // The binary grids follow the text on the same thread.
        const GeoTiffSystem system{label.Frame == CoordinateFrame::Utm ? h.UtmZone : 0, h.Hemisphere, h.DisplayUnits};
        std::unique_ptr<File> grd = out.Create(base + ".grd"), tif = out.Create(base + ".tif");
        if (!grd || !tif) return 2;
        if (!prj.empty() && !out.WriteAll(base + ".grd.aux.xml", PictureAuxXml(prj.substr(0, prj.size() - 1)))) {
            return 2;
        }
        ascThread = std::thread([&, system, grd = std::move(grd), tif = std::move(tif)]() mutable {
            ascWritten = WriteEsriAsciiGrid(*asc, grid);
            asc.reset();
            ascWritten = WriteSurferGrid(*grd, grid) && ascWritten;
            grd.reset();
            ascWritten = WriteGeoTiff(*tif, grid, system) && ascWritten;
            tif.reset();
        });
        if (!prj.empty() && !out.WriteAll(base + ".prj", prj)) return 2;
        std::string cell;
        AppendTrimmed(cell, grid.Cell, 6);
        summary.Add("wrote %s.asc (%d x %d cells of %s %s)%s", base.c_str(), grid.Columns, grid.Rows, cell.c_str(),
                    label.Unit.c_str(),
                    prj.empty() ? ", no .prj: the coordinates are in no known system" : (" and " + base + ".prj").c_str());
        summary.Add("wrote %s.grd (Surfer 7 binary grid%s) and %s.tif (GeoTIFF, 32-bit float%s)", base.c_str(),
                    prj.empty() ? "" : ", with .grd.aux.xml", base.c_str(),
                    prj.empty() ? "" : ", coordinate system in its GeoKeys");
    }
    const int status = WritePictures(out, summary, o, base, walk, label, grid, processing, prj);
    if (ascThread.joinable()) ascThread.join();
    if (Wanted(o, "grid") && !ascWritten) {
        std::fprintf(stderr, "tesselog-export: cannot write %s.asc, .grd or .tif\n", base.c_str());
        return 2;
    }
    return status;
}

// The grid's fill on this thread and one more.
void RunPartsOnTwoThreads(int32_t parts, const std::function<void(int32_t part)>& job) {
    std::atomic<int32_t> next{0};
    const auto work = [&] {
        for (int32_t part; (part = next++) < parts;) job(part);
    };
    std::thread helper(work);
    work();
    helper.join();
}

}  // namespace

QuickGrid BuildGrid(const Options& o, const SurveyWalk& walk, const std::vector<GridPoint>& points) {
    const SurveyHeader& h = walk.Header();
    const double cell = o.Cell > 0.0 ? o.Cell : MetresToDisplayUnits(0.25, h.DisplayUnits);
    const double separation = std::max(h.Geometry.UnitSensorSeparation, h.Geometry.ConsoleSeparation);
    const double fill = o.Fill >= 0.0 ? o.Fill : std::max(MetresToDisplayUnits(separation, h.DisplayUnits), 2 * cell);
    std::string error;
    QuickGrid grid = BuildQuickGrid(points, cell, fill, error, RunPartsOnTwoThreads);
    if (grid.Empty()) std::fprintf(stderr, "tesselog-export: no grid: %s\n", error.c_str());
    return grid;
}

int WriteGrid(OutputSet& out, Summary& summary, const Options& o, const std::string& base, const SurveyWalk& walk,
              const QuickGrid& grid, const std::string& processing) {
    if (grid.Empty()) return 1;
    return WriteGridSet(out, summary, o, base, walk, grid, processing);
}

}  // namespace tesselog
