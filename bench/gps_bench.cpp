// Cost of a GGA sentence in the core, per sentence: framing its bytes
// (checksum included) alone, framing and decoding, and the whole path with
// the position handler (decoding, projection into the fixed zone, mask,
// speed, epoch, the texts of the GPS fields). The canvas draws nothing, so the figure is the core's own work;
// the GDI calls of the Win32 canvas come on top of it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/null_canvas.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/gps_framer.h"
#include "core/gps/position_handler.h"

namespace tesselog {
namespace {

// A thousand GGA sentences of a receiver moving at 10 Hz, with checksums.
std::string GgaStream() {
    std::string bytes;
    char body[128];
    char line[160];
    for (int i = 0; i < 1000; ++i) {
        const double seconds = 48499.6 + i * 0.1;
        const int s = static_cast<int>(seconds);
        std::snprintf(body, sizeof body,
                      "GNGGA,%02d%02d%05.2f,4134.%08d,N,09345.%08d,W,4,%02d,0.9,278.161,M,-31.442,M,6.6,0133",
                      s / 3600, s / 60 % 60, seconds - s / 60 * 60, 49795459 + i * 731, 3431408 + i * 517, 8 + i % 5);
        unsigned sum = 0;
        for (const char* p = body; *p; ++p) sum ^= static_cast<uint8_t>(*p);
        std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, sum);
        bytes += line;
    }
    return bytes;
}

void RunGgaThroughHandler(benchmark::State& st, int32_t coordinateDisplay) {
    const std::string bytes = GgaStream();
    Settings settings;
    settings.NmeaMode = NmeaModeGga;
    settings.CoordinateDisplay = coordinateDisplay;
    const NmeaModeTable mode = ApplyNmeaMode(NmeaModeGga);
    GpsStreams streams;
    LoggingStatus logging;
    logging.LoggingState = LoggingRecording;
    auto readings = std::make_unique<ConsoleReadingState>();  // 72 KB of queue: not on the stack
    GpsPositionState state;
    UtmZoneState zone;
    bool screenUpdates = true;
    GpsFieldLayout layout;
    NullCanvas canvas;
    SilentSoundPlayer sound;
    GpsMapDrawing map;
    GpsScreenHooks screen;
    GpsPositionContext context{settings, mode,   streams, logging, *readings, state, zone, screenUpdates, false,
                               layout,   canvas, sound,   map,     screen};

    GpsFramer framer(streams, mode);
    framer.Start(0);
    int64_t sentences = 0;
    int64_t valid = 0;
    for (auto _ : st) {
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, [&](const GpsLine& line) {
            if (line.PassedOn) valid += OnGpsData(context).FixValid;
            ++sentences;
        });
        state.GpsPositionCount = 0;  // never reach the file's limit
    }
    if (valid != sentences) st.SkipWithError("a sentence did not give a valid fix");
    st.SetItemsProcessed(sentences);
}

void BM_GgaFramingDecodingHandlerGeodetic(benchmark::State& st) { RunGgaThroughHandler(st, 0); }
BENCHMARK(BM_GgaFramingDecodingHandlerGeodetic);

void BM_GgaFramingDecodingHandlerUtm(benchmark::State& st) { RunGgaThroughHandler(st, 1); }
BENCHMARK(BM_GgaFramingDecodingHandlerUtm);


void BM_GgaFramingOnly(benchmark::State& st) {
    const std::string bytes = GgaStream();
    GpsStreams streams;
    GpsFramer framer(streams, ApplyNmeaMode(NmeaModeGga));
    framer.Start(0);
    int64_t sentences = 0;
    for (auto _ : st) {
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, [&](const GpsLine& line) {
            benchmark::DoNotOptimize(line.PassedOn);
            ++sentences;
        });
    }
    st.SetItemsProcessed(sentences);
}
BENCHMARK(BM_GgaFramingOnly);

void BM_GgaFramingAndDecoding(benchmark::State& st) {
    const std::string bytes = GgaStream();
    GpsStreams streams;
    const NmeaModeTable mode = ApplyNmeaMode(NmeaModeGga);
    GpsFramer framer(streams, mode);
    framer.Start(0);
    GpsFix fix;
    int64_t sentences = 0;
    int64_t valid = 0;
    for (auto _ : st) {
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, [&](const GpsLine& line) {
            if (line.PassedOn && IsPositionSentence(streams.GpsSentence, mode))
                fix = DecodeGpsFix(streams.GpsSentence, mode, 0, fix);
            valid += fix.Valid;
            ++sentences;
        });
    }
    if (valid != sentences) st.SkipWithError("a sentence did not decode to a valid fix");
    st.SetItemsProcessed(sentences);
}
BENCHMARK(BM_GgaFramingAndDecoding);

}  // namespace
}  // namespace tesselog
