#include "tools/export/table_thread.h"

#include "core/platform/file_system.h"

namespace tesselog {

namespace {

constexpr size_t BatchReadings = 1 << 16;
constexpr size_t QueueDepth = 4;

}  // namespace

TableThread::TableThread(std::unique_ptr<File> csv, std::unique_ptr<File> xyz)
    : csv_(std::move(csv)), xyz_(std::move(xyz)), filling_(std::make_unique<Batch>()) {
    thread_ = std::thread([this] { Run(); });
}

TableThread::~TableThread() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto last = std::make_unique<Batch>();
            last->Last = true;
            queue_.push_back(std::move(last));
        }
        changed_.notify_all();
        thread_.join();
    }
}

void TableThread::Add(const PositionedReading& reading, const TableFacts& walk) {
    filling_->Readings.push_back(reading);
    if (filling_->Readings.size() >= BatchReadings) Send(walk, false);
}

void TableThread::Send(const TableFacts& walk, bool last) {
    filling_->Header = walk.Header();
    filling_->FirstGps = walk.FirstSessionHasGps();
    const std::vector<SurveyLine>& lines = walk.Lines();
    filling_->NewLines.assign(lines.begin() + long(linesSent_), lines.end());
    linesSent_ = lines.size();
    filling_->Last = last;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < QueueDepth; });
        queue_.push_back(std::move(filling_));
    }
    changed_.notify_all();
    filling_ = std::make_unique<Batch>();
    filling_->Readings.reserve(BatchReadings);
}

bool TableThread::Finish(const TableFacts& walk) {
    Send(walk, true);
    thread_.join();
    return written_;
}

void TableThread::Run() {
    ReadingTableWriter writer(csv_.get(), xyz_.get(), *this);
    for (;;) {
        std::unique_ptr<Batch> batch;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty(); });
            batch = std::move(queue_.front());
            queue_.pop_front();
        }
        changed_.notify_all();
        header_ = batch->Header;
        firstGps_ = batch->FirstGps;
        lines_.insert(lines_.end(), batch->NewLines.begin(), batch->NewLines.end());
        for (const PositionedReading& r : batch->Readings) writer.Write(r);
        if (batch->Last) break;
    }
    written_ = writer.Finish();
    rows_ = writer.Rows();
    otherSystem_ = writer.OtherSystemRows();
    csv_.reset();
    xyz_.reset();
}

}  // namespace tesselog
