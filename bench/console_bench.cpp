// Cost of a console sentence in the core: framing its bytes and, while
// recording, the reading handler with its record write. The data file lives in
// memory, so this measures the program's own work, not the disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/acquisition/console_framer.h"
#include "core/acquisition/console_reading.h"
#include "core/platform/memory_file_system.h"
#include "core/platform/stdio_file_system.h"

namespace tesselog {
namespace {

// A thousand two-sensor sentences of varied values, as the console sends them.
std::string SentenceStream() {
    std::string bytes;
    char line[64];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(line, sizeof line, "$PBAR,%04d,%+07.1f\r\n", (i * 37) % 600, (i * 53) % 900 - 200.5);
        bytes += line;
    }
    return bytes;
}

void BM_FramerOnly(benchmark::State& st) {
    const std::string bytes = SentenceStream();
    ConsoleFramer framer(ConsoleMinSentenceFor(1));
    int64_t sentences = 0;
    for (auto _ : st) {
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                    [&](const char* s, size_t) { benchmark::DoNotOptimize(s); ++sentences; });
    }
    st.SetItemsProcessed(sentences);
}
BENCHMARK(BM_FramerOnly);

// Frames and handles every sentence of the stream while recording into a
// data file on fs; restart() keeps the file bounded between passes.
template <typename Restart>
void RunRecording(benchmark::State& st, FileSystem& fs, const std::string& path, Restart restart) {
    const std::string bytes = SentenceStream();
    Settings settings;
    settings.ProfilePaneHeight = 120;
    settings.DecayPaneHeight = 60;
    settings.RecomputeAll();
    ConsoleStreams streams;
    LoggingStatus logging;
    logging.LoggingState = LoggingRecording;
    auto state = std::make_unique<ConsoleReadingState>();
    SetConsoleFirstSensors(*state, settings);
    SetColourStep(*state, settings);
    state->AmplitudeQueueOn = 1;
    DataFile dataFile(fs);
    dataFile.Open(path);
    ManualClock clock;
    SilentSoundPlayer sound;
    ReadingDisplay display;
    ConsoleReadingContext context{settings, streams, logging, *state, dataFile, clock, sound, display};
    ConsoleReader reader(streams, settings, 0);  // console 1: every extra of the handler runs

    int64_t sentences = 0;
    for (auto _ : st) {
        for (char byte : bytes) {
            if (!reader.Feed(static_cast<uint8_t>(byte), clock)) continue;
            ConsoleReadingHandler(0, context);
            ++clock.CurrentTick;
            if (++sentences % 10 == 0) {
                // What the GPS position handler does at a fix: flip and empty.
                state->AmplitudeBank ^= 1;
                for (int32_t& count : state->AmplitudeCount) count = 0;
            }
        }
        st.PauseTiming();
        restart(dataFile);
        st.ResumeTiming();
    }
    st.SetItemsProcessed(sentences);
}

void BM_FramerAndHandlerRecording(benchmark::State& st) {
    MemoryFileSystem fs;
    const std::string path = "C:\\DATA\\BENCH.MGR";
    RunRecording(st, fs, path, [&](DataFile& file) {
        fs.Files[path].clear();
        file.SeekToStart();
    });
}
BENCHMARK(BM_FramerAndHandlerRecording);

// The same with a real file: one write() of the operating system per record.
void BM_FramerAndHandlerRecordingToDisk(benchmark::State& st) {
    StdioFileSystem fs;
    const std::string path = "/tmp/tesselog-bench.mgr";
    RunRecording(st, fs, path, [&](DataFile& file) {
        file.Close();
        file.Open(path, OpenMode::CreateTruncate);
    });
    std::remove(path.c_str());
}
BENCHMARK(BM_FramerAndHandlerRecordingToDisk);

}  // namespace
}  // namespace tesselog
