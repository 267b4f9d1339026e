// What every export's walk hands on besides its readings: the sensor samples
// to the report's rules, fixes and marks to the track, the position sentences
// and breaks to the report. The single-file and the site export each add how
// their readings go to the tables and the grid.
#pragma once

#include "core/export/line_report.h"
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

}  // namespace tesselog
