#include "core/common/pixel_runs.h"

#include <algorithm>
#include <unordered_map>

namespace tesselog {

namespace {

// A run is one number: its length times two, plus 1 for a colour run. A
// colour run is followed by its palette place; the place one past the end
// brings a new colour in its next three bytes (blue, green, red).
constexpr uint64_t ColourRunFlag = 1;

void PutNumber(std::vector<uint8_t>& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

bool GetNumber(const std::vector<uint8_t>& data, size_t& at, uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64 && at < data.size(); shift += 7) {
        const uint8_t byte = data[at++];
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return true;
    }
    return false;
}

class RunWriter {
public:
    explicit RunWriter(std::vector<uint8_t>& out) : out_(out) {}

    void Above(size_t count) { PutNumber(out_, static_cast<uint64_t>(count) << 1); }

    void Colour(size_t count, uint32_t colour) {
        PutNumber(out_, (static_cast<uint64_t>(count) << 1) | ColourRunFlag);
        auto found = palette_.find(colour);
        if (found != palette_.end()) {
            PutNumber(out_, found->second);
            return;
        }
        const uint32_t place = static_cast<uint32_t>(palette_.size());
        palette_.emplace(colour, place);
        PutNumber(out_, place);
        out_.push_back(static_cast<uint8_t>(colour));
        out_.push_back(static_cast<uint8_t>(colour >> 8));
        out_.push_back(static_cast<uint8_t>(colour >> 16));
    }

private:
    std::vector<uint8_t>& out_;
    std::unordered_map<uint32_t, uint32_t> palette_;
};

}  // namespace

std::vector<uint8_t> EncodePixelRuns(const uint32_t* pixels, int32_t width, int32_t height) {
    std::vector<uint8_t> out;
    if (width <= 0 || height <= 0) return out;
    const size_t w = static_cast<size_t>(width);
    const size_t total = w * static_cast<size_t>(height);
    auto pixel = [pixels](size_t i) { return pixels[i] & PixelRunWhite; };
    auto above = [&](size_t i) { return i < w ? PixelRunWhite : pixel(i - w); };
    RunWriter writer(out);
    size_t pendingAbove = 0;  // an above run is written only when a colour run follows it
    size_t i = 0;
    while (i < total) {
        size_t sameAbove = 0;
        while (i + sameAbove < total && pixel(i + sameAbove) == above(i + sameAbove)) ++sameAbove;
        const uint32_t colour = pixel(i);
        size_t sameColour = 1;
        while (i + sameColour < total && pixel(i + sameColour) == colour) ++sameColour;
        if (sameAbove >= sameColour) {
            pendingAbove += sameAbove;
            i += sameAbove;
            continue;
        }
        if (pendingAbove > 0) writer.Above(pendingAbove);
        pendingAbove = 0;
        writer.Colour(sameColour, colour);
        i += sameColour;
    }
    return out;
}

bool DecodePixelRuns(const std::vector<uint8_t>& data, int32_t width, int32_t height, uint32_t* pixels) {
    if (width <= 0 || height <= 0) return data.empty();
    const size_t w = static_cast<size_t>(width);
    const size_t total = w * static_cast<size_t>(height);
    std::vector<uint32_t> palette;
    auto copyAbove = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) pixels[i] = i < w ? PixelRunWhite : pixels[i - w];
    };
    size_t i = 0;
    size_t at = 0;
    bool whole = true;
    while (at < data.size()) {
        uint64_t token = 0;
        if (!GetNumber(data, at, token) || (token >> 1) > total - i || (token >> 1) == 0) {
            whole = false;
            break;
        }
        const size_t count = static_cast<size_t>(token >> 1);
        if ((token & ColourRunFlag) == 0) {
            copyAbove(i, i + count);
            i += count;
            continue;
        }
        uint64_t place = 0;
        if (!GetNumber(data, at, place) || place > palette.size()) {
            whole = false;
            break;
        }
        if (place == palette.size()) {
            if (data.size() - at < 3) {
                whole = false;
                break;
            }
            palette.push_back(data[at] | (data[at + 1] << 8) | (static_cast<uint32_t>(data[at + 2]) << 16));
            at += 3;
        }
        std::fill(pixels + i, pixels + i + count, palette[place]);
        i += count;
    }
    if (!whole) {
        std::fill(pixels + i, pixels + total, PixelRunWhite);
        return false;
    }
    copyAbove(i, total);
    return true;
}

}  // namespace tesselog
