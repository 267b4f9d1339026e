#include "core/export/site_places.h"

#include "core/common/length_units.h"
#include "core/gps/coordinates.h"
#include "core/gps/nmea_mode.h"

namespace tesselog {

namespace {

std::string ZoneText(const SiteFrame& f) {
    return std::to_string(f.Zone) + (f.Hemisphere > 0 ? "N" : f.Hemisphere < 0 ? "S" : "");
}

const char* UnitWords(int32_t displayUnits) {
    return displayUnits == 1 ? "feet" : displayUnits == 2 ? "US survey feet" : "metres";
}

}  // namespace

SiteFrame FrameOf(const SurveyHeader& header, bool gps) {
    SiteFrame f;
    f.Kind = !gps ? PlaceKind::Local
             : header.NmeaMode >= 0 && IsGridMode(header.NmeaMode) ? PlaceKind::ReceiverGrid
                                                                    : PlaceKind::Utm;
    f.Zone = header.UtmZone;
    f.Hemisphere = header.Hemisphere;
    f.DisplayUnits = header.DisplayUnits;
    return f;
}

PlaceChange::PlaceChange(const SiteFrame& file, const SiteFrame& site) : file_(file), site_(site) {
    comparable_ = file.Kind == site.Kind;
    fileMetres_ = DisplayUnitFactor(file.DisplayUnits);
    siteMetres_ = DisplayUnitFactor(site.DisplayUnits);
    factor_ = file.DisplayUnits == site.DisplayUnits ? 1.0 : fileMetres_ / siteMetres_;
    reproject_ = comparable_ && file.Kind == PlaceKind::Utm && file.Zone >= 1 && site.Zone >= 1 &&
                 file.Hemisphere != 0 && site.Hemisphere != 0 &&
                 (file.Zone != site.Zone || file.Hemisphere != site.Hemisphere);
}

void PlaceChange::Apply(double& easting, double& northing) const {
    if (!reproject_) {
        easting *= factor_;
        northing *= factor_;
        return;
    }
    double latitude = 0.0, longitude = 0.0;
    UtmToGeodetic(file_.Zone, file_.Hemisphere, northing * fileMetres_, easting * fileMetres_, latitude, longitude);
    int zone = site_.Zone;
    double n = 0.0, e = 0.0;
    GeodeticToUtm(latitude, longitude, zone, n, e, 1);
    // A site in the south keeps its false northing for a place north of the equator too.
    if (site_.Hemisphere < 0 && latitude >= 0.0) n += 10000000.0;
    if (site_.Hemisphere > 0 && latitude < 0.0) n -= 10000000.0;
    easting = e / siteMetres_;
    northing = n / siteMetres_;
}

std::string PlaceChange::Describe() const {
    std::string text;
    if (reproject_) text = "UTM zone " + ZoneText(file_) + " placed in zone " + ZoneText(site_) + " of the first file";
    if (factor_ != 1.0) {
        if (!text.empty()) text += ", ";
        text += std::string(UnitWords(file_.DisplayUnits)) + " converted to " + UnitWords(site_.DisplayUnits);
    }
    return text;
}

}  // namespace tesselog
