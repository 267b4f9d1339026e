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

    // Left-aligned text cut to the field.
    void Text(RecordField f, const char* text, size_t length) {
        size_t room = FieldRoom(f.first, f.width);
        std::memcpy(bytes_ + f.first, text, std::min(length, room));
    }
    void Text(RecordField f, const std::string& text) { Text(f, text.data(), text.size()); }

    // printf "%<width>.<decimals>f", clamped to what the columns can show.
    void Fixed(RecordField f, double value) {
        const int width = f.width, precision = f.decimals;
        double largest = std::pow(10.0, width - precision - 1) - std::pow(10.0, -precision);
        double smallest = -(std::pow(10.0, width - precision - 2) - std::pow(10.0, -precision));
        if (std::isnan(value)) value = 0.0;
        value = std::clamp(value, smallest, largest);
        char field[64];
        int n = std::snprintf(field, sizeof field, "%*.*f", width, precision, value);
        Text(f, field, n > 0 ? static_cast<size_t>(n) : 0);
    }

    // printf "%<width>d" or "%0<width>d", clamped to what the columns show.
    void Int(RecordField f, bool zeroPadded, int64_t value) {
        const int width = f.width;
        int64_t largest = 1;
        for (int i = 0; i < width; ++i) largest *= 10;
        int64_t smallest = -(largest / 10 - 1);
        largest -= 1;
        int64_t v = std::clamp<int64_t>(value, smallest, largest);
        char field[32];
        int n = std::snprintf(field, sizeof field, zeroPadded ? "%0*lld" : "%*lld", width, static_cast<long long>(v));
        Text(f, field, n > 0 ? static_cast<size_t>(n) : 0);
    }

    void Digit(int column, int64_t value) { Int(RecordField{column, 1}, false, value); }
    void Char(int column, char c) { Text(RecordField{column, 1}, &c, 1); }

    // "%10lu": a 32-bit tick always fits.
    void Tick(uint32_t tick) {
        char field[16];
        int n = std::snprintf(field, sizeof field, "%10lu", static_cast<unsigned long>(tick));
        Text(TickColumns, field, n > 0 ? static_cast<size_t>(n) : 0);
    }

    void AppendTo(std::string& out) const { out.append(bytes_, sizeof bytes_); }

private:
    static size_t FieldRoom(int column, int width) {
        if (column < 0 || column >= RecordLfColumn || width <= 0) return 0;
        return static_cast<size_t>(std::min(width, RecordLfColumn - column));
    }
    char bytes_[RecordLength];
};

// hh:mm:ss: three column pairs separated by colons.
void PutClock(Record& r, ClockField clock, const LocalTime& t) {
    r.Int(clock.Hour(), true, t.Hour);
    r.Char(clock.Hour().last() + 1, ':');
    r.Int(clock.Minute(), true, t.Minute);
    r.Char(clock.Minute().last() + 1, ':');
    r.Int(clock.Second(), true, t.Second);
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
    using I = IdentificationColumns;
    id.Text(I::Name, appended == 0 ? IdentificationNew : IdentificationAppended);
    id.Text(I::Version, ProgramVersionDigits);
    id.Text(I::Input, s.GpsInput != 0 ? "GPS" : "GRD");
    id.Digit(I::DisplayUnits, s.DisplayUnits);
    id.Char(I::Zero, '0');
    id.Digit(I::HeaderOption, int64_t{s.FileHeaderOption} + 1);  // 64 bits: any stored value + 1
    id.Digit(I::ArrayUnits, s.ArrayUnits);
    id.AppendTo(out);

    Record h(TypeSetup);
    h.Text(SetupColumns::FileName, header.DataFileName);
    for (int k = 0; k < MaxConsoles; ++k)
        h.Digit(SetupColumns::Console(k), k < s.ConsoleCount ? int64_t{s.ConsoleType[k]} + 1 : 0);
    h.AppendTo(out);

    using G = GeometryColumns;
    Record g1(TypeGeometry);
    g1.Fixed(G::OffsetX, s.GpsOffsetX);
    g1.Fixed(G::OffsetY, s.GpsOffsetY);
    g1.Digit(G::ConsoleCount, s.ConsoleCount);
    g1.Digit(G::LeadingPoint, s.LeadingPoint);
    if (s.NmeaMode >= 8)
        g1.Char(G::NmeaMode, 'A');
    else
        g1.Digit(G::NmeaMode, s.NmeaMode);
    g1.Char(G::Zero, '0');
    g1.Digit(G::GpsInput, s.GpsInput);
    g1.AppendTo(out);

    Record g2(TypeGeometry);
    g2.Fixed(G::Reference, header.MapReferenceEasting);
    g2.Int(G::UtmZone, true, header.UtmZoneOfFile);
    g2.AppendTo(out);

    Record g3(TypeGeometry);
    g3.Fixed(G::Reference, header.MapReferenceNorthing);
    g3.AppendTo(out);

    Record g4(TypeGeometry);
    g4.Fixed(G::UnitSeparation, s.UnitSensorSeparation);
    g4.Fixed(G::ConsoleSeparation, s.ConsoleSeparation);
    g4.AppendTo(out);
    return out;
}

std::string FormatLineHeader(const Settings& s, const LocalTime& now) {
    std::string out;
    out.reserve(4 * RecordLength);

    Record l(TypeLine);
    l.Text(LineColumns::Text, s.StartLineText);
    l.AppendTo(out);

    Record b(TypeLineStart);
    b.Fixed(LineStartColumns::Station, s.StartStation);
    b.AppendTo(out);

    Record a(TypeLineDirection);
    a.Char(LineDirectionColumns::Letter, LineDirectionLetters[std::clamp<int32_t>(s.LineDirection, 0, 3)]);
    a.Fixed(LineDirectionColumns::Increment, s.StationIncrement);
    a.AppendTo(out);

    Record z(TypeLineDate);
    z.Int(LineDateColumns::Day, true, now.Day);
    z.Int(LineDateColumns::Month, true, now.Month);
    z.Int(LineDateColumns::Year, true, now.Year);
    PutClock(z, LineDateColumns::Time, now);
    z.AppendTo(out);
    return out;
}

std::string FormatTimeRecord(uint32_t tick, const LocalTime& now) {
    Record r(TypeClock);
    PutClock(r, ClockColumns::Time, now);
    r.Char(ClockColumns::Point, '.');
    r.Int(ClockColumns::Millisecond, true, now.Millisecond);
    r.Tick(tick);
    std::string out;
    r.AppendTo(out);
    return out;
}

std::string FormatStationRecord(double station, const LocalTime& now) {
    Record r(TypeStation);
    r.Fixed(StationColumns::Station, station);
    PutClock(r, StationColumns::Time, now);
    r.Char(StationColumns::Point, '.');
    r.Int(StationColumns::Millisecond, true, now.Millisecond);
    std::string out;
    r.AppendTo(out);
    return out;
}

std::string FormatEventRecord(const std::string& text, uint8_t type, uint32_t tick) {
    Record r(type);
    r.Text(EventColumns::Text, text);
    r.Tick(tick);
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
        r.Text(GpsColumns::Piece, sentence);
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
            r.Text(GpsColumns::Piece, sentence.data() + start, length);
        }
        r.AppendTo(out);
    }
    Record trailer(TypeGpsTrailer);
    trailer.Digit(GpsColumns::ConsolesInBreak, consolesInBreak);
    trailer.Tick(tick);
    trailer.AppendTo(out);
    return out;
}

std::string FormatSegmentRecords(int group, double value0, double value1, double value2, double value3) {
    std::string out;
    if (group == 0) {
        Record r(TypeSegment);
        r.Char(SegmentColumns::Code, '0');
        r.Fixed(SegmentColumns::Value, 0.0);
        r.AppendTo(out);
    } else if (group >= 1 && group <= 4) {
        const double values[4] = {value0, value1, value2, value3};
        out.reserve(4 * RecordLength);
        for (int i = 0; i < 4; ++i) {
            Record r(TypeSegment);
            r.Char(SegmentColumns::Code, static_cast<char>('a' + 4 * (group - 1) + i));
            r.Fixed(SegmentColumns::Value, values[i]);
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
