#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/datafile/record_reader.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

// Records are built here from their column layout, independently of the writers.
std::string Rec(const std::string& body) {
    EXPECT_EQ(body.size(), 26u) << test::Printable(body);
    return body + "\n";
}
std::string Tick(unsigned long t) {
    char b[16];
    std::snprintf(b, sizeof b, "%10lu", t);
    return b;
}
std::string Fmt(const char* format, double v) {
    char b[32];
    std::snprintf(b, sizeof b, format, v);
    return b;
}
std::string Pad(const std::string& s, size_t n) { return s + std::string(n - s.size(), ' '); }

std::string Header(const char* id) {
    return Rec(std::string(id) + "216GPS0 0 20     ") + Rec("H 261204_00 221000   000  ") +
           Rec("G" + Fmt("%7.3f", 0.0) + Fmt("%7.3f", -0.25) + "30A 01     ") +
           Rec("G" + Fmt("%14.3f", 612345.678) + " -9        ") + Rec("G" + Fmt("%14.3f", 5812345.125) + Pad("", 11)) +
           Rec("G" + Fmt("%7.3f", 0.5) + Fmt("%7.3f", 1.0) + Pad("", 11)) + Rec(Pad("LLINE-ONE", 26)) +
           Rec("B" + Fmt("%11.2f", 10.0) + Pad("", 14)) + Rec("AS      " + Fmt("%11.3f", -0.5) + "       ") +
           Rec("Z04122026 10:11:12        ") + Rec("*10:11:12.345   " + Tick(1000));
}
std::string Reading(uint8_t tag, const std::string& text, unsigned long tick) {
    return Rec(std::string(1, static_cast<char>(tag)) + Pad(text, 15) + Tick(tick));
}
std::string Event(char type, const std::string& text, unsigned long tick) {
    return Rec(std::string(1, type) + Pad(text, 11) + "    " + Tick(tick));
}
std::string Group(const std::string& sentence, char first, char next, int inBreak, unsigned long tick) {
    std::string out;
    for (size_t i = 0; i == 0 || i < sentence.size(); i += 25)
        out += Rec(std::string(1, i == 0 ? first : next) + Pad(sentence.substr(i, 25), 25));
    return out + Rec("!" + Pad("", 13) + std::to_string(inBreak) + " " + Tick(tick));
}

const std::string Gga = "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70";  // 68: three pieces

std::string WellFormed() {
    std::string f = Header("TESSEL  W") + Event('X', "$STARTED", 1010);
    for (int k = 0; k < 9; ++k) f += Reading(ConsoleRecordTag[k], "$P,0060,0065", 1100 + k);
    f += Group(Gga, '@', '#', 2, 1200) + Group("BAD LINE", '?', '"', 0, 1210);
    f += Rec("X" + std::string("$GPGSA,A,3,04,05,,09,12,,,,").substr(0, 25));
    f += Rec("{0" + Fmt("%14.3f", 0.0) + Pad("", 10)) + Rec("{g" + Fmt("%14.3f", -3.25) + Pad("", 10));
    f += Rec("S" + Fmt("%11.2f", 12.5) + "  10:11:13.456") + Event('C', "HELLO WORLD", 2500);
    f += Event('X', "4CONN BRK 4", 2600) + Event('X', "GPS CONN BR", 2700) + Event('X', "PAUSED BMP", 2800);
    return f + Header("rESSEL  W") + Event('X', "PAUSED", 3100);
}

std::vector<DataItem> ReadAll(const std::string& bytes, size_t block = RecordReader::DefaultBlockSize,
                              RecordProblem* problem = nullptr) {
    RecordReader reader(BytesFromMemory(bytes.data(), bytes.size()), block);
    std::vector<DataItem> items;
    DataItem item;
    while (reader.Next(item)) items.push_back(item);
    if (problem) *problem = reader.FirstProblem();
    return items;
}

TEST(RecordReader, DecodesEveryRecordTypeOfAWellFormedFile) {
    const std::string file = WellFormed();
    DataFileCheck check = CheckDataFile(BytesFromMemory(file.data(), file.size()));
    EXPECT_TRUE(check.ok) << check.problem.reason;
    EXPECT_EQ(check.records, file.size() / 27);

    std::vector<DataItem> items = ReadAll(file);
    ASSERT_EQ(items.size(), 43u);
    const DataItem& id = items[0];
    EXPECT_EQ(id.kind, ItemKind::Identification);
    EXPECT_FALSE(id.appended);
    EXPECT_EQ(id.versionMajor, 2);
    EXPECT_TRUE(id.gpsInput);
    EXPECT_EQ(id.headerOption, 1);
    EXPECT_EQ(items[1].text, "261204_00");
    EXPECT_EQ(items[1].consoleDigits[0], 2);
    EXPECT_EQ(items[1].consoleDigits[2], 1);
    EXPECT_EQ(items[1].consoleDigits[8], 0);
    EXPECT_EQ(items[2].geometryIndex, 1);
    EXPECT_DOUBLE_EQ(items[2].value2.value, -0.25);
    EXPECT_EQ(items[2].consoleCount, 3);
    EXPECT_EQ(items[2].nmeaMode, 8);  // 'A'
    EXPECT_EQ(items[3].utmZone.value, -9);
    EXPECT_DOUBLE_EQ(items[3].value.value, 612345.678);
    EXPECT_DOUBLE_EQ(items[4].value.value, 5812345.125);
    EXPECT_EQ(items[5].geometryIndex, 4);
    EXPECT_DOUBLE_EQ(items[5].value2.value, 1.0);
    EXPECT_EQ(items[6].text, "LINE-ONE");
    EXPECT_DOUBLE_EQ(items[7].value.value, 10.0);
    EXPECT_EQ(items[8].direction, 1);
    EXPECT_DOUBLE_EQ(items[8].value.value, -0.5);
    EXPECT_EQ(items[9].year.value, 2026);
    EXPECT_EQ(items[9].month.value, 12);
    EXPECT_EQ(items[9].second.value, 12);
    EXPECT_EQ(items[10].millisecond.value, 345);
    EXPECT_EQ(items[10].tick.value, 1000u);
    EXPECT_EQ(items[11].event, EventKind::Started);
    for (int k = 0; k < 9; ++k) {
        const DataItem& r = items[12 + k];
        EXPECT_EQ(r.kind, ItemKind::Reading) << k;
        EXPECT_EQ(r.console, k + 1);
        EXPECT_EQ(r.text, "$P,0060,0065");
        EXPECT_EQ(r.tick.value, 1100u + k);
    }
    const DataItem& gga = items[21];
    EXPECT_EQ(gga.kind, ItemKind::GpsGroup);
    EXPECT_EQ(gga.text, Gga);
    EXPECT_EQ(gga.pieces, 3u);
    EXPECT_EQ(gga.recordCount, 4u);
    EXPECT_EQ(gga.consolesInBreak, 2);
    EXPECT_EQ(gga.tick.value, 1200u);
    EXPECT_TRUE(gga.complete);
    EXPECT_EQ(items[22].offset, gga.offset + 4 * 27);
    EXPECT_EQ(items[22].firstMarker, '?');
    EXPECT_EQ(items[22].text, "BAD LINE");
    EXPECT_EQ(items[23].kind, ItemKind::GpsSingle);
    EXPECT_EQ(items[24].segmentGroup, 0);
    EXPECT_EQ(items[25].segmentGroup, 2);
    EXPECT_EQ(items[25].segmentIndex, 2);
    EXPECT_DOUBLE_EQ(items[25].value.value, -3.25);
    EXPECT_DOUBLE_EQ(items[26].value.value, 12.5);
    EXPECT_EQ(items[26].millisecond.value, 456);
    EXPECT_EQ(items[27].text, "HELLO WORLD");
    EXPECT_EQ(items[28].event, EventKind::ConsoleBreak);
    EXPECT_EQ(items[28].console, 4);
    EXPECT_EQ(items[29].event, EventKind::GpsBreak);
    EXPECT_EQ(items[30].event, EventKind::PausedBmp);
    EXPECT_TRUE(items[31].appended);
    EXPECT_EQ(items[33].geometryIndex, 1);  // counted afresh after each identification
    EXPECT_EQ(items[42].event, EventKind::Paused);

    EXPECT_EQ(DescribeItem(items[16]).substr(10), " reading console=5 tag=\\x14 text=\"$P,0060,0065\" tick=1104");
    EXPECT_EQ(DescribeItem(items[22]).substr(10),
              " gps-rejected markers=?\" sentence=\"BAD LINE\" records=2 in-break=0 tick=1210");
}

// Only the padding of the last piece goes: spaces inside the sentence stay.
TEST(RecordReader, GpsSentenceKeepsInnerSpacesAndExactPieceLengths) {
    const std::string inner = Pad("$GPXYZ,1", 25) + "2 ";  // piece 1 ends in spaces, piece 2 has a trailing one
    for (const std::string& sentence : {inner, std::string(25, 'A'), std::string()}) {
        std::vector<DataItem> items = ReadAll(Header("TESSEL  W") + Group(sentence, '@', '#', 0, 5));
        ASSERT_EQ(items.size(), 12u);
        EXPECT_EQ(items[11].text, sentence == inner ? Pad("$GPXYZ,1", 25) + "2" : sentence);
        EXPECT_EQ(items[11].recordCount, sentence.size() > 25 ? 3u : 2u);
    }
}

TEST(RecordReader, TellsSharedTypeBytesApartByContent) {
    struct Case {
        std::string record;
        ItemKind kind;
        EventKind event;
    };
    const Case cases[] = {
        {Rec("TESSEL  W216GRD0 0 10     "), ItemKind::Identification, EventKind::None},
        {Reading('T', "ESSEL   W216", 77), ItemKind::Reading, EventKind::None},
        {Event('X', "$STARTED", 1), ItemKind::Event, EventKind::Started},
        {Event('X', "9CONN BRK 9", 1), ItemKind::Event, EventKind::ConsoleBreak},
        {Event('X', "9CONN BRK 8", 1), ItemKind::GpsSingle, EventKind::None},
        {Event('X', "PAUSED BMPX", 1), ItemKind::GpsSingle, EventKind::None},
        {Rec("XPAUSED     x   " + Tick(5)), ItemKind::GpsSingle, EventKind::None},
        {Rec("X$STARTED      " + Pad("12a", 11)), ItemKind::GpsSingle, EventKind::None},
        {Rec("X" + Pad("$GPGSA,A,3,04,05", 25)), ItemKind::GpsSingle, EventKind::None},
    };
    for (const Case& c : cases) {
        std::vector<DataItem> items = ReadAll(Header("TESSEL  W") + c.record);
        ASSERT_EQ(items.size(), 12u);
        EXPECT_EQ(items[11].kind, c.kind) << test::Printable(c.record);
        EXPECT_EQ(items[11].event, c.event) << test::Printable(c.record);
    }
}

TEST(RecordReader, RejectsBrokenFilesAtTheFirstBadOffset) {
    const std::string head = Header("TESSEL  W");  // 11 records: the next one starts at 297
    const std::string reading = Reading('T', "$P,0060,0065", 9);
    const std::string group = Group(Gga, '@', '#', 0, 9);  // 3 pieces and the trailer
    std::string shortAndLong = head + reading + reading + reading;
    shortAndLong.erase(297 + 20, 1);   // record at 297 is 26 bytes...
    shortAndLong.insert(351 + 5, "x");  // ...and the one after next 28
    struct Case {
        const char* name;
        std::string bytes;
        uint64_t offset;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", 0, "empty"},
        {"truncated", head + reading.substr(0, 17), 297, "incomplete record of 17 bytes"},
        {"26 and 28 bytes", shortAndLong, 297, "not 27 bytes: its LF is at column 25, so it is 26 bytes"},
        {"28 bytes", head + reading.substr(0, 5) + "x" + reading.substr(5), 297,
         "column 26 holds '9', not LF; its LF is at column 27, so it is 28 bytes"},
        {"unknown type", head + Rec("q" + Pad("", 25)), 297, "unknown record type 'q'"},
        {"unknown high type", head + Rec("\xFF" + Pad("", 25)), 297, "unknown record type 0xFF"},
        {"r without ESSEL", head + Rec("rESSEL  X" + Pad("", 17)), 297, "unknown record type 'r'"},
        {"group without trailer", head + group.substr(0, 81), 297, "at offset 297 has no '!' trailer"},
        {"stray continuation", head + group.substr(27, 27), 297, "continuation record '#' outside a GPS group"},
        {"stray trailer", head + reading + group.substr(81), 324, "'!' trailer outside a GPS group"},
        {"group cut by a reading", head + group.substr(0, 54) + reading + group.substr(54), 351,
         "group at offset 297 is interrupted by a 'T' record at offset 351"},
        {"wrong continuation", head + Group(Gga, '@', '"', 0, 9), 324, "interrupted by a '\"' record"},
        {"no identification", reading + head, 0, "first record is not the identification"},
        {"appended header first", Header("rESSEL  W"), 0, "first record is not the identification"},
    };
    for (const Case& c : cases) {
        DataFileCheck check = CheckDataFile(BytesFromMemory(c.bytes.data(), c.bytes.size()));
        EXPECT_FALSE(check.ok) << c.name;
        EXPECT_EQ(check.problem.offset, c.offset) << c.name;
        EXPECT_NE(check.problem.reason.find(c.reason), std::string::npos) << c.name << ": " << check.problem.reason;
    }
}

TEST(RecordReader, BadFieldsAreFlaggedNotFatal) {
    std::vector<DataItem> items = ReadAll(Header("TESSEL  W") + Rec("*1x:11:12.345   " + Pad("12 34", 10)));
    ASSERT_EQ(items.size(), 12u);
    EXPECT_FALSE(items[11].hour.valid);
    EXPECT_FALSE(items[11].tick.valid);
    EXPECT_EQ(DescribeItem(items[11]).substr(10), " clock time=?\"1x\":11:12.345 tick=?\"12 34     \"");
}

// Records straddle block boundaries for every block size but the default,
// and a 1 MiB block reads a small file in one call plus the end-of-file call.
TEST(RecordReader, BlockSizeDoesNotChangeTheResult) {
    std::string broken = WellFormed();
    broken.erase(600, 1);
    for (const std::string& file : {WellFormed(), broken}) {
        std::string expected;
        RecordProblem expectedProblem;
        for (const DataItem& item : ReadAll(file, RecordReader::DefaultBlockSize, &expectedProblem))
            expected += DescribeItem(item) + "\n";
        for (size_t block : {1, 7, 26, 27, 28, 100, 4096}) {
            std::string actual;
            RecordProblem problem;
            for (const DataItem& item : ReadAll(file, block, &problem)) actual += DescribeItem(item) + "\n";
            EXPECT_EQ(actual, expected) << block;
            EXPECT_EQ(problem.offset, expectedProblem.offset) << block;
            EXPECT_EQ(problem.reason, expectedProblem.reason) << block;
        }
    }
    const std::string file = WellFormed();
    int calls = 0;
    ByteSource memory = BytesFromMemory(file.data(), file.size());
    ByteSource counted = [&](void* b, size_t n) { ++calls; return memory(b, n); };
    EXPECT_TRUE(CheckDataFile(counted).ok);
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace tesselog
