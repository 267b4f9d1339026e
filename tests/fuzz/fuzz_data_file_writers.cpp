// Arbitrary settings values, texts and map references through the data-file
// writers (the settings file is outside input): the output must be whole
// records, and the separator columns must stay spaces however wide the values.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "core/datafile/data_file_naming.h"
#include "core/datafile/data_file_writers.h"

namespace {

// Values taken from the input in order; zeros once it runs out.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    template <typename T>
    T Take() {
        T value{};
        size_t n = std::min(sizeof value, size - at);
        std::memcpy(&value, data + at, n);
        at += n;
        return value;
    }
    std::string Text() {
        size_t n = std::min<size_t>(Take<uint8_t>(), size - at);
        std::string s(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return s;
    }
};

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckRecords(const std::string& bytes) {
    Check(bytes.size() % tesselog::RecordLength == 0);
    for (size_t at = 0; at < bytes.size(); at += tesselog::RecordLength) Check(bytes[at + 26] == '\n');
}

// Separator columns {record, first, last} that must stay spaces.
struct Spaces {
    size_t record;
    int from, to;
};

void CheckSpaces(const std::string& bytes, std::initializer_list<Spaces> spans) {
    for (const Spaces& s : spans)
        for (int c = s.from; c <= s.to; ++c) Check(bytes[s.record * tesselog::RecordLength + c] == ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tesselog;
    Input in{data, size};
    Settings s;
    s.ConsoleCount = in.Take<int32_t>();
    s.FileHeaderOption = in.Take<int32_t>();
    for (int32_t& t : s.ConsoleType) t = in.Take<int8_t>();
    for (int32_t* f : {&s.LeadingPoint, &s.DisplayUnits, &s.GpsInput, &s.NmeaMode, &s.ArrayUnits})
        *f = in.Take<int32_t>();
    for (double* f : {&s.GpsOffsetX, &s.GpsOffsetY, &s.UnitSensorSeparation, &s.ConsoleSeparation, &s.StartStation,
                      &s.StationIncrement})
        *f = in.Take<double>();
    s.LineDirection = in.Take<int32_t>();
    s.StartLineText = in.Text();
    HeaderContext h;
    h.DataFileName = in.Text();
    h.MapReferenceEasting = in.Take<double>();
    h.MapReferenceNorthing = in.Take<double>();
    h.UtmZoneOfFile = in.Take<int32_t>();
    LocalTime t;
    for (int32_t* f : {&t.Year, &t.Month, &t.Day, &t.Hour, &t.Minute, &t.Second, &t.Millisecond})
        *f = in.Take<int32_t>();
    uint32_t tick = in.Take<uint32_t>();

    std::string header = FormatFileHeader(in.Take<uint8_t>() & 1, s, h);
    CheckRecords(header);
    Check(header.size() == 6u * RecordLength);
    CheckSpaces(header, {{0, 16, 16}, {0, 18, 18}, {0, 21, 25}, {1, 11, 11}, {1, 18, 20}, {2, 18, 18},
                         {3, 15, 15}, {3, 18, 25}, {4, 15, 25}, {5, 15, 25}});
    std::string line = FormatLineHeader(s, t);
    CheckRecords(line);
    Check(line.size() == 4u * RecordLength);
    CheckSpaces(line, {{0, 9, 25}, {1, 12, 25}, {2, 2, 7}, {2, 19, 25}, {3, 9, 9}, {3, 18, 25}});
    std::string clock = FormatTimeRecord(tick, t);
    CheckRecords(clock);
    CheckSpaces(clock, {{0, 13, 15}});
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
