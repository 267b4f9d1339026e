// The track and the survey marks, each a layer of its own, one kind of
// geometry to a file: GeoJSON in longitude and latitude (taken from the
// recorded sentences) for the geodetic modes, a line per recorded run and a
// point per station, comment, line start and connection break; KML (Google
// Earth) with a folder of each; for the grid modes CSVs in the receiver's
// own grid coordinates. Times carry their date and the clock's zone (ISO
// 8601, "2026-12-04T10:00:03.624+01:00").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/export/survey_walk.h"

namespace tesselog {

class File;

class TrackCollector {
public:
    // A site of several files: each run and mark names this file.
    void NameFile(std::string name) { file_ = std::move(name); }
    void Fix(const TrackFix& fix) { fixes_.push_back(fix); }
    void Mark(const SurveyMark& mark) { marks_.push_back(mark); }

    size_t FixCount() const { return fixes_.size(); }
    size_t MarkCount() const { return marks_.size(); }
    // The number of runs with at least one fix.
    size_t RunCount() const;

    // `lines` names the marks' lines (SurveyWalk::Lines()).
    bool WriteTrackGeoJson(File& file, const ClockZone& zone) const;
    bool WriteMarksGeoJson(File& file, const std::vector<SurveyLine>& lines, const ClockZone& zone) const;
    // A Document named `name` with a folder of runs and one of marks.
    bool WriteKml(File& file, const std::vector<SurveyLine>& lines, const std::string& name,
                  const ClockZone& zone) const;
    // run,easting,northing,date,time: a row per fix.
    bool WriteTrackCsv(File& file, const std::string& unit, const ClockZone& zone) const;
    // kind,text,line,run,easting,northing,date,time: a row per mark.
    bool WriteMarksCsv(File& file, const std::vector<SurveyLine>& lines, const std::string& unit,
                       const ClockZone& zone) const;

private:
    std::vector<TrackFix> fixes_;
    std::vector<SurveyMark> marks_;
    std::string file_;
};

// "station", "comment", "line start", "connection break".
const char* MarkKindName(MarkKind kind);

}  // namespace tesselog
