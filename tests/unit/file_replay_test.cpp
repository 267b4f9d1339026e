// Reading a data file back: the extent scan, what the track replay draws,
// the profile replay, and reads at an offset while the file is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/acquisition/console_reading.h"
#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/existing/file_replay.h"
#include "core/logscreen/logging_session.h"
#include "core/platform/memory_file_system.h"
#include "core/platform/stdio_file_system.h"
#include "support/map_strokes.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

using test::CountStrokes;

std::string Rec(std::string text) {
    text.resize(RecordLfColumn, ' ');
    return text + '\n';
}
std::string Seg(char code, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "{%c%14.3f", code, value);
    return Rec(text);
}
// Console k's reading record with its values (",0060,0065").
std::string Reading(int k, const std::string& values) {
    std::string text = char(ConsoleRecordTag[k]) + ("$P" + values);
    text.resize(16, ' ');
    return Rec(text + "   1234567");
}
std::string Repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}
// Four segment records from `first` on: left x, y, right x, y.
std::string Edge(char first, double lx, double ly, double rx, double ry) {
    return Seg(first, lx) + Seg(char(first + 1), ly) + Seg(char(first + 2), rx) + Seg(char(first + 3), ry);
}

struct FileRig {
    MemoryFileSystem fs;
    DataFile file{fs};
    explicit FileRig(const std::string& bytes) {
        fs.Files[fs.Resolve("t.mgr")] = bytes;
        file.Open("t.mgr", OpenMode::ReadWriteExisting);
    }
};

// 100-pixel tiles, one pixel per unit, origin (1000, 2000): eastings fit
// from -99799 to +99600 pixels, northings from -99700 to +99699.
ExtentScan Scan(const std::string& bytes) {
    MapState state;
    state.TileWidth = state.TileHeight = 100;
    state.OriginX = 1000.0;
    state.OriginY = 2000.0;
    FileRig rig(bytes);
    ReplayProgress none;
    return ScanFileExtent(rig.file, state, none);
}

// A long read steps the busy indicator, but never more often than every
// 750 ms: the clock here moves 100 ms each time the replay looks at it.
TEST(ExtentScan, LongScanStepsTheBusyIndicatorAtMostEvery750Ms) {
    struct SteppingClock : Clock {
        uint32_t now = 0;
        uint32_t Tick() override { return now += 100; }
        LocalTime Now() override { return {}; }
    } clock;
    int steps = 0;
    ReplayProgress progress(clock, [&steps] { ++steps; });
    MapState state;
    state.TileWidth = state.TileHeight = 100;
    FileRig rig(Repeat(Reading(0, ",0060,0065"), 4096 * 24));  // looked at 24 times
    ScanFileExtent(rig.file, state, progress);
    EXPECT_EQ(steps, 3);  // at 800, 1600 and 2400 ms of the 2,400
}

TEST(ExtentScan, RangeFromTheOriginAndEveryEdgeValue) {
    // Eastings all east of the origin; "{0" and i..p carry no range.
    const ExtentScan scan = Scan(Rec("X$STARTED") + Seg('0', 0.0) + Edge('a', 1010, 2005, 1012, 2030) +
                                 Edge('e', 1020, 1990, 1050, 2040) + Seg('i', -50000) + Seg('p', 90000) +
                                 Reading(0, ",0060,0065") + Seg('h', 2001));
    EXPECT_EQ(scan.Verdict, ExtentVerdict::Fits);
    const double range[] = {scan.Range.MinX, scan.Range.MaxX, scan.Range.MinY, scan.Range.MaxY};
    EXPECT_EQ(std::vector<double>(range, range + 4), (std::vector<double>{1000, 1050, 1990, 2040}));
    EXPECT_EQ(scan.PositionCount, 3);  // d, h and h

    const struct { char code; double offset; ExtentVerdict verdict; } corners[] = {
        {'a', 99550, ExtentVerdict::Fits},  {'a', 99650, ExtentVerdict::TooLarge},
        {'c', -99750, ExtentVerdict::Fits}, {'c', -99850, ExtentVerdict::TooLarge},
        {'f', 99650, ExtentVerdict::Fits},  {'f', 99750, ExtentVerdict::TooLarge},
        {'h', -99650, ExtentVerdict::Fits}, {'h', -99750, ExtentVerdict::TooLarge},
    };
    for (const auto& c : corners) {
        const double origin = (c.code - 'a') % 2 == 0 ? 1000.0 : 2000.0;
        EXPECT_EQ(Scan(Seg(c.code, origin + c.offset)).Verdict, c.verdict) << c.code << " " << c.offset;
    }
}

TEST(ExtentScan, PositionLimitAndCutRecords) {
    // A file holds at most 28,800 positions: 28,799 leave room for more.
    const std::string bytes = Repeat(Seg('d', 2000.0), 28799);
    EXPECT_EQ(Scan(bytes).Verdict, ExtentVerdict::Fits);
    EXPECT_EQ(Scan(bytes + Seg('h', 2000.0)).Verdict, ExtentVerdict::PositionsAtLimit);

    // A record cut off by a crash ends the scan uncounted.
    const ExtentScan scan = Scan(Repeat(Seg('h', 2000.0), 12) + Seg('d', 2000.0).substr(0, 20));
    EXPECT_EQ(PositionCountText(scan.PositionCount), "Total Number of GPS Positions:       12\r\n");

    // Block by block the records come whole and in order.
    FileRig rig(Rec("A") + Rec("B") + Rec("C") + Rec("D") + Rec("E") + Rec("F") + Rec("G") + "{d  1");
    BlockRecordReader reader(BytesFromDataFile(rig.file), 27, 3);
    std::string firsts;
    while (const uint8_t* record = reader.Next()) firsts += char(record[0]);
    EXPECT_EQ(firsts, "ABCDEFG");
}

// Console 1 with two sensors (0 and 1), console 2 with one (sensor 2); every
// edge below stays inside one 200-pixel tile.
struct TrackRig {
    Settings settings;
    MapState state;
    MemoryMapTiles tiles;

    explicit TrackRig(int32_t displayType) {
        settings.ConsoleCount = 2;
        settings.ConsoleType[1] = 0;
        settings.MapDisplayType = displayType;
        settings.PositionSize = 2;
        settings.RecomputeAll();
        state.TileWidth = state.TileHeight = 200;
    }
    test::TileStrokes Run(const std::string& bytes) {
        FileRig rig(bytes);
        tiles.DeleteAllTiles();
        ReplayProgress none;
        ReplayTrack(rig.file, state, tiles, settings, BuildSensorTables(settings), none);
        return test::OverlayStrokes(tiles);
    }
    int Count(const std::string& bytes) { return CountStrokes(Run(bytes)); }
};

// Two readings each of classes 0 and 49 (console 1) and 25 (console 2).
const std::string Readings = Repeat(Reading(0, ",0005,0495") + Reading(1, ",0255"), 2);
// 100 pixels east: 100 cross-lines, one stroke per sensor each.
const std::string Step = Edge('a', 50, 150, 50, 110) + Edge('e', 150, 150, 150, 110);
const std::string Go = Rec("X$STARTED") + Seg('0', 0);

TEST(TrackReplay, ReadingsCountOnlyBetweenASegmentStartAndABreak) {
    TrackRig rig(1);
    const test::TileStrokes drawn = rig.Run(Go + Readings + Step);
    EXPECT_EQ(CountStrokes(drawn, 0), 100);
    EXPECT_EQ(CountStrokes(drawn, 49), 100);
    EXPECT_EQ(CountStrokes(drawn, 25), 100);
    EXPECT_EQ(CountStrokes(drawn), 300);

    EXPECT_EQ(rig.Count(Rec("X$STARTED") + Readings + Seg('0', 0) + Step), 0) << "before {0";
    for (const char* breaker : {"C COMMENT", "L2.00", "S       1.00", "rESSEL  W216GPS0", "X$PASHR,POS", "X GPS"})
        EXPECT_EQ(rig.Count(Go + Rec(breaker) + Readings + Step), 0) << breaker;
    EXPECT_EQ(rig.Count(Go + Rec("X$GPGGA,1") + Readings + Step), 300);

    // Without "X$START" records 1..50 are passed over, a "{0" among them too.
    const std::string segment = Seg('0', 0) + Readings + Step;
    EXPECT_EQ(rig.Count(segment + Rec("X$STARTED") + segment), 300);
    EXPECT_EQ(rig.Count(Repeat(Rec("*"), 49) + segment), 0);
    EXPECT_EQ(rig.Count(Repeat(Rec("*"), 50) + segment), 300);
}

TEST(TrackReplay, FiveHundredReadingsPerSensorBetweenEdges) {
    // A step of 1000 pixels gives each of sensor 0's 500 readings two
    // cross-lines: 499 low ones (class 0), then the 500th (class 49) on the
    // last two, at px 1028 and 1029. A 501st (class 25) finds no room, nor
    // spills into sensor 1. After the edge there is room again: 30 lines.
    TrackRig rig(1);
    const test::TileStrokes drawn =
        rig.Run(Go + Repeat(Reading(0, ",0005,0005"), 2) + Repeat(Reading(0, ",0005,"), 497) + Reading(0, ",0495,") +
                Reading(0, ",0255,") + Edge('a', 30, 150, 30, 110) + Edge('e', 1030, 150, 1030, 110) +
                Reading(0, ",0255,") + Edge('e', 1060, 150, 1060, 110));
    EXPECT_EQ(CountStrokes(drawn, 49), 2);
    EXPECT_EQ(CountStrokes(drawn, 25), 30);
}

// Console 1 (sensors 0 and 1) reads in steps 1, 3 and 5 of nine 10-pixel
// steps, classes 10, 20 and 30: each reading is carried over the empty
// steps after it while they are under two of its intervals (1 step after
// step 1, its steps since the segment began; 2 after steps 3 and 5),
// so steps 2, 4, 6, 7 and 8 show the reading before them and step 9 none.
TEST(TrackReplay, StepsWithoutReadingsShowTheLastOneBefore) {
    TrackRig rig(1);
    std::string bytes = Go;
    const char* readings[10] = {nullptr, ",0105,0105", nullptr, ",0205,0205", nullptr, ",0305,0305"};
    for (int step = 1; step <= 9; ++step) {
        if (readings[step]) bytes += Reading(0, readings[step]);
        if (step == 1) bytes += Edge('a', 50, 150, 50, 110);
        bytes += Edge('e', 50 + 10 * step, 150, 50 + 10 * step, 110);
    }
    const test::TileStrokes drawn = rig.Run(bytes);
    EXPECT_EQ(CountStrokes(drawn, 10), 2 * 2 * 10);
    EXPECT_EQ(CountStrokes(drawn, 20), 2 * 2 * 10);
    EXPECT_EQ(CountStrokes(drawn, 30), 4 * 2 * 10);
    EXPECT_EQ(CountStrokes(drawn), 160) << "console 2 read nothing";
}

TEST(TrackReplay, CutRecordsAndUnseenEdgeStartsDrawNothing) {
    TrackRig colour(1);
    EXPECT_EQ(colour.Count(Go + Readings + Step.substr(0, Step.size() - 7)), 0);
    EXPECT_EQ(colour.Count(Go + Readings + Seg('d', 110) + Edge('e', 150, 150, 150, 110)), 0);

    // Positions display: three dots per edge, at l and at p.
    TrackRig marks(0);
    const std::string edges = Edge('i', 50, 150, 50, 110) + Edge('m', 150, 150, 150, 110);
    EXPECT_EQ(marks.Count(Go + Readings + edges), 6);
    EXPECT_EQ(marks.Count(Go + Readings + edges.substr(0, edges.size() - 7)), 3);
    EXPECT_EQ(marks.Count(Go + Readings + edges.substr(3 * RecordLength)), 3) << "l without i, j, k";
}

TEST(ProfileReplay, WalksBackToTheLineStart) {
    Settings settings;
    settings.ConsoleType[1] = 0;
    settings.ProfilePaneHeight = 250;  // a row per 2 units of the 0..500 scale
    settings.RecomputeAll();
    // Points (x, left row, right row) with the rows of the live profile.
    auto points = [&](int k, std::vector<std::vector<int>> xlr) {
        ProfileCurvePiece piece;
        for (const auto& p : xlr) {
            int32_t rows[2] = {}, bars[2] = {};
            ReadingToPixels(settings, k, p[1], p[2], rows, bars);
            piece.Left.push_back({p[0], rows[0]});
            if (k != 1) piece.Right.push_back({p[0], rows[1]});
        }
        return piece;
    };
    FileRig rig(Reading(0, ",0400,0400") + Rec("Z04122026 10:30:00") + Reading(0, ",0010,0020") +
                Reading(1, ",0300") + Reading(2, ",0111,0222") + Reading(0, ",0030,") + Rec("S       2.00") +
                Reading(0, ",0050,0060"));
    // Newest first from x 200; the station moves x by 2 and breaks the
    // curve; the empty field keeps 60; the other consoles are skipped.
    auto pieces = ReplayProfile(rig.file, settings, 0, 210);
    const ProfileCurvePiece expected[] = {points(0, {{200, 50, 60}}), points(0, {{196, 30, 60}, {194, 10, 20}})};
    ASSERT_EQ(pieces.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pieces[i].Left, expected[i].Left) << i;
        EXPECT_EQ(pieces[i].Right, expected[i].Right) << i;
    }
    pieces = ReplayProfile(rig.file, settings, 1, 210);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].Left, points(1, {{198, 300, 0}}).Left);
    EXPECT_TRUE(pieces[0].Right.empty());

    FileRig longLine(Rec("Z") + Repeat(Reading(0, ",0100,0100"), 150));
    pieces = ReplayProfile(longLine.file, settings, 0, 210);
    ASSERT_EQ(pieces.size(), 1u);
    ASSERT_EQ(pieces[0].Left.size(), 101u);
    EXPECT_EQ(pieces[0].Left.back().X, 0);
}

TEST(DataFileReadAt, AppendsBetweenReadsStillGoToTheEnd) {
    test::TempFolder folder;
    StdioFileSystem disk;
    DataFile file(disk);
    ASSERT_TRUE(file.Open(folder.Path() + "d.mgr"));
    const std::string a = Rec("TESSEL  W"), b = Rec("X$STARTED"), c = Rec("XPAUSED");
    file.Append(a);
    char got[RecordLength] = {};
    EXPECT_EQ(file.ReadAt(0, got, RecordLength), size_t(RecordLength));
    file.Append(b);
    EXPECT_EQ(file.ReadAt(RecordLength, got, RecordLength), size_t(RecordLength));
    EXPECT_EQ(std::string(got, RecordLength), b);
    file.Append(c);
    EXPECT_EQ(file.Size(), 3u * RecordLength);
    file.Close();
    EXPECT_EQ(test::ReadFileBytes(folder.Path() + "d.mgr"), a + b + c);
}

}  // namespace
}  // namespace tesselog
