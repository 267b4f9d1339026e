#include "core/datafile/record_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// Columns from..to (inclusive) without their trailing spaces.
void AssignTrimmed(std::string& out, const uint8_t* r, int from, int to) {
    int last = to;
    while (last >= from && r[last] == ' ') --last;
    out.assign(reinterpret_cast<const char*>(r + from), static_cast<size_t>(last - from + 1));
}

// A right-aligned integer ("%02d", "%04d"): spaces, an optional minus, at
// least one digit and nothing else. The fields are at most four wide.
IntField ParseInt(const uint8_t* r, int from, int to) {
    IntField f;
    int i = from;
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
NumberField ParseNumber(const uint8_t* r, int from, int to) {
    NumberField f;
    char text[RecordLength + 1];
    int n = 0;
    int i = from;
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

// The "%10lu" tick in columns 16..25.
TickField ParseTick(const uint8_t* r) {
    TickField f;
    int i = 16;
    while (i <= 25 && r[i] == ' ') ++i;
    if (i > 25) return f;
    uint64_t v = 0;
    for (; i <= 25; ++i) {
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

// The event texts as they stand in columns 1..11. "GPS CONN BRK" is one
// character longer than the field and is cut to "GPS CONN BR".
EventKind EventOfText(const uint8_t* r, int* console) {
    static const struct {
        const char* text;
        EventKind kind;
    } fixed[] = {
        {"$STARTED   ", EventKind::Started},
        {"PAUSED     ", EventKind::Paused},
        {"PAUSED BMP ", EventKind::PausedBmp},
        {"GPS CONN BR", EventKind::GpsBreak},
    };
    for (const auto& e : fixed)
        if (std::memcmp(r + 1, e.text, 11) == 0) return e.kind;
    if (r[1] >= '1' && r[1] <= '9' && std::memcmp(r + 2, "CONN BRK ", 9) == 0 && r[11] == r[1]) {
        *console = r[1] - '0';
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

void RecordReader::Decode(DataItem& item) {
    const uint8_t* r = item.record;
    const uint8_t type = r[0];
    if (std::memcmp(r, IdentificationNew, IdentificationLength) == 0 ||
        std::memcmp(r, IdentificationAppended, IdentificationLength) == 0) {
        item.kind = ItemKind::Identification;
        item.appended = type == IdentificationAppended[0];
        item.versionMajor = DigitAt(r, 9);
        item.gpsInput = std::memcmp(r + 12, "GPS", 3) == 0;
        item.displayUnits = DigitAt(r, 15);
        int option = DigitAt(r, 19);
        item.headerOption = option >= 1 ? option - 1 : -1;
        item.arrayUnits = DigitAt(r, 20);
        geometrySeen_ = 0;
        return;
    }
    // Console 1's tag is 'T' like the identification, which was ruled out above.
    if (int console = ConsoleOfTag(type)) {
        item.kind = ItemKind::Reading;
        item.console = console;
        AssignTrimmed(item.text, r, 1, 15);
        item.tick = ParseTick(r);
        return;
    }
    switch (type) {
    case TypeSetup:
        item.kind = ItemKind::Setup;
        AssignTrimmed(item.text, r, 2, 10);
        for (int i = 0; i < 9; ++i) item.consoleDigits[i] = DigitAt(r, i < 6 ? 12 + i : 21 + (i - 6));
        return;
    case TypeGeometry:
        item.kind = ItemKind::Geometry;
        if (geometrySeen_ < 1000000) ++geometrySeen_;
        item.geometryIndex = geometrySeen_;
        switch (item.geometryIndex) {
        case 1:
            item.value = ParseNumber(r, 1, 7);
            item.value2 = ParseNumber(r, 8, 14);
            item.consoleCount = DigitAt(r, 15);
            item.leadingPoint = DigitAt(r, 16);
            item.nmeaMode = r[17] == 'A' ? 8 : (DigitAt(r, 17) <= 7 ? DigitAt(r, 17) : -1);
            item.gpsInputDigit = DigitAt(r, 20);
            break;
        case 2:
            item.value = ParseNumber(r, 1, 14);
            item.utmZone = ParseInt(r, 16, 17);
            break;
        case 3:
            item.value = ParseNumber(r, 1, 14);
            break;
        case 4:
            item.value = ParseNumber(r, 1, 7);
            item.value2 = ParseNumber(r, 8, 14);
            break;
        default:
            break;
        }
        return;
    case TypeLine:
        item.kind = ItemKind::LineName;
        AssignTrimmed(item.text, r, 1, 8);
        return;
    case TypeLineStart:
        item.kind = ItemKind::LineStart;
        item.value = ParseNumber(r, 1, 11);
        return;
    case TypeLineDirection: {
        item.kind = ItemKind::LineDirection;
        item.directionLetter = r[1];
        const char* letters = "WSNE";
        const char* found = r[1] != 0 ? std::strchr(letters, r[1]) : nullptr;
        item.direction = found != nullptr ? static_cast<int>(found - letters) : -1;
        item.value = ParseNumber(r, 8, 18);
        return;
    }
    case TypeLineDate:
        item.kind = ItemKind::LineDate;
        item.day = ParseInt(r, 1, 2);
        item.month = ParseInt(r, 3, 4);
        item.year = ParseInt(r, 5, 8);
        item.hour = ParseInt(r, 10, 11);
        item.minute = ParseInt(r, 13, 14);
        item.second = ParseInt(r, 16, 17);
        return;
    case TypeClock:
        item.kind = ItemKind::Clock;
        item.hour = ParseInt(r, 1, 2);
        item.minute = ParseInt(r, 4, 5);
        item.second = ParseInt(r, 7, 8);
        item.millisecond = ParseInt(r, 10, 12);
        item.tick = ParseTick(r);
        return;
    case TypeStation:
        item.kind = ItemKind::Station;
        item.value = ParseNumber(r, 1, 11);
        item.hour = ParseInt(r, 14, 15);
        item.minute = ParseInt(r, 17, 18);
        item.second = ParseInt(r, 20, 21);
        item.millisecond = ParseInt(r, 23, 25);
        return;
    case TypeComment:
        item.kind = ItemKind::Comment;
        AssignTrimmed(item.text, r, 1, 11);
        item.tick = ParseTick(r);
        return;
    case TypeEvent: {
        // An event has one of the known texts, blanks in 12..15 and a tick;
        // anything else is an accepted GPS sentence kept in one record.
        int console = 0;
        EventKind event = EventOfText(r, &console);
        TickField tick = ParseTick(r);
        if (event != EventKind::None && AllSpaces(r, 12, 15) && tick.valid) {
            item.kind = ItemKind::Event;
            item.event = event;
            item.console = console;
            item.tick = tick;
            AssignTrimmed(item.text, r, 1, 11);
        } else {
            item.kind = ItemKind::GpsSingle;
            item.firstMarker = TypeEvent;
            item.pieces = 1;
            item.complete = true;
            AssignTrimmed(item.text, r, 1, 25);
        }
        return;
    }
    case TypeGpsPosition:
    case TypeGpsRejected:
        item.kind = ItemKind::GpsGroup;
        item.firstMarker = type;
        item.nextMarker = type == TypeGpsPosition ? TypeGpsPositionNext : TypeGpsRejectedNext;
        return;
    case TypeGpsPositionNext:
    case TypeGpsRejectedNext:
    case TypeGpsTrailer:
        item.kind = ItemKind::StrayGpsRecord;
        return;
    case TypeSegment:
        item.kind = ItemKind::Segment;
        item.segmentCode = r[1];
        if (r[1] == '0') {
            item.segmentGroup = 0;
        } else if (r[1] >= 'a' && r[1] <= 'p') {
            item.segmentGroup = (r[1] - 'a') / 4 + 1;
            item.segmentIndex = (r[1] - 'a') % 4;
        }
        item.value = ParseNumber(r, 2, 15);
        return;
    default:
        item.kind = ItemKind::Unknown;
        return;
    }
}

// The first record of the group is in the item; its pieces follow up to the
// '!' trailer. A record of any other type ends the group without consuming
// that record, which is then read as an item of its own.
void RecordReader::ReadGroup(DataItem& item) {
    item.text.assign(reinterpret_cast<const char*>(item.record + 1), GpsPieceLength);
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
                item.text.append(reinterpret_cast<const char*>(r + 1), GpsPieceLength);
            }
            ++item.pieces;
            ++item.recordCount;
            ConsumeRecord();
            continue;
        }
        if (r[0] == TypeGpsTrailer) {
            item.consolesInBreak = DigitAt(r, 14);
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

// ---------------------------------------------------------------------------
// Text rendering for the inspector.

std::string EscapeBytes(const void* data, size_t size, bool quoted) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = bytes[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (quoted && c == '"') {
            out += "\\\"";
        } else if (c >= 0x20 && c <= 0x7E) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

namespace {

std::string Quoted(const std::string& text) { return "\"" + EscapeBytes(text.data(), text.size(), true) + "\""; }

std::string RawColumns(const uint8_t* r, int from, int to) {
    return "?\"" + EscapeBytes(r + from, static_cast<size_t>(to - from + 1), true) + "\"";
}

std::string Number(const NumberField& f, int decimals, const uint8_t* r, int from, int to) {
    if (!f.valid) return RawColumns(r, from, to);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, f.value);
    return buffer;
}

std::string Integer(const IntField& f, const char* format, const uint8_t* r, int from, int to) {
    if (!f.valid) return RawColumns(r, from, to);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, static_cast<int>(f.value));
    return buffer;
}

std::string Digit(int digit, const uint8_t* r, int col) {
    return digit >= 0 ? std::to_string(digit) : RawColumns(r, col, col);
}

std::string Tick(const TickField& f, const uint8_t* r) {
    if (!f.valid) return RawColumns(r, 16, 25);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%lu", static_cast<unsigned long>(f.value));
    return buffer;
}

std::string TimeOfDay(const DataItem& item, const int cols[4]) {
    const uint8_t* r = item.record;
    std::string out = Integer(item.hour, "%02d", r, cols[0], cols[0] + 1) + ":" +
                      Integer(item.minute, "%02d", r, cols[1], cols[1] + 1) + ":" +
                      Integer(item.second, "%02d", r, cols[2], cols[2] + 1);
    if (cols[3] >= 0) out += "." + Integer(item.millisecond, "%03d", r, cols[3], cols[3] + 2);
    return out;
}

}  // namespace

std::string DescribeItem(const DataItem& item) {
    const uint8_t* r = item.record;
    char head[32];
    std::snprintf(head, sizeof head, "%10llu ", static_cast<unsigned long long>(item.offset));
    std::string out = head;
    switch (item.kind) {
    case ItemKind::Identification:
        out += item.appended ? "identification appended" : "identification new";
        out += " version=" + EscapeBytes(r + 9, 3) + " input=" + EscapeBytes(r + 12, 3) +
               " units=" + Digit(item.displayUnits, r, 15) + " header-option=" +
               (item.headerOption >= 0 ? std::to_string(item.headerOption) : RawColumns(r, 19, 19)) +
               " array-units=" + Digit(item.arrayUnits, r, 20);
        break;
    case ItemKind::Setup:
        out += "setup name=" + Quoted(item.text) + " consoles=";
        for (int i = 0; i < 9; ++i) {
            if (i > 0) out += ",";
            out += Digit(item.consoleDigits[i], r, i < 6 ? 12 + i : 21 + (i - 6));
        }
        break;
    case ItemKind::Geometry:
        out += "geometry-" + std::to_string(item.geometryIndex);
        switch (item.geometryIndex) {
        case 1:
            out += " gps-offset-x=" + Number(item.value, 3, r, 1, 7) + " gps-offset-y=" +
                   Number(item.value2, 3, r, 8, 14) + " consoles=" + Digit(item.consoleCount, r, 15) +
                   " leading-point=" + Digit(item.leadingPoint, r, 16) +
                   " nmea-mode=" + Digit(item.nmeaMode, r, 17) + " gps-input=" + Digit(item.gpsInputDigit, r, 20);
            break;
        case 2:
            out += " reference-easting=" + Number(item.value, 3, r, 1, 14) +
                   " utm-zone=" + Integer(item.utmZone, "%d", r, 16, 17);
            break;
        case 3:
            out += " reference-northing=" + Number(item.value, 3, r, 1, 14);
            break;
        case 4:
            out += " unit-separation=" + Number(item.value, 3, r, 1, 7) +
                   " console-separation=" + Number(item.value2, 3, r, 8, 14);
            break;
        default:
            out += " beyond-the-fourth record=" + Quoted(std::string(reinterpret_cast<const char*>(r + 1), 25));
            break;
        }
        break;
    case ItemKind::LineName:
        out += "line name=" + Quoted(item.text);
        break;
    case ItemKind::LineStart:
        out += "line-start station=" + Number(item.value, 2, r, 1, 11);
        break;
    case ItemKind::LineDirection:
        out += "line-direction direction=" +
               (item.direction >= 0 ? std::string(1, static_cast<char>(item.directionLetter)) : RawColumns(r, 1, 1)) +
               " increment=" + Number(item.value, 3, r, 8, 18);
        break;
    case ItemKind::LineDate: {
        static const int cols[4] = {10, 13, 16, -1};
        out += "line-date date=" + Integer(item.year, "%04d", r, 5, 8) + "-" + Integer(item.month, "%02d", r, 3, 4) +
               "-" + Integer(item.day, "%02d", r, 1, 2) + " time=" + TimeOfDay(item, cols);
        break;
    }
    case ItemKind::Clock: {
        static const int cols[4] = {1, 4, 7, 10};
        out += "clock time=" + TimeOfDay(item, cols) + " tick=" + Tick(item.tick, r);
        break;
    }
    case ItemKind::Reading:
        out += "reading console=" + std::to_string(item.console) + " tag=" + EscapeBytes(r, 1) +
               " text=" + Quoted(item.text) + " tick=" + Tick(item.tick, r);
        break;
    case ItemKind::Station: {
        static const int cols[4] = {14, 17, 20, 23};
        out += "station station=" + Number(item.value, 2, r, 1, 11) + " time=" + TimeOfDay(item, cols);
        break;
    }
    case ItemKind::Event:
        out += "event text=" + Quoted(item.text);
        if (item.event == EventKind::ConsoleBreak) out += " console=" + std::to_string(item.console);
        out += " tick=" + Tick(item.tick, r);
        break;
    case ItemKind::Comment:
        out += "comment text=" + Quoted(item.text) + " tick=" + Tick(item.tick, r);
        break;
    case ItemKind::GpsSingle:
        out += "gps-other markers=X sentence=" + Quoted(item.text);
        break;
    case ItemKind::GpsGroup: {
        out += item.firstMarker == TypeGpsPosition ? "gps-position" : "gps-rejected";
        out += " markers=" + EscapeBytes(&item.firstMarker, 1) + EscapeBytes(&item.nextMarker, 1) +
               " sentence=" + Quoted(item.text) + " records=" + std::to_string(item.recordCount);
        if (item.complete) {
            // The trailer is the group's last record; its fields were decoded
            // into the item, and a bad field shows as the digit or tick it held.
            out += " in-break=" + (item.consolesInBreak >= 0 ? std::to_string(item.consolesInBreak) : "?") +
                   " tick=" + (item.tick.valid ? std::to_string(item.tick.value) : "?");
        } else {
            out += " NO-TRAILER";
        }
        break;
    }
    case ItemKind::Segment:
        out += "segment code=" + EscapeBytes(&item.segmentCode, 1);
        if (item.segmentGroup == 0) {
            out += " open";
        } else if (item.segmentGroup > 0) {
            out += " group=" + std::to_string(item.segmentGroup) + " value=" + Number(item.value, 3, r, 2, 15);
        } else {
            out += " UNKNOWN-CODE value=" + Number(item.value, 3, r, 2, 15);
        }
        break;
    case ItemKind::StrayGpsRecord:
        out += "STRAY-GPS-RECORD type=" + EscapeBytes(r, 1) +
               " record=" + Quoted(std::string(reinterpret_cast<const char*>(r + 1), 25));
        break;
    case ItemKind::Unknown:
        out += "UNKNOWN-TYPE type=" + EscapeBytes(r, 1) +
               " record=" + Quoted(std::string(reinterpret_cast<const char*>(r + 1), 25));
        break;
    }
    return out;
}

}  // namespace tesselog
