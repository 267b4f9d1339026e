// Data-file records for the export's tests, written by hand as the program
// writes them, and a walk of such bytes into a sink.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/datafile/record_layout.h"
#include "core/datafile/record_reader.h"
#include "core/export/survey_walk.h"

namespace tesselog::export_records {

// One record: the text padded to 26 columns and LF.
inline std::string Rec(const std::string& text) {
    std::string r = text.substr(0, RecordLfColumn);
    r.resize(RecordLfColumn, ' ');
    return r + "\n";
}
template <typename... Args>
std::string Fmt(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return Rec(text);
}

// A header of two consoles (two sensors, one sensor), unit separation 0.5,
// console separation 1.0: sensors at 0, 0.5 and 1.5 m, a swath 2 m wide.
// `appended` writes "rESSEL  W"; `units` is the display unit digit.
inline std::string Header(bool gps = true, bool appended = false, int units = 0) {
    return Rec(std::string(appended ? "rESSEL  W216" : "TESSEL  W216") + (gps ? "GPS" : "GRD") +
               std::to_string(units) + " 0 20") +
           Rec("H NAME      210000   000") + Fmt("G%7.3f%7.3f21%c 0%d", 0.75, 0.0, '1', gps ? 1 : 0) +
           Fmt("G%14.3f %02d", 500000.0, 31) + Fmt("G%14.3f", 0.0) + Fmt("G%7.3f%7.3f", 0.5, 1.0);
}
// One console of two sensors `separation` apart (console separation the
// same), with GPS: a swath of the separation and 0.25 m beyond each sensor.
inline std::string OneConsoleHeader(double separation) {
    return Rec("TESSEL  W216GPS0 0 20") + Rec("H NAME      200000   000") + Fmt("G%7.3f%7.3f11%c 01", 0.0, 0.0, '1') +
           Fmt("G%14.3f %02d", 500000.0, 31) + Fmt("G%14.3f", 0.0) + Fmt("G%7.3f%7.3f", separation, separation);
}
// L, B, A (direction letter W S N E), Z with the date and time, and the
// clock record (time, tick).
inline std::string LineBlock(const char* name, double start, double increment, char direction = 'N',
                             const char* date = "04122026", const char* time = "10:00:00",
                             const char* clock = "10:00:00.000", unsigned long tick = 1000) {
    return Fmt("L%-8s", name) + Fmt("B%11.2f", start) + Fmt("A%c      %11.3f", direction, increment) +
           Fmt("Z%s %s", date, time) + Fmt("*%s   %10lu", clock, tick);
}
inline std::string Reading(int console, const char* values, unsigned long tick) {
    char r[RecordLength + 1];
    std::snprintf(r, sizeof r, "%c$P%-13s%10lu\n", ConsoleRecordTag[console - 1], values, tick);
    return r;
}
inline std::string Event(const char* text, unsigned long tick) { return Fmt("X%-11s    %10lu", text, tick); }
// The edges a..h of one step: walking north along the easting 0..width.
inline std::string Step(double fromNorthing, double toNorthing, double width = 2.0) {
    std::string s;
    const double values[8] = {0, fromNorthing, width, fromNorthing, 0, toNorthing, width, toNorthing};
    for (int i = 0; i < 8; ++i) s += Fmt("{%c%14.3f", 'a' + i, values[i]);
    return s;
}
// An accepted GGA sentence as its record group (`utc` its time field).
inline std::string Gga(const char* latitude, char hemisphere, int quality, unsigned long tick, int satellites = 9,
                       const char* utc = "100000.00") {
    char sentence[120];
    std::snprintf(sentence, sizeof sentence, "$GPGGA,%s,%s,%c,00300.0000,E,%d,%02d,1.0,45.0,M,47.0,M,,*00", utc,
                  latitude, hemisphere, quality, satellites);
    std::string text = sentence, group;
    for (size_t at = 0; at < text.size(); at += GpsPieceLength) {
        group += Rec((at == 0 ? "@" : "#") + text.substr(at, GpsPieceLength));
    }
    char trailer[RecordLength + 1];
    std::snprintf(trailer, sizeof trailer, "!%13s0 %10lu\n", "", tick);
    return group + trailer;
}

struct Collected : SurveySink {
    std::vector<PositionedReading> Readings;
    std::vector<TrackFix> Fixes;
    std::vector<SurveyMark> Marks;
    void Reading(const PositionedReading& r) override { Readings.push_back(r); }
    void Fix(const TrackFix& f) override { Fixes.push_back(f); }
    void Mark(const SurveyMark& m) override { Marks.push_back(m); }
};

inline void Walk(const std::string& bytes, SurveyWalk& walk) {
    RecordReader reader(BytesFromMemory(bytes.data(), bytes.size()));
    DataItem item;
    while (reader.Next(item)) walk.Take(item);
    walk.Finish();
}
// A file's bytes walked into what it gave.
struct Walked {
    Collected Got;
    SurveyWalk Survey;
    explicit Walked(const std::string& bytes, const LocalGridOptions& local = {}) : Survey(Got, local) {
        Walk(bytes, Survey);
    }
};

}  // namespace tesselog::export_records
