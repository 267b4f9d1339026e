// tesselog-dump: shows a data file record by record, or checks that it is
// made of whole, known records.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "core/datafile/record_reader.h"
#include "core/gps/coordinates.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/nmea_mode.h"
#include "core/platform/stdio_file_system.h"
#include "tools/common/command_line.h"

namespace {

const char Description[] =
    "Shows a Tesselog data file (.MGR or .GXY), one line per 27-byte record:\n"
    "its byte offset, its kind and its decoded fields (console and text of a\n"
    "reading, ticks, date and time, station, increments, segment values). A GPS\n"
    "sentence group (first record, continuations and '!' trailer) is one line\n"
    "with the sentence put back together, its markers, its in-break count and\n"
    "its tick. Bytes outside printable ASCII are shown as \\xNN. If the file has\n"
    "a problem, the last line names the first one with its byte offset.\n";

// The antenna position of every position sentence, as the program placed it
// on the map: in the file's display unit and, for a geodetic mode, in the UTM
// zone of the file's reference position. The header gives the mode, the unit
// and the zone; a sentence before them, or an invalid fix, gets no position.
class PositionDecoder {
public:
    void Take(const tesselog::DataItem& item) {
        using tesselog::ItemKind;
        if (item.kind == ItemKind::Identification) units_ = item.displayUnits;
        if (item.kind == ItemKind::Geometry && item.geometryIndex == 1 && item.nmeaMode >= 0) {
            mode_ = tesselog::ApplyNmeaMode(item.nmeaMode);
            haveMode_ = true;
        }
        if (item.kind == ItemKind::Geometry && item.geometryIndex == 2 && item.utmZone.valid) zone_ = item.utmZone.value;
    }

    // " easting=... northing=..." or nothing.
    std::string Describe(const tesselog::DataItem& item) {
        if (!haveMode_ || units_ < 0 || item.firstMarker != tesselog::TypeGpsPosition) return {};
        if (!tesselog::IsPositionSentence(item.text, mode_)) return {};
        fix_ = tesselog::DecodeGpsFix(item.text, mode_, units_, fix_);
        if (fix_.Valid != 1) return {};
        double northing = fix_.Northing, easting = fix_.Easting;
        if (!tesselog::IsGridMode(mode_.NmeaMode)) {
            if (zone_ <= 0) return {};
            int zone = zone_;
            tesselog::GeodeticToUtm(fix_.Latitude, fix_.Longitude, zone, northing, easting, 1);
            northing = tesselog::MetresToDisplayUnits(northing, units_);
            easting = tesselog::MetresToDisplayUnits(easting, units_);
        }
        char text[80];
        std::snprintf(text, sizeof text, " easting=%.3f northing=%.3f", easting, northing);
        return text;
    }

private:
    tesselog::NmeaModeTable mode_{};
    bool haveMode_ = false;
    int units_ = -1;
    int zone_ = 0;
    tesselog::GpsFix fix_;
};

int Run(const std::string& path, bool checkOnly, bool positions) {
    tesselog::StdioFileSystem fs;
    std::unique_ptr<tesselog::File> file = fs.Open(path, tesselog::OpenMode::ReadExisting);
    if (!file) {
        std::fprintf(stderr, "tesselog-dump: cannot open %s for reading\n", path.c_str());
        return 2;
    }
    if (checkOnly) {
        tesselog::DataFileCheck check = tesselog::CheckDataFile(tesselog::BytesFromFile(*file));
        if (check.ok) {
            std::printf("%s: OK, %llu records\n", path.c_str(), static_cast<unsigned long long>(check.records));
            return 0;
        }
        std::printf("%s: bad at byte offset %llu: %s\n", path.c_str(),
                    static_cast<unsigned long long>(check.problem.offset), check.problem.reason.c_str());
        return 1;
    }

    tesselog::RecordReader reader(tesselog::BytesFromFile(*file));
    tesselog::DataItem item;
    PositionDecoder decoder;
    while (reader.Next(item)) {
        std::string line = tesselog::DescribeItem(item);
        if (positions) {
            decoder.Take(item);
            line += decoder.Describe(item);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    const tesselog::RecordProblem& problem = reader.FirstProblem();
    if (problem.found) {
        std::printf("first problem at byte offset %llu: %s\n", static_cast<unsigned long long>(problem.offset),
                    problem.reason.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(Description, "tesselog-dump");
    app.get_formatter()->column_width(18);
    std::string path;
    bool checkOnly = false;
    bool positions = false;
    app.add_option("FILE", path, "the data file (after \"--\" when its name starts with a dash)")
        ->required()
        ->type_name("");
    app.add_flag("--check", checkOnly,
                 "reads the whole file and prints \"FILE: OK, N records\", or the\n"
                 "byte offset of the first problem and why: a truncated last\n"
                 "record, a record that is not 27 bytes, an unknown record type,\n"
                 "a GPS continuation or trailer outside a group, a GPS group\n"
                 "without its trailer, a first record that is not the\n"
                 "identification.");
    app.add_flag("--positions", positions,
                 "adds to every position sentence the antenna's easting and\n"
                 "northing as the program placed it on the map: in the file's\n"
                 "display unit, for a geodetic mode in the UTM zone of the\n"
                 "file's reference position.");
    app.footer("Exit status: 0 the file is well formed, 1 it has a problem, 2 bad usage or\n"
               "the file cannot be read.");
    if (const int status = tesselog::ParseToolCommandLine(app, argc, argv); status >= 0) return status;
    return Run(path, checkOnly, positions);
}
