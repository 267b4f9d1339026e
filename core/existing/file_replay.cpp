#include "core/existing/file_replay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/acquisition/acquisition_state.h"
#include "core/acquisition/console_reading.h"
#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/map/swath.h"
#include "core/map/tile_drawing.h"
#include "core/settings/sensor_tables.h"

namespace tesselog {

namespace {

constexpr size_t ProgressEveryRecords = 4096;
// Strokes gathered before they are painted: fewer, larger paints of each
// tile than one per edge.
constexpr size_t StrokesPerPaint = 8192;

// The console whose reading record this is ("$P" after the tag), or -1.
int ReadingConsole(const uint8_t* record) {
    if (std::memcmp(record + ReadingColumns::Prefix.first, "$P", ReadingColumns::Prefix.width) != 0) return -1;
    for (int k = 0; k < MaxConsoles; ++k) {
        if (record[0] == ConsoleRecordTag[k]) return k;
    }
    return -1;
}

// LeadingNumber of a token, with plain integers (what the consoles send)
// taken without strtod: a replay reads millions of them. Up to 15 digits a
// double holds the integer exactly, as strtod would give it; anything more
// (a fraction, an exponent, more digits) goes to LeadingNumber.
double ReadingValue(const char* token) {
    const char* p = token + (token[0] == '+' || token[0] == '-' ? 1 : 0);
    double value = 0.0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9' && digits < 15; ++p, ++digits) value = value * 10.0 + (*p - '0');
    const bool more = (*p >= '0' && *p <= '9') || *p == '.' || *p == 'e' || *p == 'E' || *p == 'x' || *p == 'X';
    if (digits == 0 || more) return LeadingNumber(token);
    return token[0] == '-' ? -value : value;
}

// Field n (1 or 2) of a reading record's values: true with the value when
// the field is there and not empty.
bool ReadingField(const uint8_t* record, int n, double& value) {
    char token[RecordLength];
    const char* text = reinterpret_cast<const char*>(record) + ReadingColumns::Text.first;
    if (GetNumericField(text, ReadingColumns::Text.width, n, ',', token, sizeof token) != 1 || token[0] == 0)
        return false;
    value = ReadingValue(token);
    return true;
}

double SegmentValue(const uint8_t* record) {
    char text[SegmentColumns::Value.width + 1] = {};
    std::memcpy(text, record + SegmentColumns::Value.first, SegmentColumns::Value.width);
    return std::strtod(text, nullptr);
}

bool Contains(const uint8_t* record, const char* text) {
    const size_t n = std::strlen(text);
    for (size_t i = 0; i + n <= RecordLfColumn; ++i) {
        if (std::memcmp(record + i, text, n) == 0) return true;
    }
    return false;
}

// Records that end what the colour replay collects: comments, lines,
// stations, appended headers, and GPS records of "$PA..." or " GP..." lines.
bool EndsCollecting(const uint8_t* record) {
    const uint8_t* sentence = record + GpsColumns::Piece.first;
    switch (record[0]) {
    case TypeComment:
    case TypeLine:
    case TypeStation:
    case IdentificationAppended[0]: return true;
    case TypeEvent: return std::memcmp(sentence, "$PA", 3) == 0 || std::memcmp(sentence, " GP", 3) == 0;
    default: return false;
    }
}

}  // namespace

// ------------------------------------------------------------------ reading

// A file smaller than a block gets a block of its size and one record more,
// so that the first read still tells its end.
ReplayProgress::ReplayProgress(Clock& clock, std::function<void()> step)
    : clock_(&clock), step_(std::move(step)), lastStep_(clock.Tick()) {}

void ReplayProgress::Tick() {
    if (clock_ == nullptr || !step_) return;
    const uint32_t now = clock_->Tick();
    if (now - lastStep_ < BusyStepIntervalMs) return;
    lastStep_ = now;
    step_();
}

// ------------------------------------------------------------------ extent scan

ExtentScan ScanFileExtent(DataFile& file, const MapState& state, ReplayProgress& progress) {
    ExtentScan scan;
    scan.Range = MapRange{state.OriginX, state.OriginX, state.OriginY, state.OriginY};
    BlockRecordReader reader(BytesFromDataFile(file), RecordLength, ReplayBlockRecords);
    while (const uint8_t* record = reader.Next()) {
        if (reader.RecordsRead() % ProgressEveryRecords == 0) progress.Tick();
        const uint8_t code = record[SegmentColumns::Code];
        if (record[0] != TypeSegment || code < 'a' || code > 'h') continue;
        const double value = SegmentValue(record);
        const bool easting = (code - 'a') % 2 == 0;  // a, c, e, g
        if (easting) {
            scan.Range.MinX = std::min(scan.Range.MinX, value);
            scan.Range.MaxX = std::max(scan.Range.MaxX, value);
        } else {
            scan.Range.MinY = std::min(scan.Range.MinY, value);
            scan.Range.MaxY = std::max(scan.Range.MaxY, value);
        }
        if (code == 'd' || code == 'h') ++scan.PositionCount;
    }
    file.SeekToEnd();
    if (!RangeFitsMap(state, scan.Range)) {
        scan.Verdict = ExtentVerdict::TooLarge;
    } else if (scan.PositionCount >= ReplayMaxGpsPositions) {
        scan.Verdict = ExtentVerdict::PositionsAtLimit;
    }
    return scan;
}

std::string PositionCountText(int32_t count) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %ld\r\n", PositionCountLabel, static_cast<long>(count));
    return text;
}

// ------------------------------------------------------------------ track replay

namespace {

// The replay's state between records: the segment values seen, the edges,
// and the colour classes collected per sensor since the last edge, gathered
// as the live map gathers its closed epochs.
class TrackReplay {
public:
    TrackReplay(MapState& state, MapTileSurfaces& tiles, const Settings& settings, const SensorTables& sensors)
        : state_(state), tiles_(tiles), settings_(settings), sensors_(sensors) {
        const double width = (settings.ReadingsScaleMax - settings.ReadingsScaleMin) / ColourClassCount;
        colourStep_ = width;
    }

    void Take(const uint8_t* record) {
        const int console = ReadingConsole(record);
        if (console >= 0) {
            if (settings_.MapDisplayType != 0 && collecting_) Collect(console, record);
        } else if (record[0] == TypeSegment) {
            Segment(record[SegmentColumns::Code], SegmentValue(record));
        } else if (EndsCollecting(record)) {
            collecting_ = false;
        }
    }

    void Finish() { Flush(); }

private:
    static constexpr int ValueCount = 16;  // a..p

    void Collect(int console, const uint8_t* record) {
        if (console >= settings_.ConsoleCount) return;
        const int32_t first = sensors_.ConsoleFirstSensor[console];
        double value = 0.0;
        if (settings_.ConsoleType[console] == 1 && ReadingField(record, 2, value)) Queue(first + 1, value);
        if (ReadingField(record, 1, value)) Queue(first, value);
    }

    void Queue(int32_t sensor, double value) {
        if (sensor < 0 || sensor >= sensors_.SensorCount) return;
        strips_.Take(sensor, ColourIndexOf(value, settings_.ReadingsScaleMin, colourStep_, ColourClassCount - 1));
    }

    void Segment(uint8_t code, double value) {
        if (code == '0') {
            collecting_ = true;
            havePrevious_ = false;
            strips_.Reset();
            return;
        }
        if (code < 'a' || code >= 'a' + ValueCount) return;
        const int i = code - 'a';
        values_[i] = value;
        seen_[i] = true;
        if (sensors_.SensorCount <= 0) {
            AntennaTrack(code);
        } else if (settings_.MapDisplayType == 0) {
            if (code == 'l' && Seen(8)) DrawMarks(EdgeOf(8));
            if (code == 'p' && Seen(12)) DrawMarks(EdgeOf(12));
        } else {
            if (code == 'd' && Seen(0)) {
                previous_ = EdgeOf(0);
                havePrevious_ = true;
            }
            if (code == 'h' && Seen(4)) {
                const SwathEdge current = EdgeOf(4);
                // After a record that ends the collecting nothing is painted.
                const StripReadings& strips = strips_.CloseStep();
                if (havePrevious_ && collecting_) AddColourStrips(batch_, state_, previous_, current, sensors_, strips);
                previous_ = current;
                havePrevious_ = true;
                if (batch_.Strokes().size() >= StrokesPerPaint) Flush();
            }
        }
    }

    // Without sensors the edges are the antenna: its track from the previous
    // edge (the pair's first, a..d) to the current one (e..h), as live.
    void AntennaTrack(uint8_t code) {
        if (code == 'd' && Seen(0)) {
            previous_ = EdgeOf(0);
            havePrevious_ = pairOpened_ = true;
        }
        if (code != 'h' || !Seen(4)) return;
        const SwathEdge current = EdgeOf(4);
        if (havePrevious_) AddAntennaTrack(batch_, state_, previous_, current, pairOpened_, settings_);
        previous_ = current;
        havePrevious_ = true;
        pairOpened_ = false;
        if (batch_.Strokes().size() >= StrokesPerPaint) Flush();
    }

    // The first three values of the edge starting at value `at`.
    bool Seen(int at) const { return seen_[at] && seen_[at + 1] && seen_[at + 2]; }
    SwathEdge EdgeOf(int at) const {
        return SwathEdge{{values_[at], values_[at + 1]}, {values_[at + 2], values_[at + 3]}};
    }

    void DrawMarks(const SwathEdge& edge) {
        AddPositionMarks(batch_, state_, edge, settings_, sensors_);
        if (batch_.Strokes().size() >= StrokesPerPaint) Flush();
    }

    void Flush() {
        if (!batch_.Empty()) batch_.Paint(state_, tiles_);
        batch_.Clear();
    }

    MapState& state_;
    MapTileSurfaces& tiles_;
    const Settings& settings_;
    const SensorTables& sensors_;
    double colourStep_ = 1.0;
    bool collecting_ = false;
    double values_[ValueCount] = {};
    bool seen_[ValueCount] = {};
    SwathEdge previous_;
    bool havePrevious_ = false;
    bool pairOpened_ = false;  // the previous edge is a segment's first
    StripCollector strips_;
    TileStrokeBatch batch_;
};

}  // namespace

void ReplayTrack(DataFile& file, MapState& state, MapTileSurfaces& tiles, const Settings& settings,
                 const SensorTables& sensors, ReplayProgress& progress) {
    BlockRecordReader reader(BytesFromDataFile(file), RecordLength, ReplayBlockRecords);
    for (int32_t n = 0; n < StartSearchRecords; ++n) {
        const uint8_t* record = reader.Next();
        if (record == nullptr || Contains(record, "X$START")) break;
    }
    if (state.TileWidth > 0 && state.TileHeight > 0) {
        auto replay = std::make_unique<TrackReplay>(state, tiles, settings, sensors);
        while (const uint8_t* record = reader.Next()) {
            if (reader.RecordsRead() % ProgressEveryRecords == 0) progress.Tick();
            replay->Take(record);
        }
        replay->Finish();
    }
    file.SeekToEnd();
}

// ------------------------------------------------------------------ profile replay

namespace {

// Records read backwards from an end offset, newest first, in blocks that
// grow as the walk goes on (most walks end within a few hundred records).
class BackwardRecords {
public:
    BackwardRecords(DataFile& file, uint64_t end) : file_(file), end_(end) {}

    const uint8_t* Previous() {
        if (at_ == 0) {
            const uint64_t available = end_ / RecordLength;
            if (available == 0) return nullptr;
            const size_t count = static_cast<size_t>(std::min<uint64_t>(available, blockRecords_));
            blockRecords_ = std::min<size_t>(blockRecords_ * 4, ReplayBlockRecords);
            block_.resize(count * RecordLength);
            const uint64_t from = end_ - count * RecordLength;
            if (file_.ReadAt(from, block_.data(), block_.size()) != block_.size()) return nullptr;
            end_ = from;
            at_ = count;
        }
        --at_;
        return block_.data() + at_ * RecordLength;
    }

private:
    DataFile& file_;
    uint64_t end_;
    std::vector<uint8_t> block_;
    size_t at_ = 0;
    size_t blockRecords_ = 256;
};

}  // namespace

std::vector<ProfileCurvePiece> ReplayProfile(DataFile& file, const Settings& settings, int k, int32_t paneWidth) {
    std::vector<ProfileCurvePiece> pieces;
    if (!file.IsOpen() || k < 0 || k >= MaxConsoles) return pieces;
    const bool twoSensors = settings.ConsoleType[k] == 1;
    pieces.emplace_back();
    int32_t x = paneWidth - ProfileStepX;
    double left = 0.0;
    double right = 0.0;
    // From the end of the file: the newest records are whole even when an
    // earlier day's crash cut a record short before them.
    BackwardRecords records(file, file.Size());
    while (const uint8_t* record = records.Previous()) {
        if (record[0] == TypeLineDate) break;
        if (record[0] == TypeStation) {
            x -= ProfileStepWidth;
            pieces.emplace_back();
            continue;
        }
        if (ReadingConsole(record) != k) continue;
        ReadingField(record, 1, left);
        if (twoSensors) ReadingField(record, 2, right);
        int32_t rows[2] = {};
        int32_t barRows[2] = {};
        ReadingToPixels(settings, k, left, right, rows, barRows);
        pieces.back().Left.push_back({x, rows[0]});
        if (twoSensors) pieces.back().Right.push_back({x, rows[1]});
        x -= ProfileStepWidth;
        if (x < 0) break;
    }
    pieces.erase(std::remove_if(pieces.begin(), pieces.end(),
                                [](const ProfileCurvePiece& piece) { return piece.Left.empty(); }),
                 pieces.end());
    return pieces;
}

}  // namespace tesselog
