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
std::vector<ReadResult> ReadAll(const std::string& bytes, size_t maxLength) {
    MemoryFileSystem fs;
    fs.Files["f"] = bytes;
    auto file = fs.Open("f", OpenMode::ReadExisting);
    LineReader reader(*file);
    std::vector<ReadResult> out;
    std::string line = "stale";
    for (;;) {
        int n = reader.ReadLine(line, maxLength);
        out.push_back({n, line});
        if (n < 0) break;
    }
    return out;
}

}  // namespace

TEST(LineReader, LineEndsAndCuts) {
    struct Case {
        const char* name;
        std::string bytes;
        size_t maxLength;
        std::vector<ReadResult> expected;
    };
    const Case cases[] = {
        {"crlf", "2.16\r\nC:\\\r\n", 100, {{4, "2.16"}, {3, "C:\\"}, {-1, ""}}},
        {"lf only drops last character", "2.16\nab\n", 100, {{3, "2.1"}, {1, "a"}, {-1, ""}}},
        {"lf first byte", "\n\r\nx\r\n", 100, {{0, ""}, {0, ""}, {1, "x"}, {-1, ""}}},
        {"no final lf", "ab\r\ncd", 100, {{2, "ab"}, {-1, "cd"}}},
        {"empty file", "", 100, {{-1, ""}}},
        {"overlong cut, rest dropped", "abcdefgh\r\nz\r\n", 3, {{3, "abc"}, {1, "z"}, {-1, ""}}},
        {"one over the limit keeps limit", "abcd\r\n", 3, {{3, "abc"}, {-1, ""}}},
        {"exactly the limit", "abc\r\n", 3, {{3, "abc"}, {-1, ""}}},
        {"overlong without lf", "abcdefgh", 3, {{-1, "abc"}}},
        {"zero capacity", "abc\r\nd\r\n", 0, {{0, ""}, {0, ""}, {-1, ""}}},
        {"binary bytes kept", std::string("\x00\xff\r\r\n", 5), 10, {{3, std::string("\x00\xff\r", 3)}, {-1, ""}}},
    };
    for (const Case& c : cases) {
        std::vector<ReadResult> got = ReadAll(c.bytes, c.maxLength);
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].length, c.expected[i].length) << c.name << " line " << i;
            EXPECT_EQ(got[i].line, c.expected[i].line) << c.name << " line " << i;
        }
    }
}

TEST(LineReader, LinesAcrossBlockBoundaries) {
    // Lines of 1..40 characters put CR, LF and line bodies on every side of
    // the 4 KiB block edges; a 10,000-character line spans several blocks.
    std::string bytes;
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i) {
        std::string line(static_cast<size_t>(i % 40 + 1), static_cast<char>('a' + i % 26));
        if (i == 200) line = std::string(10000, 'L');
        lines.push_back(line);
        bytes += line + "\r\n";
    }
    std::vector<ReadResult> got = ReadAll(bytes, 20000);
    ASSERT_EQ(got.size(), lines.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(got[i].length, static_cast<int>(lines[i].size())) << "line " << i;
        EXPECT_EQ(got[i].line, lines[i]) << "line " << i;
    }
    EXPECT_EQ(got.back().length, -1);

    // The CR as the last byte of one block and the LF first of the next.
    std::string straddle(LineReader::BlockSize - 1, 'x');
    got = ReadAll(straddle + "\r\nnext\r\n", LineReader::BlockSize);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].line, std::string(LineReader::BlockSize - 1, 'x'));
    EXPECT_EQ(got[1].line, "next");
}

TEST(LineReader, ReadsInBlocksNotBytes) {
    class CountingFile : public File {
    public:
        explicit CountingFile(std::string data) : data_(std::move(data)) {}
        size_t Read(void* buffer, size_t n) override {
            ++reads;
            size_t count = std::min(n, data_.size() - pos_);
            std::copy_n(data_.data() + pos_, count, static_cast<char*>(buffer));
            pos_ += count;
            return count;
        }
        bool Write(const void*, size_t) override { return false; }
        bool SeekToStart() override { return false; }
        bool SeekToEnd() override { return false; }
        int reads = 0;

    private:
        std::string data_;
        size_t pos_ = 0;
    };
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += "line of text\r\n";  // 14,000 bytes
    CountingFile file(bytes);
    LineReader reader(file);
    std::string line;
    int count = 0;
    while (reader.ReadLine(line, 100) >= 0) ++count;
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(reader.Offset(), bytes.size());
    EXPECT_LE(file.reads, 5);
}
