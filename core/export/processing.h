// The first processing steps of a survey, done on a copy of the placed
// readings (the raw tables are never changed by them), in this order:
//
// 1. Lag correction: each reading moved back along its sensor's path by a
//    time. The path is known at the times of the array's edges (a fix's
//    edge at the time its sentence began to arrive; on a local grid, the
//    array at each console-1 reading); a reading is placed where its sensor
//    was at the reading's own time less the lag, between the edges around
//    that time (beyond a run's first or last edge, on the line through its
//    first or last two). This is the usual cure for the herringbone of a
//    zig-zag survey, whose readings come some time after the place they
//    were taken.
// 2. Despike: each sensor's readings along a line and run, in the order
//    taken; a reading farther than the threshold from the median of the
//    readings around it (a window of that many readings centred on it, kept
//    whole at the ends of the sequence) is replaced by that median.
// 3. Destripe (zero-median traverse): the median of each traverse's
//    readings of each sensor is taken off them, so that sensors, lines and
//    the two headings of a zig-zag survey meet at one level. A line walked
//    on through its turns holds several traverses (traverses.h).
// 4. Clip: values limited to a range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/export/quick_grid.h"
#include "core/export/survey_walk.h"
#include "core/export/traverses.h"

namespace tesselog {

// What the steps need to know of a placed reading beside its place and
// value (GridPoint), one entry per point.
struct PointInfo {
    uint32_t Tick = 0;
    int32_t Line = -1;       // line block (SurveyWalk::Lines())
    int32_t Run = 0;
    int16_t Session = 0;
    uint8_t Sensor = 0;      // 0-based across the array
    bool HasTick = false;
};
// A placed reading's note for the processing steps.
PointInfo InfoOf(const PositionedReading& reading);

struct ProcessingSteps {
    bool Lag = false;
    double LagSeconds = 0.0;
    bool Despike = false;
    double DespikeThreshold = 0.0;  // reading units
    int32_t DespikeWindow = 9;      // readings, odd, at least 3
    bool Destripe = false;
    bool Clip = false;
    double ClipMin = 0.0;
    double ClipMax = 0.0;

    bool Any() const { return Lag || Despike || Destripe || Clip; }
    // What was done, in order, in words: "lag corrected by 0.2 s; ...".
    std::string Describe(const std::string& unit) const;
};

struct ProcessingCounts {
    int64_t Moved = 0;       // readings placed again by the lag correction
    int64_t Spikes = 0;      // readings replaced by their window's median
    int64_t Clipped = 0;
};

// The walk supplies the timeline of edges, each session's sensor places
// across an edge, and the lines (for the destripe's traverses).
ProcessingCounts ApplyProcessing(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos,
                                 const ProcessingSteps& steps, const SurveyWalk& walk);

// The single steps, for callers and tests.
int64_t CorrectLag(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, double seconds,
                   const std::vector<TimedEdge>& timeline, const std::vector<std::vector<double>>& across);
int64_t Despike(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, double threshold,
                int32_t window);
void Destripe(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, const Traverses& traverses);
int64_t Clip(std::vector<GridPoint>& points, double low, double high);

}  // namespace tesselog
