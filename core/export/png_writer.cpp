#include "core/export/png_writer.h"

#include <zlib.h>

#include <cstring>

namespace tesselog {

namespace {

constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
    PutBigEndian(out, static_cast<uint32_t>(size));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0) out.insert(out.end(), data, data + size);
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + size));
    PutBigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> CompressPngPixels(const IndexedImage& image) {
    std::vector<uint8_t> packed;
    if (image.Width <= 0 || image.Height <= 0 || image.Pixels.size() != size_t(image.Width) * image.Height) {
        return packed;
    }
    // Each row: filter byte 0, then the row's palette indexes.
    std::vector<uint8_t> raw;
    raw.reserve(size_t(image.Width + 1) * image.Height);
    for (int32_t y = 0; y < image.Height; ++y) {
        raw.push_back(0);
        const uint8_t* row = image.Pixels.data() + size_t(y) * image.Width;
        raw.insert(raw.end(), row, row + image.Width);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    // The fastest level: a quick-look of mostly smooth rows packs well enough.
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK) {
        packed.clear();
        return packed;
    }
    packed.resize(packedSize);
    return packed;
}

std::vector<uint8_t> AssemblePng(const IndexedImage& image, const std::vector<Color>& palette,
                                 const std::vector<uint8_t>& compressed, const std::vector<PngText>& texts,
                                 int32_t transparent) {
    std::vector<uint8_t> png;
    if (compressed.empty() || palette.empty() || palette.size() > 256 || image.Width <= 0 || image.Height <= 0) {
        return png;
    }
    png.assign(Signature, Signature + sizeof Signature);
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(image.Width));
    PutBigEndian(header, static_cast<uint32_t>(image.Height));
    header.insert(header.end(), {8, 3, 0, 0, 0});  // depth 8, palette, deflate, filter 0, no interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    std::vector<uint8_t> colours;
    for (Color c : palette) {
        colours.insert(colours.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
                                       static_cast<uint8_t>((c >> 16) & 0xFF)});
    }
    PutChunk(png, "PLTE", colours.data(), colours.size());
    if (transparent >= 0 && size_t(transparent) < palette.size()) {
        // Alpha of the entries up to the transparent one; those after are opaque.
        std::vector<uint8_t> alpha(size_t(transparent) + 1, 255);
        alpha.back() = 0;
        PutChunk(png, "tRNS", alpha.data(), alpha.size());
    }
    for (const PngText& text : texts) {
        if (text.first.empty() || text.first.size() > 79) continue;
        std::vector<uint8_t> chunk(text.first.begin(), text.first.end());
        chunk.push_back(0);
        chunk.insert(chunk.end(), text.second.begin(), text.second.end());
        PutChunk(png, "tEXt", chunk.data(), chunk.size());
    }
    PutChunk(png, "IDAT", compressed.data(), compressed.size());
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

std::vector<uint8_t> EncodePng(const IndexedImage& image, const std::vector<PngText>& texts) {
    if (image.Palette.empty() || image.Palette.size() > 256) return {};
    return AssemblePng(image, image.Palette, CompressPngPixels(image), texts);
}

}  // namespace tesselog
