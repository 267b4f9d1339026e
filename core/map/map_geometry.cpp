#include "core/map/map_geometry.h"

#include <algorithm>
#include <cmath>

namespace tesselog {

namespace {

bool InTable(int32_t column, int32_t row) {
    return column >= 0 && column < MapTileTableSize && row >= 0 && row < MapTileTableSize;
}

void WidenTrack(MapState& state, double x, double y) {
    state.TrackMinX = std::min(state.TrackMinX, x);
    state.TrackMaxX = std::max(state.TrackMaxX, x);
    state.TrackMinY = std::min(state.TrackMinY, y);
    state.TrackMaxY = std::max(state.TrackMaxY, y);
}

void WidenTiles(TileExtent& extent, int32_t column, int32_t row) {
    extent.MinColumn = std::min(extent.MinColumn, column);
    extent.MaxColumn = std::max(extent.MaxColumn, column);
    extent.MinRow = std::min(extent.MinRow, row);
    extent.MaxRow = std::max(extent.MaxRow, row);
}

// Brings an offset that has left its tile back, a tile at a time; the pane
// keeps showing the same pixels. ShowView covers the pane only with offsets
// in 0..Wt and 0..Ht.
void NormaliseView(MapViewTile& view, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    for (int32_t n = 0; n < MapTileTableSize && view.OffsetY < 0; ++n) {
        ++view.Row;
        view.OffsetY += height;
    }
    for (int32_t n = 0; n < MapTileTableSize && view.OffsetY > height; ++n) {
        --view.Row;
        view.OffsetY -= height;
    }
    for (int32_t n = 0; n < MapTileTableSize && view.OffsetX < 0; ++n) {
        --view.Column;
        view.OffsetX += width;
    }
    for (int32_t n = 0; n < MapTileTableSize && view.OffsetX > width; ++n) {
        ++view.Column;
        view.OffsetX -= width;
    }
}

void SetCursorPlace(MapState& state, PixelPoint pixel) {
    state.CursorX = pixel.X - state.ViewX0;
    state.CursorY = state.ViewY1 - pixel.Y - 1;
}

PixelPoint FirstPosition(MapState& state, MapTileSurfaces& tiles, double x, double y) {
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    state.ViewX0 = -w / 2 + 1;
    state.ViewX1 = w / 2;
    state.ViewY0 = -h / 2 + 1;
    state.ViewY1 = h / 2;
    state.Live = {MapCentreTile, MapCentreTile, w / 2, h / 2};
    PixelPoint pixel = WorldToPixel(state, x, y);
    WidenTrack(state, x, y);
    SetCursorPlace(state, pixel);
    state.Tiles = {MapCentreTile, MapCentreTile + 1, MapCentreTile - 1, MapCentreTile};
    EnsureViewTiles(state, tiles, state.Live);
    state.MapStarted = 1;
    return pixel;
}

// Keeps the position at its cursor place after the scale or the view changed
// under it. The window's top is one above the cursor row, as at the first
// position, so that the cursor lands where the position is drawn.
void ReanchorView(MapState& state, PixelPoint pixel, const TilePlace& place) {
    const int32_t cx = state.CursorX;
    const int32_t cy = state.CursorY;
    state.ViewX0 = pixel.X - cx;
    state.ViewX1 = state.ViewX0 + state.TileWidth;
    state.ViewY1 = pixel.Y + cy + 1;
    state.ViewY0 = state.ViewY1 - state.TileHeight;
    int32_t ox = cx - place.U;
    int32_t oy = cy - place.V;
    MapViewTile& view = state.Live;
    if (ox < 0) {
        view.Column = place.Column;
    } else {
        view.Column = place.Column - 1;
        ox -= state.TileWidth;
    }
    if (oy < 0) {
        view.Row = place.Row;
    } else {
        view.Row = place.Row + 1;
        oy -= state.TileHeight;
    }
    view.OffsetX = -ox;
    view.OffsetY = -oy;
}

// How far the view must move along one axis so that the swath's ends (low
// to high) lie inside the cursor band of the pixels the pane shows (first to
// last); the antenna counts in the span, so that it stays in sight too. On a
// pane too narrow for the band on both sides the margins shrink to what is
// left; on one too narrow for the span itself the view follows the antenna
// alone (0).
int32_t ReachShift(int32_t low, int32_t high, int32_t antenna, int32_t first, int32_t last, int32_t band) {
    const int32_t span = std::max(high, antenna) - std::min(low, antenna);
    const int32_t room = (last - first) - span;
    if (room < 0) return 0;
    const int32_t margin = std::max(0, std::min(band, room / 2));
    if (high > last - margin) return high - (last - margin);
    if (low < first + margin) return low - (first + margin);
    return 0;
}

void FollowView(MapState& state, const Settings& settings, PixelPoint pixel, const TilePlace& place,
                const SwathReach* reach) {
    const int32_t band = settings.CursorBandPixels;
    const int32_t dx = pixel.X - state.LastPx;
    const int32_t dy = pixel.Y - state.LastPy;
    const bool scrollX = (dx > 0 && pixel.X > state.ViewX1 - band) || (dx < 0 && pixel.X < state.ViewX0 + band);
    const bool scrollY = (dy > 0 && pixel.Y > state.ViewY1 - band) || (dy < 0 && pixel.Y < state.ViewY0 + band);
    int32_t moveX = scrollX ? dx : 0;
    int32_t moveY = scrollY ? dy : 0;
    if (reach != nullptr) {
        // The pane shows px ViewX0 .. ViewX0 + Wt - 1 and py ViewY1 - Ht ..
        // ViewY1 - 1 (the cursor rule), here after the antenna's own scroll.
        const PixelPoint a = WorldToPixel(state, reach->X[0], reach->Y[0]);
        const PixelPoint b = WorldToPixel(state, reach->X[1], reach->Y[1]);
        const int32_t x0 = state.ViewX0 + moveX;
        const int32_t y1 = state.ViewY1 + moveY;
        moveX += ReachShift(std::min(a.X, b.X), std::max(a.X, b.X), pixel.X, x0, x0 + state.TileWidth - 1, band);
        moveY += ReachShift(std::min(a.Y, b.Y), std::max(a.Y, b.Y), pixel.Y, y1 - state.TileHeight, y1 - 1, band);
    }
    MapViewTile& view = state.Live;
    state.ViewX0 += moveX;
    state.ViewX1 += moveX;
    view.OffsetX += moveX;
    state.ViewY0 += moveY;
    state.ViewY1 += moveY;
    view.OffsetY -= moveY;
    if (moveX != 0 || moveY != 0) {
        // The position's tile pulls the view tile along; the offset moves by
        // as many tiles as the view does, so that a jump of several tiles
        // keeps the pane on the position.
        int32_t row = view.Row;
        if (place.Row > view.Row) row = place.Row;
        else if (place.Row < view.Row - 1) row = place.Row + 1;
        view.OffsetY += (row - view.Row) * state.TileHeight;
        view.Row = row;
        int32_t column = view.Column;
        if (place.Column < view.Column) column = place.Column;
        else if (place.Column > view.Column + 1) column = place.Column - 1;
        view.OffsetX -= (column - view.Column) * state.TileWidth;
        view.Column = column;
    }
    NormaliseView(view, state.TileWidth, state.TileHeight);
}

}  // namespace

int32_t MapUnitsToPixels(double value, double scale) {
    double pixels = value * scale + 0.5;
    if (!(pixels > -1e9)) pixels = -1e9;  // also NaN
    if (pixels > 1e9) pixels = 1e9;
    return static_cast<int32_t>(pixels);
}

PixelPoint WorldToPixel(const MapState& state, double x, double y) {
    return {MapUnitsToPixels(x - state.OriginX, state.Scale), MapUnitsToPixels(y - state.OriginY, state.Scale)};
}

void WorldSegmentToPixels(const MapState& state, const double in[4], int32_t out[4]) {
    PixelPoint a = WorldToPixel(state, in[0], in[1]);
    PixelPoint b = WorldToPixel(state, in[2], in[3]);
    out[0] = a.X;
    out[1] = a.Y;
    out[2] = b.X;
    out[3] = b.Y;
}

TilePlace PixelToTile(int32_t px, int32_t py, int32_t tileWidth, int32_t tileHeight) {
    TilePlace place;
    const int32_t w = std::max(tileWidth, 1);
    const int32_t h = std::max(tileHeight, 1);
    if (px > 0) {
        place.Column = (px - 1) / w + 1001;
        place.U = px - 1 - (place.Column - 1001) * w;
    } else {
        place.Column = px / w + 1000;
        place.U = (w - 1) + (px - (place.Column - 1000) * w);
    }
    if (py >= 0) {
        place.Row = py / h + 1000;
        place.V = (h - 1) - (py - (place.Row - 1000) * h);
    } else {
        place.Row = (py + 1) / h + 999;
        place.V = -(py - (place.Row - 999) * h) - 1;
    }
    return place;
}

int32_t TileWestPixel(int32_t column, int32_t tileWidth) {
    return (column - 1000) * tileWidth - (tileWidth - 1);
}

int32_t TileSouthPixel(int32_t row, int32_t tileHeight) { return (row - 1000) * tileHeight; }

void RecomputeMapScale(MapState& state, int32_t mapSize) {
    state.Scale = static_cast<double>(state.TileWidth) / std::max(mapSize, 1);
}

void RebuildGridGeometry(MapState& state, const Settings& settings) {
    state.Grid = MakeGridGeometry(settings, state.Scale);
}

void SetMapTileSize(MapState& state, const Settings& settings, int32_t width, int32_t height) {
    state.TileWidth = std::max(width, 1);
    state.TileHeight = std::max(height, 1);
    RecomputeMapScale(state, settings.MapSize);
    RebuildGridGeometry(state, settings);
}

void ResetMap(MapState& state, MapTileSurfaces& tiles, const Settings& settings) {
    tiles.DeleteAllTiles();
    // The first position puts the view at the centre tile anyway; starting
    // the extent there keeps an earlier run's far view out of the overflow
    // check.
    state.Live = MapViewTile{};
    state.Tiles = {state.Live.Column, state.Live.Column, state.Live.Row, state.Live.Row};
    state.MapStarted = 0;
    state.MapReviewActive = 0;
    state.RedrawEverything = 0;
    RecomputeMapScale(state, settings.MapSize);
    RebuildGridGeometry(state, settings);
    state.SavedMapSize = settings.MapSize;
    state.SavedScale = state.Scale;
    state.SavedDisplayType = settings.MapDisplayType;
}

void SetMapOrigin(MapState& state, double northing, double easting) {
    state.OriginX = easting;
    state.OriginY = northing;
    state.CurrentX = easting;
    state.CurrentY = northing;
    state.TrackMinX = state.TrackMaxX = easting;
    state.TrackMinY = state.TrackMaxY = northing;
}

void EnsureTile(MapState& state, MapTileSurfaces& tiles, int32_t column, int32_t row) {
    if (!InTable(column, row)) return;
    WidenTiles(state.Tiles, column, row);
    if (tiles.HasTile(column, row)) return;
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    tiles.CreateTile(column, row, w, h);
    const GridGeometry& grid = state.Grid;
    tiles.PaintLayer(column, row, MapLayer::Base,
                     [&](Canvas& canvas) { DrawBaseTile(canvas, grid, column, row, w, h); });
}

void EnsureViewTiles(MapState& state, MapTileSurfaces& tiles, const MapViewTile& view) {
    EnsureTile(state, tiles, view.Column, view.Row);
    EnsureTile(state, tiles, view.Column + 1, view.Row);
    EnsureTile(state, tiles, view.Column, view.Row - 1);
    EnsureTile(state, tiles, view.Column + 1, view.Row - 1);
}

void RefreshTiles(MapState& state, MapTileSurfaces& tiles, TileRefreshMode mode) {
    std::vector<TileIndex> present;
    tiles.ListTiles(present);
    const TileExtent& e = state.Tiles;
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    const GridGeometry& grid = state.Grid;
    for (const TileIndex& t : present) {
        if (t.Column < e.MinColumn || t.Column > e.MaxColumn || t.Row < e.MinRow || t.Row > e.MaxRow) continue;
        if (mode != TileRefreshMode::Overlay) {
            tiles.PaintLayer(t.Column, t.Row, MapLayer::Base,
                             [&](Canvas& canvas) { DrawBaseTile(canvas, grid, t.Column, t.Row, w, h); });
        }
        if (mode != TileRefreshMode::Base) {
            tiles.PaintLayer(t.Column, t.Row, MapLayer::Overlay, [&](Canvas& canvas) { ClearSurface(canvas, w, h); });
        }
    }
}

void RebuildMap(MapState& state, MapTileSurfaces& tiles, const Settings& settings) {
    RebuildGridGeometry(state, settings);
    RefreshTiles(state, tiles, TileRefreshMode::Both);
}

PixelPoint MoveMapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings, double x, double y,
                       const SwathReach* reach) {
    state.CurrentX = x;
    state.CurrentY = y;
    if (state.MapStarted == 0) return FirstPosition(state, tiles, x, y);

    PixelPoint pixel = WorldToPixel(state, x, y);
    WidenTrack(state, x, y);
    TilePlace place = PixelToTile(pixel.X, pixel.Y, state.TileWidth, state.TileHeight);
    if (state.RedrawEverything != 0) {
        ReanchorView(state, pixel, place);
        state.RedrawEverything = 0;
    } else {
        FollowView(state, settings, pixel, place, reach);
    }
    EnsureViewTiles(state, tiles, state.Live);
    SetCursorPlace(state, pixel);
    return pixel;
}

void FinishMapPosition(MapState& state, PixelPoint pixel) {
    state.LastPx = pixel.X;
    state.LastPy = pixel.Y;
}

void ClearMapPane(const MapState& state, MapTileSurfaces& tiles) {
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    tiles.PaintPane([&](Canvas& canvas) { ClearSurface(canvas, w, h); });
}

void ShowPleaseWait(const MapState& state, MapTileSurfaces& tiles) {
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    tiles.PaintPane([&](Canvas& canvas) { DrawPleaseWait(canvas, w, h); });
}

void ShowMapView(MapState& state, MapTileSurfaces& tiles, const Settings& settings) {
    const MapViewTile view = state.MapReviewActive != 0 ? state.Review : state.Live;
    EnsureViewTiles(state, tiles, view);
    tiles.ShowView(view.Column, view.Row, view.OffsetX, view.OffsetY, state.TileWidth, state.TileHeight);
    if (state.MapReviewActive != 0 || state.MapStarted == 0) return;
    const int32_t x = state.CursorX;
    const int32_t y = state.CursorY;
    const int32_t inner = settings.CursorInnerPixels;
    const Color color = static_cast<Color>(settings.CursorColor) & 0xFFFFFFu;
    tiles.PaintPane([&](Canvas& canvas) { DrawMapCursor(canvas, x, y, inner, color); });
}

bool CheckMapOverflow(const MapState& state, MapOverflow& overflow) {
    const TileExtent& e = state.Tiles;
    const bool outside = e.MinColumn < MapMinAllowedTile || e.MinRow < MapMinAllowedTile ||
                         e.MaxColumn > MapMaxAllowedTile || e.MaxRow > MapMaxAllowedTile;
    if (!outside || overflow != MapOverflow::Inside) return false;
    overflow = MapOverflow::PauseAsked;
    return true;
}

int32_t MapPanStep(const Settings& settings) {
    return static_cast<int32_t>(1.05 * settings.CursorBandPixels * 0.1 - 0.5);
}

bool PanMap(MapState& state, const Settings& settings, MapPan direction) {
    const bool review = state.MapReviewActive != 0;
    MapViewTile& view = review ? state.Review : state.Live;
    const TileExtent& e = state.Tiles;
    const int32_t s = MapPanStep(settings);
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    int32_t moveX = 0;  // global pixels the live window moves
    int32_t moveY = 0;
    switch (direction) {
    case MapPan::Left:
        if (view.Column <= e.MinColumn) return false;
        if (view.OffsetX - s < 0) {
            --view.Column;
            view.OffsetX += w;
        }
        view.OffsetX -= s;
        moveX = -s;
        break;
    case MapPan::Right:
        if (view.Column + 1 >= e.MaxColumn) return false;
        if (view.OffsetX + s > w) {
            ++view.Column;
            view.OffsetX -= w;
        }
        view.OffsetX += s;
        moveX = s;
        break;
    case MapPan::Up:
        if (view.Row >= e.MaxRow) return false;
        if (view.OffsetY - s < 0) {
            ++view.Row;
            view.OffsetY += h;
        }
        view.OffsetY -= s;
        moveY = s;
        break;
    case MapPan::Down:
        if (view.Row - 1 <= e.MinRow) return false;
        if (view.OffsetY + s > h) {
            --view.Row;
            view.OffsetY -= h;
        }
        view.OffsetY += s;
        moveY = -s;
        break;
    }
    if (!review) {
        state.ViewX0 += moveX;
        state.ViewX1 += moveX;
        state.LastPx += moveX;
        state.ViewY0 += moveY;
        state.ViewY1 += moveY;
        state.LastPy += moveY;
    }
    return true;
}

int32_t ZoomedMapSize(int32_t mapSize, bool zoomIn) {
    const double factor = zoomIn ? 1.0 - 0.05 : 1.0 + 0.05;
    double next = factor * mapSize + 0.5;
    int32_t size = next >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(next);
    if (size == mapSize) size = zoomIn ? mapSize - 1 : (mapSize < 2147483647 ? mapSize + 1 : mapSize);
    return std::max(size, 1);
}

void ZoomMap(MapState& state, Settings& settings, bool zoomIn) {
    settings.MapSize = ZoomedMapSize(settings.MapSize, zoomIn);
    RecomputeMapScale(state, settings.MapSize);
}

int32_t FitAllMapSize(double extent, int32_t cursorBand) {
    const double margin = (cursorBand + 1) * 5.0 / 100.0 + 1.0;
    double value = (extent + 0.5) * margin + 10.0;
    value = std::min(std::max(value, 1.0), 2e9);
    int32_t size = static_cast<int32_t>(value);
    if (size <= static_cast<int64_t>(std::min(extent, 2e9))) size += 10;
    return std::max(size, 1);
}

void FitAllMap(MapState& state, Settings& settings) {
    const double extent = std::max(state.TrackMaxX - state.TrackMinX, state.TrackMaxY - state.TrackMinY);
    settings.MapSize = FitAllMapSize(extent, settings.CursorBand);
    RecomputeMapScale(state, settings.MapSize);
    const PixelPoint low = WorldToPixel(state, state.TrackMinX, state.TrackMinY);
    const PixelPoint high = WorldToPixel(state, state.TrackMaxX, state.TrackMaxY);
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    const int32_t spareX = (w - (high.X - low.X)) / 2;
    const int32_t spareY = (h - (high.Y - low.Y)) / 2;
    state.ViewX0 = low.X - spareX;
    state.ViewX1 = state.ViewX0 + w;
    state.ViewY0 = low.Y - spareY;
    state.ViewY1 = state.ViewY0 + h;
    state.Review = {MapCentreTile, MapCentreTile, w - (spareX - low.X), h - (spareY + high.Y)};
}

void EnterMapReview(MapState& state, const Settings& settings) {
    state.Review = state.Live;
    state.SavedMapSize = settings.MapSize;
    state.SavedScale = state.Scale;
    state.SavedDisplayType = settings.MapDisplayType;
    state.MapReviewActive = 1;
}

void ExitMapReview(MapState& state, Settings& settings) {
    state.MapReviewActive = 0;
    settings.MapSize = std::max(state.SavedMapSize, 1);
    state.Scale = state.SavedScale;
    settings.MapDisplayType = state.SavedDisplayType;
    state.RedrawEverything = 1;
}

bool CheckMapSize(MapState& state, int32_t newMapSize, MapOverflow& overflow) {
    const double scale = static_cast<double>(state.TileWidth) / std::max(newMapSize, 1);
    const int32_t pxs[2] = {MapUnitsToPixels(state.TrackMinX - state.OriginX, scale),
                            MapUnitsToPixels(state.TrackMaxX - state.OriginX, scale)};
    const int32_t pys[2] = {MapUnitsToPixels(state.TrackMinY - state.OriginY, scale),
                            MapUnitsToPixels(state.TrackMaxY - state.OriginY, scale)};
    TilePlace corners[2] = {PixelToTile(pxs[0], pys[0], state.TileWidth, state.TileHeight),
                            PixelToTile(pxs[1], pys[1], state.TileWidth, state.TileHeight)};
    for (const TilePlace& corner : corners) {
        if (corner.Column < MapMinAllowedTile || corner.Column > MapMaxAllowedTile ||
            corner.Row < MapMinAllowedTile || corner.Row > MapMaxAllowedTile) {
            return false;
        }
    }
    // The tiles of the old scale go with the rebuild that follows, so the
    // extent starts again from the track's corners at the new scale. Only
    // widening the old extent would keep a track that once overflowed
    // outside the allowed tiles for good, and every "&Go" would pause again
    // at the next fix.
    overflow = MapOverflow::Inside;
    state.Tiles = TileExtent{corners[0].Column, corners[0].Column, corners[0].Row, corners[0].Row};
    WidenTiles(state.Tiles, corners[1].Column, corners[1].Row);
    return true;
}

namespace {
bool Allowed(const TilePlace& place) {
    return place.Column >= MapMinAllowedTile && place.Column <= MapMaxAllowedTile && place.Row >= MapMinAllowedTile &&
           place.Row <= MapMaxAllowedTile;
}

TilePlace CornerTile(const MapState& state, double x, double y) {
    const PixelPoint p = WorldToPixel(state, x, y);
    return PixelToTile(p.X, p.Y, state.TileWidth, state.TileHeight);
}
}  // namespace

bool RangeFitsMap(const MapState& state, const MapRange& range) {
    if (state.TileWidth <= 0 || state.TileHeight <= 0) return true;
    return Allowed(CornerTile(state, range.MinX, range.MinY)) && Allowed(CornerTile(state, range.MaxX, range.MaxY));
}

void WidenTrackByRange(MapState& state, const MapRange& range) {
    WidenTrack(state, range.MinX, range.MinY);
    WidenTrack(state, range.MaxX, range.MaxY);
    if (state.TileWidth <= 0 || state.TileHeight <= 0) return;
    for (const TilePlace& corner :
         {CornerTile(state, range.MinX, range.MinY), CornerTile(state, range.MaxX, range.MaxY)}) {
        WidenTiles(state.Tiles, corner.Column, corner.Row);
    }
}

}  // namespace tesselog
