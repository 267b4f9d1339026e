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

// The well-formed sample; its whole inspector text is pinned by the dump_well_formed test.
std::string WellFormed() { return test::ReadFileBytes(test::TestDataPath("data/datafiles/well_formed.mgr")); }

std::vector<DataItem> ReadAll(const std::string& bytes, size_t block = RecordReader::DefaultBlockSize,
                              RecordProblem* problem = nullptr) {
    RecordReader reader(BytesFromMemory(bytes.data(), bytes.size()), block);
    std::vector<DataItem> items;
    DataItem item;
    while (reader.Next(item)) items.push_back(item);
    if (problem) *problem = reader.FirstProblem();
    return items;
}

// What the inspector's lines do not show.
TEST(RecordReader, DecodedFieldsBeyondTheInspectorText) {
    std::vector<DataItem> items = ReadAll(WellFormed());
    ASSERT_EQ(items.size(), 48u);
    EXPECT_EQ(items[0].versionMajor, 2);
    EXPECT_TRUE(items[0].gpsInput);
    EXPECT_EQ(items[21].pieces, 3u);
    EXPECT_EQ(items[26].segmentIndex, 1);
    EXPECT_EQ(items[37].geometryIndex, 1);  // counted afresh after each identification
    const std::pair<size_t, EventKind> events[] = {{11, EventKind::Started}, {32, EventKind::ConsoleBreak},
        {33, EventKind::GpsBreak}, {34, EventKind::PausedBmp}, {47, EventKind::Paused}};
    for (auto [i, event] : events) EXPECT_EQ(items[i].event, event) << "item " << i;
}

// One record or group after a header: type bytes shared by several kinds are
// told apart by content, bad fields show raw, and a GPS sentence loses only
// the padding of its last piece.
TEST(RecordReader, DecodesSingleRecordsByContent) {
    const std::string gpsOther = "297 gps-other markers=X sentence=";
    const std::string position = "297 gps-position markers=@# sentence=";
    const std::pair<std::string, std::string> cases[] = {
        {Rec("TESSEL  W216GRD0 0 10     "),
         "297 identification new version=216 input=GRD units=0 header-option=0 array-units=0"},
        {Reading('T', "ESSEL   W216GPS", 77), "297 reading console=1 tag=T text=\"ESSEL   W216GPS\" tick=77"},
        {Event('X', "$STARTED", 1), "297 event text=\"$STARTED\" tick=1"},
        {Event('X', "9CONN BRK 9", 1), "297 event text=\"9CONN BRK 9\" console=9 tick=1"},
        {Event('X', "9CONN BRK 8", 1), gpsOther + "\"9CONN BRK 8             1\""},
        {Event('X', "PAUSED BMPX", 1), gpsOther + "\"PAUSED BMPX             1\""},
        {Rec("XPAUSED     x   " + Tick(5)), gpsOther + "\"PAUSED     x            5\""},
        {Rec("X$STARTED       " + Pad("12a", 10)), gpsOther + "\"$STARTED       12a\""},  // not a tick
        {Rec("X" + Pad("$GPGSA,A,3,04,05", 25)), gpsOther + "\"$GPGSA,A,3,04,05\""},
        {Rec("*1x:11:12.345   " + Pad("12 34", 10)), "297 clock time=?\"1x\":11:12.345 tick=?\"12 34     \""},
        {Group(Pad("$GPXYZ,1", 25) + "2 ", '@', '#', 0, 5),
         position + "\"$GPXYZ,1                 2\" records=3 in-break=0 tick=5"},
        {Group(std::string(25, 'A'), '@', '#', 0, 5),
         position + "\"" + std::string(25, 'A') + "\" records=2 in-break=0 tick=5"},
        {Group("", '@', '#', 0, 5), position + "\"\" records=2 in-break=0 tick=5"},
    };
    for (const auto& [record, expected] : cases) {
        std::vector<DataItem> items = ReadAll(Header("TESSEL  W") + record);
        ASSERT_EQ(items.size(), 12u) << test::Printable(record);
        std::string line = DescribeItem(items[11]);
        EXPECT_EQ(line.substr(line.find_first_not_of(' ')), expected);
    }
}

TEST(RecordReader, RejectsBrokenFilesAtTheFirstBadOffset) {
    const std::string head = Header("TESSEL  W");  // 11 records: the next one starts at 297
    const std::string reading = Reading('T', "$P,0060,0065", 9);
    const std::string group = Group(Gga, '@', '#', 0, 9);  // 3 pieces and the trailer
    std::string shortAndLong = head + reading + reading + reading;
    shortAndLong.erase(297 + 20, 1);   // record at 297 is 26 bytes...
    shortAndLong.insert(351 + 5, "x");  // ...and the one after next 28
    const struct {
        const char* name;
        std::string bytes;
        uint64_t offset;
        const char* reason;
    } cases[] = {
        {"empty", "", 0, "empty"},
        {"26 and 28 bytes", shortAndLong, 297, "not 27 bytes: its LF is at column 25, so it is 26 bytes"},
        {"28 bytes", head + reading.substr(0, 5) + "x" + reading.substr(5), 297,
         "column 26 holds '9', not LF; its LF is at column 27, so it is 28 bytes"},
        {"unknown type", head + Rec("q" + Pad("", 25)), 297, "unknown record type 'q'"},
        {"unknown high type", head + Rec("\xFF" + Pad("", 25)), 297, "unknown record type 0xFF"},
        {"r without ESSEL", head + Rec("rESSEL  X" + Pad("", 17)), 297, "unknown record type 'r'"},
        {"group without trailer", head + group.substr(0, 81), 297, "at offset 297 has no '!' trailer"},
        {"stray continuation", head + group.substr(27, 27), 297, "continuation record '#' outside a GPS group"},
        {"stray trailer", head + reading + group.substr(81), 324, "'!' trailer outside a GPS group"},
        {"wrong continuation", head + Group(Gga, '@', '"', 0, 9), 324, "interrupted by a '\"' record"},
        {"no identification", reading + head, 0, "first record is not the identification"},
        {"appended header first", Header("rESSEL  W"), 0, "first record is not the identification"},
    };
    for (const auto& c : cases) {
        DataFileCheck check = CheckDataFile(BytesFromMemory(c.bytes.data(), c.bytes.size()));
        EXPECT_FALSE(check.ok) << c.name;
        EXPECT_EQ(check.problem.offset, c.offset) << c.name;
        EXPECT_NE(check.problem.reason.find(c.reason), std::string::npos) << c.name << ": " << check.problem.reason;
    }
}

// Records straddle block boundaries for every block size but the default,
// and a 1 MiB block reads a small file in one call plus the end-of-file call.
TEST(RecordReader, BlockSizeDoesNotChangeTheResult) {
    std::string broken = WellFormed();
    broken.erase(600, 1);
    auto describe = [](const std::string& file, size_t block) {
        RecordProblem problem;
        std::string text;
        for (const DataItem& item : ReadAll(file, block, &problem)) text += DescribeItem(item) + "\n";
        return text + std::to_string(problem.offset) + " " + problem.reason;
    };
    for (const std::string& file : {WellFormed(), broken})
        for (size_t block : {1, 7, 26, 27, 28, 100, 4096})
            EXPECT_EQ(describe(file, block), describe(file, RecordReader::DefaultBlockSize)) << block;
    const std::string file = WellFormed();
    int calls = 0;
    ByteSource memory = BytesFromMemory(file.data(), file.size());
    ByteSource counted = [&](void* b, size_t n) { ++calls; return memory(b, n); };
    EXPECT_TRUE(CheckDataFile(counted).ok);
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace tesselog
