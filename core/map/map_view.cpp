#include "core/map/map_view.h"

#include <utility>

namespace tesselog {

MapView::MapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings, int32_t& mapOverflowState,
                 const int32_t& mapVisible, std::function<void()> sendOverflow)
    : state_(state),
      tiles_(tiles),
      settings_(settings),
      mapOverflowState_(mapOverflowState),
      mapVisible_(mapVisible),
      sendOverflow_(std::move(sendOverflow)) {}

void MapView::SetReferencePosition(double northing, double easting) { SetMapOrigin(state_, northing, easting); }

void MapView::SetCurrentPosition(double northing, double easting) {
    state_.CurrentX = easting;
    state_.CurrentY = northing;
}

void MapView::Draw(int32_t /*loggingState*/, double northing, double easting, double /*step*/) {
    const bool first = state_.MapStarted == 0;
    if (first && mapVisible_ != 0) ClearMapPane(state_, tiles_);
    const PixelPoint pixel = MoveMapView(state_, tiles_, settings_, easting, northing);

    // Swath painting goes here: with loggingState 1 and a step above 0 the
    // swath edge behind the antenna is computed, written as segment records
    // and painted into the overlays, before the view is shown.

    if (mapVisible_ != 0) ShowMapView(state_, tiles_, settings_);
    if (CheckMapOverflow(state_, mapOverflowState_) && sendOverflow_) sendOverflow_();
    FinishMapPosition(state_, pixel);
}

}  // namespace tesselog
