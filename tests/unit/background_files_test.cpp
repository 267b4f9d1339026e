// Background files: the copy format and names, the text conversion's
// columns, numbers and units, data files of this program converted back to
// the positions their sentences hold, and the antenna-offset correction.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/datafile/data_file_writers.h"
#include "core/existing/background_data_file.h"
#include "core/existing/background_files.h"
#include "core/gps/coordinates.h"
#include "core/gps/gps_decoder.h"
#include "core/platform/memory_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

struct Converted {
    BackgroundConversion Result;
    std::string Copy;
    std::vector<BackgroundPoint> Points;  // breaks included
};

// 100-pixel tiles at one pixel per unit around (0, 0): the map holds about
// +-99000 units.
MapState TestMap() {
    MapState map;
    map.TileWidth = map.TileHeight = 100;
    map.Scale = 1.0;
    return map;
}

template <typename Convert>
Converted Run(const std::string& source, Convert convert) {
    MemoryFileSystem fs;
    fs.Files[fs.Resolve("src")] = source;
    auto in = fs.Open("src", OpenMode::ReadExisting);
    auto copy = fs.Open("copy", OpenMode::ReadWriteAlways);
    Converted out;
    out.Result = convert(*in, *copy);
    copy->SeekToStart();
    BackgroundCopyReader reader(*copy, 3);  // small blocks: records straddle them
    BackgroundPoint p;
    while (reader.Next(p)) out.Points.push_back(p);
    out.Copy = fs.Files[fs.Resolve("copy")];
    return out;
}

Converted Ascii(const std::string& text, BackgroundOptions o, MapState map = TestMap()) {
    return Run(text, [&](File& in, File& copy) { return ConvertAsciiBackground(in, copy, o, map); });
}

BackgroundOptions Options(int coord, int lat, int lon, int delimiter, int units = 0) {
    BackgroundOptions o;
    o.CoordType = coord;
    o.LatColumn = lat;
    o.LonColumn = lon;
    o.Delimiter = delimiter;
    o.DisplayUnits = units;
    return o;
}

// ------------------------------------------------------------------ names and copy

TEST(BackgroundNames, CopyNameMovesTheExtensionOverItsDot) {
    const std::string longStem(100, 'L');
    struct Case {
        std::string source;
        int count;
        std::string copy;
    } cases[] = {
        {"LINE4.TXT", 2, "LINE4TXT.$02"},
        {"C:\\SURVEY\\LINE4.TXT", 0, "LINE4TXT.$00"},
        {"/home/a/b.xyz", 9, "bxyz.$09"},
        {"LINE4", 1, "LNE4.$01"},
        {"ABC", 1, "ABC.$01"},
        {"", 3, ".$03"},
        {"X.ASC", 150, "XASC.$99"},
        {longStem + ".DAT", 5, std::string(56, 'L') + "DAT.$05"},
    };
    for (const Case& c : cases) EXPECT_EQ(BackgroundCopyName(c.source, c.count), c.copy) << c.source;
}

TEST(BackgroundNames, DisplayNameDropsTheFolderAndIsCut) {
    EXPECT_EQ(BackgroundDisplayName("C:\\a/b\\TRACK.TXT"), "TRACK.TXT");
    EXPECT_EQ(BackgroundDisplayName("dir/"), "");
    EXPECT_EQ(BackgroundDisplayName(std::string(80, 'N')), std::string(63, 'N'));
}

TEST(BackgroundCopy, RecordsAreThirtyBytesAndAShortOneEndsTheReading) {
    EXPECT_EQ(FormatBackgroundRecord(620802.1554, 5734682.0826), "    620802.155,   5734682.083\n");
    EXPECT_EQ(BackgroundBreakRecord(), "    -99999.000,    -99999.000\n");
    EXPECT_EQ(FormatBackgroundRecord(1e300, -1e300), "9999999999.999,-999999999.999\n");
    EXPECT_EQ(FormatBackgroundRecord(NAN, 1.0).size(), 30u);

    MemoryFileSystem fs;
    fs.Files[fs.Resolve("c")] = FormatBackgroundRecord(1, 2) + BackgroundBreakRecord() + "     3.000,";
    auto file = fs.Open("c", OpenMode::ReadExisting);
    BackgroundCopyReader reader(*file, 1);
    BackgroundPoint p;
    ASSERT_TRUE(reader.Next(p));
    EXPECT_EQ(p.Northing, 2.0);
    ASSERT_TRUE(reader.Next(p));
    EXPECT_TRUE(IsBackgroundBreak(p));
    EXPECT_FALSE(reader.Next(p));
    EXPECT_EQ(reader.RecordsRead(), 2u);
}

// ------------------------------------------------------------------ text files

TEST(BackgroundAscii, ColumnsDelimitersAndNumberRules) {
    struct Case {
        const char* line;
        BackgroundOptions options;
        bool point;
        double easting, northing;
    } cases[] = {
        {"100.5,,300", Options(1, 1, 0, 1), false, 0, 0},          // empty column 2
        {"100.5,200,300", Options(1, 1, 0, 1), true, 100.5, 200},
        {"100.5, 200", Options(1, 1, 0, 1), true, 100.5, 200},     // blanks after a comma
        {"100.5 ,200", Options(1, 1, 0, 1), false, 0, 0},          // a blank inside column 1
        {"   100.5     200.25   ", Options(1, 1, 0, 0), true, 100.5, 200.25},
        {"1 2 3 4 5", Options(1, 4, 2, 0), true, 3, 5},
        {"1 2", Options(1, 2, 0, 0), false, 0, 0},                  // no column 3
        {"0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24", Options(1, 23, 24, 0), false, 0, 0},
        {"1\t\t2", Options(1, 1, 0, 2), false, 0, 0},               // tabs are not skipped
        {"1;  -2", Options(1, 1, 0, 3), true, 1, -2},
        {"1e3 200", Options(1, 1, 0, 0), false, 0, 0},              // exponent
        {"100 2-3", Options(1, 1, 0, 0), false, 0, 0},              // inner minus
        {"-100.5 +200", Options(1, 1, 0, 0), true, -100.5, 200},
        {"- 200", Options(1, 1, 0, 0), false, 0, 0},                // a sign alone
        {"0x10 200", Options(1, 1, 0, 0), false, 0, 0},
        {"/ 100 200", Options(1, 1, 0, 0), false, 0, 0},            // comment
        {"    ", Options(1, 1, 0, 0), false, 0, 0},
    };
    for (const Case& c : cases) {
        Converted out = Ascii(std::string(c.line) + "\r\n", c.options);
        ASSERT_EQ(out.Result.PointCount, c.point ? 1 : 0) << c.line;
        ASSERT_EQ(out.Points.size(), c.point ? 1u : 0u) << c.line;
        if (c.point) {
            EXPECT_DOUBLE_EQ(out.Points[0].Easting, c.easting) << c.line;
            EXPECT_DOUBLE_EQ(out.Points[0].Northing, c.northing) << c.line;
        }
    }
}

TEST(BackgroundAscii, BreaksCommentsAndEmptyLines) {
    Converted out = Ascii("10 20\r\n\r\n/ two\r\n11 21\r\nB\r\nbreak\r\n12 22\r\n", Options(1, 1, 0, 0));
    EXPECT_EQ(out.Result.PointCount, 3);
    EXPECT_EQ(out.Result.BreakCount, 2);
    ASSERT_EQ(out.Points.size(), 5u);
    EXPECT_FALSE(IsBackgroundBreak(out.Points[1]));
    EXPECT_TRUE(IsBackgroundBreak(out.Points[2]));
    EXPECT_TRUE(IsBackgroundBreak(out.Points[3]));
    EXPECT_EQ(out.Points[4].Easting, 12.0);
    EXPECT_EQ(out.Copy.size(), 5u * BackgroundRecordLength);
}

TEST(BackgroundAscii, UnitFactors) {
    struct Case {
        int coord, units;
        const char* copy;
    } cases[] = {
        {2, 2, "       999.998,       999.998\n"},   // UTM feet shown in US survey feet
        {2, 0, "       304.800,       304.800\n"},   // 0.3048 m: 304.801 would be US survey feet
        {3, 1, "      1000.002,      1000.002\n"},
        {3, 0, "       304.801,       304.801\n"},
        {1, 1, "      3280.840,      3280.840\n"},
        {2, 1, "      1000.000,      1000.000\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ascii("1000.000 1000.000\r\n", Options(c.coord, 0, 1, 0, c.units)).Copy, c.copy)
            << c.coord << " " << c.units;
}

TEST(BackgroundAscii, OnlyPointsInsideTheMapMakeTheRange) {
    // Northing first; the last point lies far outside the map, which holds
    // about +-99000 units.
    Converted out = Ascii("10 -150\r\n500 40\r\n5000000 5\r\n", Options(1, 0, 1, 0));
    EXPECT_EQ(out.Result.PointCount, 3);
    ASSERT_TRUE(out.Result.HasRange);
    const MapRange& r = out.Result.Range;
    EXPECT_EQ(std::vector<double>({r.MinX, r.MaxX, r.MinY, r.MaxY}), std::vector<double>({-150, 40, 10, 500}));
    EXPECT_FALSE(Ascii("5000000 5\r\n", Options(1, 0, 1, 0)).Result.HasRange);
}

// ------------------------------------------------------------------ data files

std::string DataFileWith(int nmeaMode, const std::vector<std::string>& positions, int displayUnits = 0) {
    Settings s;
    s.NmeaMode = nmeaMode;
    s.DisplayUnits = displayUnits;
    std::string file = FormatFileHeader(0, s, HeaderContext{}) + FormatLineHeader(s, LocalTime{});
    file += FormatEventRecord(std::string(EventStarted), TypeEvent, 10);
    uint32_t tick = 100;
    for (const std::string& sentence : positions) {
        file += FormatGpsRecords("$GPGSV,3,1,11,03,03,111,00,04,15,270,00", TypeEvent, '#', 0, tick);
        file += FormatGpsRecords(sentence, TypeGpsPosition, TypeGpsPositionNext, 0, tick);
        file += FormatSegmentRecords(1, 1, 2, 3, 4);
        tick += 1000;
    }
    return file;
}

Converted Maker(const std::string& bytes, int displayUnits, int32_t zone = UtmZoneNotFixed) {
    return Run(bytes, [&](File& in, File& copy) {
        MakerFormat format = RecogniseMakerFile(in);
        EXPECT_TRUE(format.Recognised);
        MapState map = TestMap();
        return ConvertMakerBackground(in, format, copy, displayUnits, zone, map);
    });
}

// What the live decoder makes of a sentence, in the display unit.
BackgroundPoint Reference(const std::string& sentence, int mode, int displayUnits) {
    GpsFix previous;
    previous.Satellites = 8;
    GpsFix fix = DecodeGpsFix(sentence, ApplyNmeaMode(mode), displayUnits, previous);
    EXPECT_EQ(fix.Valid, 1) << sentence;
    if (IsGridMode(mode)) return {fix.Easting, fix.Northing};
    int zone = 0;
    double n = 0, e = 0;
    GeodeticToUtm(fix.Latitude, fix.Longitude, zone, n, e, 0);
    return {MetresToDisplayUnits(e, displayUnits), MetresToDisplayUnits(n, displayUnits)};
}

TEST(BackgroundDataFile, EveryModeOfThisProgramConvertsBackToItsPositions) {
    struct Case {
        int mode;
        std::vector<std::string> sentences;
    } cases[] = {
        {1, {"$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70",
             "$GPGGA,173525,4336.6001,N,07936.6500,W,1,09,1.0,142.5,M,-35.4,M,,*7F",
             "$GPGGA,173526,3352.1234,S,15112.0000,E,1,09,1.0,142.5,M,-35.4,M,,*7F"}},
        {0, {"$GNGGA,120000.00,5145.00216,N,00115.00000,W,4,10,1.1,45.1,M,47.0,M,1.3,0001*64"}},
        {2, {"$PASHR,POS,0,11,173524.00,4336.5940,N,07936.6403,W,142.5,,0.0,0.0,0.0,2.0,1.0*00"}},
        {3, {"$GPLLK,173524,120226,620802.155,M,5734682.083,M,3,08,0.9,45.0,M*00"}},
        {4, {"$GPLLQ,173524,120226,620802.155,M,5734682.083,M,3,08,0.9,45.0,M*00",
             "$GPLLQ,173525,120226,620803.5,M,5734690.25,M,3,08,0.9,45.0,M*00"}},
        {5, {"$GPGLL,4336.5940,N,07936.6403,W,173524,A*00"}},
        {6, {"$PTNL,GGK,173524.00,120226,4336.5940,N,07936.6403,W,3,08,0.9,EHT45.0,M*00"}},
        {7, {"$GPGGA,173524,5734682.083,N,620802.155,E,1,05,1.0,45.0,M,0.0,M,,"}},
        {8, {"$GPGLL,4336.5940,S,07936.6403,E,173524,A"}},
    };
    for (const Case& c : cases) {
        for (int units : {0, 1}) {
            Converted out = Maker(DataFileWith(c.mode, c.sentences, units), units);
            ASSERT_EQ(out.Points.size(), c.sentences.size()) << "mode " << c.mode;
            for (size_t i = 0; i < c.sentences.size(); ++i) {
                const BackgroundPoint ref = Reference(c.sentences[i], c.mode, units);
                EXPECT_NEAR(out.Points[i].Easting, ref.Easting, 0.0006) << c.sentences[i] << " units " << units;
                EXPECT_NEAR(out.Points[i].Northing, ref.Northing, 0.0006) << c.sentences[i] << " units " << units;
            }
        }
    }
}

TEST(BackgroundDataFile, RejectedAndCutSentencesGiveNoPoint) {
    const std::string good = "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70";
    std::string bytes = DataFileWith(1, {good});
    bytes += FormatGpsRecords(good, TypeGpsRejected, TypeGpsRejectedNext, 0, 5000);
    bytes += FormatGpsRecords(good, TypeEvent, '#', 0, 5000);  // the one-record form
    std::string cut = FormatGpsRecords(good, TypeGpsPosition, TypeGpsPositionNext, 0, 6000);
    bytes += cut.substr(0, 2 * RecordLength) + FormatGpsRecords("x", TypeGpsRejected, '"', 0, 6000);
    bytes += cut.substr(0, cut.size() - 5);  // a crash in the last group
    EXPECT_EQ(Maker(bytes, 0).Points.size(), 1u);
}

TEST(BackgroundDataFile, OnlyPointsInsideTheMapMakeTheRange) {
    Converted out = Maker(DataFileWith(3, {"$GPLLK,173524,120226,100.0,M,200.0,M,3,08,0.9,45.0,M*00",
                                           "$GPLLK,173525,120226,5000000.0,M,200.0,M,3,08,0.9,45.0,M*00"}),
                          0);
    EXPECT_EQ(out.Result.PointCount, 2);
    ASSERT_TRUE(out.Result.HasRange);
    const MapRange& r = out.Result.Range;
    EXPECT_EQ(std::vector<double>({r.MinX, r.MaxX, r.MinY, r.MaxY}), std::vector<double>({100, 100, 200, 200}));
}

// Zones 30 and 31 meet at longitude 0. On the parallel of 51.5 N a degree
// of longitude is N cos(lat) = 6391258 m x 0.622515 = 3978640 m per radian:
// 0.01 W lies 2.99 degrees east of zone 30's meridian, easting 500000 +
// 0.9996 x 3978640 x 0.0521853 x (1 - 0.0001) = 707521 m; 0.01 E, in its own
// zone 31, 2.99 degrees west of that zone's meridian, 500000 - 207521 =
// 292479 m. Kept in zone 30 the two points 0.02 degrees apart lie 1388.8 m
// apart on the ellipsoid: 1387.8 m east and 56.9 m north on the grid (the
// parallel curves there), 1389.0 m in all.
TEST(BackgroundGeodetic, PointsAcrossAZoneBorderLieInTheRunsZone) {
    const std::string text = "-0.01,51.5\r\n0.01,51.5\r\n";
    const std::string data = DataFileWith(1, {"$GPGGA,173524,5130.0000,N,00000.6000,W,1,09,1.0,142.5,M,-35.4,M,,",
                                              "$GPGGA,173525,5130.0000,N,00000.6000,E,1,09,1.0,142.5,M,-35.4,M,,"});
    for (int32_t zone : {30, UtmZoneNotFixed}) {
        BackgroundOptions o = Options(0, 1, 0, 1);
        o.Zone = zone;
        for (const Converted& out : {Ascii(text, o), Maker(data, 0, zone)}) {
            ASSERT_EQ(out.Points.size(), 2u);
            const BackgroundPoint &w = out.Points[0], &e = out.Points[1];
            EXPECT_NEAR(w.Easting, 707521.0, 100.0);
            if (zone == 30) {
                EXPECT_NEAR(std::hypot(e.Easting - w.Easting, e.Northing - w.Northing), 1389.0, 0.5);
                EXPECT_NEAR(e.Northing - w.Northing, 56.9, 0.2);
            } else {
                EXPECT_NEAR(e.Easting, 292479.0, 100.0);
            }
        }
    }
}

TEST(BackgroundDataFile, OnlyThisProgramsFilesAreRecognised) {
    Settings s;
    const std::string header = FormatFileHeader(0, s, HeaderContext{});
    struct Case {
        std::string bytes;
        bool recognised;
    } cases[] = {
        {header, true},
        {"TESSEL  W216GPS0 0 20      \n", false},  // 28-byte records
        {std::string(40, 'T') + "\n", false},       // no LF in the first 36 bytes
        {"10.0 20.0\r\n11.0 21.0\r\n", false},
        {std::string(26, ' ') + "\n" + header, false},
        {"", false},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs;
        fs.Files[fs.Resolve("f")] = c.bytes;
        auto file = fs.Open("f", OpenMode::ReadExisting);
        MakerFormat format = RecogniseMakerFile(*file);
        EXPECT_EQ(format.Recognised, c.recognised) << test::Printable(c.bytes.substr(0, 30));
        EXPECT_EQ(file->Position(), 0u);
    }
}

TEST(BackgroundDataFile, TotalStationUnits) {
    struct Case {
        int digit;
        char letter;
        int units;
        double factor;
    } cases[] = {{-1, 'M', 2, 3.2808333333333355}, {0, 'F', 2, 0.99999803149994}, {4, 'F', 0, 1.0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(TotalStationBackgroundFactor(c.digit, c.letter, c.units), c.factor)
            << c.digit << c.letter << c.units;

    double e = 0, n = 0;
    ASSERT_TRUE(MakerSentencePoint(">0001,37=1000.0,38=2000.0,39=5.0", 9, 1, 0, UtmZoneNotFixed, e, n));
    EXPECT_DOUBLE_EQ(n, 304.8);
    EXPECT_DOUBLE_EQ(e, 609.6);
    EXPECT_FALSE(MakerSentencePoint(">0001,37=1e3,38=2000.0", 9, 0, 0, UtmZoneNotFixed, e, n));
    EXPECT_FALSE(MakerSentencePoint("$GPGGA,1,,N,,W", 1, 0, 0, UtmZoneNotFixed, e, n));
}

// ------------------------------------------------------------------ antenna offsets

std::vector<BackgroundPoint> Correct(double x, double y, const std::vector<BackgroundPoint>& path) {
    AntennaOffsetCorrector corrector(x, y);
    std::vector<BackgroundPoint> out;
    for (const BackgroundPoint& p : path) {
        BackgroundPoint o;
        if (corrector.Take(p.Easting, p.Northing, o.Easting, o.Northing)) out.push_back(o);
    }
    return out;
}

TEST(AntennaOffset, StraightPathAheadAndBehind) {
    std::vector<BackgroundPoint> east;
    for (int i = 0; i < 100; ++i) east.push_back({double(i), 0.0});
    // Y not above 0: ahead of each position along its last step, X to the left.
    auto ahead = Correct(0.5, -2.0, east);
    ASSERT_EQ(ahead.size(), 99u);
    EXPECT_DOUBLE_EQ(ahead[0].Easting, 3.0);
    EXPECT_DOUBLE_EQ(ahead[0].Northing, 0.5);
    // Y above 0: 3 units back along the path; the history is cut many times
    // over 100 positions.
    auto behind = Correct(-0.5, 3.0, east);
    ASSERT_EQ(behind.size(), 96u);
    for (size_t i = 0; i < behind.size(); ++i) {
        EXPECT_NEAR(behind[i].Easting, double(i + 1), 1e-9);
        EXPECT_NEAR(behind[i].Northing, -0.5, 1e-9);
    }
}

TEST(AntennaOffset, OffsetsInMetresMovePositionsShownInFeetByTheirLength) {
    // Grid positions in metres 3.048 m (10 ft) apart walking east, shown in
    // feet; the recording's offsets X 0.3048 m and Y -3.048 m put the array
    // 1 ft to the left (north) and 10 ft ahead of the antenna.
    const std::string bytes =
        DataFileWith(3, {"$GPLLK,173524,120226,1000.000,M,5000.000,M,3,08,0.9,45.0,M*00",
                         "$GPLLK,173525,120226,1003.048,M,5000.000,M,3,08,0.9,45.0,M*00"}, 1);
    const Converted out = tesselog::Run(bytes, [&](File& in, File& copy) {
        MakerFormat format = RecogniseMakerFile(in);
        format.HasOffsets = true;
        format.OffsetX = 0.3048;
        format.OffsetY = -3.048;
        MapState map = TestMap();
        return ConvertMakerBackground(in, format, copy, 1, tesselog::UtmZoneNotFixed, map);
    });
    ASSERT_EQ(out.Points.size(), 1u);
    EXPECT_NEAR(out.Points[0].Easting, 1003.048 / 0.3048 + 10.0, 0.0006);
    EXPECT_NEAR(out.Points[0].Northing, 5000.0 / 0.3048 + 1.0, 0.0006);
}

TEST(AntennaOffset, TurningPathFollowsTheTrackBehind) {
    // East to (10, 0), then north.
    std::vector<BackgroundPoint> path;
    for (int i = 0; i <= 10; ++i) path.push_back({double(i), 0.0});
    for (int i = 1; i <= 5; ++i) path.push_back({10.0, double(i)});
    auto out = Correct(1.0, 3.0, path);
    ASSERT_EQ(out.size(), 12u);  // from the antenna at (4, 0) on
    // Antenna at (10, 1): the array lies 2 units before the corner, on the
    // east leg, and X goes to the left of east, that is north.
    EXPECT_NEAR(out[7].Easting, 8.0, 1e-9);
    EXPECT_NEAR(out[7].Northing, 1.0, 1e-9);
    // Antenna at (10, 4): on the north leg at (10, 1), X to the west.
    EXPECT_NEAR(out[10].Easting, 9.0, 1e-9);
    EXPECT_NEAR(out[10].Northing, 1.0, 1e-9);
    // Ahead of the antenna: the turn changes the direction at once.
    auto ahead = Correct(1.0, 0.0, path);
    EXPECT_NEAR(ahead[10].Easting, 9.0, 1e-9);
    EXPECT_NEAR(ahead[10].Northing, 1.0, 1e-9);
}

}  // namespace
}  // namespace tesselog
