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
// pause) are delivered unpositioned. A session recorded without GPS is
// placed on a local grid by its lines and stations instead (local_grid.h).
// The session, date, station, line, time of day and GPS quality go with
// every reading as they stood when it was recorded.
//
// Each edge is also kept with the time of its fix (the tick of the position
// sentence that follows its segment records), so that readings can be
// placed by their own time along the array's path (the lag correction).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/datafile/record_reader.h"
#include "core/export/edge_assembly.h"
#include "core/export/export_text.h"
#include "core/export/local_grid.h"
#include "core/export/survey_clock.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/nmea_mode.h"
#include "core/map/swath.h"
#include "core/qc/reading_fields.h"
#include "core/settings/sensor_tables.h"

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
    ClockZone Zone;            // the clock records' offset from UTC, from the first fix with a time
};

// How the local grid of a survey without GPS lies: the unit vectors along
// which the stations grow and towards later lines, as its first line block
// has them; Mixed when a later block turns them.
struct LocalFrame {
    bool Known = false;
    bool Mixed = false;
    SwathPoint Along;
    SwathPoint Across;
};

// One line block (L, B, A, Z) of the file.
struct SurveyLine {
    std::string Name;
    int32_t Session = 0;       // 1 for the file's first header, one more for each appended one
    int32_t Day = -1;          // the block's date as days since 1970-01-01; -1 when unreadable
    int32_t Direction = -1;    // walking direction: 0 W, 1 S, 2 N, 3 E; -1 not given
    double StartStation = 0.0;
    double Increment = 0.0;    // signed
};

struct PositionedReading {
    bool Positioned = false;
    bool Local = false;        // placed on the local grid of a survey without GPS
    double Easting = 0.0;      // display unit
    double Northing = 0.0;
    double Value = 0.0;
    int32_t Sensor = 0;        // 1..18 across the array
    int32_t Console = 0;       // 1..9
    int32_t Line = -1;         // index into SurveyWalk::Lines(), -1 before any line
    int32_t Session = 0;
    int32_t Run = 0;           // 1 for the first "$STARTED", then one more per Go
    double Station = 0.0;
    bool HasTick = false;
    uint32_t Tick = 0;
    int32_t Day = -1;          // days since 1970-01-01, -1 without a date
    int32_t TimeMs = -1;       // milliseconds of the day, -1 without a clock record
    int32_t Quality = 0;       // GPS quality of the latest fix
};

// One sensor's field of a reading record, good or not, in record order: what
// the field warnings' sensor rules take while recording.
struct SensorSample {
    int32_t Session = 0;
    int32_t Line = -1;         // index into SurveyWalk::Lines(), -1 before any line
    int32_t Sensor = 0;        // 1..18 across the array
    int32_t Sensors = 0;       // the session's sensors
    bool HasTick = false;
    uint32_t Tick = 0;
    double Value = 0.0;        // when the field is good
    ReadingField Field = ReadingField::Good;
    double Step = 1.0;         // the resolution the field shows (0 when it is not good)
};

// A recorded position sentence with a valid fix.
struct TrackFix {
    int32_t Run = 0;           // 1 for the first "$STARTED", then one more per Go
    int32_t Line = -1;
    int32_t Session = 0;
    bool Geodetic = false;
    double Latitude = 0.0;     // signed degrees (geodetic modes)
    double Longitude = 0.0;
    double Easting = 0.0;      // display unit: projected into the file's zone, or the grid values
    double Northing = 0.0;
    int32_t Quality = 0;
    bool HasTick = false;
    uint32_t Tick = 0;
    int32_t Day = -1;
    int32_t TimeMs = -1;
};

// Every recorded position sentence of the selected mode, valid or not, as
// the GPS warning mask judges it.
struct FixStatus {
    int32_t Line = -1;
    int32_t Run = 0;
    bool HasTick = false;
    uint32_t Tick = 0;
    int32_t Day = -1;
    int32_t TimeMs = -1;
    bool Valid = false;
    int32_t Quality = 0;
    int32_t Satellites = 0;
    double Dilution = 0.0;
    int32_t NmeaMode = -1;
};

// A connection break recorded while recording: console 1..9, or 0 for the GPS.
struct BreakEvent {
    int32_t Line = -1;
    int32_t Console = 0;
    int32_t Run = 0;
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

// The array's edge at a known time: the swath edge recorded for a fix (GPS),
// or the array across the line at a console-1 reading (local grid).
struct TimedEdge {
    int32_t Run = 0;
    int32_t Line = -1;
    uint32_t Tick = 0;
    int32_t Day = -1;
    int32_t TimeMs = -1;
    SwathEdge Edge;
};

// What the tables need of a walk beside the readings: the latest header,
// the first session's kind and the line blocks so far. The walk answers
// itself; a copy taken between readings answers on another thread.
class TableFacts {
public:
    virtual ~TableFacts() = default;
    virtual const SurveyHeader& Header() const = 0;
    virtual bool FirstSessionHasGps() const = 0;
    virtual const std::vector<SurveyLine>& Lines() const = 0;
};

class SurveySink {
public:
    virtual ~SurveySink() = default;
    virtual void Reading(const PositionedReading& reading) = 0;
    virtual void Sample(const SensorSample&) {}
    virtual void Fix(const TrackFix&) {}
    virtual void Mark(const SurveyMark&) {}
    virtual void Position(const FixStatus&) {}
    virtual void Break(const BreakEvent&) {}
};

class SurveyWalk : public TableFacts {
public:
    explicit SurveyWalk(SurveySink& sink, const LocalGridOptions& local = {}) : sink_(sink), placer_(local) {}

    void Take(const DataItem& item);
    // The end of the file: pending readings go out unpositioned.
    void Finish();

    const SurveyHeader& Header() const override { return header_; }
    // The first header's set-up: the one the tables' columns follow.
    bool FirstSessionHasGps() const override { return firstGpsInput_; }
    int32_t Sessions() const { return session_; }
    const std::vector<SurveyLine>& Lines() const override { return lines_; }
    // Every edge with its time, in file order (runs and lines as recorded).
    const std::vector<TimedEdge>& Timeline() const { return timeline_; }
    // Where each sensor lies across the edge (0 left end .. 1 right end),
    // per session (index session - 1): the sensor tables' SwathPlace.
    const std::vector<std::vector<double>>& SensorAcross() const { return across_; }
    const LocalFrame& Frame() const { return frame_; }
    int64_t PositionedCount() const { return positioned_; }
    int64_t UnpositionedCount() const { return unpositioned_; }

private:
    struct Pending {
        PositionedReading Reading;
        int32_t SensorIndex = 0;
    };
    void TakeHeader(const DataItem& item);
    void TakeArray();
    void TakeLine(const DataItem& item);
    void TakeReading(const DataItem& item);
    void TakeSegment(const DataItem& item);
    void TakeGps(const DataItem& item);
    void TakeEvent(const DataItem& item);
    void TakeMark(MarkKind kind, const std::string& text);
    void TakeZone(const DataItem& item);
    TrackFix TrackFixOf(const DataItem& item);
    void PlaceStep(const SwathEdge& previous, const SwathEdge& current);
    void ReleaseUnpositioned();
    void ReleaseLocal();
    void EndRun();
    void Emit(const PositionedReading& reading);
    void PushEdge(int32_t run, uint32_t tick, const SwathEdge& edge);

    SurveySink& sink_;
    LocalGridPlacer placer_;
    SurveyHeader header_;
    bool firstGpsInput_ = false;
    NmeaModeTable mode_{};
    GpsFix fix_;
    std::vector<SurveyLine> lines_;
    int32_t line_ = -1;
    int32_t session_ = 0;
    double station_ = 0.0;
    double increment_ = 0.0;
    bool stationStarted_ = false;
    SurveyClock clock_;
    int32_t run_ = 0;
    // The latest valid fix, whether this run has one yet, and the marks
    // that wait for the next.
    std::optional<TrackFix> lastFix_;
    bool fixInRun_ = false;
    std::vector<SurveyMark> waitingMarks_;
    // The step's edges, and the readings of a GPS session waiting for theirs.
    EdgeAssembly edges_;
    std::vector<Pending> pending_;
    std::vector<TimedEdge> timeline_;
    // A session without GPS: its readings wait for the line to be placed.
    std::vector<Pending> localPending_;
    std::vector<SwathPoint> localPlaces_;
    std::vector<LocalEdge> localEdges_;
    std::vector<std::vector<double>> across_;
    LocalFrame frame_;
    int64_t positioned_ = 0;
    int64_t unpositioned_ = 0;
};

// Field n (1 or 2) of a reading's text ("$P,0060,0065"): true with the value
// when the field is there and not empty.
bool ReadingFieldValue(const std::string& text, int n, double& value);

}  // namespace tesselog
