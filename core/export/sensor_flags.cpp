#include "core/export/sensor_flags.h"

namespace tesselog {

void SensorFlags::Sample(const SensorSample& sample) {
    if (sample.Session != session_) {
        session_ = sample.Session;
        health_.Reset(sample.Sensors);
    }
    if (!sample.HasTick || sample.Sensor < 1 || sample.Sensor > health_.SensorCount()) return;
    health_.Feed(sample.Sensor - 1, sample.Tick, sample.Value, sample.Field, sample.Step);
    const uint32_t faults = health_.Sensor(sample.Sensor - 1).Faults();
    if (faults == 0 || sample.Line < 0) return;
    if (blocks_.size() <= size_t(sample.Line)) blocks_.resize(size_t(sample.Line) + 1);
    std::vector<uint32_t>& sensors = blocks_[size_t(sample.Line)];
    if (sensors.size() < size_t(sample.Sensor)) sensors.resize(size_t(sample.Sensor));
    sensors[size_t(sample.Sensor) - 1] |= faults;
}

}  // namespace tesselog
