#include "tools/sim/field_check.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/acquisition/console_reading.h"
#include "core/common/length_units.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/position_handler.h"
#include "core/map/swath.h"
#include "core/platform/battery.h"
#include "core/platform/disk_space.h"
#include "core/qc/field_qc.h"

namespace tesselog::sim {
namespace {

// The program's set-up for the simulated array: its consoles, the sensor
// spacing as both separations, the antenna at the array's centre.
Settings SettingsFor(const SimConfig& config, int32_t displayUnits)
{
    Settings s;
    s.ConsoleCount = static_cast<int32_t>(config.ConsoleSensors.size());
    for (size_t k = 0; k < config.ConsoleSensors.size() && k < MaxConsoles; ++k) {
        s.ConsoleType[k] = config.ConsoleSensors[k] == 2 ? 1 : 0;
    }
    s.UnitSensorSeparation = s.ConsoleSeparation = config.SensorSpacing;
    s.GpsOffsetY = 0.0;
    s.RecomputeAll();
    s.GpsOffsetX = s.ArrayWidth / 2.0;  // metres, as the settings keep it
    s.DisplayUnits = displayUnits;      // the derived lengths then in the map's unit
    s.RecomputeAll();
    return s;
}

std::string LineOf(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\r'));
}

// The margins the quiet field leaves below each sensor rule.
class Margins {
public:
    explicit Margins(int sensors) : runs_(static_cast<size_t>(sensors)) {}

    void Restart()
    {
        for (Run& run : runs_) {
            run.Open = false;
        }
    }

    void Take(FieldCheckFigures& figures, int sensor, double seconds, double value)
    {
        Run& run = runs_[static_cast<size_t>(sensor)];
        if (!run.Open || value != run.Low) {
            run = {true, value, value, seconds};
        }
        figures.LongestStillSeconds = std::max(figures.LongestStillSeconds, seconds - run.Start);
        figures.LowestReading = std::min(figures.LowestReading, value);
        figures.HighestReading = std::max(figures.HighestReading, value);
    }

private:
    struct Run {
        bool Open = false;
        double Low = 0.0, High = 0.0;
        double Start = 0.0;
    };
    std::vector<Run> runs_;
};

}  // namespace

FieldCheckFigures RunFieldCheck(const SimConfig& config, double seconds, const QcSettings& qc,
                                const FieldCheckPlatform& platform, FieldCheckWalk walk, const FieldCheckSurvey& survey)
{
    FieldCheckFigures figures;
    figures.LowestReading = 1e300;
    figures.HighestReading = -1e300;
    const Settings settings = SettingsFor(config, survey.DisplayUnits);
    Simulation sim(config);
    FieldWarnings warnings;
    FieldQc field(warnings);
    field.Open(settings, qc);
    field.NewFile();
    Margins margins(sim.SensorCount());

    // A GGA receiver, or a total station's GGA-shaped line of grid coordinates.
    const bool station = config.GpsMode == 7;
    const NmeaModeTable mode = ApplyNmeaMode(station ? 7 : 1);
    UtmZoneState zone;
    tesselog::GpsFix previous;
    SwathTracker tracker;
    tracker.TakeOffsetSign(settings.GpsOffsetY);
    const SwathArray array = SwathArrayOf(settings);
    bool recording = false, haveFix = false;
    int line = -1;
    int32_t positions = survey.PositionsAtStart;
    bool newFileDue = survey.NewFileAt > 0.0;
    double nextNewFile = survey.NewFileAt;
    double lastEasting = 0.0, lastNorthing = 0.0;

    ManualClock clock;
    FixedDiskSpace disk(platform.DiskFreeBytes);
    DrainingBattery battery(clock, platform.BatteryPercent, platform.BatteryPercentPerMinute);
    uint64_t written = 0;
    uint32_t nextWatch = 1000;

    auto collect = [&](double at) {
        for (WarningEvent& e : warnings.TakeEvents()) {
            figures.Events.push_back({at, e.Kind, e.Sensor, e.Onset, std::move(e.Text)});
        }
    };
    auto record = [&](uint64_t bytes) {
        written += bytes;
        disk.Consume(bytes);
    };

    sim.AdvanceTo(seconds, [&](const Chunk& chunk) {
        const uint32_t tick = static_cast<uint32_t>(std::lround(chunk.Start * 1000.0));
        clock.CurrentTick = tick;
        for (; tick >= nextWatch; nextWatch += 1000) {
            clock.CurrentTick = nextWatch;
            figures.Flushes += field.Watch(nextWatch, true, disk, "D:\\DATA\\SIM.MGR", written, battery);
            collect(nextWatch / 1000.0);
        }
        clock.CurrentTick = tick;
        if (newFileDue && chunk.Start >= nextNewFile) {
            newFileDue = survey.NewFileEvery > 0.0;
            nextNewFile += survey.NewFileEvery;
            field.NewFile();
            positions = 0;
            collect(chunk.Start);
        }

        const WalkerState state = sim.WalkerAt(chunk.Start);
        const bool onLine = state.OnLine && !state.Finished;
        const bool throughTurns = walk == FieldCheckWalk::ThroughTurns;
        if (onLine && (!recording || (state.Line != line && !throughTurns))) {  // the operator presses "&Go"
            field.Go();
            tracker.Reset();
            margins.Restart();
            line = state.Line;
        }
        recording = throughTurns ? (recording || onLine) && !state.Finished : onLine;
        const std::string sentence = LineOf(chunk.Bytes);

        if (sim.Ports()[static_cast<size_t>(chunk.Port)].Name != "gps") {
            if (!recording) {
                return;
            }
            const int k = chunk.Port;
            double values[2] = {0.0, 0.0};
            for (int n = 1; n <= 2; ++n) {
                char token[32];
                if (GetNumericField(sentence.c_str(), sentence.size(), n, ',', token, sizeof token) == 1) {
                    values[n - 1] = LeadingNumber(token);
                }
            }
            field.Reading(k, tick, values[0], values[1], sentence.c_str(), sentence.size());
            record(27);
            ++figures.Readings;
            const QcArray& a = field.Array();
            for (int i = 0; i < a.Sensors[k]; ++i) {
                if (ClassifyReadingField(sentence.c_str(), sentence.size(), i + 1) != ReadingField::Good) {
                    ++figures.BadFields;
                    continue;
                }
                margins.Take(figures, a.FirstSensor[k] + i, chunk.Start, values[i]);
            }
            collect(chunk.Start);
            return;
        }

        const tesselog::GpsFix fix = DecodeGpsFix(sentence, mode, survey.DisplayUnits, previous);
        previous = fix;
        if (!fix.Valid) {
            return;
        }
        ++figures.Fixes;
        double northing = fix.Northing, easting = fix.Easting;  // a station's already in the map's unit
        if (!station) {
            ProjectGeodeticFix(zone, fix.Latitude, fix.Longitude, northing, easting);
            northing = MetresToDisplayUnits(northing, survey.DisplayUnits);
            easting = MetresToDisplayUnits(easting, survey.DisplayUnits);
        }
        const double realTime = std::fmod(config.StartTimeOfDay + chunk.Start, 86400.0);
        if (fix.TimePresent) {
            field.FixTime(fix.TimeOfDay, static_cast<int32_t>(std::lround(realTime * 1000.0)) % 86400000);
        }
        if (recording) {
            record(27 * (sentence.size() / 25 + 2));
            field.PositionCounted(tick, ++positions, MaxGpsPositionsPerFile);
            const double step = haveFix ? std::hypot(easting - lastEasting, northing - lastNorthing) : 0.0;
            field.Step(tick, step, easting, northing);
            const SwathStep swath = tracker.Advance(easting, northing, array);
            auto edge = [&](const SwathEdge& e) { field.SwathEdge({{e.Left.X, e.Left.Y}, {e.Right.X, e.Right.Y}}); };
            if (swath.Kind == SwathStepKind::FirstPair) {
                edge(swath.Previous);
            }
            if (swath.Kind == SwathStepKind::FirstPair || swath.Kind == SwathStepKind::Next) {
                edge(swath.Current);
                record(27 * 8);
            }
        }
        haveFix = true;
        lastEasting = easting;
        lastNorthing = northing;
        collect(chunk.Start);
    });
    return figures;
}

}  // namespace tesselog::sim
