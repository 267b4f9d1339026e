// The export's walk through a data file: each reading placed where the live
// map painted it (along the step as the colour fill spreads it, across the
// swath at its sensor's place), with the station, line, time and GPS quality
// it was recorded with; the fixes and marks of the track.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/datafile/record_layout.h"
#include "core/datafile/record_reader.h"
#include "core/export/reading_tables.h"
#include "core/export/survey_walk.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

// One record: the text padded to 26 columns and LF.
std::string Rec(const std::string& text) {
    std::string r = text.substr(0, RecordLfColumn);
    r.resize(RecordLfColumn, ' ');
    return r + "\n";
}
template <typename... Args>
std::string Fmt(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return Rec(text);
}

// A header of two consoles (two sensors, one sensor), unit separation 0.5,
// console separation 1.0: sensors at 0, 0.5 and 1.5 m, a swath 2 m wide.
std::string Header(bool gps = true) {
    return Rec(std::string("TESSEL  W216") + (gps ? "GPS" : "GRD") + "0 0 20") + Rec("H NAME      210000   000") +
           Fmt("G%7.3f%7.3f21%c 0%d", 0.75, 0.0, '1', gps ? 1 : 0) + Fmt("G%14.3f %02d", 500000.0, 31) +
           Fmt("G%14.3f", 0.0) + Fmt("G%7.3f%7.3f", 0.5, 1.0);
}
std::string LineBlock(const char* name, double start, double increment) {
    return Fmt("L%-8s", name) + Fmt("B%11.2f", start) + Fmt("AN      %11.3f", increment) +
           Rec("Z04122026 10:00:00") + Fmt("*10:00:00.000   %10lu", 1000ul);
}
std::string Reading(int console, const char* values, unsigned long tick) {
    char r[RecordLength + 1];
    std::snprintf(r, sizeof r, "%c$P%-13s%10lu\n", ConsoleRecordTag[console - 1], values, tick);
    return r;
}
std::string Event(const char* text, unsigned long tick) { return Fmt("X%-11s    %10lu", text, tick); }
// The edges a..h of one step: walking north along the easting 0..2.
std::string Step(double fromNorthing, double toNorthing) {
    std::string s;
    const double values[8] = {0, fromNorthing, 2, fromNorthing, 0, toNorthing, 2, toNorthing};
    for (int i = 0; i < 8; ++i) s += Fmt("{%c%14.3f", 'a' + i, values[i]);
    return s;
}
// An accepted GGA sentence as its record group.
std::string Gga(const char* latitude, char hemisphere, int quality, unsigned long tick) {
    char sentence[120];
    std::snprintf(sentence, sizeof sentence, "$GPGGA,100000.00,%s,%c,00300.0000,E,%d,09,1.0,45.0,M,47.0,M,,*00",
                  latitude, hemisphere, quality);
    std::string text = sentence, group;
    for (size_t at = 0; at < text.size(); at += GpsPieceLength) {
        group += Rec((at == 0 ? "@" : "#") + text.substr(at, GpsPieceLength));
    }
    char trailer[RecordLength + 1];
    std::snprintf(trailer, sizeof trailer, "!%13s0 %10lu\n", "", tick);
    return group + trailer;
}

struct Collected : SurveySink {
    std::vector<PositionedReading> Readings;
    std::vector<TrackFix> Fixes;
    std::vector<SurveyMark> Marks;
    void Reading(const PositionedReading& r) override { Readings.push_back(r); }
    void Fix(const TrackFix& f) override { Fixes.push_back(f); }
    void Mark(const SurveyMark& m) override { Marks.push_back(m); }
};

void Walk(const std::string& bytes, SurveyWalk& walk) {
    RecordReader reader(BytesFromMemory(bytes.data(), bytes.size()));
    DataItem item;
    while (reader.Next(item)) walk.Take(item);
    walk.Finish();
}

TEST(ExportSurveyWalk, ReadingsLieWhereTheColourFillPaintedThem) {
    const std::string file = Header() + LineBlock("L1", 10.0, 0.5) + Event("$STARTED", 1100) +
                             Rec("{0") + Gga("4800.0000", 'N', 4, 1150) +
                             // the step 0 -> 1: console 1 three times, console 2 twice
                             Reading(1, ",0010,0020", 1200) + Reading(2, ",0030", 1210) +
                             Reading(1, ",0011,0021", 1300) + Reading(2, ",0031", 1310) +
                             Reading(1, ",0012,0022", 1400) + Step(0.0, 1.0) + Gga("4800.0010", 'N', 5, 1450) +
                             // the step 1 -> 3: one reading of each console
                             Reading(1, ",0013,0023", 1500) + Reading(2, ",0032", 1510) + Step(1.0, 3.0);
    Collected got;
    SurveyWalk walk(got);
    Walk(file, walk);

    const struct {
        int sensor, console;
        double value, easting, northing, station;
        int32_t timeMs, quality;
    } expected[] = {
        // Across: each sensor's place, a quarter (half the smaller
        // separation) inside the 2 m swath (0.25, 0.75, 1.75). Along: reading
        // j of m in the middle of its share of the step, (j + 0.5) / m.
        {1, 1, 10, 0.25, 1 / 6.0, 10.0, 200, 4}, {2, 1, 20, 0.75, 1 / 6.0, 10.0, 200, 4},
        {3, 2, 30, 1.75, 0.25, 10.0, 210, 4},    {1, 1, 11, 0.25, 0.5, 10.5, 300, 4},
        {2, 1, 21, 0.75, 0.5, 10.5, 300, 4},     {3, 2, 31, 1.75, 0.75, 10.5, 310, 4},
        {1, 1, 12, 0.25, 5 / 6.0, 11.0, 400, 4}, {2, 1, 22, 0.75, 5 / 6.0, 11.0, 400, 4},
        {1, 1, 13, 0.25, 2.0, 11.5, 500, 5}, {2, 1, 23, 0.75, 2.0, 11.5, 500, 5},
        {3, 2, 32, 1.75, 2.0, 11.5, 510, 5},
    };
    ASSERT_EQ(got.Readings.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& e = expected[i];
        const PositionedReading& r = got.Readings[i];
        SCOPED_TRACE(i);
        EXPECT_TRUE(r.Positioned);
        EXPECT_EQ(r.Sensor, e.sensor);
        EXPECT_EQ(r.Console, e.console);
        EXPECT_DOUBLE_EQ(r.Value, e.value);
        EXPECT_NEAR(r.Easting, e.easting, 1e-9);
        EXPECT_NEAR(r.Northing, e.northing, 1e-9);
        EXPECT_DOUBLE_EQ(r.Station, e.station);
        EXPECT_EQ(r.TimeMs, 36000000 + e.timeMs);
        EXPECT_EQ(r.Quality, e.quality);
        EXPECT_EQ(walk.Lines()[r.Line], "L1");
    }
    EXPECT_EQ(walk.PositionedCount(), 11);
    EXPECT_EQ(walk.Header().UtmZone, 31);
    EXPECT_EQ(walk.Header().Hemisphere, 1);
}

TEST(ExportSurveyWalk, ReadingsOutsideAStepHaveNoPlace) {
    const std::string file = Header() + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) +
                             Reading(1, ",0001,0001", 1120) +  // before the first fix
                             Rec("{0") + Reading(1, ",0002,0002", 1200) + Step(0.0, 1.0) +
                             Reading(1, ",0003,0003", 1300) + Event("PAUSED", 1400) +  // the step never closed
                             Reading(1, ",0004,0004", 1500) + Rec("{0") + Reading(1, ",0005,0005", 1600);
    Collected got;
    SurveyWalk walk(got);
    Walk(file, walk);
    std::vector<std::pair<double, bool>> seen;
    for (const PositionedReading& r : got.Readings) {
        if (r.Sensor == 1) seen.emplace_back(r.Value, r.Positioned);
    }
    const std::vector<std::pair<double, bool>> want = {{1, false}, {2, true}, {3, false}, {4, false}, {5, false}};
    EXPECT_EQ(seen, want);
    EXPECT_EQ(walk.UnpositionedCount(), 8);
}

TEST(ExportSurveyWalk, StationsFollowTheMarksAndConsoleOne) {
    const std::string file = Header(false) + LineBlock("A", 100.0, -2.0) + Event("$STARTED", 1100) +
                             Reading(2, ",0001", 1110) +          // before console 1: the start station
                             Reading(1, ",0001,0001", 1200) +     // 100
                             Reading(1, ",0001,0001", 1300) +     // 98
                             Reading(2, ",0001", 1310) +          // 98
                             Fmt("S%11.2f  10:00:00.500", 50.0) + //
                             Reading(1, ",0001,0001", 1400) +     // 50: the first after a station
                             Reading(1, ",0001,0001", 1500) +     // 48
                             LineBlock("B", 7.0, 1.0) + Reading(1, ",0001,0001", 1600);  // 7
    Collected got;
    SurveyWalk walk(got);
    Walk(file, walk);
    std::vector<double> stations;
    for (const PositionedReading& r : got.Readings) {
        if (r.Sensor != 2) stations.push_back(r.Station);
        EXPECT_FALSE(r.Positioned);
    }
    EXPECT_EQ(stations, (std::vector<double>{100, 100, 98, 98, 50, 48, 7}));
    EXPECT_EQ(walk.Lines(), (std::vector<std::string>{"A", "B"}));
}

TEST(ExportSurveyWalk, FixesAndMarksOfTheTrack) {
    const std::string file = Header() + LineBlock("L7", 0.0, 1.0) + Event("$STARTED", 1100) +
                             Gga("3330.0000", 'S', 4, 1200) + Rec("CLOOK HERE  ") + Event("2CONN BRK 2", 1250) +
                             Gga("3330.0060", 'S', 2, 1300) + Event("PAUSED", 1400) + LineBlock("L8", 0.0, 1.0) +
                             Event("$STARTED", 1500) + Fmt("S%11.2f  10:00:01.500", 5.0) +
                             Gga("3331.0000", 'S', 4, 1600);
    Collected got;
    SurveyWalk walk(got);
    Walk(file, walk);
    ASSERT_EQ(got.Fixes.size(), 3u);
    EXPECT_NEAR(got.Fixes[0].Latitude, -33.5, 1e-9);
    EXPECT_NEAR(got.Fixes[0].Longitude, 3.0, 1e-9);
    EXPECT_EQ(got.Fixes[1].Quality, 2);
    EXPECT_EQ(got.Fixes[2].Run, 2);
    EXPECT_EQ(walk.Header().Hemisphere, -1);
    EXPECT_EQ(UtmEpsgCode(walk.Header().UtmZone, walk.Header().Hemisphere), 32731);

    // A line starts at its first fix; other marks where the antenna last was
    // in their run, or at the run's first fix.
    const struct {
        MarkKind kind;
        const char* text;
        const char* line;
        double latitude;
    } marks[] = {
        {MarkKind::LineStart, "L7", "L7", -33.5},
        {MarkKind::Comment, "LOOK HERE", "L7", -33.5},
        {MarkKind::ConnectionBreak, "2CONN BRK 2", "L7", -33.5},
        {MarkKind::LineStart, "L8", "L8", -(33 + 31.0 / 60)},
        {MarkKind::Station, "5.00", "L8", -(33 + 31.0 / 60)},
    };
    ASSERT_EQ(got.Marks.size(), std::size(marks));
    for (size_t i = 0; i < std::size(marks); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got.Marks[i].Kind, marks[i].kind);
        EXPECT_EQ(got.Marks[i].Text, marks[i].text);
        EXPECT_EQ(walk.Lines()[got.Marks[i].Line], marks[i].line);
        EXPECT_NEAR(got.Marks[i].At.Latitude, marks[i].latitude, 1e-9);
    }
}

// A session recorded without GPS appended after one with GPS (and the other
// way round): the table keeps the columns of its first rows throughout.
TEST(ExportTables, AnotherSetUpAppendedKeepsTheColumns) {
    const std::string gps = Header(true) + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) + Rec("{0") +
                            Gga("4800.0000", 'N', 4, 1150) + Reading(1, ",0010,0020", 1200) + Step(0.0, 1.0);
    const std::string noGps = Header(false) + LineBlock("L2", 0.0, 1.0) + Reading(1, ",0011,0021", 1300);
    const struct {
        std::string file;
        size_t fields, rows;
    } cases[] = {{gps + noGps, 9, 2}, {noGps + gps, 6, 4}};
    for (const auto& c : cases) {
        MemoryFileSystem fs;
        auto xyz = fs.Open("t.xyz", OpenMode::CreateTruncate);
        struct : SurveySink {
            ReadingTableWriter* Tables = nullptr;
            void Reading(const PositionedReading& r) override { Tables->Write(r); }
        } sink;
        SurveyWalk walk(sink);
        ReadingTableWriter tables(nullptr, xyz.get(), walk);
        sink.Tables = &tables;
        Walk(c.file, walk);
        ASSERT_TRUE(tables.Finish());
        size_t rows = 0;
        std::string text = fs.Files[fs.Resolve("t.xyz")], row;
        for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
            row = text.substr(at, text.find('\n', at) - at);
            if (row[0] == '#') continue;
            ++rows;
            EXPECT_EQ(std::count(row.begin(), row.end(), ' ') + 1, long(c.fields)) << row;
        }
        EXPECT_EQ(rows, c.rows);
    }
}

TEST(ExportSurveyWalk, CoordinateLabels) {
    const struct {
        int32_t zone, hemisphere, epsg;
    } codes[] = {{31, 1, 32631}, {1, -1, 32701}, {60, 1, 32660}, {0, 1, 0}, {61, 1, 0}, {30, 0, 0}};
    for (const auto& c : codes) EXPECT_EQ(UtmEpsgCode(c.zone, c.hemisphere), c.epsg) << c.zone;

    SurveyHeader h;
    h.GpsInput = true;
    h.NmeaMode = 1;
    h.UtmZone = 56;
    h.Hemisphere = -1;
    h.DisplayUnits = 2;
    EXPECT_EQ(DescribeCoordinates(h).Text, "EPSG:32756 (WGS 84 / UTM zone 56S), US ft");
    h.NmeaMode = 7;
    EXPECT_EQ(DescribeCoordinates(h).Epsg, 0);
    h.GpsInput = false;
    EXPECT_EQ(DescribeCoordinates(h).Text, "none (recorded without GPS)");
}

}  // namespace
}  // namespace tesselog
