#include "core/export/survey_walk.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/acquisition/console_reading.h"
#include "core/export/export_text.h"
#include "core/gps/coordinates.h"

namespace tesselog {

namespace {

int32_t DigitCount(const DataItem& item, int console) {
    return item.consoleDigits[console] == 2 ? 2 : 1;
}

}  // namespace

bool ReadingFieldValue(const std::string& text, int n, double& value) {
    char token[RecordLength];
    if (GetNumericField(text.c_str(), text.size(), n, ',', token, sizeof token) != 1 || token[0] == 0) return false;
    value = LeadingNumber(token);
    return true;
}

void SurveyWalk::Take(const DataItem& item) {
    switch (item.kind) {
    case ItemKind::Identification:
    case ItemKind::Setup:
    case ItemKind::Geometry: TakeHeader(item); break;
    case ItemKind::LineName:
    case ItemKind::LineStart:
    case ItemKind::LineDirection:
    case ItemKind::LineDate: TakeLine(item); break;
    case ItemKind::Clock: clock_.TakeClock(item); break;
    case ItemKind::Reading: TakeReading(item); break;
    case ItemKind::Station: {
        station_ = item.value.value;
        placer_.Mark(station_);
        stationStarted_ = false;
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", station_);
        TakeMark(MarkKind::Station, text);
        break;
    }
    case ItemKind::Comment: TakeMark(MarkKind::Comment, item.text); break;
    case ItemKind::Event: TakeEvent(item); break;
    case ItemKind::Segment: TakeSegment(item); break;
    case ItemKind::GpsGroup: TakeGps(item); break;
    default: break;
    }
}

void SurveyWalk::TakeLine(const DataItem& item) {
    switch (item.kind) {
    case ItemKind::LineName:
        ReleaseLocal();
        lines_.push_back({item.text, session_, clock_.LineDay(), -1, station_, increment_});
        line_ = static_cast<int32_t>(lines_.size()) - 1;
        placer_.StartLine(item.text);
        TakeMark(MarkKind::LineStart, item.text);
        break;
    case ItemKind::LineStart:
        station_ = item.value.value;
        stationStarted_ = false;
        placer_.Mark(station_);
        if (line_ >= 0) lines_[line_].StartStation = station_;
        break;
    case ItemKind::LineDirection:
        increment_ = item.value.value;
        placer_.SetDirection(item.direction, increment_);
        if (!header_.GpsInput) {
            const SwathPoint along = placer_.Along(), across = placer_.Across();
            frame_.Mixed = frame_.Mixed || (frame_.Known && (along.X != frame_.Along.X || along.Y != frame_.Along.Y ||
                                                              across.X != frame_.Across.X || across.Y != frame_.Across.Y));
            if (!frame_.Known) frame_ = {true, false, along, across};
        }
        if (line_ >= 0) {
            lines_[line_].Direction = item.direction;
            lines_[line_].Increment = increment_;
        }
        break;
    case ItemKind::LineDate: {
        const int32_t day = clock_.TakeLineDate(item);
        if (line_ >= 0) lines_[line_].Day = day;
        break;
    }
    default: break;
    }
}

// A start, a pause or a new session: what waited for a position goes out
// unpositioned, and no step joins across the gap.
void SurveyWalk::EndRun() {
    ReleaseUnpositioned();
    edges_.Break();
}

void SurveyWalk::TakeEvent(const DataItem& item) {
    if (item.event == EventKind::Started || item.event == EventKind::Paused || item.event == EventKind::PausedBmp) {
        EndRun();
        if (item.event == EventKind::Started) {
            ++run_;
            fixInRun_ = false;
            placer_.Started(item.tick.valid, item.tick.value);
        } else {
            placer_.Paused(item.tick.valid, item.tick.value);
        }
    } else if (item.event == EventKind::ConsoleBreak || item.event == EventKind::GpsBreak) {
        TakeMark(MarkKind::ConnectionBreak, item.text);
        sink_.Break({line_, item.event == EventKind::GpsBreak ? 0 : item.console, run_});
    }
}

void SurveyWalk::TakeHeader(const DataItem& item) {
    if (item.kind == ItemKind::Identification) {
        ReleaseLocal();
        EndRun();
        if (++session_ == 1) firstGpsInput_ = item.gpsInput;
        header_.Seen = true;
        header_.GpsInput = item.gpsInput;
        header_.DisplayUnits = std::clamp(item.displayUnits, 0, 2);
        return;
    }
    if (item.kind == ItemKind::Setup) {
        for (int k = 0; k < MaxConsoles; ++k) header_.Geometry.ConsoleType[k] = DigitCount(item, k) == 2 ? 1 : 0;
        return;
    }
    switch (item.geometryIndex) {
    case 1:
        header_.Geometry.GpsOffsetX = item.value.value;
        header_.Geometry.GpsOffsetY = item.value2.value;
        header_.Geometry.ConsoleCount = std::clamp(item.consoleCount, 0, MaxConsoles);
        if (item.nmeaMode >= 0) {
            header_.NmeaMode = item.nmeaMode;
            mode_ = ApplyNmeaMode(item.nmeaMode);
        }
        break;
    case 2:
        if (item.utmZone.valid && item.utmZone.value >= 1 && item.utmZone.value <= 60)
            header_.UtmZone = item.utmZone.value;
        break;
    case 4:
        header_.Geometry.UnitSensorSeparation = item.value.value;
        header_.Geometry.ConsoleSeparation = item.value2.value;
        TakeArray();
        break;
    default: break;
    }
}

// The session's sensors: for the local grid, and where each lies across an edge.
void SurveyWalk::TakeArray() {
    const SensorTables& sensors = header_.Sensors = BuildSensorTables(header_.Geometry);
    LocalArray array;
    array.SensorCount = sensors.SensorCount;
    std::copy(std::begin(sensors.SwathPlace), std::end(sensors.SwathPlace), array.SwathPlace);
    array.SwathWidth = sensors.SwathWidth;
    array.StripWidth = (sensors.SensorCount > 0 ? sensors.SensorPosition[sensors.SensorCount - 1] : 0.0) +
                       sensors.MinSeparation;
    placer_.SetArray(array, MetresToDisplayUnits(1.0, header_.DisplayUnits));
    if (session_ < 1) return;
    across_.resize(size_t(session_));
    across_[size_t(session_) - 1].assign(MaxSensors, 0.5);
    for (int32_t k = 0; k < sensors.SensorCount && k < MaxSensors; ++k)
        across_[size_t(session_) - 1][size_t(k)] = sensors.SwathPlace[k];
}

void SurveyWalk::TakeReading(const DataItem& item) {
    const int k = item.console - 1;
    if (k < 0 || k >= header_.Geometry.ConsoleCount) return;
    if (k == 0) {
        // The first console-1 reading after a station was set is taken at
        // it; each later one advances it.
        if (stationStarted_) station_ += increment_;
        stationStarted_ = true;
    }
    Pending p;
    PositionedReading& r = p.Reading;
    r.Console = item.console;
    r.Line = line_;
    r.Session = session_;
    r.Run = run_;
    r.Station = station_;
    r.HasTick = item.tick.valid;
    r.Tick = item.tick.value;
    const ClockStamp at = clock_.Stamp(r.HasTick, r.Tick);
    r.Day = at.Day;
    r.TimeMs = at.TimeMs;
    r.Quality = fix_.Quality;
    const int32_t first = header_.Sensors.ConsoleFirstSensor[k];
    const int sensors = header_.Geometry.ConsoleType[k] == 1 ? 2 : 1;
    for (int n = 1; n <= sensors; ++n) {
        p.SensorIndex = first + n - 1;
        if (p.SensorIndex >= MaxSensors) continue;
        r.Sensor = p.SensorIndex + 1;
        // The values as the reading handler takes them (numeric tokens, 0
        // when there is none), each field judged by its own place.
        double value = 0.0;
        const bool hasValue = ReadingFieldValue(item.text, n, value);
        sink_.Sample({session_, line_, r.Sensor, header_.Sensors.SensorCount, r.HasTick, r.Tick, value,
                      ClassifyReadingField(item.text.c_str(), item.text.size(), n),
                      ReadingFieldStep(item.text.c_str(), item.text.size(), n)});
        if (!hasValue) continue;
        r.Value = value;
        if (!header_.GpsInput) {
            localPending_.push_back(p);
            placer_.Add({p.SensorIndex, k == 0 && n == 1, r.HasTick, r.Tick, run_});
        } else if (edges_.Open()) {
            pending_.push_back(p);
        } else {
            Emit(r);
        }
    }
}

void SurveyWalk::ReleaseLocal() {
    if (localPending_.empty()) return;
    placer_.Place(localPlaces_, localEdges_);
    for (size_t i = 0; i < localPending_.size() && i < localPlaces_.size(); ++i) {
        PositionedReading& r = localPending_[i].Reading;
        r.Positioned = true;
        r.Local = true;
        r.Easting = localPlaces_[i].X;
        r.Northing = localPlaces_[i].Y;
        Emit(r);
    }
    for (const LocalEdge& e : localEdges_) PushEdge(e.Run, e.Tick, e.Edge);
    localPending_.clear();
}

void SurveyWalk::TakeSegment(const DataItem& item) {
    const SegmentStep step = edges_.Take(item.segmentCode, item.value.valid, item.value.value);
    switch (step.What) {
    case SegmentStep::Kind::Opened: ReleaseUnpositioned(); break;
    case SegmentStep::Kind::PreviousEdge: {
        // The previous edge belongs to the fix recorded before these records
        // (once: a later step's previous edge is the edge already kept).
        const bool kept = step.FixTick && !timeline_.empty() && timeline_.back().Run == run_ &&
                          timeline_.back().Tick == *step.FixTick;
        if (step.FixTick && !kept) PushEdge(run_, *step.FixTick, step.Edge);
        break;
    }
    case SegmentStep::Kind::Closed:
        if (step.From) {
            PlaceStep(*step.From, step.Edge);
        } else {
            ReleaseUnpositioned();
        }
        break;
    case SegmentStep::Kind::None: break;
    }
}

void SurveyWalk::PushEdge(int32_t run, uint32_t tick, const SwathEdge& edge) {
    const ClockStamp at = clock_.Stamp(true, tick);
    timeline_.push_back({run, line_, tick, at.Day, at.TimeMs, edge});
}

void SurveyWalk::PlaceStep(const SwathEdge& previous, const SwathEdge& current) {
    int32_t count[MaxSensors] = {};
    for (const Pending& p : pending_) ++count[p.SensorIndex];
    int32_t index[MaxSensors] = {};
    const SensorTables& sensors = header_.Sensors;
    for (Pending& p : pending_) {
        const int32_t s = p.SensorIndex;
        // Reading j of m in the middle of its share of the step, the part of
        // the step the map paints it over; across, the sensor's own place.
        const double along = (index[s]++ + 0.5) / count[s];
        const SwathEdge at{PointAcross({previous.Left, current.Left}, along),
                           PointAcross({previous.Right, current.Right}, along)};
        const SwathPoint place = PointAcross(at, sensors.SwathPlace[s]);
        p.Reading.Positioned = true;
        p.Reading.Easting = place.X;
        p.Reading.Northing = place.Y;
        Emit(p.Reading);
    }
    pending_.clear();
}

void SurveyWalk::ReleaseUnpositioned() {
    for (const Pending& p : pending_) Emit(p.Reading);
    pending_.clear();
}

void SurveyWalk::Emit(const PositionedReading& reading) {
    ++(reading.Positioned ? positioned_ : unpositioned_);
    sink_.Reading(reading);
}

void SurveyWalk::TakeGps(const DataItem& item) {
    if (item.firstMarker != TypeGpsPosition || header_.NmeaMode < 0 || !item.complete) return;
    // Mode 0: the GSA sentence's PDOP is the dilution the mask judges.
    if (header_.NmeaMode == 0 && item.text.find("GSA") != std::string::npos) {
        DecodeGsaDilution(item.text, fix_.Dilution);
        return;
    }
    if (!IsPositionSentence(item.text, mode_)) return;
    fix_ = DecodeGpsFix(item.text, mode_, header_.DisplayUnits, fix_);
    FixStatus status;
    status.Line = line_;
    status.Run = run_;
    status.HasTick = item.tick.valid;
    status.Tick = item.tick.value;
    const ClockStamp at = clock_.Stamp(status.HasTick, status.Tick);
    status.Day = at.Day;
    status.TimeMs = at.TimeMs;
    status.Valid = fix_.Valid == 1;
    status.Quality = fix_.Quality;
    status.Satellites = fix_.Satellites;
    status.Dilution = fix_.Dilution;
    status.NmeaMode = header_.NmeaMode;
    sink_.Position(status);
    if (fix_.Valid != 1) return;
    TakeZone(item);
    if (const auto edge = edges_.Fix(item.tick.valid, item.tick.value)) PushEdge(run_, item.tick.value, *edge);
    const TrackFix t = TrackFixOf(item);
    lastFix_ = t;
    fixInRun_ = true;
    sink_.Fix(t);
    for (SurveyMark& mark : waitingMarks_) {
        mark.At = t;
        sink_.Mark(mark);
    }
    waitingMarks_.clear();
}

// The valid fix just decoded as the track keeps it: projected into the
// file's zone (the first fix fixes the zone and the hemisphere), or the
// receiver's grid values.
TrackFix SurveyWalk::TrackFixOf(const DataItem& item) {
    TrackFix t;
    t.Run = run_;
    t.Line = line_;
    t.Session = session_;
    t.Quality = fix_.Quality;
    t.HasTick = item.tick.valid;
    t.Tick = item.tick.value;
    const ClockStamp at = clock_.Stamp(t.HasTick, t.Tick);
    t.Day = at.Day;
    t.TimeMs = at.TimeMs;
    t.Geodetic = !IsGridMode(mode_.NmeaMode);
    if (!t.Geodetic) {
        t.Easting = fix_.Easting;
        t.Northing = fix_.Northing;
        return t;
    }
    t.Latitude = fix_.Latitude;
    t.Longitude = fix_.Longitude;
    int zone = header_.UtmZone > 0 ? header_.UtmZone : UtmZoneOfLongitude(fix_.Longitude);
    header_.UtmZone = zone;
    if (header_.Hemisphere == 0) header_.Hemisphere = fix_.Latitude < 0 ? -1 : 1;
    double northing = 0.0, easting = 0.0;
    GeodeticToUtm(fix_.Latitude, fix_.Longitude, zone, northing, easting, 1);
    t.Easting = MetresToDisplayUnits(easting, header_.DisplayUnits);
    t.Northing = MetresToDisplayUnits(northing, header_.DisplayUnits);
    return t;
}

// The clock records' zone: local time less the receiver's UTC time of day,
// brought into -12 h .. +12 h and to whole quarters of an hour (a fix comes
// a moment after its time; a total station's time is its own, not UTC).
void SurveyWalk::TakeZone(const DataItem& item) {
    if (header_.Zone.Known || !fix_.TimePresent || header_.NmeaMode == 7 || !item.tick.valid) return;
    const int32_t ms = clock_.Stamp(true, item.tick.value).TimeMs;
    if (ms < 0) return;
    constexpr double HalfDay = 43200.0;
    double difference = ms / 1000.0 - fix_.TimeOfDay;
    difference -= 2 * HalfDay * std::floor((difference + HalfDay) / (2 * HalfDay));
    header_.Zone = {true, static_cast<int32_t>(std::lround(difference / 900.0)) * 15};
}

void SurveyWalk::TakeMark(MarkKind kind, const std::string& text) {
    SurveyMark mark;
    mark.Kind = kind;
    mark.Text = text;
    mark.Line = line_;
    // A line starts where its first fix is; other marks lie where the
    // antenna last was in this run.
    if (kind != MarkKind::LineStart && fixInRun_) {
        mark.At = *lastFix_;
        sink_.Mark(mark);
    } else {
        waitingMarks_.push_back(std::move(mark));
    }
}

void SurveyWalk::Finish() {
    ReleaseUnpositioned();
    ReleaseLocal();
    if (lastFix_) {
        for (SurveyMark& mark : waitingMarks_) {
            mark.At = *lastFix_;
            sink_.Mark(mark);
        }
    }
    waitingMarks_.clear();
}

}  // namespace tesselog
