#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/line_reader.h"
#include "core/platform/memory_file_system.h"

using namespace tesselog;

namespace {

struct ReadResult {
    int length;
    std::string line;
};

// Every line of `bytes` until the reader reports the end.
std::vector<ReadResult> ReadAll(const std::string& bytes, size_t maxLength, bool textLines = false) {
    MemoryFileSystem fs;
    fs.Files["f"] = bytes;
    auto file = fs.Open("f", OpenMode::ReadExisting);
    LineReader reader(*file);
    std::vector<ReadResult> out;
    std::string line = "stale";
    for (int n = 0; n >= 0;) {
        n = textLines ? reader.ReadTextLine(line, maxLength) : reader.ReadLine(line, maxLength);
        out.push_back({n, line});
    }
    return out;
}

void ExpectLines(const std::vector<ReadResult>& got, const std::vector<ReadResult>& expected, const char* name) {
    ASSERT_EQ(got.size(), expected.size()) << name;
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].length, expected[i].length) << name << " line " << i;
        EXPECT_EQ(got[i].line, expected[i].line) << name << " line " << i;
    }
}

}  // namespace

// Data and settings lines (a LF alone drops the byte before it) and text
// lines of other tools (only a real CR is dropped, a last line without LF
// still counts).
TEST(LineReader, LineEndsAndCuts) {
    const struct {
        const char* name;
        bool textLines;
        std::string bytes;
        size_t maxLength;
        std::vector<ReadResult> expected;
    } cases[] = {
        {"crlf", false, "2.16\r\nC:\\\r\n", 100, {{4, "2.16"}, {3, "C:\\"}, {-1, ""}}},
        {"lf only drops last character", false, "2.16\nab\n", 100, {{3, "2.1"}, {1, "a"}, {-1, ""}}},
        {"lf first byte", false, "\n\r\nx\r\n", 100, {{0, ""}, {0, ""}, {1, "x"}, {-1, ""}}},
        {"no final lf", false, "ab\r\ncd", 100, {{2, "ab"}, {-1, "cd"}}},
        {"empty file", false, "", 100, {{-1, ""}}},
        {"overlong cut, rest dropped", false, "abcdefgh\r\nz\r\n", 3, {{3, "abc"}, {1, "z"}, {-1, ""}}},
        {"exactly the limit", false, "abc\r\n", 3, {{3, "abc"}, {-1, ""}}},
        {"overlong without lf", false, "abcdefgh", 3, {{-1, "abc"}}},
        {"zero capacity", false, "abc\r\nd\r\n", 0, {{0, ""}, {0, ""}, {-1, ""}}},
        {"binary bytes kept", false, std::string("\x00\xff\r\r\n", 5), 10, {{3, std::string("\x00\xff\r", 3)}, {-1, ""}}},
        {"text: lf only", true, "2.16\nab\n", 100, {{4, "2.16"}, {2, "ab"}, {-1, ""}}},
        {"text: no final lf", true, "ab\ncd", 100, {{2, "ab"}, {2, "cd"}, {-1, ""}}},
        {"text: no final lf, cr", true, "ab\r", 100, {{2, "ab"}, {-1, ""}}},
        {"text: empty lines", true, "\n\r\n", 100, {{0, ""}, {0, ""}, {-1, ""}}},
        {"text: cut before its cr", true, "abcdef\r\nz", 3, {{3, "abc"}, {1, "z"}, {-1, ""}}},
    };
    for (const auto& c : cases) ExpectLines(ReadAll(c.bytes, c.maxLength, c.textLines), c.expected, c.name);
}

TEST(LineReader, LinesAcrossBlockBoundaries) {
    // Lines of 1..40 characters put CR, LF and line bodies on every side of
    // the block edges; a 10,000-character line spans several blocks.
    std::string bytes;
    std::vector<ReadResult> lines;
    for (int i = 0; i < 400; ++i) {
        std::string line(static_cast<size_t>(i % 40 + 1), static_cast<char>('a' + i % 26));
        if (i == 200) line = std::string(10000, 'L');
        lines.push_back({static_cast<int>(line.size()), line});
        bytes += line + "\r\n";
    }
    lines.push_back({-1, ""});
    ExpectLines(ReadAll(bytes, 20000), lines, "mixed");

    // The CR as the last byte of one block and the LF first of the next.
    std::string straddle(LineReader::BlockSize - 1, 'x');
    ExpectLines(ReadAll(straddle + "\r\nnext\r\n", LineReader::BlockSize),
                {{static_cast<int>(straddle.size()), straddle}, {4, "next"}, {-1, ""}}, "straddle");
}

TEST(LineReader, ReadsInBlocksNotBytes) {
    struct CountingFile : File {
        std::string data;
        size_t pos = 0;
        int reads = 0;
        size_t Read(void* buffer, size_t n) override {
            ++reads;
            size_t count = std::min(n, data.size() - pos);
            std::copy_n(data.data() + pos, count, static_cast<char*>(buffer));
            pos += count;
            return count;
        }
        bool Write(const void*, size_t) override { return false; }
        bool SeekToStart() override { return false; }
        bool SeekToEnd() override { return false; }
        uint64_t Position() override { return pos; }
        bool SeekTo(uint64_t) override { return false; }
        bool Flush() override { return true; }
        bool Truncate(uint64_t) override { return false; }
    } file;
    for (int i = 0; i < 1000; ++i) file.data += "line of text\r\n";  // 14,000 bytes
    LineReader reader(file);
    std::string line;
    int count = 0;
    while (reader.ReadLine(line, 100) >= 0) ++count;
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(reader.Offset(), file.data.size());
    EXPECT_LE(file.reads, 5);
}
