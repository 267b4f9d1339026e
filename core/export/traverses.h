// The traverses of each survey line: the stretches of the array's path
// between two reversals of its heading. The program allows walking on
// through the turns at the line ends, so one line ("&Go" to pause) can hold
// several traverses walked in opposite directions, each with its own
// heading error; the destripe takes a median per traverse and sensor, and
// the line report counts them.
//
// Lines are keyed by session and name, as the report keys them. A line's
// path is the centres of its edges (the timeline), in file order. Its axis
// is the mean direction of its steps taken as axes (each step's angle
// doubled, weighted by its length), so that steps one way and back count
// alike and the short steps across at the turns hardly count. The path's
// place along that axis turns at a reversal: once it has come back from its
// farthest point by more than the larger of 1 m and a tenth of the line's
// extent along the axis, the traverse ends where the steady way back began
// (the path coming back on every step from there on): standing at the end
// belongs to the traverse that came there. Standing still, the receiver's
// jitter (centimetres for RTK, decimetres for a DGPS fix) never comes back
// that far.
#pragma once

#include <cstdint>
#include <vector>

#include "core/export/survey_walk.h"

namespace tesselog {

// Each line block's key: blocks of one session with one name share it.
struct LineKeys {
    std::vector<int32_t> OfBlock;
    int32_t Count = 0;
};
LineKeys KeyLines(const std::vector<SurveyLine>& lines);

class Traverses {
public:
    // `unitsPerMetre` is the display unit's count in a metre.
    Traverses(const std::vector<TimedEdge>& timeline, const std::vector<SurveyLine>& lines, double unitsPerMetre);

    const LineKeys& Keys() const { return keys_; }
    // Traverses of line key k: 0 for a line without a path of two edges.
    int32_t CountOf(int32_t key) const { return counts_[size_t(key)]; }
    // The traverse (0-based within its line) of a moment of a run: that of
    // the run's last edge at or before it, or of its first edge; 0 for a run
    // without edges. The same answer whatever was asked before; fastest when
    // asked in the order of the file.
    int32_t At(int32_t run, uint32_t tick) const;

private:
    void Split(const std::vector<size_t>& path, const std::vector<TimedEdge>& timeline, double unitsPerMetre);

    LineKeys keys_;
    std::vector<int32_t> counts_;
    std::vector<int32_t> traverse_;   // per timeline edge
    std::vector<int32_t> runs_;       // the runs in timeline order, one entry each
    std::vector<size_t> runBegin_;    // first edge of each run, and the end
    std::vector<uint32_t> runTick_;   // the tick of each run's first edge
    std::vector<int32_t> offset_;     // per edge: ms from its run's first edge
    mutable size_t lastRun_ = 0;
    mutable size_t lastEdge_ = 0;
};

}  // namespace tesselog
