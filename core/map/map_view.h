// The map as the GPS position handler drives it: the reference position on
// the first valid fix and, for every later fix, the view moved, the swath
// painted, the view shown with the cursor and the overflow check.
#pragma once

#include <cstdint>
#include <functional>

#include "core/gps/position_handler.h"
#include "core/map/map_geometry.h"
#include "core/map/swath.h"

namespace tesselog {

class MapView : public GpsMapDrawing {
public:
    // mapVisible: true while the map pane is shown. sendOverflow is called once
    // when the track leaves the allowed tiles (the Win32 layer sends
    // MSG_MAP_OVERFLOW to the logging screen). swath: the swath recorded and
    // painted while recording; none draws the view alone.
    MapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings, MapOverflow& overflow,
            const bool& mapVisible, std::function<void()> sendOverflow, MapSwath* swath = nullptr);

    void SetReferencePosition(double northing, double easting) override;
    void SetCurrentPosition(double northing, double easting) override;
    void Draw(int32_t loggingState, double northing, double easting, double step) override;

private:
    MapState& state_;
    MapTileSurfaces& tiles_;
    const Settings& settings_;
    MapOverflow& overflow_;
    const bool& mapVisible_;
    std::function<void()> sendOverflow_;
    MapSwath* swath_;
};

}  // namespace tesselog
