// A compact, lossless form of a picture that is mostly white with thin
// lines and strips on it: a map tile's overlay while it is not held as a
// bitmap. Pixels are taken in rows from the top, each as 0x00RRGGBB (the
// colour bits of a 32-bit device-independent row; the top byte is ignored).
//
// The form is a list of runs. A run either repeats the pixel one row above
// (white above the first row), which covers blank areas and rows that
// continue the row before, or gives one colour, named by its place in a
// palette that the runs build as they go. Pixels after the last run repeat
// the row above, so an all-white picture is empty and a tile crossed by a
// thin line takes a few bytes per row.
#pragma once

#include <cstdint>
#include <vector>

namespace tesselog {

constexpr uint32_t PixelRunWhite = 0xFFFFFFu;

// The compact form of width x height pixels.
std::vector<uint8_t> EncodePixelRuns(const uint32_t* pixels, int32_t width, int32_t height);

// Writes the width x height pixels back. Damaged data (a run past the end,
// an unknown palette entry, a cut-off number) give false; the pixels from
// the damage on are then white.
bool DecodePixelRuns(const std::vector<uint8_t>& data, int32_t width, int32_t height, uint32_t* pixels);

}  // namespace tesselog
