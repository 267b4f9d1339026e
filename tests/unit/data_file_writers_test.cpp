#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/datafile/data_file_writers.h"
#include "core/platform/memory_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

// Counts the writes that reach the file, to see that a group is one write.
class CountingFileSystem : public MemoryFileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        auto inner = MemoryFileSystem::Open(path, mode);
        if (!inner) return nullptr;
        return std::make_unique<CountingFile>(std::move(inner), Writes);
    }
    int Writes = 0;

private:
    struct CountingFile : File {
        CountingFile(std::unique_ptr<File> f, int& writes) : f_(std::move(f)), writes_(writes) {}
        size_t Read(void* b, size_t n) override { return f_->Read(b, n); }
        bool Write(const void* d, size_t n) override { ++writes_; return f_->Write(d, n); }
        bool SeekToStart() override { return f_->SeekToStart(); }
        bool SeekToEnd() override { return f_->SeekToEnd(); }
        std::unique_ptr<File> f_;
        int& writes_;
    };
};

LocalTime TestTime() {
    LocalTime t;
    t.Year = 2026; t.Month = 12; t.Day = 6;
    t.Hour = 14; t.Minute = 5; t.Second = 9; t.Millisecond = 123;
    return t;
}

// Every record is 26 characters and a LF; returns them one by one.
std::vector<std::string> Records(const std::string& bytes) {
    EXPECT_EQ(bytes.size() % RecordLength, 0u) << test::Printable(bytes);
    std::vector<std::string> out;
    for (size_t at = 0; at + RecordLength <= bytes.size(); at += RecordLength) {
        EXPECT_EQ(bytes[at + RecordLfColumn], '\n') << "record at " << at;
        out.push_back(bytes.substr(at, RecordLfColumn));
    }
    return out;
}

struct WriterFixture : ::testing::Test {
    CountingFileSystem fs;
    DataFile file{fs};
    Settings settings;
    ManualClock clock;
    ConsoleStreams consoles;
    LoggingStatus logging;
    DataFileWriter writer{file, settings, clock, consoles, logging};

    void SetUp() override {
        clock.CurrentTime = TestTime();
        clock.CurrentTick = 4000000000u;
        ASSERT_TRUE(file.Open("/data/261206_000.mgr"));
    }
    const std::string& Written() { return fs.Files["/data/261206_000.mgr"]; }
};

TEST_F(WriterFixture, NewFileStartWithDefaultsMatchesGolden) {
    HeaderContext header;
    header.DataFileName = "261206_000";
    writer.WriteHeaderBlock(0, header);

    auto records = Records(Written());
    ASSERT_EQ(records.size(), 11u);
    EXPECT_EQ(Written().substr(0, 27), "TESSEL  W216GPS0 0 20     \n");
    EXPECT_EQ(records[1], "H 261206_00 222000   000  ");  // the name keeps 9 characters
    EXPECT_EQ(records[3], "G         0.000 -9        ");
    EXPECT_EQ(records[9], "Z06122026 14:05:09        ");
    EXPECT_EQ(records[10], "*14:05:09.123   4000000000");
    EXPECT_EQ(fs.Writes, 3);  // header, line block, clock record
    test::ExpectMatchesGolden("new-file-default.mgr", Written());
}

TEST(FileHeader, SetupFields) {
    struct Case {
        const char* what;
        void (*change)(Settings&);
        int appended;
        int record;
        int column;
        std::string expected;
    };
    const Case cases[] = {
        {"console types 1,1,0,1", [](Settings& s) { s.ConsoleCount = 4; s.ConsoleType[2] = 0; }, 0, 1, 12,
         "221200   000"},
        {"nine consoles", [](Settings& s) { s.ConsoleCount = 9; s.ConsoleType[8] = 0; }, 0, 1, 12, "222222   221"},
        {"NMEA mode 8", [](Settings& s) { s.NmeaMode = 8; }, 0, 2, 15, "31A 01"},
        {"NMEA mode 3", [](Settings& s) { s.NmeaMode = 3; }, 0, 2, 15, "313 01"},
        {"GPS disabled", [](Settings& s) { s.GpsInput = 0; s.DisplayUnits = 2; }, 0, 0, 12, "GRD2 0 20"},
        {"appended header", [](Settings&) {}, 1, 0, 0, "rESSEL  W216GPS"},
        {"separations", [](Settings& s) { s.UnitSensorSeparation = 0.75; s.ConsoleSeparation = 12.5; }, 0, 5, 0,
         "G  0.750 12.500           "},
    };
    for (const Case& c : cases) {
        Settings s;
        c.change(s);
        auto records = Records(FormatFileHeader(c.appended, s, HeaderContext{}));
        ASSERT_EQ(records.size(), 6u);
        EXPECT_EQ(records[c.record].substr(c.column, c.expected.size()), c.expected) << c.what;
    }
}

TEST(LineHeader, TextDirectionAndDate) {
    Settings s;
    s.StartLineText = "LINE-ABCDEF";  // 11 characters
    s.StartStation = -12.5;
    s.StationIncrement = -0.25;
    s.LineDirection = 3;
    auto records = Records(FormatLineHeader(s, TestTime()));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], "LLINE-ABC                 ");
    EXPECT_EQ(records[1], "B     -12.50              ");
    EXPECT_EQ(records[2], "AE           -0.250       ");
    EXPECT_EQ(records[3], "Z06122026 14:05:09        ");
    EXPECT_EQ(Records(FormatStationRecord(17.25, TestTime()))[0], "S      17.25  14:05:09.123");
}

TEST_F(WriterFixture, EventTextsKeepElevenCharacters) {
    writer.WriteEventRecord(std::string("eighteen chars ok!"), TypeComment);
    writer.WriteEventRecord(ConsoleBreakText(3), TypeEvent);
    writer.WriteEventRecord(EventGpsBreak, TypeEvent);
    writer.WriteEventRecord(std::wstring(L"\u0141ow"), TypeComment);  // low byte of U+0141 is 'A'
    writer.WriteEventRecord(std::string(), TypeComment);
    auto records = Records(Written());
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0], "Ceighteen ch    4000000000");
    EXPECT_EQ(ConsoleBreakText(3), "3CONN BRK 3");
    EXPECT_EQ(records[1], "X3CONN BRK 3    4000000000");
    EXPECT_EQ(records[2], "XGPS CONN BR    4000000000");
    EXPECT_EQ(records[3], "CAow            4000000000");
    EXPECT_EQ(records[4], "C               4000000000");
    EXPECT_EQ(fs.Writes, 5);
}

TEST_F(WriterFixture, GpsSentencesInPiecesOfTwentyFive) {
    const std::string sixty = "$GPGGA,140509.12,5130.1234,N,00007.5678,W,2,08,1.1,45.6,M*7A";
    ASSERT_EQ(sixty.size(), 60u);
    consoles.ConsoleInBreak[0] = 1;
    consoles.ConsoleInBreak[2] = 1;
    consoles.ConsoleInBreak[5] = 1;  // console 6 is not configured
    writer.WriteGpsRecords(sixty, 123456, TypeGpsPosition, TypeGpsPositionNext);
    ASSERT_EQ(Written().size(), 108u);
    EXPECT_EQ(fs.Writes, 1);
    auto records = Records(Written());
    EXPECT_EQ(records[0], "@" + sixty.substr(0, 25));
    EXPECT_EQ(records[1], "#" + sixty.substr(25, 25));
    EXPECT_EQ(records[2], "#" + sixty.substr(50) + std::string(15, ' '));
    EXPECT_EQ(records[3], "!             2     123456");

    struct Case { size_t length; uint8_t first; size_t records; };
    const Case cases[] = {{25, '?', 2}, {26, '?', 3}, {50, '@', 3}, {0, '@', 2}, {60, 'X', 1}};
    for (const Case& c : cases) {
        std::string sentence = sixty.substr(0, c.length);
        auto got = Records(FormatGpsRecords(sentence, c.first, c.first == '?' ? '"' : '#', 0, 7));
        ASSERT_EQ(got.size(), c.records) << "length " << c.length;
        EXPECT_EQ(static_cast<uint8_t>(got[0][0]), c.first);
        if (c.first == 'X') {
            EXPECT_EQ(got[0], "X" + sixty.substr(0, 25));
        } else {
            EXPECT_EQ(got.back()[0], '!');
        }
        if (c.length == 0) {
            EXPECT_EQ(got[0], "@" + std::string(25, ' '));
        }
        if (c.length == 26) {
            EXPECT_EQ(got[1], "\"" + sixty.substr(25, 1) + std::string(24, ' '));
        }
    }
}

TEST_F(WriterFixture, GpsSentenceFromBeforeGoIsNotWritten) {
    struct Case { uint32_t start; uint32_t tick; bool written; };
    const Case cases[] = {
        {1000, 999, false},
        {1000, 1000, true},
        {0xFFFFFF00u, 0x10, true},          // arrived after the tick wrapped
        {0xFFFFFF00u, 0xFFFFFE00u, false},  // before Go, close to the wrap
        {0x10, 0xFFFFFF00u, false},         // before Go, which came just after the wrap
    };
    for (const Case& c : cases) {
        fs.Files["/data/261206_000.mgr"].clear();
        file.SeekToStart();
        logging.RecordStartTick = c.start;
        writer.WriteGpsRecords("$GPGGA,1", c.tick, TypeGpsPosition, TypeGpsPositionNext);
        EXPECT_EQ(!Written().empty(), c.written) << c.start << " " << c.tick;
    }
}

TEST(SegmentRecords, GroupsAndLetters) {
    auto open = Records(FormatSegmentRecords(0, 1, 2, 3, 4));
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0], "{0         0.000          ");
    auto third = Records(FormatSegmentRecords(3, 512345.125, -5.5, 0.0, 5712345.678));
    ASSERT_EQ(third.size(), 4u);
    EXPECT_EQ(third[0], "{i    512345.125          ");
    EXPECT_EQ(third[1], "{j        -5.500          ");
    EXPECT_EQ(third[3], "{l   5712345.678          ");
    EXPECT_EQ(FormatSegmentRecords(4, 0, 0, 0, 0)[1], 'm');
    EXPECT_EQ(FormatSegmentRecords(1, 0, 0, 0, 0)[1], 'a');
    EXPECT_TRUE(FormatSegmentRecords(5, 0, 0, 0, 0).empty());
    EXPECT_TRUE(FormatSegmentRecords(-1, 0, 0, 0, 0).empty());
}

TEST(DataFileWriterClosed, WritesNothingWithoutAnOpenFile) {
    CountingFileSystem fs;
    DataFile file(fs);
    Settings settings;
    ManualClock clock;
    ConsoleStreams consoles;
    LoggingStatus logging;
    DataFileWriter writer(file, settings, clock, consoles, logging);
    writer.WriteHeaderBlock(0, HeaderContext{});
    writer.WriteEventRecord(EventPaused, TypeEvent);
    writer.WriteGpsRecords("$GPGGA", 1, TypeGpsPosition, TypeGpsPositionNext);
    writer.WriteSegmentRecords(1, 1, 2, 3, 4);
    writer.WriteStationRecord();
    EXPECT_EQ(fs.Writes, 0);
    EXPECT_TRUE(fs.Files.empty());
}

TEST(TooWideValues, AreClampedAndKeepTheirColumns) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Settings s;
    s.GpsOffsetX = 12345.678;
    s.GpsOffsetY = -1234.5;
    s.ConsoleCount = 12;
    s.LeadingPoint = 18;
    s.GpsInput = 6;
    s.DisplayUnits = -3;
    s.FileHeaderOption = std::numeric_limits<int32_t>::max();  // + 1 must not overflow
    s.UnitSensorSeparation = nan;
    s.ConsoleSeparation = 999.9996;  // would round to 1000.000
    HeaderContext h;
    h.DataFileName = "far-too-long-name";
    h.MapReferenceEasting = 1e15;
    h.MapReferenceNorthing = -std::numeric_limits<double>::infinity();
    h.UtmZoneOfFile = 123;
    auto header = Records(FormatFileHeader(0, s, h));
    ASSERT_EQ(header.size(), 6u);
    EXPECT_EQ(header[0].substr(15, 6), "0 0 90");
    EXPECT_EQ(header[1], "H far-too-l 222222   222  ");
    EXPECT_EQ(header[2], "G999.999-99.999990 06     ");
    EXPECT_EQ(header[3], "G9999999999.999 99        ");
    EXPECT_EQ(header[4], "G-999999999.999           ");
    EXPECT_EQ(header[5], "G  0.000999.999           ");

    s.StartStation = 1e12;
    s.StationIncrement = -1e9;
    LocalTime odd = TestTime();
    odd.Year = 123456;
    odd.Millisecond = 1000;
    auto line = Records(FormatLineHeader(s, odd));
    EXPECT_EQ(line[1], "B99999999.99              ");
    EXPECT_EQ(line[2], "AS      -999999.999       ");
    EXPECT_EQ(line[3], "Z06129999 14:05:09        ");
    EXPECT_EQ(Records(FormatTimeRecord(0, odd))[0], "*14:05:09.999            0");
    EXPECT_EQ(Records(FormatGpsRecords("", '@', '#', 12, 1))[1], "!             9          1");
}

}  // namespace
}  // namespace tesselog
