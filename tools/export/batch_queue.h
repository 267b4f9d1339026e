// A bounded queue of batches from the walk's thread to one worker thread.
// Emptied batches go back to the walk to be filled again, so that a batch's
// memory is touched once for the whole export rather than page by page for
// every batch.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace tesselog {

template <class Batch>
class BatchQueue {
public:
    explicit BatchQueue(size_t depth) : depth_(depth) {}

    // The walk's side: a batch to fill, an emptied one when there is one
    // (its contents are the filler's to clear).
    std::unique_ptr<Batch> Take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (spare_.empty()) return std::make_unique<Batch>();
        std::unique_ptr<Batch> batch = std::move(spare_.back());
        spare_.pop_back();
        return batch;
    }
    // Waits while the worker is `depth` batches behind.
    void Push(std::unique_ptr<Batch> batch) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return queue_.size() < depth_; });
            queue_.push_back(std::move(batch));
        }
        changed_.notify_all();
    }

    // The worker's side.
    std::unique_ptr<Batch> Pop() {
        std::unique_ptr<Batch> batch;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty(); });
            batch = std::move(queue_.front());
            queue_.pop_front();
        }
        changed_.notify_all();
        return batch;
    }
    void GiveBack(std::unique_ptr<Batch> batch) {
        std::lock_guard<std::mutex> lock(mutex_);
        spare_.push_back(std::move(batch));
    }

private:
    const size_t depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Batch>> queue_;
    std::vector<std::unique_ptr<Batch>> spare_;
};

}  // namespace tesselog
