// The compact form of map overlays: every picture comes back pixel for
// pixel, typical overlays stay small, and damaged data never write outside
// the picture.
#include "core/common/pixel_runs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace tesselog {
namespace {

constexpr uint32_t White = PixelRunWhite;

std::vector<uint32_t> Draw(int32_t w, int32_t h, const std::function<uint32_t(int32_t x, int32_t y)>& at) {
    std::vector<uint32_t> p(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < p.size(); ++i) p[i] = at(static_cast<int32_t>(i % w), static_cast<int32_t>(i / w));
    return p;
}

TEST(PixelRuns, PicturesComeBackPixelForPixel) {
    uint32_t noise = 12345;
    const struct { const char* What; int32_t W, H; std::vector<uint32_t> Pixels; size_t MaxBytes; } cases[] = {
        {"white", 700, 700, Draw(700, 700, [](int, int) { return White; }), 0},
        {"one black pixel in the last row", 9, 5, Draw(9, 5, [](int x, int y) { return x == 8 && y == 4 ? 0u : White; }), 8},
        {"first row not white", 6, 3, Draw(6, 3, [](int, int y) { return y == 0 ? 0x102030u : White; }), 12},
        {"thin diagonal line", 700, 700, Draw(700, 700, [](int x, int y) { return x == y ? 0x0000FFu : White; }), 6000},
        {"2-pixel line at a slope", 700, 700,
         Draw(700, 700, [](int x, int y) { return std::abs(2 * x - y - 100) <= 2 ? 0xFF0000u : White; }), 8000},
        // A north-going strip of four sensors, each changing class every 4 rows.
        {"colour strip", 700, 700, Draw(700, 700, [](int x, int y) {
             return x < 300 || x >= 400 ? White : (static_cast<uint32_t>((x - 300) / 25 * 7 + y / 4) % 50) * 0x050301u;
         }), 20000},
        {"noise with a high byte", 64, 64, Draw(64, 64, [&noise](int, int) {
             noise = noise * 1103515245u + 12345u;
             return (noise >> 8) | 0xFF000000u;
         }), 64 * 64 * 8},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> data = EncodePixelRuns(c.Pixels.data(), c.W, c.H);
        EXPECT_LE(data.size(), c.MaxBytes) << c.What;
        std::vector<uint32_t> back(c.Pixels.size(), 0xABCDEFu);
        ASSERT_TRUE(DecodePixelRuns(data, c.W, c.H, back.data())) << c.What;
        for (size_t i = 0; i < back.size(); ++i) ASSERT_EQ(back[i], c.Pixels[i] & 0xFFFFFFu) << c.What << " pixel " << i;
    }
}

TEST(PixelRuns, DamagedDataStopAndLeaveTheRestWhite) {
    const std::vector<uint32_t> image = Draw(10, 4, [](int x, int y) { return x == 3 ? 0x00FF00u : y == 2 ? 0x0000FFu : White; });
    std::vector<uint8_t> overlong = EncodePixelRuns(image.data(), 10, 4);
    ASSERT_GE(overlong.size(), 6u);
    overlong.insert(overlong.end(), {0x81, 0x01});  // 64 more pixels than the picture has
    const struct { const char* What; std::vector<uint8_t> Data; } cases[] = {
        {"cut inside a new colour", {0x03, 0x00, 0x12, 0x34}}, {"run past the end", overlong},
        {"unknown palette place", {0x03, 0x05}},               {"number without an end", {0xFF, 0xFF}},
        {"run of no pixels", {0x01, 0x00, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> back(40 + 8, 0xABCDEFu);  // guard pixels after the picture
        EXPECT_FALSE(DecodePixelRuns(c.Data, 10, 4, back.data())) << c.What;
        for (size_t i = 40; i < back.size(); ++i) EXPECT_EQ(back[i], 0xABCDEFu) << c.What;
        EXPECT_EQ(back[39], White) << c.What;
    }
}

}  // namespace
}  // namespace tesselog
