// The torn end of a data file: what a power loss or a failing disk can leave
// after the last whole record, and what is cut before a header is appended.
#include <gtest/gtest.h>

#include <string>

#include "core/datafile/record_layout.h"
#include "core/existing/torn_end.h"

namespace tesselog {
namespace {

std::string Rec(const std::string& text) {
    std::string r = text;
    r.resize(RecordLfColumn, ' ');
    return r + '\n';
}

uint64_t WholeLength(const std::string& bytes, uint64_t from = 0) {
    return WholeLengthOfTail(reinterpret_cast<const uint8_t*>(bytes.data()) + from, bytes.size() - from, from);
}

TEST(TornEnd, CutsOnlyWhatIsNotWhole) {
    const std::string head = Rec("TESSEL  W216GPS0 0 20") + Rec("*10:30:00.000         1000");
    const std::string gps = Rec("@$GPGGA,103000.00,5145.000") + Rec("#0,N,00115.0000,W,4,08,1.0") +
                            Rec("!              0       1010");
    const std::string segment = Rec("{a  620806.000") + Rec("{b 5734689.000") + Rec("{c  620807.000") +
                                Rec("{d 5734690.000");
    struct Case {
        const char* what;
        std::string tail;  // after head
        size_t kept;       // bytes of tail kept
    };
    const Case cases[] = {
        {"whole records and groups", gps + segment, gps.size() + segment.size()},
        {"a piece of a record", gps + "T$P,0060,00", gps.size()},
        {"records the disk reserved but never filled", gps + std::string(2 * RecordLength, '\0'), gps.size()},
        {"a piece after zero records", gps + std::string(RecordLength, '\0') + "T$P", gps.size()},
        {"a GPS group without its trailer", segment + gps.substr(0, 2 * RecordLength), segment.size()},
        {"only the first record of a GPS group", segment + gps.substr(0, RecordLength) + "#0,N", segment.size()},
        {"a segment group of two values", gps + segment.substr(0, 2 * RecordLength), gps.size()},
        {"a segment group of three after a whole one", segment + segment.substr(0, 3 * RecordLength),
         segment.size()},
        {"the one-record segment opener", gps + Rec("{0           0.000"), gps.size() + RecordLength},
    };
    for (const Case& c : cases) {
        const std::string file = head + c.tail;
        EXPECT_EQ(WholeLength(file), head.size() + c.kept) << c.what;
        // The same answer when only the end of the file is looked at.
        EXPECT_EQ(WholeLength(file, RecordLength), head.size() + c.kept) << c.what;
    }
}

}  // namespace
}  // namespace tesselog
