#include "core/datafile/data_file_writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tesselog {
namespace {

// One record under construction: spaces everywhere, the type in column 0 and
// LF in column 26. Every field is bounded by its width and by column 25, so
// nothing can reach the LF or the next record.
class Record {
public:
    explicit Record(uint8_t type) {
        std::memset(bytes_, ' ', sizeof bytes_);
        bytes_[0] = static_cast<char>(type);
        bytes_[RecordLfColumn] = '\n';
    }

    // Left-aligned text cut to `width` columns.
    void Text(int column, int width, const char* text, size_t length) {
        size_t room = FieldRoom(column, width);
        std::memcpy(bytes_ + column, text, std::min(length, room));
    }
    void Text(int column, int width, const std::string& text) { Text(column, width, text.data(), text.size()); }

    // printf "%<width>.<precision>f", clamped to what the columns can show.
    void Fixed(int column, int width, int precision, double value) {
        double largest = std::pow(10.0, width - precision - 1) - std::pow(10.0, -precision);
        double smallest = -(std::pow(10.0, width - precision - 2) - std::pow(10.0, -precision));
        if (std::isnan(value)) value = 0.0;
        value = std::clamp(value, smallest, largest);
        char field[64];
        int n = std::snprintf(field, sizeof field, "%*.*f", width, precision, value);
        Text(column, width, field, n > 0 ? static_cast<size_t>(n) : 0);
    }

    // printf "%<width>d" or "%0<width>d", clamped to what the columns show.
    void Int(int column, int width, bool zeroPadded, int64_t value) {
        int64_t largest = 1;
        for (int i = 0; i < width; ++i) largest *= 10;
        int64_t smallest = -(largest / 10 - 1);
        largest -= 1;
        int64_t v = std::clamp<int64_t>(value, smallest, largest);
        char field[32];
        int n = std::snprintf(field, sizeof field, zeroPadded ? "%0*lld" : "%*lld", width, static_cast<long long>(v));
        Text(column, width, field, n > 0 ? static_cast<size_t>(n) : 0);
    }

    void Digit(int column, int64_t value) { Int(column, 1, false, value); }
    void Char(int column, char c) { Text(column, 1, &c, 1); }

    // "%10lu": a 32-bit tick always fits.
    void Tick(int column, uint32_t tick) {
        char field[16];
        int n = std::snprintf(field, sizeof field, "%10lu", static_cast<unsigned long>(tick));
        Text(column, 10, field, n > 0 ? static_cast<size_t>(n) : 0);
    }

    void AppendTo(std::string& out) const { out.append(bytes_, sizeof bytes_); }

private:
    static size_t FieldRoom(int column, int width) {
        if (column < 0 || column >= RecordLfColumn || width <= 0) return 0;
        return static_cast<size_t>(std::min(width, RecordLfColumn - column));
    }
    char bytes_[RecordLength];
};

// hh:mm:ss in three columns pairs separated by colons, starting at `column`.
void PutClock(Record& r, int column, const LocalTime& t) {
    r.Int(column, 2, true, t.Hour);
    r.Char(column + 2, ':');
    r.Int(column + 3, 2, true, t.Minute);
    r.Char(column + 5, ':');
    r.Int(column + 6, 2, true, t.Second);
}

// The low byte of each character: what the file keeps of a wide text.
std::string LowBytes(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) out += static_cast<char>(static_cast<uint32_t>(c) & 0xFF);
    return out;
}

}  // namespace

std::string FormatFileHeader(int appended, const Settings& s, const HeaderContext& header) {
    std::string out;
    out.reserve(6 * RecordLength);

    Record id(static_cast<uint8_t>(appended == 0 ? IdentificationNew[0] : IdentificationAppended[0]));
    id.Text(0, IdentificationLength, appended == 0 ? IdentificationNew : IdentificationAppended);
    id.Text(9, 3, ProgramVersionDigits);
    id.Text(12, 3, s.GpsInput != 0 ? "GPS" : "GRD");
    id.Digit(15, s.DisplayUnits);
    id.Char(17, '0');
    id.Digit(19, int64_t{s.FileHeaderOption} + 1);  // 64 bits: any stored value + 1
    id.Digit(20, s.ArrayUnits);
    id.AppendTo(out);

    Record h(TypeSetup);
    h.Text(2, DataFileNameColumns, header.DataFileName);
    for (int k = 0; k < MaxConsoles; ++k) {
        int column = k < 6 ? 12 + k : 21 + (k - 6);
        h.Digit(column, k < s.ConsoleCount ? int64_t{s.ConsoleType[k]} + 1 : 0);
    }
    h.AppendTo(out);

    Record g1(TypeGeometry);
    g1.Fixed(1, 7, 3, s.GpsOffsetX);
    g1.Fixed(8, 7, 3, s.GpsOffsetY);
    g1.Digit(15, s.ConsoleCount);
    g1.Digit(16, s.LeadingPoint);
    if (s.NmeaMode >= 8)
        g1.Char(17, 'A');
    else
        g1.Digit(17, s.NmeaMode);
    g1.Char(19, '0');
    g1.Digit(20, s.GpsInput);
    g1.AppendTo(out);

    Record g2(TypeGeometry);
    g2.Fixed(1, 14, 3, header.MapReferenceEasting);
    g2.Int(16, 2, true, header.UtmZoneOfFile);
    g2.AppendTo(out);

    Record g3(TypeGeometry);
    g3.Fixed(1, 14, 3, header.MapReferenceNorthing);
    g3.AppendTo(out);

    Record g4(TypeGeometry);
    g4.Fixed(1, 7, 3, s.UnitSensorSeparation);
    g4.Fixed(8, 7, 3, s.ConsoleSeparation);
    g4.AppendTo(out);
    return out;
}

std::string FormatLineHeader(const Settings& s, const LocalTime& now) {
    std::string out;
    out.reserve(4 * RecordLength);

    Record l(TypeLine);
    l.Text(1, LineTextColumns, s.StartLineText);
    l.AppendTo(out);

    Record b(TypeLineStart);
    b.Fixed(1, 11, 2, s.StartStation);
    b.AppendTo(out);

    Record a(TypeLineDirection);
    a.Char(1, LineDirectionLetters[std::clamp<int32_t>(s.LineDirection, 0, 3)]);
    a.Fixed(8, 11, 3, s.StationIncrement);
    a.AppendTo(out);

    Record z(TypeLineDate);
    z.Int(1, 2, true, now.Day);
    z.Int(3, 2, true, now.Month);
    z.Int(5, 4, true, now.Year);
    PutClock(z, 10, now);
    z.AppendTo(out);
    return out;
}

std::string FormatTimeRecord(uint32_t tick, const LocalTime& now) {
    Record r(TypeClock);
    PutClock(r, 1, now);
    r.Char(9, '.');
    r.Int(10, 3, true, now.Millisecond);
    r.Tick(16, tick);
    std::string out;
    r.AppendTo(out);
    return out;
}

std::string FormatStationRecord(double station, const LocalTime& now) {
    Record r(TypeStation);
    r.Fixed(1, 11, 2, station);
    PutClock(r, 14, now);
    r.Char(22, '.');
    r.Int(23, 3, true, now.Millisecond);
    std::string out;
    r.AppendTo(out);
    return out;
}

std::string FormatEventRecord(const std::string& text, uint8_t type, uint32_t tick) {
    Record r(type);
    r.Text(1, EventTextColumns, text);
    r.Tick(16, tick);
    std::string out;
    r.AppendTo(out);
    return out;
}

std::string FormatEventRecord(const std::wstring& text, uint8_t type, uint32_t tick) {
    return FormatEventRecord(LowBytes(text), type, tick);
}

std::string FormatGpsRecords(const std::string& sentence, uint8_t first, uint8_t next, int consolesInBreak,
                             uint32_t tick) {
    std::string out;
    if (first == TypeEvent) {
        Record r(first);
        r.Text(1, GpsPieceLength, sentence);
        r.AppendTo(out);
        return out;
    }
    size_t pieces = std::max<size_t>(1, (sentence.size() + GpsPieceLength - 1) / GpsPieceLength);
    out.reserve((pieces + 1) * RecordLength);
    for (size_t i = 0; i < pieces; ++i) {
        Record r(i == 0 ? first : next);
        size_t start = i * GpsPieceLength;
        if (start < sentence.size()) {
            size_t length = std::min<size_t>(GpsPieceLength, sentence.size() - start);
            r.Text(1, GpsPieceLength, sentence.data() + start, length);
        }
        r.AppendTo(out);
    }
    Record trailer(TypeGpsTrailer);
    trailer.Digit(14, consolesInBreak);
    trailer.Tick(16, tick);
    trailer.AppendTo(out);
    return out;
}

std::string FormatSegmentRecords(int group, double value0, double value1, double value2, double value3) {
    std::string out;
    if (group == 0) {
        Record r(TypeSegment);
        r.Char(1, '0');
        r.Fixed(2, 14, 3, 0.0);
        r.AppendTo(out);
    } else if (group >= 1 && group <= 4) {
        const double values[4] = {value0, value1, value2, value3};
        out.reserve(4 * RecordLength);
        for (int i = 0; i < 4; ++i) {
            Record r(TypeSegment);
            r.Char(1, static_cast<char>('a' + 4 * (group - 1) + i));
            r.Fixed(2, 14, 3, values[i]);
            r.AppendTo(out);
        }
    }
    return out;
}

std::string ConsoleBreakText(int consoleNumber) {
    int n = std::clamp(consoleNumber, 0, 9);
    char text[16];
    std::snprintf(text, sizeof text, EventConsoleBreakFormat, n, n);
    return text;
}

void DataFileWriter::WriteFileHeader(int appended, const HeaderContext& header) {
    file_.Append(FormatFileHeader(appended, settings_, header));
}

void DataFileWriter::WriteLineHeader() { file_.Append(FormatLineHeader(settings_, clock_.Now())); }

void DataFileWriter::WriteTimeRecord() {
    uint32_t tick = clock_.Tick();
    LocalTime now = clock_.Now();
    file_.Append(FormatTimeRecord(tick, now));
}

void DataFileWriter::WriteStationRecord() {
    file_.Append(FormatStationRecord(settings_.CurrentStation, clock_.Now()));
}

void DataFileWriter::WriteEventRecord(const std::string& text, uint8_t type) {
    file_.Append(FormatEventRecord(text, type, clock_.Tick()));
}

void DataFileWriter::WriteEventRecord(const std::wstring& text, uint8_t type) {
    file_.Append(FormatEventRecord(text, type, clock_.Tick()));
}

void DataFileWriter::WriteGpsRecords(const std::string& sentence, uint32_t tick, uint8_t first, uint8_t next) {
    if (IsBeforeRecordStart(tick, logging_.RecordStartTick.load())) return;
    int inBreak = consoles_.ConsolesInBreak(settings_.ConsoleCount);
    file_.Append(FormatGpsRecords(sentence, first, next, inBreak, tick));
}

void DataFileWriter::WriteSegmentRecords(int group, double value0, double value1, double value2, double value3) {
    std::string records = FormatSegmentRecords(group, value0, value1, value2, value3);
    if (!records.empty()) file_.Append(records);
}

void DataFileWriter::WriteHeaderBlock(int appended, const HeaderContext& header) {
    WriteFileHeader(appended, header);
    WriteLineHeader();
    WriteTimeRecord();
}

}  // namespace tesselog
