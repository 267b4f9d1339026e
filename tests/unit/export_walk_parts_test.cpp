// The two parts the export's walk hands records to: the clock that stamps
// what has a tick with its date and time of day, and the assembly of the
// array's edges from the segment records.
#include <gtest/gtest.h>

#include <string>

#include "core/datafile/record_reader.h"
#include "core/export/edge_assembly.h"
#include "core/export/survey_clock.h"
#include "tests/unit/export_records.h"

namespace tesselog {
namespace {

using namespace export_records;

constexpr int32_t Dec4 = 20791;  // 2026-12-04 as days since 1970-01-01

// Each record of the bytes into the clock: date records and clock records.
void Feed(SurveyClock& clock, const std::string& bytes) {
    RecordReader reader(BytesFromMemory(bytes.data(), bytes.size()));
    DataItem item;
    while (reader.Next(item)) {
        if (item.kind == ItemKind::LineDate) clock.TakeLineDate(item);
        if (item.kind == ItemKind::Clock) clock.TakeClock(item);
    }
}
std::string Date(const char* date, const char* time) { return Fmt("Z%s %s", date, time); }
std::string Clock(const char* time, unsigned long tick) { return Fmt("*%s   %10lu", time, tick); }

void ExpectStamp(const SurveyClock& clock, uint32_t tick, int32_t day, int32_t ms) {
    const ClockStamp at = clock.Stamp(true, tick);
    EXPECT_EQ(at.Day, day) << "tick " << tick;
    EXPECT_EQ(at.TimeMs, ms) << "tick " << tick;
}

TEST(ExportSurveyClock, OnlyTheDateBeforeAClockRecord) {
    SurveyClock clock;
    EXPECT_EQ(clock.Stamp(true, 500).Day, -1);
    Feed(clock, Date("04122026", "10:00:00"));
    EXPECT_EQ(clock.LineDay(), Dec4);
    ExpectStamp(clock, 500, Dec4, -1);
    // A clock record without its tick is no clock record.
    Feed(clock, Fmt("*%s", "10:00:00.000"));
    ExpectStamp(clock, 500, Dec4, -1);
    Feed(clock, Clock("10:00:00.250", 1000));
    ExpectStamp(clock, 3000, Dec4, 36002250);
    EXPECT_EQ(clock.Stamp(false, 3000).TimeMs, -1);  // no tick, no time
    Feed(clock, Date("3x122026", "10:00:00"));
    EXPECT_EQ(clock.LineDay(), -1);
}

// Ticks on either side of midnight, and ticks before the clock record.
TEST(ExportSurveyClock, TicksAcrossMidnight) {
    SurveyClock clock;
    Feed(clock, Date("04122026", "23:59:50") + Clock("23:59:59.500", 1000));
    ExpectStamp(clock, 1400, Dec4, 86399900);
    ExpectStamp(clock, 1600, Dec4 + 1, 100);
    ExpectStamp(clock, 0, Dec4, 86398500);
    // Midnight passed between the date and the clock record; within a minute
    // before the date's time it is a clock a little behind, the same day.
    Feed(clock, Date("04122026", "23:59:50") + Clock("00:00:05.000", 1000));
    ExpectStamp(clock, 1000, Dec4 + 1, 5000);
    Feed(clock, Date("04122026", "10:00:30") + Clock("09:59:45.000", 1000));
    ExpectStamp(clock, 1000, Dec4, 35985000);
    // Ticks before the record reach back over midnight too.
    Feed(clock, Date("05122026", "00:00:01") + Clock("00:00:01.000", 5000));
    ExpectStamp(clock, 2000, Dec4, 86398000);
}

// A later clock record (the next line's) restamps from itself, also when
// the clock was set back or the counter wrapped.
TEST(ExportSurveyClock, EachClockRecordRestamps) {
    SurveyClock clock;
    Feed(clock, Date("04122026", "10:00:00") + Clock("10:00:00.000", 1000));
    Feed(clock, Date("04122026", "09:00:00") + Clock("09:00:00.000", 5000));
    ExpectStamp(clock, 6000, Dec4, 32401000);
    Feed(clock, Date("04122026", "11:00:00") + Clock("11:00:00.000", 4294967040UL));
    ExpectStamp(clock, 256, Dec4, 39600512);
}

// The segment records of one step: a..d the previous edge, e..h the
// current; west end at easting 0, east end at 2, walking north.
void TakeEdges(EdgeAssembly& edges, SegmentStep& previous, SegmentStep& closed, double from, double to) {
    const double values[8] = {0, from, 2, from, 0, to, 2, to};
    for (int i = 0; i < 8; ++i) {
        const SegmentStep step = edges.Take(uint8_t('a' + i), true, values[i]);
        if (i == 3) previous = step;
        if (i == 7) closed = step;
        if (i != 3 && i != 7) EXPECT_EQ(step.What, SegmentStep::Kind::None) << char('a' + i);
    }
}
void ExpectEdge(const SwathEdge& edge, double northing) {
    EXPECT_EQ(edge.Left.X, 0.0);
    EXPECT_EQ(edge.Left.Y, northing);
    EXPECT_EQ(edge.Right.X, 2.0);
    EXPECT_EQ(edge.Right.Y, northing);
}

TEST(ExportEdgeAssembly, StepsAndTheTimesOfTheirEdges) {
    EdgeAssembly edges;
    EXPECT_FALSE(edges.Open());
    EXPECT_EQ(edges.Take('0', false, 0.0).What, SegmentStep::Kind::Opened);
    EXPECT_TRUE(edges.Open());
    SegmentStep previous, closed;
    TakeEdges(edges, previous, closed, 10.0, 10.5);
    ASSERT_EQ(previous.What, SegmentStep::Kind::PreviousEdge);
    ExpectEdge(previous.Edge, 10.0);
    EXPECT_FALSE(previous.FixTick);  // no fix since the run opened
    ASSERT_EQ(closed.What, SegmentStep::Kind::Closed);
    ASSERT_TRUE(closed.From);
    ExpectEdge(*closed.From, 10.0);
    ExpectEdge(closed.Edge, 10.5);
    // The fix that follows takes the current edge, once.
    const auto taken = edges.Fix(true, 2000);
    ASSERT_TRUE(taken);
    ExpectEdge(*taken, 10.5);
    EXPECT_FALSE(edges.Fix(true, 2200));
    // The next step's previous edge comes with the latest fix's tick.
    TakeEdges(edges, previous, closed, 10.5, 11.0);
    EXPECT_EQ(previous.FixTick, 2200u);
    ExpectEdge(*closed.From, 10.5);
    // A fix without a tick drops the waiting edge.
    EXPECT_FALSE(edges.Fix(false, 0));
    EXPECT_FALSE(edges.Fix(true, 2400));
}

// No step joins across a pause or a "0" record, and a half-read step is
// dropped at a "0"; repeats (i..p) and empty values are not read.
TEST(ExportEdgeAssembly, NoStepAcrossABoundary) {
    EdgeAssembly edges;
    edges.Take('0', false, 0.0);
    SegmentStep previous, closed;
    TakeEdges(edges, previous, closed, 0.0, 0.5);
    edges.Fix(true, 100);
    edges.Break();
    EXPECT_FALSE(edges.Open());
    EXPECT_FALSE(edges.Fix(true, 150));  // the edge before the pause is gone
    // The step's own a..d make its previous edge, with the time of the fix
    // after the pause.
    TakeEdges(edges, previous, closed, 5.0, 5.5);
    EXPECT_EQ(previous.FixTick, 150u);
    ASSERT_TRUE(closed.From);
    ExpectEdge(*closed.From, 5.0);
    // e..h alone after a break: a current edge with no step to it.
    edges.Break();
    for (const char c : {'e', 'f', 'g'}) edges.Take(uint8_t(c), true, c == 'f' ? 7.0 : (c == 'e' ? 0.0 : 2.0));
    closed = edges.Take('h', true, 7.0);
    ASSERT_EQ(closed.What, SegmentStep::Kind::Closed);
    EXPECT_FALSE(closed.From);
    ExpectEdge(closed.Edge, 7.0);
    // a, b, c, then a "0": d completes nothing.
    for (const char c : {'a', 'b', 'c'}) edges.Take(uint8_t(c), true, 1.0);
    edges.Take('0', false, 0.0);
    EXPECT_EQ(edges.Take('d', true, 1.0).What, SegmentStep::Kind::None);
    // An empty h and a repeated edge complete nothing either.
    for (const char c : {'e', 'f', 'g'}) edges.Take(uint8_t(c), true, 1.0);
    EXPECT_EQ(edges.Take('h', false, 1.0).What, SegmentStep::Kind::None);
    EXPECT_EQ(edges.Take('p', true, 1.0).What, SegmentStep::Kind::None);
    EXPECT_EQ(edges.Take('h', true, 1.0).What, SegmentStep::Kind::Closed);
}

}  // namespace
}  // namespace tesselog
