// Walking a data file for the export: every reading placed where the live
// map painted it, every recorded GPS fix of the track, and the survey marks.
//
// The live map paints the readings of an epoch (those taken since the
// previous fix) between the array's previous and current edge, and the file
// records those edges as segment records (groups 1 and 2: a..d and e..h).
// The walk reads the edges back and places each reading as the colour fill
// spreads it: a sensor's readings of one step evenly along the step, reading
// j of m in the middle of its share, at the fraction (j + 0.5) / m from the
// previous edge, and across the swath at the sensor's place in the array.
//
// Readings with no step around them (before a run's second fix, after a
// pause, and all of a file recorded without GPS) are delivered unpositioned.
// The station, line, time of day and GPS quality go with every reading as
// they stood when it was recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/datafile/record_reader.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/nmea_mode.h"
#include "core/logscreen/logging_session.h"
#include "core/map/swath.h"

namespace tesselog {

// What the file's latest header says.
struct SurveyHeader {
    bool Seen = false;
    bool GpsInput = false;
    int32_t DisplayUnits = 0;
    int32_t NmeaMode = -1;     // -1: not given
    int32_t UtmZone = 0;       // 1..60, or 0 when no zone was fixed
    int32_t Hemisphere = 0;    // +1 north, -1 south (the first geodetic fix), 0 unknown
    Settings Geometry;         // consoles, types, separations, offsets
    SensorTables Sensors;
};

struct PositionedReading {
    bool Positioned = false;
    double Easting = 0.0;      // display unit
    double Northing = 0.0;
    double Value = 0.0;
    int32_t Sensor = 0;        // 1..18 across the array
    int32_t Console = 0;       // 1..9
    int32_t Line = -1;         // index into SurveyWalk::Lines(), -1 before any line
    double Station = 0.0;
    int32_t TimeMs = -1;       // milliseconds of the day, -1 without a clock record
    int32_t Quality = 0;       // GPS quality of the latest fix
};

// A recorded position sentence with a valid fix.
struct TrackFix {
    int32_t Run = 0;           // 1 for the first "$STARTED", then one more per Go
    bool Geodetic = false;
    double Latitude = 0.0;     // signed degrees (geodetic modes)
    double Longitude = 0.0;
    double Easting = 0.0;      // display unit: projected into the file's zone, or the grid values
    double Northing = 0.0;
    int32_t Quality = 0;
    int32_t TimeMs = -1;
};

enum class MarkKind { Station, Comment, LineStart, ConnectionBreak };

// A mark placed at the antenna position recorded nearest after it: the fix
// before it in the same run, else the next fix.
struct SurveyMark {
    MarkKind Kind = MarkKind::Station;
    std::string Text;
    int32_t Line = -1;
    TrackFix At;
};

class SurveySink {
public:
    virtual ~SurveySink() = default;
    virtual void Reading(const PositionedReading& reading) = 0;
    virtual void Fix(const TrackFix&) {}
    virtual void Mark(const SurveyMark&) {}
};

class SurveyWalk {
public:
    explicit SurveyWalk(SurveySink& sink) : sink_(sink) {}

    void Take(const DataItem& item);
    // The end of the file: pending readings go out unpositioned.
    void Finish();

    const SurveyHeader& Header() const { return header_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    int64_t PositionedCount() const { return positioned_; }
    int64_t UnpositionedCount() const { return unpositioned_; }

private:
    struct Pending {
        PositionedReading Reading;
        int32_t SensorIndex = 0;
    };
    void TakeHeader(const DataItem& item);
    void TakeReading(const DataItem& item);
    void TakeSegment(const DataItem& item);
    void TakeGps(const DataItem& item);
    void TakeMark(MarkKind kind, const std::string& text);
    void PlaceStep(const SwathEdge& previous, const SwathEdge& current);
    void ReleaseUnpositioned();
    void Emit(const PositionedReading& reading);
    int32_t TimeOfTick(uint32_t tick) const;

    SurveySink& sink_;
    SurveyHeader header_;
    NmeaModeTable mode_{};
    GpsFix fix_;
    std::vector<std::string> lines_;
    int32_t line_ = -1;
    double station_ = 0.0;
    double increment_ = 0.0;
    bool stationStarted_ = false;
    bool haveClock_ = false;
    int32_t clockMs_ = 0;
    uint32_t clockTick_ = 0;
    int32_t run_ = 0;
    bool haveFixInRun_ = false;
    bool haveAnyFix_ = false;
    TrackFix lastFix_;
    std::vector<SurveyMark> waitingMarks_;
    // The step's edges: values a..h, which were seen, the previous edge.
    double values_[8] = {};
    bool seen_[8] = {};
    bool havePrevious_ = false;
    SwathEdge previous_;
    bool inRun_ = false;
    std::vector<Pending> pending_;
    int64_t positioned_ = 0;
    int64_t unpositioned_ = 0;
};

// Field n (1 or 2) of a reading's text ("$P,0060,0065"): true with the value
// when the field is there and not empty.
bool ReadingFieldValue(const std::string& text, int n, double& value);

}  // namespace tesselog
