#include "core/datafile/record_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/datafile/data_file_writers.h"
#include "core/platform/file_system.h"

namespace tesselog {
namespace {

constexpr uint8_t Lf = 10;
// Bytes kept beyond a block so that a record that is too long can be looked
// past to find where its LF really is.
constexpr size_t Lookahead = 64;
constexpr size_t DiagnosisWindow = RecordLength + 8;

bool IsDigitByte(uint8_t c) { return c >= '0' && c <= '9'; }

int DigitAt(const uint8_t* r, int col) { return IsDigitByte(r[col]) ? r[col] - '0' : -1; }

bool AllSpaces(const uint8_t* r, int from, int to) {
    for (int i = from; i <= to; ++i)
        if (r[i] != ' ') return false;
    return true;
}

// The field without its trailing spaces.
void AssignTrimmed(std::string& out, const uint8_t* r, RecordField f) {
    int last = f.last();
    while (last >= f.first && r[last] == ' ') --last;
    out.assign(reinterpret_cast<const char*>(r + f.first), static_cast<size_t>(last - f.first + 1));
}

// True when the field holds the text, cut to the field and padded with spaces.
bool Holds(const uint8_t* r, RecordField f, const std::string& text) {
    const size_t n = std::min(text.size(), static_cast<size_t>(f.width));
    return std::memcmp(r + f.first, text.data(), n) == 0 && AllSpaces(r, f.first + static_cast<int>(n), f.last());
}

// A right-aligned integer ("%02d", "%04d"): spaces, an optional minus, at
// least one digit and nothing else. The fields are at most four wide.
IntField ParseInt(const uint8_t* r, RecordField field) {
    const int to = field.last();
    IntField f;
    int i = field.first;
    while (i <= to && r[i] == ' ') ++i;
    bool negative = false;
    if (i <= to && r[i] == '-') {
        negative = true;
        ++i;
    }
    if (i > to) return f;
    int32_t v = 0;
    for (; i <= to; ++i) {
        if (!IsDigitByte(r[i])) return f;
        v = v * 10 + (r[i] - '0');
    }
    f.value = negative ? -v : v;
    f.valid = true;
    return f;
}

// A "%N.Mf" field: spaces, an optional sign, digits with at most one point
// (at least one digit), then only spaces. strtod converts what was checked;
// no setlocale is ever called, so the point is the decimal separator.
NumberField ParseNumber(const uint8_t* r, RecordField field) {
    const int to = field.last();
    NumberField f;
    char text[RecordLength + 1];
    int n = 0;
    int i = field.first;
    while (i <= to && r[i] == ' ') ++i;
    if (i <= to && (r[i] == '-' || r[i] == '+')) text[n++] = static_cast<char>(r[i++]);
    bool digits = false;
    bool point = false;
    for (; i <= to && r[i] != ' '; ++i) {
        if (IsDigitByte(r[i])) {
            digits = true;
        } else if (r[i] == '.' && !point) {
            point = true;
        } else {
            return f;
        }
        text[n++] = static_cast<char>(r[i]);
    }
    if (!digits || !AllSpaces(r, i, to)) return f;
    text[n] = '\0';
    f.value = std::strtod(text, nullptr);
    f.valid = true;
    return f;
}

// The "%10lu" tick.
TickField ParseTick(const uint8_t* r) {
    TickField f;
    int i = TickColumns.first;
    while (i <= TickColumns.last() && r[i] == ' ') ++i;
    if (i > TickColumns.last()) return f;
    uint64_t v = 0;
    for (; i <= TickColumns.last(); ++i) {
        if (!IsDigitByte(r[i])) return f;
        v = v * 10 + static_cast<uint64_t>(r[i] - '0');
    }
    if (v > 0xFFFFFFFFull) return f;
    f.value = static_cast<uint32_t>(v);
    f.valid = true;
    return f;
}

int ConsoleOfTag(uint8_t type) {
    for (int k = 0; k < 9; ++k)
        if (ConsoleRecordTag[k] == type) return k + 1;
    return 0;
}

// The event texts as they stand in their columns. "GPS CONN BRK" is one
// character longer than the field and is cut to "GPS CONN BR".
EventKind EventOfText(const uint8_t* r, int* console) {
    static const struct {
        const char* text;
        EventKind kind;
    } fixed[] = {
        {EventStarted, EventKind::Started},
        {EventPaused, EventKind::Paused},
        {EventPausedMap, EventKind::PausedBmp},
        {EventGpsBreak, EventKind::GpsBreak},
    };
    for (const auto& e : fixed)
        if (Holds(r, EventColumns::Text, e.text)) return e.kind;
    const int digit = DigitAt(r, EventColumns::Text.first);
    if (digit >= 1 && Holds(r, EventColumns::Text, ConsoleBreakText(digit))) {
        *console = digit;
        return EventKind::ConsoleBreak;
    }
    return EventKind::None;
}

std::string TypeText(uint8_t type) {
    char buffer[8];
    if (type >= 0x20 && type <= 0x7E && type != '\'')
        std::snprintf(buffer, sizeof buffer, "'%c'", static_cast<char>(type));
    else
        std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned>(type));
    return buffer;
}

std::string OffsetText(uint64_t offset) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(offset));
    return buffer;
}

}  // namespace

void DataItem::Reset() {
    kind = ItemKind::Unknown;
    offset = 0;
    recordCount = 0;
    type = 0;
    tick = TickField();
    text.clear();  // keeps its capacity: items are reused record after record
    appended = false;
    versionMajor = displayUnits = headerOption = arrayUnits = -1;
    gpsInput = false;
    for (int& d : consoleDigits) d = -1;
    geometryIndex = 0;
    value = value2 = NumberField();
    consoleCount = leadingPoint = nmeaMode = gpsInputDigit = -1;
    utmZone = IntField();
    directionLetter = 0;
    direction = -1;
    day = month = year = hour = minute = second = millisecond = IntField();
    console = 0;
    event = EventKind::None;
    firstMarker = nextMarker = 0;
    pieces = 0;
    consolesInBreak = -1;
    complete = false;
    segmentCode = 0;
    segmentGroup = -1;
    segmentIndex = 0;
}

ByteSource BytesFromMemory(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    size_t position = 0;
    return [bytes, size, position](void* buffer, size_t n) mutable -> size_t {
        size_t count = std::min(n, size - position);
        if (count > 0) std::memcpy(buffer, bytes + position, count);
        position += count;
        return count;
    };
}

ByteSource BytesFromFile(File& file) {
    return [&file](void* buffer, size_t n) { return file.Read(buffer, n); };
}

RecordReader::RecordReader(ByteSource source, size_t blockSize)
    : source_(std::move(source)), blockSize_(std::max<size_t>(blockSize, 1)), buffer_(blockSize_ + Lookahead) {}

// Makes at least `wanted` (at most Lookahead) bytes available unless the
// source ends first. Each read asks for a whole block.
bool RecordReader::Fill(size_t wanted) {
    while (Available() < wanted && !endOfSource_) {
        if (buffer_.size() - end_ < blockSize_) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, Available());
            end_ -= begin_;
            begin_ = 0;
        }
        size_t room = std::min(buffer_.size() - end_, blockSize_);
        size_t n = source_(buffer_.data() + end_, room);
        if (n == 0)
            endOfSource_ = true;
        else
            end_ += std::min(n, room);
    }
    return Available() >= wanted;
}

void RecordReader::Note(uint64_t offset, std::string reason) {
    if (problem_.found) return;
    problem_.found = true;
    problem_.offset = offset;
    problem_.reason = std::move(reason);
}

int RecordReader::PeekRecord() {
    if (stopped_) return -1;
    Fill(RecordLength);
    size_t available = Available();
    if (available == 0) return 0;
    if (available < static_cast<size_t>(RecordLength)) {
        Note(offset_, "the file ends with an incomplete record of " + std::to_string(available) +
                          " bytes (the file length is not a multiple of 27)");
        stopped_ = true;
        return -1;
    }
    if (buffer_[begin_ + RecordLfColumn] == Lf) return 1;

    // Not 27 bytes: say where its LF really is, before or after column 26.
    Fill(DiagnosisWindow);
    const uint8_t* r = buffer_.data() + begin_;
    size_t window = std::min(Available(), DiagnosisWindow);
    std::string reason = "the record at offset " + OffsetText(offset_) + " is not 27 bytes: ";
    const void* lf = std::memchr(r, Lf, RecordLfColumn);
    if (lf != nullptr) {
        size_t column = static_cast<size_t>(static_cast<const uint8_t*>(lf) - r);
        reason += "its LF is at column " + std::to_string(column) + ", so it is " + std::to_string(column + 1) +
                  " bytes long";
    } else {
        reason += "column 26 holds " + TypeText(r[RecordLfColumn]) + ", not LF";
        const void* later = std::memchr(r + RecordLength, Lf, window - RecordLength);
        if (later != nullptr) {
            size_t column = static_cast<size_t>(static_cast<const uint8_t*>(later) - r);
            reason += "; its LF is at column " + std::to_string(column) + ", so it is " +
                      std::to_string(column + 1) + " bytes long";
        }
    }
    Note(offset_, reason);
    stopped_ = true;
    return -1;
}

void RecordReader::ConsumeRecord() {
    begin_ += RecordLength;
    offset_ += RecordLength;
    ++records_;
}

bool RecordReader::Next(DataItem& item) {
    if (PeekRecord() <= 0) {
        if (records_ == 0 && !stopped_)
            Note(0, "the file is empty; a data file starts with its identification record");
        return false;
    }
    item.Reset();
    item.offset = offset_;
    item.recordCount = 1;
    std::memcpy(item.record, buffer_.data() + begin_, RecordLength);
    item.type = item.record[0];
    bool first = records_ == 0;
    ConsumeRecord();
    Decode(item);
    if (first && (item.kind != ItemKind::Identification || item.appended))
        Note(0, "the first record is not the identification \"TESSEL  W\"");
    if (item.kind == ItemKind::GpsGroup) ReadGroup(item);
    if (item.kind == ItemKind::Unknown)
        Note(item.offset, "unknown record type " + TypeText(item.type) + " at offset " + OffsetText(item.offset));
    if (item.kind == ItemKind::StrayGpsRecord) {
        std::string what = item.type == TypeGpsTrailer ? "'!' trailer" : "continuation record " + TypeText(item.type);
        Note(item.offset, what + " outside a GPS group at offset " + OffsetText(item.offset));
    }
    return true;
}

namespace {

// One decoder per record type: the fields of the record from their columns.

bool IsIdentification(const uint8_t* r) {
    return std::memcmp(r, IdentificationNew, IdentificationLength) == 0 ||
           std::memcmp(r, IdentificationAppended, IdentificationLength) == 0;
}

void DecodeIdentification(DataItem& item) {
    using I = IdentificationColumns;
    const uint8_t* r = item.record;
    item.kind = ItemKind::Identification;
    item.appended = item.type == IdentificationAppended[0];
    item.versionMajor = DigitAt(r, I::Version.first);
    item.gpsInput = std::memcmp(r + I::Input.first, "GPS", I::Input.width) == 0;
    item.displayUnits = DigitAt(r, I::DisplayUnits);
    int option = DigitAt(r, I::HeaderOption);
    item.headerOption = option >= 1 ? option - 1 : -1;
    item.arrayUnits = DigitAt(r, I::ArrayUnits);
}

void DecodeReading(DataItem& item, int console) {
    item.kind = ItemKind::Reading;
    item.console = console;
    AssignTrimmed(item.text, item.record, ReadingColumns::Text);
    item.tick = ParseTick(item.record);
}

void DecodeSetup(DataItem& item) {
    item.kind = ItemKind::Setup;
    AssignTrimmed(item.text, item.record, SetupColumns::FileName);
    for (int i = 0; i < 9; ++i) item.consoleDigits[i] = DigitAt(item.record, SetupColumns::Console(i));
}

// geometryIndex says which of the four it is (set by the reader).
void DecodeGeometry(DataItem& item) {
    using G = GeometryColumns;
    const uint8_t* r = item.record;
    item.kind = ItemKind::Geometry;
    switch (item.geometryIndex) {
    case 1: {
        item.value = ParseNumber(r, G::OffsetX);
        item.value2 = ParseNumber(r, G::OffsetY);
        item.consoleCount = DigitAt(r, G::ConsoleCount);
        item.leadingPoint = DigitAt(r, G::LeadingPoint);
        const int mode = DigitAt(r, G::NmeaMode);
        item.nmeaMode = r[G::NmeaMode] == 'A' ? 8 : (mode <= 7 ? mode : -1);
        item.gpsInputDigit = DigitAt(r, G::GpsInput);
        break;
    }
    case 2:
        item.value = ParseNumber(r, G::Reference);
        item.utmZone = ParseInt(r, G::UtmZone);
        break;
    case 3:
        item.value = ParseNumber(r, G::Reference);
        break;
    case 4:
        item.value = ParseNumber(r, G::UnitSeparation);
        item.value2 = ParseNumber(r, G::ConsoleSeparation);
        break;
    default:
        break;
    }
}

void DecodeLine(DataItem& item) {
    item.kind = ItemKind::LineName;
    AssignTrimmed(item.text, item.record, LineColumns::Text);
}

void DecodeLineStart(DataItem& item) {
    item.kind = ItemKind::LineStart;
    item.value = ParseNumber(item.record, LineStartColumns::Station);
}

void DecodeLineDirection(DataItem& item) {
    const uint8_t letter = item.record[LineDirectionColumns::Letter];
    item.kind = ItemKind::LineDirection;
    item.directionLetter = letter;
    const char* found = letter != 0 ? std::strchr(LineDirectionLetters, letter) : nullptr;
    item.direction = found != nullptr ? static_cast<int>(found - LineDirectionLetters) : -1;
    item.value = ParseNumber(item.record, LineDirectionColumns::Increment);
}

void DecodeTimeOfDay(DataItem& item, ClockField clock) {
    item.hour = ParseInt(item.record, clock.Hour());
    item.minute = ParseInt(item.record, clock.Minute());
    item.second = ParseInt(item.record, clock.Second());
}

void DecodeLineDate(DataItem& item) {
    using Z = LineDateColumns;
    item.kind = ItemKind::LineDate;
    item.day = ParseInt(item.record, Z::Day);
    item.month = ParseInt(item.record, Z::Month);
    item.year = ParseInt(item.record, Z::Year);
    DecodeTimeOfDay(item, Z::Time);
}

void DecodeClock(DataItem& item) {
    item.kind = ItemKind::Clock;
    DecodeTimeOfDay(item, ClockColumns::Time);
    item.millisecond = ParseInt(item.record, ClockColumns::Millisecond);
    item.tick = ParseTick(item.record);
}

void DecodeStation(DataItem& item) {
    item.kind = ItemKind::Station;
    item.value = ParseNumber(item.record, StationColumns::Station);
    DecodeTimeOfDay(item, StationColumns::Time);
    item.millisecond = ParseInt(item.record, StationColumns::Millisecond);
}

void DecodeComment(DataItem& item) {
    item.kind = ItemKind::Comment;
    AssignTrimmed(item.text, item.record, EventColumns::Text);
    item.tick = ParseTick(item.record);
}

// An event has one of the known texts, blanks after it and a tick; anything
// else is an accepted GPS sentence kept in one record.
void DecodeEvent(DataItem& item) {
    const uint8_t* r = item.record;
    int console = 0;
    EventKind event = EventOfText(r, &console);
    TickField tick = ParseTick(r);
    if (event != EventKind::None && AllSpaces(r, EventColumns::Blank.first, EventColumns::Blank.last()) &&
        tick.valid) {
        item.kind = ItemKind::Event;
        item.event = event;
        item.console = console;
        item.tick = tick;
        AssignTrimmed(item.text, r, EventColumns::Text);
    } else {
        item.kind = ItemKind::GpsSingle;
        item.firstMarker = TypeEvent;
        item.pieces = 1;
        item.complete = true;
        AssignTrimmed(item.text, r, GpsColumns::Piece);
    }
}

// '@' or '?': the first record of a group, read on by RecordReader::ReadGroup.
void DecodeGpsGroup(DataItem& item) {
    item.kind = ItemKind::GpsGroup;
    item.firstMarker = item.type;
    item.nextMarker = item.type == TypeGpsPosition ? TypeGpsPositionNext : TypeGpsRejectedNext;
}

void DecodeStrayGps(DataItem& item) { item.kind = ItemKind::StrayGpsRecord; }

void DecodeSegment(DataItem& item) {
    const uint8_t code = item.record[SegmentColumns::Code];
    item.kind = ItemKind::Segment;
    item.segmentCode = code;
    if (code == '0') {
        item.segmentGroup = 0;
    } else if (code >= 'a' && code <= 'p') {
        item.segmentGroup = (code - 'a') / 4 + 1;
        item.segmentIndex = (code - 'a') % 4;
    }
    item.value = ParseNumber(item.record, SegmentColumns::Value);
}

const struct {
    uint8_t type;
    void (*decode)(DataItem&);
} TypeDecoders[] = {
    {TypeSetup, DecodeSetup},
    {TypeGeometry, DecodeGeometry},
    {TypeLine, DecodeLine},
    {TypeLineStart, DecodeLineStart},
    {TypeLineDirection, DecodeLineDirection},
    {TypeLineDate, DecodeLineDate},
    {TypeClock, DecodeClock},
    {TypeStation, DecodeStation},
    {TypeComment, DecodeComment},
    {TypeEvent, DecodeEvent},
    {TypeGpsPosition, DecodeGpsGroup},
    {TypeGpsRejected, DecodeGpsGroup},
    {TypeGpsPositionNext, DecodeStrayGps},
    {TypeGpsRejectedNext, DecodeStrayGps},
    {TypeGpsTrailer, DecodeStrayGps},
    {TypeSegment, DecodeSegment},
};

}  // namespace

// The identification first: console 1's tag is 'T' like "TESSEL  W". Then a
// console's tag, then the table.
void RecordReader::Decode(DataItem& item) {
    if (IsIdentification(item.record)) {
        DecodeIdentification(item);
        geometrySeen_ = 0;
        return;
    }
    if (int console = ConsoleOfTag(item.type)) {
        DecodeReading(item, console);
        return;
    }
    if (item.type == TypeGeometry) {
        if (geometrySeen_ < 1000000) ++geometrySeen_;
        item.geometryIndex = geometrySeen_;
    }
    for (const auto& d : TypeDecoders) {
        if (d.type == item.type) {
            d.decode(item);
            return;
        }
    }
    item.kind = ItemKind::Unknown;
}

// The first record of the group is in the item; its pieces follow up to the
// '!' trailer. A record of any other type ends the group without consuming
// that record, which is then read as an item of its own.
void RecordReader::ReadGroup(DataItem& item) {
    item.text.assign(reinterpret_cast<const char*>(item.record + GpsColumns::Piece.first), GpsPieceLength);
    item.pieces = 1;
    size_t lastPiece = 0;
    for (;;) {
        int peek = PeekRecord();
        if (peek == 0)
            Note(item.offset, "the GPS group at offset " + OffsetText(item.offset) +
                                  " has no '!' trailer before the end of the file");
        if (peek <= 0) break;
        const uint8_t* r = buffer_.data() + begin_;
        if (r[0] == item.nextMarker) {
            if (item.text.size() + GpsPieceLength <= MaxKeptGpsSentence) {
                lastPiece = item.text.size();
                item.text.append(reinterpret_cast<const char*>(r + GpsColumns::Piece.first), GpsPieceLength);
            }
            ++item.pieces;
            ++item.recordCount;
            ConsumeRecord();
            continue;
        }
        if (r[0] == TypeGpsTrailer) {
            item.consolesInBreak = DigitAt(r, GpsColumns::ConsolesInBreak);
            item.tick = ParseTick(r);
            item.complete = true;
            ++item.recordCount;
            ConsumeRecord();
            break;
        }
        Note(offset_, "the GPS group at offset " + OffsetText(item.offset) + " is interrupted by a " +
                          TypeText(r[0]) + " record at offset " + OffsetText(offset_) + " before its '!' trailer");
        break;
    }
    // Only the last piece was padded by the writer.
    size_t end = item.text.size();
    while (end > lastPiece && item.text[end - 1] == ' ') --end;
    item.text.resize(end);
}

DataFileCheck CheckDataFile(ByteSource source, size_t blockSize) {
    RecordReader reader(std::move(source), blockSize);
    DataItem item;
    while (reader.Next(item) && !reader.FirstProblem().found) {
    }
    DataFileCheck check;
    check.problem = reader.FirstProblem();
    check.ok = !check.problem.found;
    check.records = reader.RecordCount();
    return check;
}

}  // namespace tesselog
