// Cost of the field warnings in the core: one console sentence through the
// sensor health (both sensors of a two-sensor console, nine consoles), and
// one fix through the position countdown, the spacing, the clock check and
// the gap finder (beside a line already walked, so every ray meets a swath).
// The argument of BM_QcFix is the step between fixes in centimetres.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/qc/field_qc.h"
#include "core/qc/speed_rule.h"

namespace tesselog {
namespace {

// Nine two-sensor consoles, 1 m apart: the logging screen's full set-up.
Settings NineConsoles() {
    Settings s;
    s.ConsoleCount = 9;
    for (int32_t& type : s.ConsoleType) type = 1;
    s.RecomputeAll();
    return s;
}

// 4,096 sentences with a slowly changing field and a unit of noise.
std::vector<std::string> Sentences() {
    std::vector<std::string> out;
    uint32_t x = 12345;
    char text[32];
    for (int i = 0; i < 4096; ++i) {
        x = x * 1664525u + 1013904223u;
        const int a = 60 + (i / 40) % 9 + static_cast<int>(x >> 30);
        const int b = 58 + (i / 50) % 7 + static_cast<int>((x >> 20) & 3);
        std::snprintf(text, sizeof text, "$PBAR,%04d,%04d", a, b);
        out.push_back(text);
    }
    return out;
}

// The field warnings of nine two-sensor consoles with their default settings.
struct QcRig {
    FieldWarnings warnings;
    FieldQc field{warnings};
    explicit QcRig(bool file) {
        field.Open(NineConsoles(), QcSettings());
        if (file) field.NewFile();
    }
};

void BM_QcReading(benchmark::State& st) {
    QcRig rig(false);
    FieldQc& field = rig.field;
    const std::vector<std::string> sentences = Sentences();
    uint32_t tick = 0;
    size_t i = 0;
    for (auto _ : st) {
        const std::string& s = sentences[i++ % sentences.size()];
        const int k = static_cast<int>(i % 9);
        if (k == 0) tick += 18;  // each console 56 times a second
        field.Reading(k, tick, std::atof(s.c_str() + 6), std::atof(s.c_str() + 11), s.data(), s.size());
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_QcReading);

void BM_QcFix(benchmark::State& st) {
    QcRig rig(true);
    FieldQc& field = rig.field;
    // A line 600 m long walked north at easting 0 (swath 18 m), then the next
    // one beside it, a fix every 5 cm (20 Hz at 1 m/s).
    field.Go();
    for (int i = 0; i <= 12000; ++i) field.SwathEdge({{-9.0, i * 0.05}, {9.0, i * 0.05}});
    field.Go();
    const double step = st.range(0) / 100.0;  // metres between fixes
    int32_t count = 0;
    uint32_t tick = 0;
    double y = 600.0;
    for (auto _ : st) {
        tick += 50;
        y = y <= 0.0 ? 600.0 : y - step;
        field.PositionCounted(tick, ++count % 20000, 28800);
        field.Step(tick, step, 18.0, y);
        field.FixTime(36000.0 + tick / 1000.0, static_cast<int32_t>(36000000 + tick));
        benchmark::DoNotOptimize(field.SwathEdge({{27.0, y}, {9.0, y}}));
    }
    st.SetItemsProcessed(st.iterations());
}
// One file's worth of fixes, 5 cm apart (20 Hz at walking pace: the gap
// finder takes every fifth edge) and 25 cm apart (it takes every one).
BENCHMARK(BM_QcFix)->Arg(5)->Arg(25)->Iterations(28800);

// The same beside a line one interval too far (a missed traverse): every
// edge's ray crosses 1 m of open ground, probed every eighth of a metre,
// and adds a piece to the gap.
void BM_QcFixMissedTraverse(benchmark::State& st) {
    QcRig rig(true);
    FieldQc& field = rig.field;
    field.Go();
    for (int i = 0; i <= 12000; ++i) field.SwathEdge({{-9.0, i * 0.05}, {9.0, i * 0.05}});
    field.Go();
    int32_t count = 0;
    uint32_t tick = 0;
    double y = 600.0;
    for (auto _ : st) {
        tick += 50;
        y = y <= 0.0 ? 600.0 : y - 0.25;
        field.PositionCounted(tick, ++count % 20000, 28800);
        field.Step(tick, 0.25, 19.0, y);
        field.FixTime(36000.0 + tick / 1000.0, static_cast<int32_t>(36000000 + tick));
        benchmark::DoNotOptimize(field.SwathEdge({{28.0, y}, {10.0, y}}));
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_QcFixMissedTraverse)->Iterations(2400);

// Lines of 30 m, 18 m apart as the swath is wide, walked on through their
// turns after one "&Go", a fix every 25 cm: every ray passes over the lines
// just walked (they cannot count yet) to the ones before, and the ground it
// passed is probed for open stretches.
void BM_QcFixThroughTurns(benchmark::State& st) {
    QcRig rig(true);
    FieldQc& field = rig.field;
    field.Go();
    const double step = 0.25, length = 30.0, spacing = 18.0;
    const double perLine = length + spacing;
    double walked = 0.0;
    for (auto _ : st) {
        walked += step;
        const int line = static_cast<int>(walked / perLine);
        const double along = walked - line * perLine;
        const bool north = line % 2 == 0;
        double x = line * spacing, y = north ? along : length - along;
        double acrossX = north ? 9.0 : -9.0, acrossY = 0.0;  // from the reference to the right end
        if (along > length) {  // crossing to the next line along the end
            x += along - length;
            y = north ? length : 0.0;
            acrossX = 0.0;
            acrossY = -9.0;  // heading east: the right end to the south
        }
        benchmark::DoNotOptimize(field.SwathEdge({{x - acrossX, y - acrossY}, {x + acrossX, y + acrossY}}));
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_QcFixThroughTurns)->Iterations(28800);

// The ground speed alone: 20 Hz fixes of a walk at 1 m/s, a second of them
// held for the distance a second back.
void BM_SpeedRule(benchmark::State& st) {
    SpeedRule rule;
    uint32_t tick = 0;
    double north = 0.0;
    for (auto _ : st) {
        rule.AddFix(tick += 50, 500000.0, north += 0.05, 2.0);
        benchmark::DoNotOptimize(rule.TooFast());
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_SpeedRule)->Iterations(576000);

}  // namespace
}  // namespace tesselog
