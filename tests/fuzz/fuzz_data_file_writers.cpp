// Feeds arbitrary settings values, texts and map references to the data-file
// writers: whatever comes out must be whole 27-byte records with LF in column
// 26, and the separator columns of the header and the line block must stay
// spaces, however wide or strange the values (the settings file is outside
// input). Also checks DataFileNameOfPath on arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/datafile/data_file_naming.h"
#include "core/datafile/data_file_writers.h"

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    template <typename T>
    T Take() {
        T value{};
        size_t n = std::min(sizeof value, size_ - at_);
        std::memcpy(&value, data_ + at_, n);
        at_ += n;
        return value;
    }
    std::string Text() {
        size_t n = std::min<size_t>(Take<uint8_t>(), size_ - at_);
        std::string s(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return s;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckRecords(const std::string& bytes) {
    Check(bytes.size() % tesselog::RecordLength == 0);
    for (size_t at = 0; at < bytes.size(); at += tesselog::RecordLength) Check(bytes[at + 26] == '\n');
}

void CheckSpaces(const std::string& bytes, size_t record, int from, int to) {
    for (int c = from; c <= to; ++c) Check(bytes[record * tesselog::RecordLength + c] == ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tesselog;
    Input in(data, size);
    Settings s;
    s.ConsoleCount = in.Take<int32_t>();
    s.FileHeaderOption = in.Take<int32_t>();
    for (int32_t& t : s.ConsoleType) t = in.Take<int8_t>();
    s.LeadingPoint = in.Take<int32_t>();
    s.DisplayUnits = in.Take<int32_t>();
    s.GpsInput = in.Take<int32_t>();
    s.NmeaMode = in.Take<int32_t>();
    s.ArrayUnits = in.Take<int32_t>();
    s.GpsOffsetX = in.Take<double>();
    s.GpsOffsetY = in.Take<double>();
    s.UnitSensorSeparation = in.Take<double>();
    s.ConsoleSeparation = in.Take<double>();
    s.StartStation = in.Take<double>();
    s.StationIncrement = in.Take<double>();
    s.LineDirection = in.Take<int32_t>();
    s.StartLineText = in.Text();
    HeaderContext h;
    h.DataFileName = in.Text();
    h.MapReferenceEasting = in.Take<double>();
    h.MapReferenceNorthing = in.Take<double>();
    h.UtmZoneOfFile = in.Take<int32_t>();
    LocalTime t;
    t.Year = in.Take<int32_t>();
    t.Month = in.Take<int32_t>();
    t.Day = in.Take<int32_t>();
    t.Hour = in.Take<int32_t>();
    t.Minute = in.Take<int32_t>();
    t.Second = in.Take<int32_t>();
    t.Millisecond = in.Take<int32_t>();
    uint32_t tick = in.Take<uint32_t>();

    std::string header = FormatFileHeader(in.Take<uint8_t>() & 1, s, h);
    CheckRecords(header);
    Check(header.size() == 6u * RecordLength);
    CheckSpaces(header, 0, 16, 16);
    CheckSpaces(header, 0, 18, 18);
    CheckSpaces(header, 0, 21, 25);
    CheckSpaces(header, 1, 11, 11);
    CheckSpaces(header, 1, 18, 20);
    CheckSpaces(header, 2, 18, 18);
    CheckSpaces(header, 3, 15, 15);
    CheckSpaces(header, 3, 18, 25);
    CheckSpaces(header, 4, 15, 25);
    CheckSpaces(header, 5, 15, 25);

    std::string line = FormatLineHeader(s, t);
    CheckRecords(line);
    Check(line.size() == 4u * RecordLength);
    CheckSpaces(line, 0, 9, 25);
    CheckSpaces(line, 1, 12, 25);
    CheckSpaces(line, 2, 2, 7);
    CheckSpaces(line, 2, 19, 25);
    CheckSpaces(line, 3, 9, 9);
    CheckSpaces(line, 3, 18, 25);

    std::string clock = FormatTimeRecord(tick, t);
    CheckRecords(clock);
    CheckSpaces(clock, 0, 13, 15);
    CheckRecords(FormatStationRecord(s.StartStation, t));
    // Arguments are taken one by one: their order of evaluation is unspecified.
    std::string eventText = in.Text();
    uint8_t eventType = in.Take<uint8_t>();
    CheckRecords(FormatEventRecord(eventText, eventType, tick));
    std::string sentence = in.Text();
    uint8_t first = in.Take<uint8_t>();
    uint8_t next = in.Take<uint8_t>();
    int32_t inBreak = in.Take<int32_t>();
    std::string gps = FormatGpsRecords(sentence, first, next, inBreak, tick);
    CheckRecords(gps);
    Check(!gps.empty());
    int8_t group = in.Take<int8_t>();
    CheckRecords(FormatSegmentRecords(group, s.GpsOffsetX, s.GpsOffsetY, h.MapReferenceEasting,
                                      h.MapReferenceNorthing));
    Check(DataFileNameOfPath(in.Text()).size() <= 256);
    return 0;
}
