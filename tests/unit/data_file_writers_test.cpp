#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/datafile/data_file_writers.h"
#include "core/platform/memory_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

// Counts the writes that reach the file, to see that a group is one write.
struct CountingFileSystem : MemoryFileSystem {
    int Writes = 0;
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        struct Counting : File {
            Counting(std::unique_ptr<File> inner, int& writes) : f(std::move(inner)), writes(writes) {}
            size_t Read(void* b, size_t n) override { return f->Read(b, n); }
            bool Write(const void* d, size_t n) override { ++writes; return f->Write(d, n); }
            bool SeekToStart() override { return f->SeekToStart(); }
            bool SeekToEnd() override { return f->SeekToEnd(); }
            uint64_t Position() override { return f->Position(); }
            bool SeekTo(uint64_t offset) override { return f->SeekTo(offset); }
            bool Flush() override { return f->Flush(); }
            bool Truncate(uint64_t length) override { return f->Truncate(length); }
            std::unique_ptr<File> f;
            int& writes;
        };
        auto inner = MemoryFileSystem::Open(path, mode);
        if (!inner) return nullptr;
        return std::make_unique<Counting>(std::move(inner), Writes);
    }
};

const LocalTime TestTime{2026, 12, 6, 14, 5, 9, 123};

// Every record is 26 characters and a LF; returns them one by one.
using Recs = std::vector<std::string>;
Recs Records(const std::string& bytes) {
    EXPECT_EQ(bytes.size() % RecordLength, 0u) << test::Printable(bytes);
    Recs out;
    for (size_t at = 0; at + RecordLength <= bytes.size(); at += RecordLength) {
        EXPECT_EQ(bytes[at + RecordLfColumn], '\n') << "record at " << at;
        out.push_back(bytes.substr(at, RecordLfColumn));
    }
    return out;
}
std::string Pad(const std::string& s, size_t n) { return s + std::string(n - s.size(), ' '); }

struct WriterFixture : ::testing::Test {
    CountingFileSystem fs;
    DataFile file{fs};
    Settings settings;
    ManualClock clock;
    ConsoleStreams consoles;
    LoggingStatus logging;
    DataFileWriter writer{file, settings, clock, consoles, logging};

    void SetUp() override {
        clock.CurrentTime = TestTime;
        clock.CurrentTick = 4000000000u;
        ASSERT_TRUE(file.Open("/data/261206_000.mgr"));
    }
    const std::string& Written() { return fs.Files["/data/261206_000.mgr"]; }
};

TEST_F(WriterFixture, NewFileStartWithDefaultsMatchesGolden) {
    HeaderContext header;
    header.DataFileName = "261206_000";
    writer.WriteHeaderBlock(0, header);

    EXPECT_EQ(fs.Writes, 3);  // header, line block, clock record
    test::ExpectMatchesGolden("new-file-default.mgr", Written());
}

TEST(FileHeader, SetupFields) {
    Settings a;  // appended, no GPS, US survey feet, console types 1,1,0,1, NMEA mode 8
    a.ConsoleCount = 4, a.ConsoleType[2] = 0, a.GpsInput = 0, a.DisplayUnits = 2, a.NmeaMode = 8;
    a.UnitSensorSeparation = 0.75, a.ConsoleSeparation = 12.5;
    EXPECT_EQ(Records(FormatFileHeader(1, a, HeaderContext{})),
              (Recs{"rESSEL  W216GRD2 0 20     ", "H           221200   000  ", "G  2.500  0.50041A 00     ",
                    "G         0.000 -9        ", "G         0.000           ", "G  0.750 12.500           "}));
    Settings b;  // nine consoles: the last three after a gap
    b.ConsoleCount = 9, b.ConsoleType[8] = 0, b.NmeaMode = 3;
    auto records = Records(FormatFileHeader(0, b, HeaderContext{}));
    EXPECT_EQ(records.at(1), "H           222222   221  ");
    EXPECT_EQ(records.at(2), "G  2.500  0.500913 01     ");
}

TEST(LineHeader, TextDirectionAndDate) {
    Settings s;
    s.StartLineText = "LINE-ABCDEF";  // 11 characters
    s.StartStation = -12.5, s.StationIncrement = -0.25, s.LineDirection = 3;
    EXPECT_EQ(Records(FormatLineHeader(s, TestTime)),
              (Recs{"LLINE-ABC                 ", "B     -12.50              ", "AE           -0.250       ",
                    "Z06122026 14:05:09        "}));
}

TEST_F(WriterFixture, EventTextsKeepElevenCharacters) {
    // The break events are pinned by the golden surveys.
    writer.WriteEventRecord(std::string("eighteen chars ok!"), TypeComment);
    writer.WriteEventRecord(std::wstring(L"\u0141ow"), TypeComment);  // low byte of U+0141 is 'A'
    writer.WriteEventRecord(std::string(), TypeComment);
    EXPECT_EQ(Records(Written()),
              (Recs{"Ceighteen ch    4000000000", "CAow            4000000000", "C               4000000000"}));
    EXPECT_EQ(fs.Writes, 3);
}

TEST_F(WriterFixture, GpsSentencesInPiecesOfTwentyFive) {
    const std::string s = "$GPGGA,140509.12,5130.1234,N,00007.5678,W,2,08,1.1,45.6,M*7A";  // 60 characters
    consoles.ConsoleInBreak[0] = 1;
    consoles.ConsoleInBreak[2] = 1;
    consoles.ConsoleInBreak[5] = 1;  // console 6 is not configured
    writer.WriteGpsRecords(s, 123456, TypeGpsPosition, TypeGpsPositionNext);
    EXPECT_EQ(fs.Writes, 1);
    EXPECT_EQ(Records(Written()), (Recs{"@" + s.substr(0, 25), "#" + s.substr(25, 25), "#" + Pad(s.substr(50), 25),
                                        "!             2     123456"}));

    const std::string trailer = "!             0          7";
    const struct {
        size_t length;
        uint8_t first, next;
        Recs expected;
    } cases[] = {
        {25, '?', '"', {"?" + s.substr(0, 25), trailer}},
        {26, '?', '"', {"?" + s.substr(0, 25), "\"" + Pad(s.substr(25, 1), 25), trailer}},
        {50, '@', '#', {"@" + s.substr(0, 25), "#" + s.substr(25, 25), trailer}},
        {0, '@', '#', {"@" + Pad("", 25), trailer}},
        {60, 'X', '#', {"X" + s.substr(0, 25)}},  // an accepted non-position sentence: one record, no trailer
    };
    for (const auto& c : cases)
        EXPECT_EQ(Records(FormatGpsRecords(s.substr(0, c.length), c.first, c.next, 0, 7)), c.expected) << c.length;
}

TEST_F(WriterFixture, GpsSentenceFromBeforeGoIsNotWritten) {
    const struct {
        uint32_t start, tick;
        bool written;
    } cases[] = {
        {1000, 999, false},
        {1000, 1000, true},
        {0xFFFFFF00u, 0x10, true},          // arrived after the tick wrapped
        {0xFFFFFF00u, 0xFFFFFE00u, false},  // before Go, close to the wrap
        {0x10, 0xFFFFFF00u, false},         // before Go, which came just after the wrap
    };
    for (const auto& c : cases) {
        fs.Files["/data/261206_000.mgr"].clear();
        file.SeekToStart();
        logging.RecordStartTick = c.start;
        writer.WriteGpsRecords("$GPGGA,1", c.tick, TypeGpsPosition, TypeGpsPositionNext);
        EXPECT_EQ(!Written().empty(), c.written) << c.start << " " << c.tick;
    }
}

TEST(SegmentRecords, GroupsAndLetters) {
    EXPECT_EQ(Records(FormatSegmentRecords(0, 1, 2, 3, 4)), Recs{"{0         0.000          "});
    EXPECT_EQ(Records(FormatSegmentRecords(3, 512345.125, -5.5, 0.0, 5712345.678)),
              (Recs{"{i    512345.125          ", "{j        -5.500          ", "{k         0.000          ",
                    "{l   5712345.678          "}));
    EXPECT_TRUE(FormatSegmentRecords(5, 0, 0, 0, 0).empty());
    EXPECT_TRUE(FormatSegmentRecords(-1, 0, 0, 0, 0).empty());
}

TEST_F(WriterFixture, WritesNothingWithoutAnOpenFile) {
    file.Close();
    writer.WriteHeaderBlock(0, HeaderContext{});
    writer.WriteEventRecord(EventPaused, TypeEvent);
    writer.WriteGpsRecords("$GPGGA", 1, TypeGpsPosition, TypeGpsPositionNext);
    writer.WriteSegmentRecords(1, 1, 2, 3, 4);
    writer.WriteStationRecord();
    EXPECT_EQ(fs.Writes, 0);
    EXPECT_EQ(Written(), "");
}

TEST(TooWideValues, AreClampedAndKeepTheirColumns) {
    Settings s;
    s.GpsOffsetX = 12345.678, s.GpsOffsetY = -1234.5, s.ConsoleCount = 12, s.LeadingPoint = 18, s.GpsInput = 6;
    s.DisplayUnits = -3;
    s.FileHeaderOption = std::numeric_limits<int32_t>::max();  // + 1 must not overflow
    s.UnitSensorSeparation = std::numeric_limits<double>::quiet_NaN();
    s.ConsoleSeparation = 999.9996;  // would round to 1000.000
    HeaderContext h;
    h.DataFileName = "far-too-long-name";
    h.MapReferenceEasting = 1e15;
    h.MapReferenceNorthing = -std::numeric_limits<double>::infinity();
    h.UtmZoneOfFile = 123;
    EXPECT_EQ(Records(FormatFileHeader(0, s, h)),
              (Recs{"TESSEL  W216GPS0 0 90     ", "H far-too-l 222222   222  ", "G999.999-99.999990 06     ",
                    "G9999999999.999 99        ", "G-999999999.999           ", "G  0.000999.999           "}));

    s.StartStation = 1e12, s.StationIncrement = -1e9;
    LocalTime odd = TestTime;
    odd.Year = 123456, odd.Millisecond = 1000;
    EXPECT_EQ(Records(FormatLineHeader(s, odd)), (Recs{"L1                        ", "B99999999.99              ",
                                                       "AS      -999999.999       ", "Z06129999 14:05:09        "}));
    EXPECT_EQ(Records(FormatTimeRecord(0, odd))[0], "*14:05:09.999            0");
    EXPECT_EQ(Records(FormatGpsRecords("", '@', '#', 12, 1))[1], "!             9          1");
}

}  // namespace
}  // namespace tesselog
