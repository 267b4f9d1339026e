// The track and the survey marks: GeoJSON and KML (Google Earth) in
// longitude and latitude (taken from the recorded sentences) for the
// geodetic modes, one line per recorded run and a point per station,
// comment, line start and connection break; for the grid modes a CSV in the
// receiver's own grid coordinates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/export/survey_walk.h"

namespace tesselog {

class File;

class TrackCollector {
public:
    void Fix(const TrackFix& fix) { fixes_.push_back(fix); }
    void Mark(const SurveyMark& mark) { marks_.push_back(mark); }

    size_t FixCount() const { return fixes_.size(); }
    size_t MarkCount() const { return marks_.size(); }
    // The number of runs with at least one fix.
    size_t RunCount() const;

    // `lines` names the marks' lines (SurveyWalk::Lines()).
    bool WriteGeoJson(File& file, const std::vector<SurveyLine>& lines) const;
    // A Document named `name` with a folder of runs and one of marks.
    bool WriteKml(File& file, const std::vector<SurveyLine>& lines, const std::string& name) const;
    // kind,run,easting,northing,text,line,time: "track" rows, then the marks.
    bool WriteGridCsv(File& file, const std::vector<SurveyLine>& lines, const std::string& unit) const;

private:
    std::vector<TrackFix> fixes_;
    std::vector<SurveyMark> marks_;
};

// "station", "comment", "line start", "connection break".
const char* MarkKindName(MarkKind kind);

}  // namespace tesselog
