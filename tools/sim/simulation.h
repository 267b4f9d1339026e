// The simulated instruments on simulated time: consoles sending "$PBAR"
// sentences and a GPS receiver sending fixes, all driven by one walker over
// one field model and one seeded generator. The simulation knows nothing of
// ptys or clocks: AdvanceTo(t) hands out, in time order, every transmission
// due up to t, each with the time its first byte goes out on its paced line.
// Calling it in small steps (real time) or one big step (dry run) gives the
// same chunks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/sim/field_model.h"
#include "tools/sim/nmea.h"
#include "tools/sim/pacing.h"
#include "tools/sim/random.h"
#include "tools/sim/walker.h"

namespace tesselog::sim {

constexpr int kMaxConsoles = 9;

struct StopWindow {
    std::string Port;  // "console1".."console9" or "gps"
    double Start = 0.0;
    double Length = 0.0;
};

struct TimeWindow {
    double Start = 0.0;
    double Length = 0.0;
    bool Contains(double t) const { return t >= Start && t < Start + Length; }
};

// When a fault hits the GPS stream: at random, to a share `Rate` of the fixes
// (or sentences), and always within its windows (seconds of simulated time).
struct FaultSchedule {
    double Rate = 0.0;
    std::vector<TimeWindow> Windows;
    bool Any() const { return Rate > 0.0 || !Windows.empty(); }
};

// Faults of the GPS receiver and its line. Silence is a StopWindow on "gps".
struct GpsFaults {
    FaultSchedule BadChecksum;    // wrong "*HH" (checksum modes only)
    FaultSchedule MissingStar;    // no "*HH" at all (checksum modes only)
    FaultSchedule NoiseBurst;     // after the fix, 201..300 bytes without LF or "$", then CR LF
    FaultSchedule QualityZero;    // the fix reports quality 0 (no fix)
    FaultSchedule FewSatellites;  // the fix reports one satellite
    std::vector<TimeWindow> ClosedPort;  // the line is gone: nothing sent, the pty closed in real time
    bool Garbage = false;      // read at another baud rate: each fix's bytes turn into noise without LF
    bool NoLineEnds = false;   // the sentences without their CR LF
};

// A fault of one sensor (0-based across the array) within a window: frozen
// at the value it had when the window began, saturated at the console's
// upper limit (or clipped at Factor when one is given), noisy (its noise
// times Factor), stuck (the value it had, give or take two steps at random,
// whatever the ground), drifting (the value it had, one step further every
// three seconds) or reading 0.
struct SensorFault {
    int Sensor = 0;
    TimeWindow Window;
    double Factor = 10.0;
    bool FactorGiven = false;
};

// A two-sensor console whose second field comes out empty or garbled: in
// every sentence of the window, in every Every-th, or for On seconds of
// every Cycle seconds.
struct FieldFault {
    int Console = 0;  // 0-based
    TimeWindow Window;
    bool Garbled = false;
    int Every = 0;
    double Cycle = 0.0;
    double On = 0.0;
};

// From At seconds on the walker moves at Speed metres per second.
struct SpeedChange {
    double At = 0.0;
    double Speed = 1.0;
};

struct SensorFaults {
    std::vector<SensorFault> Frozen;
    std::vector<SensorFault> Saturated;
    std::vector<SensorFault> Noisy;
    std::vector<SensorFault> Stuck;
    std::vector<SensorFault> Drifting;
    std::vector<SensorFault> Zero;
    std::vector<FieldFault> BadFields;
    std::vector<TimeWindow> BusyGround;  // every sensor's noise 5, 6, 7 or 8 times (by its number)
    bool Any() const
    {
        return !Frozen.empty() || !Saturated.empty() || !Noisy.empty() || !Stuck.empty() || !Drifting.empty() ||
               !Zero.empty() || !BadFields.empty() || !BusyGround.empty();
    }
};

struct SimConfig {
    uint64_t Seed = 1;
    std::vector<int> ConsoleSensors{2};   // per console: 1 (Grad601-1) or 2 (Grad601-2)
    std::vector<double> ConsoleRates{10.0};  // sentences per second, per console
    std::vector<bool> ConsoleTenths;      // per console: on its fine range, in tenths (default whole nT)
    std::vector<double> NoiseFactors;     // per sensor: its noise times this (default 1)
    double SensorSpacing = 1.0;           // metres between neighbouring sensors across the array
    bool Gps = true;
    int GpsMode = 1;
    double GpsRate = 5.0;                 // fixes per second
    int GpsBaud = 9600;                   // 8N1
    int GpsQuality = 4;
    SurveyOrigin Origin;
    SurveyArea Area;
    double Speed = 1.0;                   // metres per second
    double StartTimeOfDay = 36000.0;      // UTC seconds of the first fix
    int Anomalies = 5;
    FieldParams Field;
    std::vector<StopWindow> Stops;
    std::vector<StopWindow> Unplugs;      // a console's line gone: nothing sent, its pty closed in real time
    bool GridFeet = false;                // the total station (mode 7) reports in feet
    GpsFaults Faults;
    double NoiseRate = 0.0;               // share of sentences followed by 1..8 noise bytes
    SensorFaults Sensors;
    double ClockOffset = 0.0;             // seconds the receiver's clock is ahead of the real one
    std::vector<SpeedChange> SpeedChanges;  // in time order
    // Processing test fields: every sensor's offset instead of its random
    // balance; spikes of +-SpikeSize on a share SpikeRate of the readings
    // (drawn from a generator of their own, so the other readings stay as
    // they are); readings sent ReadingLag seconds after they were taken;
    // a heading error: HeadingError / 2 added walking along the lines (u
    // growing) and taken off walking back.
    std::vector<double> SensorOffsets;
    double SpikeRate = 0.0;
    double SpikeSize = 0.0;
    double ReadingLag = 0.0;
    double HeadingError = 0.0;
};

// Lowers every rate that its line cannot carry; one message per lowered rate.
std::vector<std::string> LimitRates(SimConfig& config);

// Longest bytes one GPS fix of the mode takes (for the rate limit).
size_t MaxGpsFixBytes(int mode);

struct Chunk {
    int Port = 0;
    double Start = 0.0;  // seconds: when its first byte leaves
    std::string Bytes;
};

struct PortInfo {
    std::string Name;
    double BytesPerSecond = kConsoleBytesPerSecond;
};

class Simulation {
public:
    explicit Simulation(const SimConfig& config);

    void AdvanceTo(double seconds, const std::function<void(const Chunk&)>& sink);

    const std::vector<PortInfo>& Ports() const { return ports_; }
    int PortIndex(const std::string& name) const;  // -1 when there is no such port
    const Walker& SurveyWalker() const { return walker_; }
    const FieldModel& Field() const { return field_; }
    int SensorCount() const { return static_cast<int>(balance_.size()); }
    // Where sensor `sensor` (0-based across the array) is for a walker state:
    // the array is centred on the walker and square to its direction.
    void SensorPosition(const WalkerState& state, int sensor, double& u, double& v) const;
    long Overruns() const { return overruns_; }
    // True while a --close-port window has the GPS line closed.
    bool GpsPortClosed(double t) const;
    // True while port `port` is closed: the GPS by --close-port, a console by --unplug.
    bool PortClosed(int port, double t) const;
    // The UTM zone of the grid formats: the zone of the survey's origin.
    int GridZone() const { return grid_zone_; }
    // Where the walker is at `seconds` on the site (its file's first line
    // --first-line across), and its speed there, with the speed changes.
    WalkerState WalkerAt(double seconds) const;
    double SpeedAt(double seconds) const;

private:
    WalkerState WalkerOnOwnLines(double seconds) const;
    struct Source {
        int Port;
        double Phase;
        double Rate;
        long Count;
        double Next() const { return Phase + static_cast<double>(Count) / Rate; }
    };

    void MakeConsoleSentence(int console, double t, std::string& out);
    int FaultyReading(int sensor, double t, int value, bool tenths);
    bool Tenths(int console) const;
    double NoiseScale(int sensor, double t) const;
    const FieldFault* BadField(int console, double t) const;
    void MakeGpsFix(double t, std::string& out);
    void AppendNoise(std::string& out);
    void AppendNoiseBurst(std::string& out);
    void SpoilLine(std::string& out);
    bool Hits(const FaultSchedule& fault, double t);
    bool Stopped(int port, double t) const;

    SimConfig config_;
    Random random_;
    Random spikes_;
    Random faults_;
    Walker walker_;
    FieldModel field_;
    const GpsFormat* gps_format_ = nullptr;
    std::vector<PortInfo> ports_;
    std::vector<LinePacer> pacers_;
    std::vector<Source> sources_;
    std::vector<int> first_sensor_;
    std::vector<double> balance_;  // per-sensor offset, as real sensors are never perfectly balanced
    std::vector<int> held_;        // per sensor: the value a frozen sensor repeats, while it does
    std::vector<bool> holding_;
    std::vector<long> sentences_;  // per console: sentences made
    int prns_[12] = {};
    int satellites_ = 12;
    double next_satellite_change_ = 0.0;
    int grid_zone_ = 0;
    long overruns_ = 0;
};

}  // namespace tesselog::sim
