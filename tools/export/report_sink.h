// What every export's walk hands on besides its readings: the sensor samples
// to the report's rules, fixes and marks to the track, the position sentences
// and breaks to the report. The single-file and the site export each add how
// their readings go to the tables and the grid.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/export/line_report.h"
#include "core/export/processing.h"
#include "core/export/survey_walk.h"
#include "core/export/track_output.h"
#include "tools/export/sensor_flag_thread.h"

namespace tesselog {

class ReportingSink : public SurveySink {
public:
    LineReport* Report = nullptr;
    SensorFlagThread* Flags = nullptr;  // the report's sensor rules
    TrackCollector Track;

    void Sample(const SensorSample& sample) override {
        if (Flags != nullptr) Flags->Add(sample);
    }
    void Fix(const TrackFix& fix) override { Track.Fix(fix); }
    void Mark(const SurveyMark& mark) override { Track.Mark(mark); }
    void Position(const FixStatus& status) override {
        if (Report != nullptr) Report->Position(status);
    }
    void Break(const BreakEvent& event) override {
        if (Report != nullptr) Report->Break(event);
    }
};

// What the processing steps need to know of a placed reading besides its place.
inline PointInfo InfoOf(const PositionedReading& r) {
    PointInfo p;
    p.Tick = r.Tick;
    p.HasTick = r.HasTick;
    p.Line = r.Line;
    p.Run = r.Run;
    p.Session = static_cast<int16_t>(std::clamp(r.Session, 0, 32767));
    p.Sensor = static_cast<uint8_t>(std::clamp(r.Sensor - 1, 0, MaxSensors - 1));
    return p;
}

}  // namespace tesselog
