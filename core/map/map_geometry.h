// The map's coordinate chain, view and navigation.
//
// Map units are the display unit; the origin is the first valid GPS
// position. Global pixels: px = trunc((x - x0) * scale + 0.5), likewise py
// from y, with py growing north. The plane is cut into tiles as large as the
// map pane's drawable area, Wt by Ht: column 1001 holds px 1..Wt, column 1000
// px -(Wt - 1)..0; row 1000 holds py 0..Ht - 1 (py 0 in its bottom bitmap
// row), row 999 lies south of it. Bitmap rows run north to south. Tiles are
// indexed 0..1999 both ways and the track must stay in 3..1996.
//
// The pane shows the view tile (c, r) and its neighbours (c + 1, r),
// (c, r - 1), (c + 1, r - 1), shifted by the view offset (ox, oy) in pixels.
// The live view follows the antenna; the review view is moved by the
// navigation buttons while review is active.
//
// MapSize itself stays in Settings (it is stored and shown there); MapState
// holds the scale that belongs to it and everything else.
#pragma once

#include <cstdint>

#include "core/map/map_grid.h"
#include "core/map/map_tiles.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr int32_t MapTileTableSize = 2000;
constexpr int32_t MapCentreTile = 1000;
constexpr int32_t MapMinAllowedTile = 3;
constexpr int32_t MapMaxAllowedTile = 1996;

struct PixelPoint {
    int32_t X = 0;  // px, east
    int32_t Y = 0;  // py, north
};

// A global pixel's tile and its place inside it (u column, v bitmap row).
struct TilePlace {
    int32_t Column = 0;
    int32_t Row = 0;
    int32_t U = 0;
    int32_t V = 0;
};

struct MapViewTile {
    int32_t Column = MapCentreTile;
    int32_t Row = MapCentreTile;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
};

struct TileExtent {
    int32_t MinColumn = MapCentreTile;
    int32_t MaxColumn = MapCentreTile;
    int32_t MinRow = MapCentreTile;
    int32_t MaxRow = MapCentreTile;
};

struct MapState {
    // Tile size: the map pane's drawable extent.
    int32_t TileWidth = 0;   // Wt
    int32_t TileHeight = 0;  // Ht
    double Scale = 1.0;      // pixels per map unit = Wt / MapSize

    double OriginX = 0.0;  // easting of the first valid position
    double OriginY = 0.0;  // northing
    double CurrentX = 0.0;
    double CurrentY = 0.0;

    // Every position drawn since the origin was set (map units).
    double TrackMinX = 0.0;
    double TrackMaxX = 0.0;
    double TrackMinY = 0.0;
    double TrackMaxY = 0.0;
    // The tiles that hold a tile (or the view) since the last reset.
    TileExtent Tiles;

    // Live view.
    MapViewTile Live;
    int32_t ViewX0 = 0;  // view window in global pixels
    int32_t ViewX1 = 0;
    int32_t ViewY0 = 0;
    int32_t ViewY1 = 0;
    int32_t LastPx = 0;  // last drawn position
    int32_t LastPy = 0;
    int32_t CursorX = 0; // cursor place in the pane
    int32_t CursorY = 0;

    MapViewTile Review;
    int32_t MapReviewActive = 0;

    // Restored when review ends.
    int32_t SavedMapSize = 0;
    double SavedScale = 1.0;
    int32_t SavedDisplayType = 0;

    int32_t MapStarted = 0;
    // Set after a map size change or the end of review: the next position
    // re-anchors the view around its cursor place.
    int32_t RedrawEverything = 0;

    GridGeometry Grid;
};

// --- The coordinate chain ---

// trunc(value * scale + 0.5), toward zero, held inside +-1e9.
int32_t MapUnitsToPixels(double value, double scale);
PixelPoint WorldToPixel(const MapState& state, double x, double y);
// A segment's two ends (x1, y1, x2, y2) as px1, py1, px2, py2.
void WorldSegmentToPixels(const MapState& state, const double in[4], int32_t out[4]);
TilePlace PixelToTile(int32_t px, int32_t py, int32_t tileWidth, int32_t tileHeight);
// A tile's westernmost px and southernmost py.
int32_t TileWestPixel(int32_t column, int32_t tileWidth);
int32_t TileSouthPixel(int32_t row, int32_t tileHeight);

// --- Set-up ---

// The pane's drawable size and the scale of MapSize; the grid is rebuilt.
// Tiles made at another size must be deleted by the caller (ResetMap).
void SetMapTileSize(MapState& state, const Settings& settings, int32_t width, int32_t height);
// scale = Wt / MapSize (MapSize below 1 counts as 1).
void RecomputeMapScale(MapState& state, int32_t mapSize);
void RebuildGridGeometry(MapState& state, const Settings& settings);

// Logging start: every tile deleted, the live view back at tile
// (1000, 1000) and the tile extent that tile; map-started, review and
// redraw-everything cleared; MapSize, scale and display type saved for
// review; scale and grid recomputed.
void ResetMap(MapState& state, MapTileSurfaces& tiles, const Settings& settings);

// The first valid fix: origin, track extent and current position.
void SetMapOrigin(MapState& state, double northing, double easting);

// --- Tiles ---

// Makes a missing tile (overlay white, base white with the grid) and widens
// the tile extent. Indices outside the table (0..1999) are ignored.
void EnsureTile(MapState& state, MapTileSurfaces& tiles, int32_t column, int32_t row);
// The four tiles of a view.
void EnsureViewTiles(MapState& state, MapTileSurfaces& tiles, const MapViewTile& view);

enum class TileRefreshMode { Base = 0, Overlay = 1, Both = 2 };
// Over the existing tiles inside the tile extent: redraw the bases (grid
// changes), clear the overlays (track repainted from the file), or both.
void RefreshTiles(MapState& state, MapTileSurfaces& tiles, TileRefreshMode mode);
// After a zoom, fit all, size change or the end of review: grid geometry and
// both layers of every tile. The caller adds the background files and the
// colour replay.
void RebuildMap(MapState& state, MapTileSurfaces& tiles, const Settings& settings);

// --- Following the antenna ---

// The two ends of the array's edge at a position (map units), which the
// live view keeps in sight beside the antenna while the swath is painted.
struct SwathReach {
    double X[2] = {};
    double Y[2] = {};
};

// Moves the live view for a position (x easting, y northing, map units):
// the first position after a reset centres the view, later ones re-anchor
// (RedrawEverything) or follow with the cursor band. With a reach, the view
// also scrolls when an end of the swath lies in the cursor band or beyond
// the pane, as far as brings it back inside, whenever the swath and the
// antenna fit across the pane together. Makes the view's tiles, widens both
// extents and sets the cursor place (always the antenna's). Returns the
// position's pixel; the caller paints, shows, and then calls
// FinishMapPosition.
PixelPoint MoveMapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings, double x, double y,
                       const SwathReach* reach = nullptr);
// Remembers the drawn pixel as the last position.
void FinishMapPosition(MapState& state, PixelPoint pixel);

// The view of the moment (review or live) composed on the pane; the cursor
// is drawn on the live view only.
void ShowMapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings);
void ClearMapPane(const MapState& state, MapTileSurfaces& tiles);
void ShowPleaseWait(const MapState& state, MapTileSurfaces& tiles);

// The track against the allowed tiles: inside them, out of them with the
// pause asked for (MSG_MAP_OVERFLOW sent), or reported to the operator
// ("&Go" refused until "Map &Size" accepts a map that holds the track).
enum class MapOverflow : uint8_t { Inside, PauseAsked, Reported };

// True once when the tile extent has left 3..1996 while the overflow is
// Inside: it becomes PauseAsked and the caller sends MSG_MAP_OVERFLOW.
bool CheckMapOverflow(const MapState& state, MapOverflow& overflow);

// --- Navigation ---

// The navigation buttons' codes: 121..127 left, right, up, down, zoom+,
// zoom-, fit all; 128 enters the review, 129 leaves it.
constexpr int CodeNavFirst = 121;
constexpr int CodeEnterReview = 128;
constexpr int CodeExitReview = 129;

enum class MapPan { Left, Right, Up, Down };

// The pan step in pixels: trunc(1.05 * CursorBandPixels * 0.1 - 0.5).
int32_t MapPanStep(const Settings& settings);
// One step of the review view (review active) or of the live view with its
// window and last position. False when refused at the track's tile extent.
// The caller clears the pane and shows the view.
bool PanMap(MapState& state, const Settings& settings, MapPan direction);

// trunc(0.95 * size + 0.5) in, trunc(1.05 * size + 0.5) out; at least one
// step; never below 1.
int32_t ZoomedMapSize(int32_t mapSize, bool zoomIn);
// MapSize and scale of a zoom; the caller rebuilds and shows the review view.
void ZoomMap(MapState& state, Settings& settings, bool zoomIn);

// MapSize that shows the whole track with the cursor band's margin.
int32_t FitAllMapSize(double extent, int32_t cursorBand);
// MapSize and scale for the whole track, the view window and the review view
// centred on it; the caller rebuilds and shows the review view.
void FitAllMap(MapState& state, Settings& settings);

// Review: the review view takes the live view; MapSize, scale and display
// type are saved. Leaving restores them and sets RedrawEverything; the
// caller rebuilds.
void EnterMapReview(MapState& state, const Settings& settings);
void ExitMapReview(MapState& state, Settings& settings);

// "Map Size": would the whole track fit in the allowed tiles at newMapSize?
// When it does, the overflow becomes Inside and the tile extent becomes the
// track's corner tiles at the new scale (the caller deletes the tiles of the
// old scale); when not, nothing changes.
bool CheckMapSize(MapState& state, int32_t newMapSize, MapOverflow& overflow);

// A rectangle of map units: the positions of a data file read back.
struct MapRange {
    double MinX = 0.0;
    double MaxX = 0.0;
    double MinY = 0.0;
    double MaxY = 0.0;
};
// True when the tiles of both corners, at the current scale, lie in the
// allowed range 3..1996.
bool RangeFitsMap(const MapState& state, const MapRange& range);
// The track's extent (for "&Fit All" and the map size check) and its tile
// extent widened to take in the range.
void WidenTrackByRange(MapState& state, const MapRange& range);

}  // namespace tesselog
