#include "core/export/edge_assembly.h"

namespace tesselog {

SwathEdge EdgeAssembly::EdgeAt(int at) const {
    return SwathEdge{{values_[at], values_[at + 1]}, {values_[at + 2], values_[at + 3]}};
}

SegmentStep EdgeAssembly::Take(uint8_t code, bool valid, double value) {
    SegmentStep step;
    if (code == '0') {
        open_ = true;
        previous_.reset();
        waiting_.reset();
        seen_.fill(false);
        step.What = SegmentStep::Kind::Opened;
        return step;
    }
    if (code < 'a' || code > 'h' || !valid) return step;
    const int i = code - 'a';
    values_[i] = value;
    seen_[i] = true;
    if (code == 'd' && seen_[0] && seen_[1] && seen_[2]) {
        previous_ = EdgeAt(0);
        step = {SegmentStep::Kind::PreviousEdge, *previous_, std::nullopt, fixTick_};
    }
    if (code == 'h' && seen_[4] && seen_[5] && seen_[6]) {
        step = {SegmentStep::Kind::Closed, EdgeAt(4), previous_, std::nullopt};
        previous_ = step.Edge;
        waiting_ = step.Edge;
        seen_.fill(false);
    }
    return step;
}

std::optional<SwathEdge> EdgeAssembly::Fix(bool hasTick, uint32_t tick) {
    std::optional<SwathEdge> edge;
    if (hasTick) {
        edge = waiting_;
        fixTick_ = tick;
    }
    waiting_.reset();
    return edge;
}

void EdgeAssembly::Break() {
    open_ = false;
    previous_.reset();
    waiting_.reset();
    fixTick_.reset();
}

}  // namespace tesselog
