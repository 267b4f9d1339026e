// The places of a site walked in several files, in the coordinates of its
// first file: a file in another UTM zone is projected into the first one's
// zone, a file shown in another unit is converted to the first one's.
#pragma once

#include <cstdint>
#include <string>

#include "core/export/survey_walk.h"

namespace tesselog {

enum class PlaceKind { Utm, ReceiverGrid, Local };

struct SiteFrame {
    PlaceKind Kind = PlaceKind::Utm;
    int32_t Zone = 0;          // UTM 1..60, 0 unknown
    int32_t Hemisphere = 0;    // +1 north, -1 south, 0 unknown
    int32_t DisplayUnits = 0;  // 0 metres, 1 feet, 2 US survey feet
};

// `gps`: the file's first session was recorded with GPS.
SiteFrame FrameOf(const SurveyHeader& header, bool gps);

class PlaceChange {
public:
    PlaceChange() = default;
    PlaceChange(const SiteFrame& file, const SiteFrame& site);

    // The file's places are of the site's kind (UTM, a receiver's grid, a
    // local grid); otherwise they cannot be put on the site at all.
    bool Comparable() const { return comparable_; }
    bool Identity() const { return !reproject_ && factor_ == 1.0; }
    bool Reprojects() const { return reproject_; }
    bool ConvertsUnit() const { return factor_ != 1.0; }
    void Apply(double& easting, double& northing) const;
    // In words for the summary, e.g. "UTM zone 31N placed in zone 30N";
    // empty when nothing changes.
    std::string Describe() const;

private:
    SiteFrame file_, site_;
    bool comparable_ = true;
    bool reproject_ = false;
    double fileMetres_ = 1.0;  // metres per file unit
    double siteMetres_ = 1.0;
    double factor_ = 1.0;      // file unit to site unit
};

}  // namespace tesselog
