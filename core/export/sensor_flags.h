// The field warnings' sensor rules (core/qc/sensor_health) run over a file's
// sensor fields, as the logging screen ran them while it recorded: one array
// per session, from its first reading on, across its lines and pauses. What
// it keeps is, per line block and sensor, every fault that stood at one of
// the sensor's readings there. It needs nothing of the walk but the samples,
// so the export can run it on a thread of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/export/survey_walk.h"
#include "core/qc/sensor_health.h"

namespace tesselog {

class SensorFlags {
public:
    explicit SensorFlags(const SensorHealthLimits& limits = {}) { health_.Limits = limits; }

    void Sample(const SensorSample& sample);

    // SensorFault bits per line block (an index into SurveyWalk::Lines()),
    // then per sensor (sensor 1 first); blocks and sensors without a fault
    // may be missing at the end.
    const std::vector<std::vector<uint32_t>>& ByBlock() const { return blocks_; }

private:
    ArrayHealth health_;
    int32_t session_ = 0;
    std::vector<std::vector<uint32_t>> blocks_;
};

}  // namespace tesselog
