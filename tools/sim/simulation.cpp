#include "tools/sim/simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/gps/coordinates.h"
#include "tools/sim/console_format.h"

namespace tesselog::sim {

namespace {

// A line more than this far behind drops the sentence instead of queueing it,
// as an instrument whose serial buffer is full does.
constexpr double kMaxBacklogSeconds = 1.0;

FieldModel MakeField(const SimConfig& config, Random& random)
{
    double north_u = 1.0, north_v = 0.0;
    NorthInSurvey(config.Origin, north_u, north_v);
    return FieldModel::Generate(config.Field, config.Area.LineLength, config.Area.SiteWidth(), config.Anomalies,
                                north_u, north_v, random);
}

std::string ConsoleName(size_t k) { return "console" + std::to_string(k + 1); }

struct SentenceFault {
    uint8_t Spoil = 0;         // XORed into the checksum; 0 keeps it correct
    bool MissingStar = false;  // no "*HH" at all
};

// Appends the sentences of one fix; `fault` decides, sentence by sentence, what
// goes wrong with it (null: nothing).
void AppendFix(std::string& out, const GpsFormat& format, const GpsFix& fix,
               const std::function<SentenceFault()>& fault)
{
    for (SentenceWriter writer : format.Writers) {
        if (writer == nullptr) {
            continue;
        }
        char body[160];
        const size_t length = writer(fix, body, sizeof body);
        if (length == 0) {
            continue;
        }
        const SentenceFault f = fault ? fault() : SentenceFault{};
        AppendSentence(out, body, length, format.Checksum && !f.MissingStar, f.Spoil);
    }
}

}  // namespace

size_t MaxGpsFixBytes(int mode)
{
    const GpsFormat* format = FindGpsFormat(mode);
    if (format == nullptr) {
        return 0;
    }
    GpsFix fix;  // the widest values the simulation produces
    fix.SecondsOfDay = 86399.99;
    fix.Latitude = -89.99;
    fix.Longitude = -179.99;
    fix.Altitude = -999.9;
    fix.GeoidSeparation = -99.9;
    fix.Quality = 5;
    fix.Satellites = 14;
    fix.Hdop = fix.Pdop = fix.Vdop = fix.Tdop = fix.Gdop = 99.9;
    fix.PositionQuality = 99.999;
    fix.Northing = 9999999.999;
    fix.Easting = 999999.999;
    fix.GridFeet = true;
    fix.Course = 359.99;
    fix.Speed = 99.0;
    fix.DiffAge = 9.9;
    for (int& prn : fix.Prns) {
        prn = 32;
    }
    std::string out;
    AppendFix(out, *format, fix, nullptr);
    return out.size();
}

std::vector<std::string> LimitRates(SimConfig& config)
{
    std::vector<std::string> messages;
    char text[256];
    for (size_t k = 0; k < config.ConsoleRates.size() && k < config.ConsoleSensors.size(); ++k) {
        const size_t bytes =
            PbarSentenceBytes(config.ConsoleSensors[k], k < config.ConsoleTenths.size() && config.ConsoleTenths[k]);
        const RateLimit limit = ClampRate(config.ConsoleRates[k], kConsoleBytesPerSecond, bytes);
        if (limit.Clamped) {
            std::snprintf(text, sizeof text,
                          "console %zu: %g sentences/s of %zu bytes exceed the %.0f bytes/s of 9600 baud 8N1;"
                          " clamped to %g/s",
                          k + 1, config.ConsoleRates[k], bytes, kConsoleBytesPerSecond, limit.Rate);
            messages.push_back(text);
            config.ConsoleRates[k] = limit.Rate;
        }
    }
    if (config.Gps) {
        const size_t bytes = MaxGpsFixBytes(config.GpsMode);
        const double line = LineBytesPerSecond(config.GpsBaud);
        const RateLimit limit = ClampRate(config.GpsRate, line, bytes);
        if (limit.Clamped) {
            std::snprintf(text, sizeof text,
                          "gps: %g fixes/s of up to %zu bytes exceed the %.0f bytes/s of %d baud 8N1;"
                          " clamped to %g/s",
                          config.GpsRate, bytes, line, config.GpsBaud, limit.Rate);
            messages.push_back(text);
            config.GpsRate = std::max(limit.Rate, 1.0);
        }
    }
    return messages;
}

Simulation::Simulation(const SimConfig& config)
    : config_(config),
      random_(config.Seed),
      spikes_(config.Seed ^ 0x5350494b45ull),
      faults_(config.Seed ^ 0x4641554c54ull),
      walker_(config.Area, config.Speed),
      field_(MakeField(config, random_)),
      gps_format_(FindGpsFormat(config.GpsMode)),
      grid_zone_(UtmZoneOfLongitude(config.Origin.Longitude))
{
    int sensors = 0;
    for (size_t k = 0; k < config_.ConsoleSensors.size(); ++k) {
        first_sensor_.push_back(sensors);
        sensors += config_.ConsoleSensors[k];
    }
    for (int i = 0; i < sensors; ++i) {
        balance_.push_back(random_.Uniform(-4.0, 4.0));
    }
    held_.assign(sensors, 0);
    holding_.assign(sensors, false);
    sentences_.assign(config_.ConsoleSensors.size(), 0);
    // Given offsets replace the balances after they were drawn, so that every
    // later draw stays the same.
    const std::vector<double>& offsets = config_.SensorOffsets;
    for (size_t i = 0; i < balance_.size() && !offsets.empty(); ++i) {
        if (offsets.size() == 1 || i < offsets.size()) balance_[i] = offsets[offsets.size() == 1 ? 0 : i];
    }
    for (size_t k = 0; k < config_.ConsoleSensors.size(); ++k) {
        const double rate = config_.ConsoleRates[k];
        ports_.push_back({ConsoleName(k), kConsoleBytesPerSecond});
        pacers_.emplace_back(kConsoleBytesPerSecond);
        // Consoles are switched on at different moments, so their sentences interleave.
        sources_.push_back({static_cast<int>(k), random_.Uniform() / rate, rate, 0});
    }
    if (config_.Gps && gps_format_ != nullptr) {
        const double line = LineBytesPerSecond(config_.GpsBaud);
        ports_.push_back({"gps", line});
        pacers_.emplace_back(line);
        sources_.push_back({static_cast<int>(ports_.size()) - 1, 0.0, config_.GpsRate, 0});
    }
    // The satellites in view: 12 distinct PRNs out of 1..32.
    int pool[32];
    for (int i = 0; i < 32; ++i) {
        pool[i] = i + 1;
    }
    for (int i = 0; i < 12; ++i) {
        std::swap(pool[i], pool[i + random_.Below(32 - i)]);
        prns_[i] = pool[i];
    }
    satellites_ = 10 + random_.Below(4);
    next_satellite_change_ = random_.Uniform(20.0, 60.0);
}

int Simulation::PortIndex(const std::string& name) const
{
    for (size_t i = 0; i < ports_.size(); ++i) {
        if (ports_[i].Name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Simulation::SensorPosition(const WalkerState& state, int sensor, double& u, double& v) const
{
    const double offset = (sensor - (SensorCount() - 1) / 2.0) * config_.SensorSpacing;
    // Right of the direction of travel, in survey coordinates (u along, v across the lines).
    u = state.U - state.DirV * offset;
    v = state.V + state.DirU * offset;
}

bool Simulation::GpsPortClosed(double t) const
{
    for (const TimeWindow& window : config_.Faults.ClosedPort) {
        if (window.Contains(t)) {
            return true;
        }
    }
    return false;
}

bool Simulation::PortClosed(int port, double t) const
{
    if (ports_[port].Name == "gps") {
        return GpsPortClosed(t);
    }
    for (const StopWindow& unplug : config_.Unplugs) {
        if (unplug.Port == ports_[port].Name && t >= unplug.Start && t < unplug.Start + unplug.Length) {
            return true;
        }
    }
    return false;
}

bool Simulation::Hits(const FaultSchedule& fault, double t)
{
    // The random draw comes first and always, so a window leaves the draws of
    // the fixes after it unchanged.
    bool hit = random_.Chance(fault.Rate);
    for (const TimeWindow& window : fault.Windows) {
        hit = hit || window.Contains(t);
    }
    return hit;
}

bool Simulation::Stopped(int port, double t) const
{
    if (PortClosed(port, t)) {
        return true;
    }
    for (const StopWindow& stop : config_.Stops) {
        if (stop.Port == ports_[port].Name && t >= stop.Start && t < stop.Start + stop.Length) {
            return true;
        }
    }
    return false;
}

void Simulation::AppendNoise(std::string& out)
{
    if (!random_.Chance(config_.NoiseRate)) {
        return;
    }
    const int count = 1 + random_.Below(8);
    for (int i = 0; i < count; ++i) {
        int byte;
        do {  // noise never forms a line or starts a sentence of its own
            byte = random_.Below(256);
        } while (byte == '$' || byte == '\r' || byte == '\n');
        out += static_cast<char>(byte);
    }
}

void Simulation::AppendNoiseBurst(std::string& out)
{
    // More than the 200 characters after which a GPS line restarts, then a line end.
    const int count = 201 + random_.Below(100);
    for (int i = 0; i < count; ++i) {
        int byte;
        do {
            byte = random_.Below(256);
        } while (byte == '$' || byte == '\r' || byte == '\n');
        out += static_cast<char>(byte);
    }
    out += "\r\n";
}

WalkerState Simulation::WalkerAt(double seconds) const
{
    WalkerState state = WalkerOnOwnLines(seconds);
    state.V += config_.Area.FirstLineAcross();
    return state;
}

WalkerState Simulation::WalkerOnOwnLines(double seconds) const
{
    if (config_.SpeedChanges.empty()) {
        return walker_.At(seconds);
    }
    // The walker's own timetable is at the base speed: walked distance / base speed.
    double walked = 0.0, from = 0.0, speed = config_.Speed;
    for (const SpeedChange& change : config_.SpeedChanges) {
        if (seconds <= change.At) {
            break;
        }
        walked += (change.At - from) * speed;
        from = change.At;
        speed = change.Speed;
    }
    walked += (seconds - from) * speed;
    return walker_.At(walked / config_.Speed);
}

double Simulation::SpeedAt(double seconds) const
{
    double speed = config_.Speed;
    for (const SpeedChange& change : config_.SpeedChanges) {
        if (seconds > change.At) {
            speed = change.Speed;
        }
    }
    return speed;
}

double Simulation::NoiseScale(int sensor, double t) const
{
    double scale = static_cast<size_t>(sensor) < config_.NoiseFactors.size() ? config_.NoiseFactors[sensor] : 1.0;
    for (const TimeWindow& busy : config_.Sensors.BusyGround) {
        if (busy.Contains(t)) {
            scale *= 5 + sensor % 4;
        }
    }
    for (const SensorFault& fault : config_.Sensors.Noisy) {
        if (fault.Sensor == sensor && fault.Window.Contains(t)) {
            return scale * fault.Factor;
        }
    }
    return scale;
}

bool Simulation::Tenths(int console) const
{
    return static_cast<size_t>(console) < config_.ConsoleTenths.size() && config_.ConsoleTenths[console];
}

namespace {

const SensorFault* FaultAt(const std::vector<SensorFault>& faults, int sensor, double t)
{
    for (const SensorFault& fault : faults) {
        if (fault.Sensor == sensor && fault.Window.Contains(t)) {
            return &fault;
        }
    }
    return nullptr;
}

}  // namespace

// A reading (in steps of its console) as a faulty sensor gives it: held at
// the value it had when its window began (frozen, stuck, drifting), at the
// console's upper limit, or at 0.
int Simulation::FaultyReading(int sensor, double t, int value, bool tenths)
{
    const SensorFault* stuck = FaultAt(config_.Sensors.Stuck, sensor, t);
    const SensorFault* drift = FaultAt(config_.Sensors.Drifting, sensor, t);
    const bool held = FaultAt(config_.Sensors.Frozen, sensor, t) != nullptr || stuck != nullptr || drift != nullptr;
    if (held && !holding_[sensor]) {
        held_[sensor] = value;
    }
    holding_[sensor] = held;
    if (held) {
        value = held_[sensor];
    }
    if (stuck != nullptr) {
        value += faults_.Below(5) - 2;
    }
    if (drift != nullptr) {
        value += static_cast<int>((t - drift->Window.Start) / 3.0);
    }
    if (const SensorFault* saturated = FaultAt(config_.Sensors.Saturated, sensor, t)) {
        value = saturated->FactorGiven ? static_cast<int>(std::lround(saturated->Factor * (tenths ? 10.0 : 1.0)))
                                       : kReadingMax;
    }
    if (FaultAt(config_.Sensors.Zero, sensor, t) != nullptr) {
        value = 0;
    }
    return value;
}

const FieldFault* Simulation::BadField(int console, double t) const
{
    for (const FieldFault& fault : config_.Sensors.BadFields) {
        if (fault.Console != console || !fault.Window.Contains(t)) {
            continue;
        }
        const long n = sentences_[console];
        if (fault.Every > 0 && n % fault.Every != 0) {
            continue;
        }
        if (fault.Cycle > 0.0 && std::fmod(t - fault.Window.Start, fault.Cycle) >= fault.On) {
            continue;
        }
        return &fault;
    }
    return nullptr;
}

void Simulation::MakeConsoleSentence(int console, double t, std::string& out)
{
    const WalkerState state = WalkerAt(t - config_.ReadingLag);
    const int sensors = config_.ConsoleSensors[console];
    const bool tenths = Tenths(console);
    int values[2] = {0, 0};
    for (int i = 0; i < sensors && i < 2; ++i) {
        const int sensor = first_sensor_[console] + i;
        double u = 0.0, v = 0.0;
        SensorPosition(state, sensor, u, v);
        double sample = field_.Sample(u, v, balance_[sensor], random_, NoiseScale(sensor, t));
        if (state.OnLine) sample += config_.HeadingError / 2 * state.DirU;
        if (config_.SpikeRate > 0.0 && spikes_.Chance(config_.SpikeRate)) {
            sample += spikes_.Chance(0.5) ? config_.SpikeSize : -config_.SpikeSize;
        }
        values[i] = FaultyReading(sensor, t, static_cast<int>(std::lround(tenths ? sample * 10.0 : sample)), tenths);
    }
    const FieldFault* bad = sensors == 2 ? BadField(console, t) : nullptr;
    ++sentences_[console];
    if (bad != nullptr) {
        AppendPbarBadField(out, values, sensors, 2, bad->Garbled, tenths);
    } else {
        AppendPbar(out, values, sensors, tenths);
    }
    AppendNoise(out);
}

void Simulation::MakeGpsFix(double t, std::string& out)
{
    const WalkerState state = WalkerAt(t);
    GpsFix fix;
    fix.SecondsOfDay = config_.StartTimeOfDay + t;
    if (config_.ClockOffset != 0.0) {  // a receiver whose clock is off, brought back into the day
        fix.SecondsOfDay = std::fmod(std::fmod(fix.SecondsOfDay + config_.ClockOffset, 86400.0) + 86400.0, 86400.0);
    }
    // A centimetre of jitter, as an RTK fix shows.
    const double u = state.U + 0.01 * random_.Gaussian();
    const double v = state.V + 0.01 * random_.Gaussian();
    SurveyToGeodetic(config_.Origin, u, v, fix.Latitude, fix.Longitude);
    fix.Altitude = 45.0 + 0.02 * state.U - 0.01 * state.V + 0.01 * random_.Gaussian();
    if (t >= next_satellite_change_) {
        satellites_ = std::clamp(satellites_ + (random_.Chance(0.5) ? 1 : -1), 7, 14);
        next_satellite_change_ += random_.Uniform(20.0, 60.0);
    }
    fix.Quality = config_.GpsQuality;
    fix.Satellites = satellites_;
    fix.Hdop = std::max(0.5, 0.4 + 7.0 / satellites_ + 0.03 * random_.Gaussian());
    fix.Pdop = 1.8 * fix.Hdop;
    fix.Vdop = std::sqrt(fix.Pdop * fix.Pdop - fix.Hdop * fix.Hdop);
    fix.Tdop = 0.6 * fix.Hdop;
    fix.Gdop = std::sqrt(fix.Pdop * fix.Pdop + fix.Tdop * fix.Tdop);
    // LLQ's position quality in metres: centimetres for RTK, decimetres for DGPS, metres alone.
    fix.PositionQuality = fix.Hdop * (config_.GpsQuality >= 4 ? 0.012 : config_.GpsQuality >= 2 ? 0.4 : 2.5);
    fix.DiffAge = random_.Uniform(0.2, 1.8);
    fix.Station = 1;
    std::copy(std::begin(prns_), std::end(prns_), std::begin(fix.Prns));
    GeodeticToUtm(fix.Latitude, fix.Longitude, grid_zone_, fix.Northing, fix.Easting, 1);
    fix.GridFeet = config_.GridFeet;
    // Course and speed over ground, from the walker's direction in (east, north).
    const double b = config_.Origin.Bearing * 0.017453292519943295;
    const double east = state.DirU * std::sin(b) + state.DirV * std::cos(b);
    const double north = state.DirU * std::cos(b) - state.DirV * std::sin(b);
    fix.Course = std::fmod(std::atan2(east, north) / 0.017453292519943295 + 360.0, 360.0);
    fix.Speed = state.Finished ? 0.0 : SpeedAt(t);

    const GpsFaults& faults = config_.Faults;
    if (Hits(faults.QualityZero, t)) {
        fix.Quality = 0;
    }
    if (Hits(faults.FewSatellites, t)) {
        fix.Satellites = 1;
    }
    std::function<SentenceFault()> fault;
    if (gps_format_->Checksum && (faults.BadChecksum.Any() || faults.MissingStar.Any())) {
        fault = [&] {
            SentenceFault f;
            if (Hits(faults.BadChecksum, t)) {
                f.Spoil = static_cast<uint8_t>(1 + random_.Below(255));
            }
            f.MissingStar = Hits(faults.MissingStar, t);
            return f;
        };
    }
    AppendFix(out, *gps_format_, fix, fault);
    if (Hits(faults.NoiseBurst, t)) {
        AppendNoiseBurst(out);
    }
    AppendNoise(out);
    SpoilLine(out);
}

// A receiver read at the wrong baud rate: as many bytes as the fix had, of
// any value but LF (a "$" may come by chance, as on a real line), so that no
// line ever ends. Without line ends: the same sentences run together.
void Simulation::SpoilLine(std::string& out)
{
    const GpsFaults& faults = config_.Faults;
    if (faults.Garbage) {
        for (char& byte : out) {
            do {
                byte = static_cast<char>(random_.Below(256));
            } while (byte == '\n');
        }
    } else if (faults.NoLineEnds) {
        out.erase(std::remove_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }), out.end());
    }
}

void Simulation::AdvanceTo(double seconds, const std::function<void(const Chunk&)>& sink)
{
    for (;;) {
        Source* next = nullptr;
        for (Source& source : sources_) {  // earliest first; ties go to the lower port
            if (next == nullptr || source.Next() < next->Next()) {
                next = &source;
            }
        }
        if (next == nullptr || next->Next() > seconds) {
            return;
        }
        const double t = next->Next();
        ++next->Count;
        Chunk chunk;
        chunk.Port = next->Port;
        // Generated even while stopped, so a stop leaves every other stream unchanged.
        if (ports_[chunk.Port].Name == "gps") {
            MakeGpsFix(t, chunk.Bytes);
        } else {
            MakeConsoleSentence(chunk.Port, t, chunk.Bytes);
        }
        if (Stopped(chunk.Port, t)) {
            continue;
        }
        LinePacer& pacer = pacers_[chunk.Port];
        if (pacer.FreeAt() - t > kMaxBacklogSeconds) {
            ++overruns_;
            continue;
        }
        chunk.Start = pacer.Schedule(t, chunk.Bytes.size());
        sink(chunk);
    }
}

}  // namespace tesselog::sim
