#include "core/export/survey_walk.h"

#include <algorithm>
#include <cstdio>

#include "core/acquisition/console_reading.h"
#include "core/gps/coordinates.h"

namespace tesselog {

namespace {

constexpr int64_t MsPerDay = 86400000;

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
        lines_.push_back(item.text);
        line_ = static_cast<int32_t>(lines_.size()) - 1;
        TakeMark(MarkKind::LineStart, item.text);
        break;
    case ItemKind::LineStart:
        station_ = item.value.value;
        stationStarted_ = false;
        break;
    case ItemKind::LineDirection: increment_ = item.value.value; break;
    case ItemKind::Clock:
        if (item.hour.valid && item.minute.valid && item.second.valid && item.tick.valid) {
            clockMs_ = ((item.hour.value * 60 + item.minute.value) * 60 + item.second.value) * 1000 +
                       (item.millisecond.valid ? item.millisecond.value : 0);
            clockTick_ = item.tick.value;
            haveClock_ = true;
        }
        break;
    case ItemKind::Reading: TakeReading(item); break;
    case ItemKind::Station: {
        station_ = item.value.value;
        stationStarted_ = false;
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", station_);
        TakeMark(MarkKind::Station, text);
        break;
    }
    case ItemKind::Comment: TakeMark(MarkKind::Comment, item.text); break;
    case ItemKind::Event:
        if (item.event == EventKind::Started || item.event == EventKind::Paused ||
            item.event == EventKind::PausedBmp) {
            ReleaseUnpositioned();
            inRun_ = false;
            havePrevious_ = false;
            if (item.event == EventKind::Started) {
                ++run_;
                haveFixInRun_ = false;
            }
        } else if (item.event == EventKind::ConsoleBreak || item.event == EventKind::GpsBreak) {
            TakeMark(MarkKind::ConnectionBreak, item.text);
        }
        break;
    case ItemKind::Segment: TakeSegment(item); break;
    case ItemKind::GpsGroup: TakeGps(item); break;
    default: break;
    }
}

void SurveyWalk::TakeHeader(const DataItem& item) {
    if (item.kind == ItemKind::Identification) {
        ReleaseUnpositioned();
        inRun_ = false;
        havePrevious_ = false;
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
        header_.Sensors = BuildSensorTables(header_.Geometry);
        break;
    default: break;
    }
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
    p.Reading.Console = item.console;
    p.Reading.Line = line_;
    p.Reading.Station = station_;
    p.Reading.TimeMs = item.tick.valid ? TimeOfTick(item.tick.value) : -1;
    p.Reading.Quality = fix_.Quality;
    const int32_t first = header_.Sensors.ConsoleFirstSensor[k];
    const int sensors = header_.Geometry.ConsoleType[k] == 1 ? 2 : 1;
    for (int n = 1; n <= sensors; ++n) {
        if (!ReadingFieldValue(item.text, n, p.Reading.Value)) continue;
        p.SensorIndex = first + n - 1;
        if (p.SensorIndex >= MaxSensors) continue;
        p.Reading.Sensor = p.SensorIndex + 1;
        if (inRun_) {
            pending_.push_back(p);
        } else {
            Emit(p.Reading);
        }
    }
}

void SurveyWalk::TakeSegment(const DataItem& item) {
    const uint8_t code = item.segmentCode;
    if (code == '0') {
        ReleaseUnpositioned();
        inRun_ = true;
        havePrevious_ = false;
        std::fill(std::begin(seen_), std::end(seen_), false);
        return;
    }
    if (code < 'a' || code > 'h' || !item.value.valid) return;  // i..p repeat the same edges
    const int i = code - 'a';
    values_[i] = item.value.value;
    seen_[i] = true;
    const auto edgeAt = [this](int at) {
        return SwathEdge{{values_[at], values_[at + 1]}, {values_[at + 2], values_[at + 3]}};
    };
    if (code == 'd' && seen_[0] && seen_[1] && seen_[2]) {
        previous_ = edgeAt(0);
        havePrevious_ = true;
    }
    if (code == 'h' && seen_[4] && seen_[5] && seen_[6]) {
        const SwathEdge current = edgeAt(4);
        if (havePrevious_) {
            PlaceStep(previous_, current);
        } else {
            ReleaseUnpositioned();
        }
        previous_ = current;
        havePrevious_ = true;
        std::fill(std::begin(seen_), std::end(seen_), false);
    }
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
        const double across = sensors.SwathPlace[s];
        const double lx = previous.Left.X + along * (current.Left.X - previous.Left.X);
        const double ly = previous.Left.Y + along * (current.Left.Y - previous.Left.Y);
        const double rx = previous.Right.X + along * (current.Right.X - previous.Right.X);
        const double ry = previous.Right.Y + along * (current.Right.Y - previous.Right.Y);
        p.Reading.Positioned = true;
        p.Reading.Easting = lx + across * (rx - lx);
        p.Reading.Northing = ly + across * (ry - ly);
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
    if (!IsPositionSentence(item.text, mode_)) return;
    fix_ = DecodeGpsFix(item.text, mode_, header_.DisplayUnits, fix_);
    if (fix_.Valid != 1) return;
    TrackFix t;
    t.Run = run_;
    t.Quality = fix_.Quality;
    t.TimeMs = item.tick.valid ? TimeOfTick(item.tick.value) : -1;
    t.Geodetic = !IsGridMode(mode_.NmeaMode);
    if (t.Geodetic) {
        t.Latitude = fix_.Latitude;
        t.Longitude = fix_.Longitude;
        int zone = header_.UtmZone > 0 ? header_.UtmZone : UtmZoneOfLongitude(fix_.Longitude);
        header_.UtmZone = zone;
        if (header_.Hemisphere == 0) header_.Hemisphere = fix_.Latitude < 0 ? -1 : 1;
        double northing = 0.0, easting = 0.0;
        GeodeticToUtm(fix_.Latitude, fix_.Longitude, zone, northing, easting, 1);
        t.Easting = MetresToDisplayUnits(easting, header_.DisplayUnits);
        t.Northing = MetresToDisplayUnits(northing, header_.DisplayUnits);
    } else {
        t.Easting = fix_.Easting;
        t.Northing = fix_.Northing;
    }
    lastFix_ = t;
    haveFixInRun_ = true;
    haveAnyFix_ = true;
    sink_.Fix(t);
    for (SurveyMark& mark : waitingMarks_) {
        mark.At = t;
        sink_.Mark(mark);
    }
    waitingMarks_.clear();
}

void SurveyWalk::TakeMark(MarkKind kind, const std::string& text) {
    SurveyMark mark;
    mark.Kind = kind;
    mark.Text = text;
    mark.Line = line_;
    // A line starts where its first fix is; other marks lie where the
    // antenna last was in this run.
    if (kind != MarkKind::LineStart && haveFixInRun_) {
        mark.At = lastFix_;
        sink_.Mark(mark);
    } else {
        waitingMarks_.push_back(std::move(mark));
    }
}

void SurveyWalk::Finish() {
    ReleaseUnpositioned();
    if (haveAnyFix_) {
        for (SurveyMark& mark : waitingMarks_) {
            mark.At = lastFix_;
            sink_.Mark(mark);
        }
    }
    waitingMarks_.clear();
}

int32_t SurveyWalk::TimeOfTick(uint32_t tick) const {
    if (!haveClock_) return -1;
    const int64_t ms = clockMs_ + static_cast<int64_t>(static_cast<int32_t>(tick - clockTick_));
    return static_cast<int32_t>(((ms % MsPerDay) + MsPerDay) % MsPerDay);
}

}  // namespace tesselog
