#include "tools/export/sensor_flag_thread.h"

namespace tesselog {

namespace {

constexpr size_t BatchSamples = 1 << 15;
constexpr size_t QueueDepth = 4;

}  // namespace

SensorFlagThread::SensorFlagThread(SensorFlags& flags) : flags_(flags), queue_(QueueDepth), filling_(queue_.Take()) {
    filling_->Samples.reserve(BatchSamples);
    thread_ = std::thread([this] {
        for (;;) {
            std::unique_ptr<Batch> batch = queue_.Pop();
            for (const SensorSample& sample : batch->Samples) flags_.Sample(sample);
            const bool last = batch->Last;
            queue_.GiveBack(std::move(batch));
            if (last) break;
        }
    });
}

SensorFlagThread::~SensorFlagThread() { Finish(); }

void SensorFlagThread::Add(const SensorSample& sample) {
    filling_->Samples.push_back(sample);
    if (filling_->Samples.size() >= BatchSamples) Send(false);
}

void SensorFlagThread::Send(bool last) {
    filling_->Last = last;
    queue_.Push(std::move(filling_));
    filling_ = queue_.Take();
    filling_->Samples.clear();
    filling_->Samples.reserve(BatchSamples);
}

void SensorFlagThread::Finish() {
    if (!thread_.joinable()) return;
    Send(true);
    thread_.join();
}

}  // namespace tesselog
