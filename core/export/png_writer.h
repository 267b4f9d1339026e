// PNG encoding of an indexed picture: the chunk layout (signature, IHDR,
// PLTE, IDAT, IEND, each with its CRC) is written here, the compression and
// the CRC come from zlib. This file is built into a library of its own
// (tesselog_png), so that the core does not depend on zlib.
#pragma once

#include <cstdint>
#include <vector>

#include "core/export/grid_picture.h"

namespace tesselog {

// The PNG file's bytes: colour type 3 (palette), 8 bits per pixel, every row
// with filter 0. Empty for an image without pixels or with more than 256
// palette entries, or when zlib fails.
std::vector<uint8_t> EncodePng(const IndexedImage& image);

}  // namespace tesselog
