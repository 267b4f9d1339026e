#include "core/map/map_view.h"

#include <utility>

#include "core/acquisition/acquisition_state.h"

namespace tesselog {

MapView::MapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings, MapOverflow& overflow,
                 const bool& mapVisible, std::function<void()> sendOverflow, MapSwath* swath)
    : state_(state),
      tiles_(tiles),
      settings_(settings),
      overflow_(overflow),
      mapVisible_(mapVisible),
      sendOverflow_(std::move(sendOverflow)),
      swath_(swath) {}

void MapView::SetReferencePosition(double northing, double easting) { SetMapOrigin(state_, northing, easting); }

void MapView::SetCurrentPosition(double northing, double easting) {
    state_.CurrentX = easting;
    state_.CurrentY = northing;
}

// The segment records are map units, so they are written while recording
// whether or not a pane has been laid out (the replay has no screen) and
// whether or not the map is shown: the program and the replay write the same
// file.
//
// Every position while recording has just closed a reading epoch, a step or
// not (standing still): the swath gathers it for the next step it paints.
void MapView::Draw(int32_t loggingState, double northing, double easting, double step) {
    const bool recording = swath_ != nullptr && loggingState == LoggingRecording;
    if (recording) swath_->TakeEpoch(settings_);
    const bool swath = recording && step > 0.0;
    if (state_.TileWidth <= 0 || state_.TileHeight <= 0) {
        if (swath) swath_->Paint(state_, tiles_, settings_, swath_->Record(settings_, easting, northing));
        return;
    }
    const bool first = state_.MapStarted == 0;
    if (first && mapVisible_) ClearMapPane(state_, tiles_);
    // The edge is known before the view moves, so that the view can keep
    // the whole swath in sight and not only the antenna.
    SwathStep painted;
    if (swath) painted = swath_->Record(settings_, easting, northing);
    SwathReach reach;
    const bool edge = painted.Kind == SwathStepKind::FirstPair || painted.Kind == SwathStepKind::Next;
    if (edge) {
        reach.X[0] = painted.Current.Left.X;
        reach.Y[0] = painted.Current.Left.Y;
        reach.X[1] = painted.Current.Right.X;
        reach.Y[1] = painted.Current.Right.Y;
    }
    const PixelPoint pixel = MoveMapView(state_, tiles_, settings_, easting, northing, edge ? &reach : nullptr);
    if (swath) swath_->Paint(state_, tiles_, settings_, painted);

    if (mapVisible_) ShowMapView(state_, tiles_, settings_);
    if (CheckMapOverflow(state_, overflow_) && sendOverflow_) sendOverflow_();
    FinishMapPosition(state_, pixel);
}

}  // namespace tesselog
