// PNG encoding of an indexed picture: the chunk layout (signature, IHDR,
// PLTE, tRNS, tEXt, IDAT, IEND, each with its CRC) is written here, the compression and
// the CRC come from zlib. This file is built into a library of its own
// (tesselog_png), so that the core does not depend on zlib.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/export/grid_picture.h"

namespace tesselog {

// A tEXt chunk: keyword (1..79 Latin-1 characters) and text.
using PngText = std::pair<std::string, std::string>;

// The PNG file's bytes: colour type 3 (palette), 8 bits per pixel, every row
// with filter 0, the texts before the pixels. Empty for an image without
// pixels or with more than 256 palette entries, or when zlib fails.
std::vector<uint8_t> EncodePng(const IndexedImage& image, const std::vector<PngText>& texts = {});

// The same in two steps, so that one picture's pixels, compressed once, go
// out with several palettes: the compressed pixel rows (empty when zlib
// fails), and the file around them with the image's size and a palette;
// palette entry `transparent` (when not -1) is fully transparent (a tRNS
// chunk), every other entry opaque.
std::vector<uint8_t> CompressPngPixels(const IndexedImage& image);
std::vector<uint8_t> AssemblePng(const IndexedImage& image, const std::vector<Color>& palette,
                                 const std::vector<uint8_t>& compressed, const std::vector<PngText>& texts,
                                 int32_t transparent = -1);

}  // namespace tesselog
