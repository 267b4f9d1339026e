// The export's walk through a data file: each reading placed where the live
// map painted it (along the step as the colour fill spreads it, across the
// swath at its sensor's place), with the station, line, time and GPS quality
// it was recorded with; the fixes and marks of the track.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/export/export_text.h"
#include "core/export/reading_tables.h"
#include "core/export/survey_walk.h"
#include "core/platform/memory_file_system.h"
#include "tests/unit/export_records.h"

namespace tesselog {
namespace {

using namespace export_records;

TEST(ExportSurveyWalk, ReadingsLieWhereTheColourFillPaintedThem) {
    const std::string file = Header() + LineBlock("L1", 10.0, 0.5) + Event("$STARTED", 1100) +
                             Rec("{0") + Gga("4800.0000", 'N', 4, 1150) +
                             // the step 0 -> 1: console 1 three times, console 2 twice
                             Reading(1, ",0010,0020", 1200) + Reading(2, ",0030", 1210) +
                             Reading(1, ",0011,0021", 1300) + Reading(2, ",0031", 1310) +
                             Reading(1, ",0012,0022", 1400) + Step(0.0, 1.0) + Gga("4800.0010", 'N', 5, 1450) +
                             // the step 1 -> 3: one reading of each console
                             Reading(1, ",0013,0023", 1500) + Reading(2, ",0032", 1510) + Step(1.0, 3.0);
    Walked w(file);

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
    ASSERT_EQ(w.Got.Readings.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& e = expected[i];
        const PositionedReading& r = w.Got.Readings[i];
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
        EXPECT_EQ(w.Survey.Lines()[r.Line].Name, "L1");
        EXPECT_EQ(r.Session, 1);
        EXPECT_EQ(r.Run, 1);
    }
    EXPECT_EQ(w.Survey.PositionedCount(), 11);
    EXPECT_EQ(w.Survey.Header().UtmZone, 31);
    EXPECT_EQ(w.Survey.Header().Hemisphere, 1);
}

TEST(ExportSurveyWalk, ReadingsOutsideAStepHaveNoPlace) {
    const std::string file = Header() + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) +
                             Reading(1, ",0001,0001", 1120) +  // before the first fix
                             Rec("{0") + Reading(1, ",0002,0002", 1200) + Step(0.0, 1.0) +
                             Reading(1, ",0003,0003", 1300) + Event("PAUSED", 1400) +  // the step never closed
                             Reading(1, ",0004,0004", 1500) + Rec("{0") + Reading(1, ",0005,0005", 1600);
    Walked w(file);
    std::vector<std::pair<double, bool>> seen;
    for (const PositionedReading& r : w.Got.Readings) {
        if (r.Sensor == 1) seen.emplace_back(r.Value, r.Positioned);
    }
    const std::vector<std::pair<double, bool>> want = {{1, false}, {2, true}, {3, false}, {4, false}, {5, false}};
    EXPECT_EQ(seen, want);
    EXPECT_EQ(w.Survey.UnpositionedCount(), 8);
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
    Walked w(file);
    std::vector<double> stations;
    for (const PositionedReading& r : w.Got.Readings) {
        if (r.Sensor != 2) stations.push_back(r.Station);
    }
    EXPECT_EQ(stations, (std::vector<double>{100, 100, 98, 98, 50, 48, 7}));
    ASSERT_EQ(w.Survey.Lines().size(), 2u);
    EXPECT_EQ(w.Survey.Lines()[1].Name, "B");
    EXPECT_EQ(w.Survey.Lines()[1].StartStation, 7.0);
}

TEST(ExportSurveyWalk, FixesAndMarksOfTheTrack) {
    const std::string file = Header() + LineBlock("L7", 0.0, 1.0) + Event("$STARTED", 1100) +
                             Gga("3330.0000", 'S', 4, 1200) + Rec("CLOOK HERE  ") + Event("2CONN BRK 2", 1250) +
                             Gga("3330.0060", 'S', 2, 1300) + Event("PAUSED", 1400) + LineBlock("L8", 0.0, 1.0) +
                             Event("$STARTED", 1500) + Fmt("S%11.2f  10:00:01.500", 5.0) +
                             Gga("3331.0000", 'S', 4, 1600);
    Walked w(file);
    ASSERT_EQ(w.Got.Fixes.size(), 3u);
    EXPECT_NEAR(w.Got.Fixes[0].Latitude, -33.5, 1e-9);
    EXPECT_NEAR(w.Got.Fixes[0].Longitude, 3.0, 1e-9);
    EXPECT_EQ(w.Got.Fixes[1].Quality, 2);
    EXPECT_EQ(w.Got.Fixes[2].Run, 2);
    EXPECT_EQ(w.Survey.Header().Hemisphere, -1);

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
    ASSERT_EQ(w.Got.Marks.size(), std::size(marks));
    for (size_t i = 0; i < std::size(marks); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w.Got.Marks[i].Kind, marks[i].kind);
        EXPECT_EQ(w.Got.Marks[i].Text, marks[i].text);
        EXPECT_EQ(w.Survey.Lines()[w.Got.Marks[i].Line].Name, marks[i].line);
        EXPECT_NEAR(w.Got.Marks[i].At.Latitude, marks[i].latitude, 1e-9);
    }
}

// Each reading's date follows its session's line block and clock record,
// also past midnight; an appended header starts session 2.
TEST(ExportSurveyWalk, SessionsAndDates) {
    const std::string file =
        Header(false) + LineBlock("A", 0.0, 1.0, 'N', "04122026", "23:59:58", "23:59:58.500", 1000) +
        Event("$STARTED", 1100) + Reading(1, ",0001,0001", 1200) +  // 23:59:58.700
        Reading(1, ",0001,0001", 2500) +                             // 00:00:00.000 the next day
        Header(false, true) + LineBlock("A", 0.0, 1.0, 'N', "05122026", "08:00:00", "08:00:00.250", 9000) +
        Event("$STARTED", 9100) + Reading(1, ",0001,0001", 10250);  // 08:00:01.500
    Walked w(file);
    const struct {
        int32_t session;
        const char* date;
        const char* time;
    } expected[] = {{1, "2026-12-04", "23:59:58.700"}, {1, "2026-12-05", "00:00:00.000"}, {2, "2026-12-05", "08:00:01.500"}};
    std::vector<PositionedReading> sensorOne;
    for (const PositionedReading& r : w.Got.Readings) {
        if (r.Sensor == 1) sensorOne.push_back(r);
    }
    ASSERT_EQ(sensorOne.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        std::string date, time;
        AppendDate(date, sensorOne[i].Day);
        AppendTimeOfDay(time, sensorOne[i].TimeMs);
        EXPECT_EQ(sensorOne[i].Session, expected[i].session) << i;
        EXPECT_EQ(date, expected[i].date) << i;
        EXPECT_EQ(time, expected[i].time) << i;
    }
    EXPECT_EQ(w.Survey.Sessions(), 2);
    EXPECT_EQ(w.Survey.Lines()[1].Session, 2);
}

// The clock records' zone: the first fix's UTC time against the clock's
// time at its tick, across midnight, to the nearest quarter of an hour.
TEST(ExportSurveyWalk, TheClocksZoneFromTheFirstFix) {
    const struct {
        const char* clock;  // at tick 1000, the fix's tick
        const char* utc;
        const char* zone;
    } cases[] = {
        {"10:00:00.000", "090000.00", "UTC+01:00"},  {"00:30:00.000", "233000.00", "UTC+01:00"},
        {"23:30:00.000", "010000.00", "UTC-01:30"},  {"10:00:01.000", "085958.60", "UTC+01:00"},
        {"15:45:00.000", "100000.00", "UTC+05:45"},  {"10:00:00.000", "100000.00", "UTC+00:00"},
        {"06:00:00.000", "180000.00", "UTC-12:00"},
    };
    for (const auto& c : cases) {
        const std::string file = Header() + LineBlock("L1", 0.0, 1.0, 'N', "04122026", "10:00:00", c.clock, 1000) +
                                 Event("$STARTED", 900) + Gga("4800.0000", 'N', 4, 1000, 9, c.utc) +
                                 Gga("4800.0000", 'N', 4, 2000, 9, "000000.00");
        Walked w(file);
        EXPECT_EQ(ZoneName(w.Survey.Header().Zone), c.zone) << c.clock << " " << c.utc;
    }
    Walked noGps(Header(false) + LineBlock("7", 0.0, 0.5));
    EXPECT_EQ(ZoneName(noGps.Survey.Header().Zone), "local");
}

// Each edge keeps the tick of the fix whose sentence follows its segment
// records; the previous edge of the first step the fix before.
TEST(ExportSurveyWalk, EdgesCarryTheTimesOfTheirFixes) {
    const std::string file = Header() + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) + Rec("{0") +
                             Gga("4800.0000", 'N', 4, 1150) + Step(0.0, 1.0) + Gga("4800.0010", 'N', 4, 1450) +
                             Step(1.0, 3.0) + Gga("4800.0030", 'N', 4, 1850) + Step(3.0, 4.0);
    Walked w(file);
    const std::vector<std::pair<uint32_t, double>> expected = {{1150, 0.0}, {1450, 1.0}, {1850, 3.0}};
    std::vector<std::pair<uint32_t, double>> timeline;
    for (const TimedEdge& e : w.Survey.Timeline()) timeline.emplace_back(e.Tick, e.Edge.Left.Y);
    EXPECT_EQ(timeline, expected);  // the last step's edge waits for a fix that never comes
}

// The header row names each coordinate system (an EPSG code only for UTM
// in metres), feet add the metre columns, and a session of the other kind
// (with or without GPS) is left out of the tables.
TEST(ExportTables, ColumnsNameTheirCoordinateSystem) {
    // One reading of console 1 in a step from northing N to N + 2 (easting
    // 0..2): along in the middle, across at sensor 1's place, 0.25. The fix
    // at 09:00:00.10 UTC arrives at 10:00:00.150 of the clock: UTC+01:00.
    const auto gpsFile = [](int units, double from) {
        return Header(true, false, units) + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) + Rec("{0") +
               Gga("4800.0000", 'N', 4, 1150, 9, "090000.10") + Reading(1, ",0010,0020", 1200) + Step(from, from + 2);
    };
    const std::string noGps = Header(false) + LineBlock("7", 0.0, 0.5) + Event("$STARTED", 1100) +
                              Reading(1, ",0011,0021", 1150) + Reading(1, ",0012,0022", 1250);
    const std::string gpsColumns = "value (nT),sensor,console,session,date,line,station,time (UTC+01:00),gps_quality";
    const struct {
        std::string file, header, first;
        int64_t rows, left;
    } cases[] = {
        {gpsFile(0, 0.0), "easting (EPSG:32631 m),northing (EPSG:32631 m)," + gpsColumns,
         "0.250,1.000,10,1,1,1,2026-12-04,L1,0,10:00:00.200,4", 2, 0},
        // US survey feet: 100001 ft x 0.304800609601219 = 30480.366 m, 0.25 ft = 0.076 m.
        {gpsFile(2, 100000.0),
         "easting (UTM 31N US ft),northing (UTM 31N US ft)," + gpsColumns +
             ",easting (EPSG:32631 m),northing (EPSG:32631 m)",
         "0.250,100001.000,10,1,1,1,2026-12-04,L1,0,10:00:00.200,4,0.076,30480.366", 2, 0},
        // Line "7" at easting 7; sensor 1 at 0.75 left of the array's
        // centre, walking north; 50 ms after the start at the count's pace,
        // 0.5 a 100 ms.
        {noGps, "easting (local m),northing (local m),value (nT),sensor,console,session,date,line,station,time (local)",
         "6.250,0.250,11,1,1,1,2026-12-04,7,0,10:00:00.150", 4, 0},
        {gpsFile(0, 0.0) + noGps, "easting (EPSG:32631 m)", "0.250,1.000", 2, 4},
        {noGps + gpsFile(0, 0.0), "easting (local m)", "6.250,0.250", 4, 2},
    };
    for (const auto& c : cases) {
        MemoryFileSystem fs;
        auto csv = fs.Open("t.csv", OpenMode::CreateTruncate);
        struct : SurveySink {
            ReadingTableWriter* Tables = nullptr;
            void Reading(const PositionedReading& r) override { Tables->Write(r); }
        } sink;
        SurveyWalk walk(sink);
        ReadingTableWriter tables(csv.get(), nullptr, walk);
        sink.Tables = &tables;
        Walk(c.file, walk);
        ASSERT_TRUE(tables.Finish());
        const std::string text = fs.Files[fs.Resolve("t.csv")];
        const size_t end = text.find('\n');
        EXPECT_EQ(text.compare(0, c.header.size(), c.header), 0) << text.substr(0, end);
        EXPECT_EQ(text.compare(end + 1, c.first.size(), c.first), 0) << text.substr(end + 1, 80);
        EXPECT_EQ(tables.Rows(), c.rows);
        EXPECT_EQ(tables.OtherSystemRows(), c.left);
    }

    SurveyHeader h;
    h.NmeaMode = 7;
    h.DisplayUnits = 1;
    const CoordinateLabel grid = DescribeCoordinates(h, true);
    EXPECT_EQ(grid.Column + " / " + grid.MetreColumn, "grid ft / grid m");
    EXPECT_EQ(grid.Epsg, 0);
    const struct {
        int32_t zone, hemisphere, epsg;
    } codes[] = {{31, 1, 32631}, {1, -1, 32701}, {60, 1, 32660}, {0, 1, 0}, {61, 1, 0}, {30, 0, 0}};
    for (const auto& c : codes) EXPECT_EQ(UtmEpsgCode(c.zone, c.hemisphere), c.epsg) << c.zone;
}

}  // namespace
}  // namespace tesselog
