#include <gtest/gtest.h>

#include <string>

#include "core/datafile/data_file.h"
#include "core/datafile/record_log.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

class StepClock : public MicrosecondClock {
public:
    uint64_t Microseconds() override { return now += 1000; }
    uint64_t now = 4294967296000ULL;  // above 32 bits: the stamp must not be cut
};

std::string Record(char type, char fill) {
    std::string r(26, fill);
    r[0] = type;
    return r + "\n";
}

// The observer sees exactly the appends that reach an open file, in order;
// the log stamps every record of one append with the same time, keeps the
// record bytes as they are (a tag above 0x7F) and drops the LF.
TEST(RecordLog, LogsEachRecordOfEachAppendToAnOpenFile) {
    MemoryFileSystem fs;
    StepClock clock;
    RecordLog log(fs.Open("recordlog.txt", OpenMode::CreateTruncate), clock);
    DataFile::SetDefaultObserver(&log);
    DataFile file(fs);
    DataFile unobserved(fs);
    DataFile::SetDefaultObserver(nullptr);
    DataFile later(fs);

    const std::string reading = Record('\xD4', '5');
    const std::string group = Record('@', 'g') + Record('#', 'h');
    file.Append(reading);  // no file open: neither written nor logged
    ASSERT_TRUE(file.Open("a.mgr"));
    ASSERT_TRUE(unobserved.Open("b.mgr"));
    ASSERT_TRUE(later.Open("c.mgr"));
    file.Append(reading);
    file.Append(group);
    file.Append("tail", 4);
    unobserved.SetObserver(nullptr);
    unobserved.Append(reading);
    later.Append(reading);

    const std::string expected = "4294967297000 " + reading.substr(0, 26) + "\n" +
                                 "4294967298000 " + group.substr(0, 26) + "\n" +
                                 "4294967298000 " + group.substr(27, 26) + "\n" +
                                 "4294967299000 tail\n";
    EXPECT_EQ(fs.Files["recordlog.txt"], expected);
    EXPECT_EQ(fs.Files["a.mgr"], reading + group + "tail");
}

}  // namespace
}  // namespace tesselog
