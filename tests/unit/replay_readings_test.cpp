// The readings the profile replay takes back from a file: every form a
// console field can have gives the value the live handler took from it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/acquisition/console_reading.h"
#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/existing/file_replay.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

std::string ReadingRecord(int k, const std::string& values) {
    char record[RecordLength + 1];
    std::snprintf(record, sizeof record, "%c$P%-13.13s%10lu\n", ConsoleRecordTag[k], values.c_str(), 5000000ul);
    return record;
}

TEST(ReplayReadings, ProfileValuesAsTheLiveHandlerReadsThem) {
    const struct {
        const char* values;
        const char* left;
        const char* right;
    } cases[] = {
        {",0060,0065", "0060", "0065"},   {",-012,+007", "-012", "+007"},     {",12.5,1e2", "12.5", "1e2"},
        {",0x10,-0", "0x10", "-0"},       {",+3x,-.5e1", "+3x", "-.5e1"},     {",123456789012", "123456789012", ""},
        {",99999999,7", "99999999", "7"}, {",000000000001", "000000000001", ""},
    };
    Settings settings;
    settings.ConsoleType[0] = 1;
    settings.ReadingsScaleMin = -150.0;
    settings.ReadingsScaleMax = 150.0;
    settings.ProfilePaneHeight = 900;
    settings.RecomputeAll();
    ASSERT_GT(settings.ReadingsPixelsPerUnit, 1.0);
    MemoryFileSystem fs;
    DataFile file(fs);
    ASSERT_TRUE(file.Open("/r.mgr"));
    file.Append(ReadingRecord(0, ",0001,0001"));  // before the line: not replayed
    file.Append(std::string("Z04122026 10:00:00") + std::string(8, ' ') + "\n");
    for (const auto& c : cases) {
        file.Append(ReadingRecord(0, c.values));
        file.Append(ReadingRecord(1, ",0100,0100"));  // another console's
    }
    const std::vector<ProfileCurvePiece> pieces = ReplayProfile(file, settings, 0, 200);
    ASSERT_EQ(pieces.size(), 1u);
    ASSERT_EQ(pieces[0].Left.size(), std::size(cases));
    // Walking back from the newest: an empty field keeps the newer record's value.
    double left = 0.0, right = 0.0;
    for (size_t at = 0; at < std::size(cases); ++at) {
        const auto& c = cases[std::size(cases) - 1 - at];
        left = LeadingNumber(c.left);
        if (c.right[0] != 0) right = LeadingNumber(c.right);
        int32_t rows[2] = {}, decay[2] = {};
        ReadingToPixels(settings, 0, left, right, rows, decay);
        SCOPED_TRACE(c.values);
        EXPECT_EQ(pieces[0].Left[at].Y, rows[0]);
        EXPECT_EQ(pieces[0].Right[at].Y, rows[1]);
    }
}

}  // namespace
}  // namespace tesselog
