// Console bytes through the framers of both console types and every accepted
// sentence through the reading handler: a slot stays terminated, and a call
// writes one whole reading record while recording and nothing otherwise.
// Byte 0 picks the two consoles, byte 1 the set-up, the rest is the stream.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "core/acquisition/console_framer.h"
#include "core/acquisition/console_reading.h"
#include "core/platform/memory_file_system.h"
#include "fresh_state.h"

using namespace tesselog;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct World {
    Settings settings;
    ConsoleStreams streams;
    LoggingStatus logging;
    ConsoleReadingState& state = FreshState<ConsoleReadingState>();
    MemoryFileSystem fs;
    DataFile dataFile{fs};
    ManualClock clock;
    SilentSoundPlayer sound;
    ReadingDisplay display;
    ConsoleReadingContext context{settings, streams, logging, state, dataFile, clock, sound, display};
    const std::string path = "C:\\DATA\\FUZZ.MGR";

    void Deliver(int k, const char* sentence, size_t length) {
        StoreAcceptedSentence(streams, k, sentence, length, clock.Tick());
        Check(std::memchr(streams.ConsoleSentence[k], 0, ConsoleSentenceSize) != nullptr);
        size_t before = fs.Files[path].size();
        ConsoleReadingHandler(k, context);
        const std::string& file = fs.Files[path];
        size_t written = file.size() - before;
        bool recording = logging.LoggingState.load() == LoggingRecording;
        Check(written == (recording ? static_cast<size_t>(RecordLength) : 0u));
        if (written) Check(file.back() == '\n' && !std::memchr(file.data() + before, '\n', RecordLfColumn));
        Check(streams.ConsoleSentence[k][0] == 0);
        for (int s = 0; s < MaxSensors; ++s)
            Check(state.AmplitudeCount[s] >= 0 && state.AmplitudeCount[s] <= AmplitudeBankSize);
        clock.CurrentTick += 97;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int twoSensor = data[0] % MaxConsoles;
    const int oneSensor = (data[0] / MaxConsoles) % MaxConsoles;
    const uint8_t setup = data[1];
    data += 2;
    size -= 2;

    World w;
    w.settings.ConsoleCount = MaxConsoles;
    w.settings.ConsoleType[twoSensor] = 1;
    w.settings.ConsoleType[oneSensor] = 0;  // may be the same console: a mismatched sentence
    w.settings.MapDisplayType = (setup >> 2) & 1;
    if (setup & 8) w.settings.ReadingsScaleMax = w.settings.ReadingsScaleMin;  // a zero colour step
    if (setup & 32) std::swap(w.settings.ReadingsScaleMin, w.settings.ReadingsScaleMax);
    w.settings.ProfilePaneHeight = 200;
    w.settings.DecayPaneHeight = 80;
    w.settings.RecomputeAll();
    SetConsoleFirstSensors(w.state, w.settings);
    SetColourStep(w.state, w.settings);
    w.state.AmplitudeQueueOn = (setup & 64) ? 0 : 1;
    w.state.StationStarted = (setup >> 7) & 1;
    if (setup & 16)
        for (int32_t& count : w.state.AmplitudeCount) count = AmplitudeBankSize - 3;
    const int32_t states[] = {LoggingRecording, LoggingRecording, LoggingStandBy, LoggingMonitoring};
    w.logging.LoggingState = states[setup & 3];
    w.clock.CurrentTick = 0xFFFFF000u;  // the tick wraps during the run
    w.logging.LoggingStartTick = w.clock.CurrentTick;
    if (!w.dataFile.Open(w.path)) std::abort();

    ConsoleFramer framers[2] = {ConsoleFramer(ConsoleMinSentenceFor(1)), ConsoleFramer(ConsoleMinSentenceFor(0))};
    const int consoles[2] = {twoSensor, oneSensor};
    for (size_t i = 0; i < size; ++i) {
        for (int f = 0; f < 2; ++f) {
            if (!framers[f].Feed(data[i])) continue;
            Check(framers[f].SentenceLength() < static_cast<size_t>(ConsoleSentenceSize));
            Check(std::strlen(framers[f].Sentence()) <= framers[f].SentenceLength());
            w.Deliver(consoles[f], framers[f].Sentence(), framers[f].SentenceLength());
        }
    }
    return 0;
}
