// The array's edges as the segment records give them. A "0" record opens a
// run of steps; each step records the previous edge (a..d) and the current
// edge (e..h), left and right end each; i..p repeat the same edges and are
// not read. A step's current edge is the next step's previous edge, and it
// belongs to the fix whose sentence follows its records.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/map/swath.h"

namespace tesselog {

// What one segment record completed.
struct SegmentStep {
    enum class Kind {
        None,          // nothing yet
        Opened,        // a "0" record: a run of steps begins, no edge before it
        PreviousEdge,  // a..d complete: Edge, with the tick of the fix before them
        Closed,        // e..h complete: a step From (none after a gap) to Edge
    };
    Kind What = Kind::None;
    SwathEdge Edge;
    std::optional<SwathEdge> From;
    std::optional<uint32_t> FixTick;
};

class EdgeAssembly {
public:
    SegmentStep Take(uint8_t code, bool valid, double value);
    // A valid fix: with a tick, the edge that waited for it, if one did.
    std::optional<SwathEdge> Fix(bool hasTick, uint32_t tick);
    // A start, a pause or a new session: no step joins across it.
    void Break();
    // Between a "0" record and the next break: readings wait for their step.
    bool Open() const { return open_; }

private:
    SwathEdge EdgeAt(int at) const;

    std::array<double, 8> values_{};
    std::array<bool, 8> seen_{};
    bool open_ = false;
    std::optional<SwathEdge> previous_;
    std::optional<SwathEdge> waiting_;   // the current edge, until its fix
    std::optional<uint32_t> fixTick_;    // the latest fix's tick since the break
};

}  // namespace tesselog
