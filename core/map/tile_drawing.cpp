#include "core/map/tile_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>

namespace tesselog {

namespace {

int32_t ColumnOf(int32_t px, int32_t w) { return PixelToTile(px, 0, w, 1).Column; }
int32_t RowOf(int32_t py, int32_t h) { return PixelToTile(0, py, 1, h).Row; }

// Tiles outside the table can hold nothing; keeping the loops inside it
// also bounds them for a line from a wild position. A range wholly outside
// becomes empty.
int32_t FirstInTable(int32_t index) { return std::max(index, 0); }
int32_t LastInTable(int32_t index) { return std::min(index, MapTileTableSize - 1); }

// Rows whose pixels meet the screen-y range [y0, y1] (y = -py), clamped.
void AddRows(int32_t column, double y0, double y1, int32_t h, std::vector<TileIndex>& out) {
    const double lo = std::max(y0, -2e9);
    const double hi = std::min(y1, 2e9);
    const int32_t south = FirstInTable(RowOf(static_cast<int32_t>(-std::ceil(hi)), h));
    const int32_t north = LastInTable(RowOf(static_cast<int32_t>(-std::floor(lo)), h));
    for (int32_t r = south; r <= north; ++r) out.push_back({column, r});
}

void DotTiles(const TileStroke& s, int32_t w, int32_t h, std::vector<TileIndex>& out) {
    const int32_t x = s.From.X;
    const int32_t y = -s.From.Y;
    const int32_t west = FirstInTable(ColumnOf(x - 1 - s.Size, w));
    const int32_t east = LastInTable(ColumnOf(x + s.Size, w));
    for (int32_t c = west; c <= east; ++c) AddRows(c, y - 1.0 - s.Size, y + s.Size, h, out);
}

// Walks the columns the line's x range covers and, in each, the rows of the
// part of the line inside that column (both widened by the pen width).
void LineTiles(const TileStroke& s, int32_t w, int32_t h, std::vector<TileIndex>& out) {
    const double m = std::max(s.Width, 1);
    const double ax = s.From.X, ay = -static_cast<double>(s.From.Y);
    const double bx = s.To.X, by = -static_cast<double>(s.To.Y);
    const int32_t first = FirstInTable(ColumnOf(static_cast<int32_t>(std::min(ax, bx) - m), w));
    const int32_t last = LastInTable(ColumnOf(static_cast<int32_t>(std::max(ax, bx) + m), w));
    for (int32_t c = first; c <= last; ++c) {
        const double left = TileOriginOf(c, MapCentreTile, w, h).Left - m;
        const double right = left + (w - 1) + 2 * m;
        double t0 = 0.0;
        double t1 = 1.0;
        if (bx != ax) {
            const double ta = (left - ax) / (bx - ax);
            const double tb = (right - ax) / (bx - ax);
            t0 = std::max(t0, std::min(ta, tb));
            t1 = std::min(t1, std::max(ta, tb));
            if (t0 > t1) continue;
        } else if (ax < left || ax > right) {
            continue;
        }
        const double y0 = ay + t0 * (by - ay);
        const double y1 = ay + t1 * (by - ay);
        AddRows(c, std::min(y0, y1) - m, std::max(y0, y1) + m, h, out);
    }
}

struct PenState {
    bool PenSet = false;
    Color Pen = 0;
    int32_t Width = 0;
    bool BrushSet = false;
    Color Brush = 0;

    void UsePen(Canvas& canvas, Color ink, int32_t width) {
        if (PenSet && Pen == ink && Width == width) return;
        canvas.SetPen(ink, width);
        PenSet = true;
        Pen = ink;
        Width = width;
    }
    void UseBrush(Canvas& canvas, Color ink) {
        if (BrushSet && Brush == ink) return;
        canvas.SetBrush(ink);
        BrushSet = true;
        Brush = ink;
    }
};

// Draws a tile's strokes in their order. Lines that follow each other in the
// same pen go to the canvas together (one GDI call for a run of them): the
// pixels are the same, as only the order of different colours counts.
class StrokePainter {
public:
    StrokePainter(Canvas& canvas, const TileOrigin& origin, std::vector<Point>& run)
        : canvas_(canvas), origin_(origin), run_(run) {
        run_.clear();
    }
    ~StrokePainter() { Flush(); }

    void Draw(const TileStroke& s) {
        const Point a{s.From.X - origin_.Left, -s.From.Y - origin_.Top};
        if (s.Dot) {
            Flush();
            pens_.UsePen(canvas_, s.Ink, 1);
            pens_.UseBrush(canvas_, s.Ink);
            canvas_.Ellipse({a.X - 1 - s.Size, a.Y - 1 - s.Size, a.X + s.Size + 1, a.Y + s.Size + 1});
            return;
        }
        const Point b{s.To.X - origin_.Left, -s.To.Y - origin_.Top};
        // A 2-pixel line is two 1-pixel lines side by side, across its
        // longer axis: the same band, which GDI draws several times faster
        // than a line of a 2-pixel pen (a polygon each).
        const bool doubled = s.Width == 2;
        const int32_t width = doubled ? 1 : s.Width;
        if (!pens_.PenSet || pens_.Pen != s.Ink || pens_.Width != width) {
            Flush();
            pens_.UsePen(canvas_, s.Ink, width);
        }
        run_.push_back(a);
        run_.push_back(b);
        if (doubled) {
            const bool flat = std::abs(b.X - a.X) >= std::abs(b.Y - a.Y);
            const Point step{flat ? 0 : 1, flat ? 1 : 0};
            run_.push_back({a.X + step.X, a.Y + step.Y});
            run_.push_back({b.X + step.X, b.Y + step.Y});
        }
    }

private:
    void Flush() {
        if (!run_.empty()) canvas_.Lines(run_.data(), run_.size() / 2);
        run_.clear();
    }

    Canvas& canvas_;
    const TileOrigin& origin_;
    std::vector<Point>& run_;
    PenState pens_;
};

// Orders the touches by tile and, within a tile, by stroke, as sorting the
// pairs would. A batch touches few tiles (a swath step one or two, a
// replayed stretch of track a handful): those are gathered one tile at a
// time; a batch over many tiles is sorted.
constexpr size_t FewTiles = 16;
void GroupByTile(std::vector<std::pair<int64_t, uint32_t>>& touches, std::vector<int64_t>& keys) {
    keys.clear();
    for (const auto& touch : touches) {
        if (std::find(keys.begin(), keys.end(), touch.first) != keys.end()) continue;
        if (keys.size() == FewTiles) {
            std::sort(touches.begin(), touches.end());
            return;
        }
        keys.push_back(touch.first);
    }
    if (keys.size() < 2) return;
    std::sort(keys.begin(), keys.end());
    std::vector<std::pair<int64_t, uint32_t>> grouped;
    grouped.reserve(touches.size());
    for (int64_t key : keys) {
        for (const auto& touch : touches)
            if (touch.first == key) grouped.push_back(touch);
    }
    touches.swap(grouped);
}

}  // namespace

TileOrigin TileOriginOf(int32_t column, int32_t row, int32_t tileWidth, int32_t tileHeight) {
    return {TileWestPixel(column, tileWidth), -(TileSouthPixel(row, tileHeight) + tileHeight - 1)};
}

void TilesTouchedBy(const TileStroke& stroke, int32_t tileWidth, int32_t tileHeight,
                    std::vector<TileIndex>& out) {
    if (tileWidth <= 0 || tileHeight <= 0) return;
    if (stroke.Dot)
        DotTiles(stroke, tileWidth, tileHeight, out);
    else
        LineTiles(stroke, tileWidth, tileHeight, out);
}

void TileStrokeBatch::AddLine(PixelPoint from, PixelPoint to, Color ink, int32_t width) {
    TileStroke s;
    s.From = from;
    s.To = to;
    s.Width = width;
    s.Ink = ink;
    strokes_.push_back(s);
}

void TileStrokeBatch::AddDot(PixelPoint centre, int32_t size, Color ink) {
    TileStroke s;
    s.Dot = true;
    s.From = centre;
    s.To = centre;
    s.Size = size;
    s.Ink = ink;
    strokes_.push_back(s);
}

void TileStrokeBatch::Append(const TileStrokeBatch& other) {
    strokes_.insert(strokes_.end(), other.strokes_.begin(), other.strokes_.end());
}

void TileStrokeBatch::Index(int32_t tileWidth, int32_t tileHeight) {
    touches_.clear();
    std::vector<TileIndex> touched;
    for (uint32_t i = 0; i < strokes_.size(); ++i) {
        touched.clear();
        TilesTouchedBy(strokes_[i], tileWidth, tileHeight, touched);
        for (const TileIndex& t : touched) touches_.push_back({int64_t(t.Column) * MapTileTableSize + t.Row, i});
    }
    GroupByTile(touches_, keys_);
}

void TileStrokeBatch::Paint(MapState& state, MapTileSurfaces& tiles, MapLayer layer) {
    const int32_t w = state.TileWidth;
    const int32_t h = state.TileHeight;
    Index(w, h);
    for (size_t begin = 0; begin < touches_.size();) {
        const int64_t key = touches_[begin].first;
        size_t end = begin;
        while (end < touches_.size() && touches_[end].first == key) ++end;
        const int32_t column = static_cast<int32_t>(key / MapTileTableSize);
        const int32_t row = static_cast<int32_t>(key % MapTileTableSize);
        EnsureTile(state, tiles, column, row);
        const TileOrigin origin = TileOriginOf(column, row, w, h);
        tiles.PaintLayer(column, row, layer, [&](Canvas& canvas) {
            StrokePainter painter(canvas, origin, run_);
            for (size_t i = begin; i < end; ++i) painter.Draw(strokes_[touches_[i].second]);
        });
        begin = end;
    }
}

// Paint leaves the touches sorted by tile key, and by stroke within a tile.
void TileStrokeBatch::PaintTile(Canvas& canvas, int32_t column, int32_t row, int32_t tileWidth,
                                int32_t tileHeight) {
    const int64_t key = int64_t(column) * MapTileTableSize + row;
    auto begin = std::lower_bound(touches_.begin(), touches_.end(), std::make_pair(key, uint32_t{0}));
    if (begin == touches_.end() || begin->first != key) return;
    const TileOrigin origin = TileOriginOf(column, row, tileWidth, tileHeight);  // the painter keeps a reference
    StrokePainter painter(canvas, origin, run_);
    for (auto it = begin; it != touches_.end() && it->first == key; ++it) painter.Draw(strokes_[it->second]);
}

}  // namespace tesselog
