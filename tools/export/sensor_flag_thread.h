// The line report's sensor rules run on a thread of their own: they cost as
// much as the rest of the walk, and need nothing of it but the samples.
#pragma once

#include <memory>
#include <thread>
#include <vector>

#include "core/export/sensor_flags.h"
#include "core/export/survey_walk.h"
#include "tools/export/batch_queue.h"

namespace tesselog {

class SensorFlagThread {
public:
    explicit SensorFlagThread(SensorFlags& flags);
    ~SensorFlagThread();

    // On the walk's thread.
    void Add(const SensorSample& sample);
    // After the walk: the last samples judged; the flags are complete.
    void Finish();

private:
    struct Batch {
        std::vector<SensorSample> Samples;
        bool Last = false;
    };
    void Send(bool last);

    SensorFlags& flags_;
    BatchQueue<Batch> queue_;
    std::unique_ptr<Batch> filling_;
    std::thread thread_;
};

}  // namespace tesselog
