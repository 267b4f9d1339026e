// The overlay tiles of an in-memory map as strokes: every line and dot with
// its pen (and brush), per tile, in drawing order. How the strokes were
// batched into paint calls and how often a pen was selected leave no trace,
// so a track painted fix by fix and the same track painted in large batches
// compare equal.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/common/colour_palette.h"
#include "core/map/map_tiles.h"

namespace tesselog::test {

using TileStrokes = std::map<std::pair<int32_t, int32_t>, std::vector<std::string>>;

inline TileStrokes OverlayStrokes(const MemoryMapTiles& tiles) {
    TileStrokes all;
    for (const auto& [key, tile] : tiles.Tiles) {
        std::string pen, brush;
        std::vector<std::string> strokes;
        for (const std::string& call : tile.Overlay.Calls) {
            if (call.rfind("pen", 0) == 0) pen = call;
            else if (call.rfind("brush", 0) == 0) brush = call;
            else if (call.rfind("line", 0) == 0) strokes.push_back(call + " " + pen);
            else if (call.rfind("ellipse", 0) == 0) strokes.push_back(call + " " + pen + " " + brush);
            else if (call.rfind("fill", 0) == 0) strokes.clear();
        }
        if (!strokes.empty()) all[key] = std::move(strokes);
    }
    return all;
}

// The strokes: all of them (dots, and lines of the 2-pixel strips), or the
// strip lines of colour class `index`. A strip line is two 1-pixel lines
// side by side on the tiles, so lines are counted in pairs.
inline int CountStrokes(const TileStrokes& all, int index = -1) {
    char pen[32];
    std::snprintf(pen, sizeof pen, " pen %06x 1", index < 0 ? 0u : unsigned(ColourClassColor(index)));
    int lines = 0, dots = 0;
    for (const auto& entry : all) {
        for (const std::string& s : entry.second) {
            if (s.rfind("ellipse", 0) == 0) dots += index < 0;
            else lines += index < 0 || s.find(pen) != std::string::npos;
        }
    }
    return lines / 2 + dots;
}

}  // namespace tesselog::test
