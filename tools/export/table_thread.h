// The tables (CSV and XYZ) written on a thread of their own from the
// readings of the export's one walk. The readings go over in batches, each
// with what the tables must know of the walk at that point: its latest
// header, the first session's kind and the line blocks that came since the
// last batch. A bounded queue keeps the walk at most a few batches ahead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/export/reading_tables.h"
#include "core/export/survey_walk.h"
#include "tools/export/batch_queue.h"

namespace tesselog {

class File;

class TableThread : public TableFacts {
public:
    // `fileName` (a site of several files): every row names its file, and
    // `headers` says whether this file's tables begin with the header rows.
    TableThread(std::unique_ptr<File> csv, std::unique_ptr<File> xyz, std::string valueUnit,
                std::string fileName = {}, bool headers = true);
    ~TableThread() override;

    // On the walk's thread: one reading, with the walk as it stands.
    void Add(const PositionedReading& reading, const TableFacts& walk);
    // After the walk: the last batch, then the thread's end. False when a
    // write failed.
    bool Finish(const TableFacts& walk);
    int64_t Rows() const { return rows_; }
    int64_t OtherSystemRows() const { return otherSystem_; }

    // What the writer on the thread sees of the walk.
    const SurveyHeader& Header() const override { return header_; }
    bool FirstSessionHasGps() const override { return firstGps_; }
    const std::vector<SurveyLine>& Lines() const override { return lines_; }

private:
    struct Batch {
        std::vector<PositionedReading> Readings;
        SurveyHeader Header;
        bool FirstGps = false;
        std::vector<SurveyLine> NewLines;
        bool Last = false;
    };
    void Send(const TableFacts& walk, bool last);
    void Run();

    std::unique_ptr<File> csv_, xyz_;
    std::string valueUnit_;
    std::string fileName_;
    bool headers_ = true;
    BatchQueue<Batch> queue_;
    std::unique_ptr<Batch> filling_;
    size_t linesSent_ = 0;
    // The thread's side.
    SurveyHeader header_;
    bool firstGps_ = false;
    std::vector<SurveyLine> lines_;
    bool written_ = false;
    int64_t rows_ = 0;
    int64_t otherSystem_ = 0;
    std::thread thread_;
};

}  // namespace tesselog
