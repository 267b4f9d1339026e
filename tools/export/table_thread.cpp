#include "tools/export/table_thread.h"

#include "core/platform/file_system.h"

namespace tesselog {

namespace {

constexpr size_t BatchReadings = 1 << 16;
constexpr size_t QueueDepth = 4;

}  // namespace

TableThread::TableThread(std::unique_ptr<File> csv, std::unique_ptr<File> xyz, std::string valueUnit,
                         std::string fileName, bool headers)
    : csv_(std::move(csv)), xyz_(std::move(xyz)), valueUnit_(std::move(valueUnit)), fileName_(std::move(fileName)),
      headers_(headers), queue_(QueueDepth),
      filling_(queue_.Take()) {
    filling_->Readings.reserve(BatchReadings);
    thread_ = std::thread([this] { Run(); });
}

TableThread::~TableThread() {
    if (thread_.joinable()) {
        auto last = std::make_unique<Batch>();
        last->Last = true;
        queue_.Push(std::move(last));
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
    queue_.Push(std::move(filling_));
    filling_ = queue_.Take();
    filling_->Readings.clear();
    filling_->Readings.reserve(BatchReadings);
}

bool TableThread::Finish(const TableFacts& walk) {
    Send(walk, true);
    thread_.join();
    return written_;
}

void TableThread::Run() {
    ReadingTableWriter writer(csv_.get(), xyz_.get(), *this, valueUnit_);
    if (!fileName_.empty()) writer.NameFile(fileName_, headers_);
    for (;;) {
        std::unique_ptr<Batch> batch = queue_.Pop();
        header_ = batch->Header;
        firstGps_ = batch->FirstGps;
        lines_.insert(lines_.end(), batch->NewLines.begin(), batch->NewLines.end());
        for (const PositionedReading& r : batch->Readings) writer.Write(r);
        const bool last = batch->Last;
        queue_.GiveBack(std::move(batch));
        if (last) break;
    }
    written_ = writer.Finish();
    rows_ = writer.Rows();
    otherSystem_ = writer.OtherSystemRows();
    csv_.reset();
    xyz_.reset();
}

}  // namespace tesselog
