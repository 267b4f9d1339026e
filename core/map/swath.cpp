#include "core/map/swath.h"

#include <utility>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/acquisition/acquisition_state.h"
#include "core/common/colour_palette.h"
#include "core/datafile/data_file_writers.h"
#include "core/gps/coordinates.h"
#include "core/gps/position_handler.h"
#include "core/settings/sensor_tables.h"

namespace tesselog {

namespace {

int32_t RoundToPixel(double value) {
    return static_cast<int32_t>(std::floor(std::min(std::max(value, -1e9), 1e9) + 0.5));
}

struct PixelEdge {
    double Lx, Ly, Rx, Ry;
};

PixelEdge EdgeInPixels(const MapState& state, const SwathEdge& edge) {
    const PixelPoint l = WorldToPixel(state, edge.Left.X, edge.Left.Y);
    const PixelPoint r = WorldToPixel(state, edge.Right.X, edge.Right.Y);
    return {double(l.X), double(l.Y), double(r.X), double(r.Y)};
}

PixelPoint Between(double ax, double ay, double bx, double by, double f) {
    return {RoundToPixel(ax + f * (bx - ax)), RoundToPixel(ay + f * (by - ay))};
}

Color PositionInk(const Settings& settings) { return static_cast<Color>(settings.PositionColor) & 0xFFFFFFu; }

// A line of the swath is at least one pixel: a line to its own start draws
// nothing, and at a coarse scale (a map thousands of metres across) a strip
// or an edge of a metre or two rounds to a single pixel. Drawn one pixel
// east, it paints its start.
void AddSwathLine(TileStrokeBatch& batch, PixelPoint from, PixelPoint to, Color ink, int32_t width) {
    if (to.X == from.X && to.Y == from.Y) ++to.X;
    batch.AddLine(from, to, ink, width);
}

}  // namespace

// The settings keep GpsOffsetY in metres; the swath edges are derived in
// the display unit already. With no console there is no array: the track is
// the antenna's.
SwathArray SwathArrayOf(const Settings& settings) {
    if (settings.ConsoleCount <= 0) return {};
    return {MetresToDisplayUnits(settings.GpsOffsetY, settings.DisplayUnits), settings.SwathEdgeNear,
            settings.SwathEdgeFar};
}

SwathEdge EdgeAt(SwathPoint a, double ux, double uy, const SwathArray& array) {
    SwathEdge edge;
    edge.Left = {a.X - array.EdgeNear * uy, a.Y + array.EdgeNear * ux};
    edge.Right = {a.X + array.EdgeFar * uy, a.Y - array.EdgeFar * ux};
    return edge;
}

// ---------------------------------------------------------------- the edges

void SwathTracker::Reset() {
    segmentState_ = 0;
    history_.clear();
}

void SwathTracker::TakeOffsetSign(double gpsOffsetY) {
    offsetSign_ = gpsOffsetY > 0.0 ? 1 : gpsOffsetY < 0.0 ? -1 : 0;
}

SwathStep SwathTracker::Advance(double x, double y, const SwathArray& array) {
    SwathStep step;
    if (segmentState_ == 0) {
        previousPoint_ = {x, y};
        history_.clear();
        if (offsetSign_ > 0) history_.push_back({previousPoint_, 0.0});
        segmentState_ = 1;
        step.Kind = SwathStepKind::Opened;
        return step;
    }
    const double dx = x - previousPoint_.X;
    const double dy = y - previousPoint_.Y;
    const double d = std::sqrt(dx * dx + dy * dy);
    // Standing still gives no direction; a wild value no edge.
    if (!(d > 0.0) || !std::isfinite(d)) return step;
    const double ux = dx / d;
    const double uy = dy / d;
    if (offsetSign_ > 0) {
        if (history_.empty()) history_.push_back({previousPoint_, 0.0});
        AppendToPath(x, y, d);
        step.Current = PathEdge(array);
    } else {
        step.Current = EdgeAt({x - ux * array.OffsetY, y - uy * array.OffsetY}, ux, uy, array);
    }
    if (segmentState_ == 1) {
        // The first point's edge faces along the first step, for either
        // sign: straight back from it by the whole offset.
        const SwathPoint p = previousPoint_;
        step.Previous = EdgeAt({p.X - ux * array.OffsetY, p.Y - uy * array.OffsetY}, ux, uy, array);
        step.Kind = SwathStepKind::FirstPair;
        segmentState_ = 2;
    } else {
        step.Previous = previousEdge_;
        step.Kind = SwathStepKind::Next;
    }
    previousEdge_ = step.Current;
    previousPoint_ = {x, y};
    return step;
}

void SwathTracker::AppendToPath(double x, double y, double step) {
    const double length = history_.empty() ? 0.0 : history_.back().Length + step;
    history_.push_back({{x, y}, length});
    if (history_.size() > SwathHistoryLimit) DropHistoryBefore(SwathHistoryDrop);
}

void SwathTracker::DropHistoryBefore(size_t first) {
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(first));
    const double base = history_.front().Length;
    for (PathPoint& point : history_) point.Length -= base;
}

// The reference point GpsOffsetY back along the path: interpolated on the
// recorded path once it is that long, before that extrapolated back from
// its first point along the first step.
SwathEdge SwathTracker::PathEdge(const SwathArray& array) {
    const double offset = array.OffsetY;
    const double total = history_.back().Length;
    if (total < offset) {
        const SwathPoint p0 = history_[0].P;
        const SwathPoint p1 = history_[1].P;
        const double first = history_[1].Length;
        const double ux = (p1.X - p0.X) / first;
        const double uy = (p1.Y - p0.Y) / first;
        const double back = offset - total;
        return EdgeAt({p0.X - ux * back, p0.Y - uy * back}, ux, uy, array);
    }
    size_t k = 1;
    while (k + 1 < history_.size() && total - history_[k].Length > offset) ++k;
    const PathPoint& a = history_[k - 1];
    const PathPoint& b = history_[k];
    const double length = b.Length - a.Length;
    const double ux = (b.P.X - a.P.X) / length;
    const double uy = (b.P.Y - a.P.Y) / length;
    const double along = total - offset - a.Length;
    const SwathEdge edge = EdgeAt({a.P.X + ux * along, a.P.Y + uy * along}, ux, uy, array);
    if (k > SwathHistoryDrop) DropHistoryBefore(k - 1);
    return edge;
}

// ---------------------------------------------------------------- records

void WriteSwathSegments(DataFileWriter& writer, const SwathStep& step) {
    const SwathEdge& p = step.Previous;
    const SwathEdge& c = step.Current;
    switch (step.Kind) {
    case SwathStepKind::None: return;
    case SwathStepKind::Opened: writer.WriteSegmentRecords(0, 0.0, 0.0, 0.0, 0.0); return;
    case SwathStepKind::FirstPair:
        writer.WriteSegmentRecords(1, p.Left.X, p.Left.Y, p.Right.X, p.Right.Y);
        writer.WriteSegmentRecords(2, c.Left.X, c.Left.Y, c.Right.X, c.Right.Y);
        writer.WriteSegmentRecords(3, p.Left.X, p.Left.Y, p.Right.X, p.Right.Y);
        writer.WriteSegmentRecords(4, c.Left.X, c.Left.Y, c.Right.X, c.Right.Y);
        return;
    case SwathStepKind::Next:
        writer.WriteSegmentRecords(2, c.Left.X, c.Left.Y, c.Right.X, c.Right.Y);
        writer.WriteSegmentRecords(4, c.Left.X, c.Left.Y, c.Right.X, c.Right.Y);
        return;
    }
}

// ---------------------------------------------------------------- painting

void AddPositionMarks(TileStrokeBatch& batch, const MapState& state, const SwathEdge& edge,
                      const Settings& settings, const SensorTables& sensors) {
    const PixelEdge e = EdgeInPixels(state, edge);
    const Color ink = PositionInk(settings);
    const int32_t size = settings.PositionSize;
    if (size >= 4) {
        AddSwathLine(batch, Between(e.Lx, e.Ly, e.Rx, e.Ry, 0.0), Between(e.Lx, e.Ly, e.Rx, e.Ry, 1.0), ink,
                     size == 4 ? 1 : 2);
        return;
    }
    const int32_t dotSize = std::max(size, 0);
    const int32_t count = std::min(sensors.SensorCount, MaxSensors);
    for (int32_t k = 0; k < count; ++k)
        batch.AddDot(Between(e.Lx, e.Ly, e.Rx, e.Ry, sensors.SwathPlace[k]), dotSize, ink);
}

void AddAntennaTrack(TileStrokeBatch& batch, const MapState& state, const SwathEdge& previous,
                     const SwathEdge& current, bool firstPair, const Settings& settings) {
    const PixelPoint from = WorldToPixel(state, previous.Left.X, previous.Left.Y);
    const PixelPoint to = WorldToPixel(state, current.Left.X, current.Left.Y);
    const Color ink = PositionInk(settings);
    const int32_t size = settings.PositionSize;
    if (size >= 4) {
        AddSwathLine(batch, from, to, ink, size == 4 ? 1 : 2);
        return;
    }
    if (firstPair) batch.AddDot(from, std::max(size, 0), ink);
    batch.AddDot(to, std::max(size, 0), ink);
}

StripReadings::StripReadings() {
    for (auto& last : LastIndex) last = -1;
}

// ---------------------------------------------------------------- readings of a step

StripCollector::StripCollector() : classes_(size_t(MaxSensors) * AmplitudeBankSize) { Reset(); }

void StripCollector::Reset() {
    for (int32_t k = 0; k < MaxSensors; ++k) {
        counts_[k] = 0;
        carried_[k] = -1;
        firstSteps_[k] = 0.0;
        emptySteps_[k] = 0;
        sampleCount_[k] = 0;
    }
}

void StripCollector::Take(int32_t sensor, int32_t colourClass) {
    if (sensor < 0 || sensor >= MaxSensors || counts_[sensor] >= AmplitudeBankSize) return;
    classes_[size_t(sensor) * AmplitudeBankSize + size_t(counts_[sensor]++)] = colourClass;
}

void StripCollector::TakeEpoch(const GpsPositionState& epochs, const ConsoleReadingState& readings,
                               int32_t sensorCount) {
    if (epochs.ClosedEpochHasReadings == 0) return;
    const int32_t bank = epochs.ClosedEpochBuffer == 1 ? 1 : 0;
    const int32_t sensors = std::min(sensorCount, MaxSensors);
    for (int32_t k = 0; k < sensors; ++k) {
        const int32_t room = AmplitudeBankSize - counts_[k];
        const int32_t n = std::min(epochs.ClosedEpochLastIndex[k] + 1, room);
        if (n <= 0) continue;
        std::copy(readings.AmplitudeQueue[k][bank], readings.AmplitudeQueue[k][bank] + n,
                  &classes_[size_t(k) * AmplitudeBankSize + size_t(counts_[k])]);
        counts_[k] += n;
    }
}

// The lower median of the samples held: one interval lengthened by a
// silence, or shortened by readings that arrived together, does not move it.
// Before the second reading only the first one's steps since the segment
// began are known, at most an interval.
double StripCollector::Interval(int32_t sensor) const {
    const int32_t n = std::min(sampleCount_[sensor], IntervalSamples);
    if (n == 0) return firstSteps_[sensor];
    double sorted[IntervalSamples] = {};
    for (int32_t i = 0; i < n; ++i) {
        int32_t j = i;
        for (; j > 0 && sorted[j - 1] > samples_[sensor][i]; --j) sorted[j] = sorted[j - 1];
        sorted[j] = samples_[sensor][i];
    }
    return sorted[(n - 1) / 2];
}

void StripCollector::AddSample(int32_t sensor, double steps) {
    const int32_t n = sampleCount_[sensor];
    samples_[sensor][n % IntervalSamples] = steps;
    // Past a full ring the count stays at five or more and names the slot
    // to fill next.
    sampleCount_[sensor] = n + 1 < 2 * IntervalSamples ? n + 1 : IntervalSamples + (n + 1) % IntervalSamples;
}

const StripReadings& StripCollector::CloseStep() {
    for (int32_t k = 0; k < MaxSensors; ++k) {
        if (counts_[k] > 0) {
            paint_.Classes[k] = &classes_[size_t(k) * AmplitudeBankSize];
            paint_.LastIndex[k] = counts_[k] - 1;
            const double steps = double(emptySteps_[k] + 1) / counts_[k];
            if (carried_[k] >= 0) {
                AddSample(k, steps);
            } else {
                firstSteps_[k] = steps;
            }
            carried_[k] = paint_.Classes[k][counts_[k] - 1];
            emptySteps_[k] = 0;
            counts_[k] = 0;
            continue;
        }
        // This step is emptySteps + 1 steps after the one with the reading.
        const bool covered = carried_[k] >= 0 && emptySteps_[k] + 1 < 2.0 * Interval(k);
        paint_.Classes[k] = covered ? &carried_[k] : nullptr;
        paint_.LastIndex[k] = covered ? 0 : -1;
        if (emptySteps_[k] < std::numeric_limits<int32_t>::max() - 1) ++emptySteps_[k];
    }
    return paint_;
}

void AddColourStrips(TileStrokeBatch& batch, const MapState& state, const SwathEdge& previous,
                     const SwathEdge& current, const SensorTables& sensors, const StripReadings& readings) {
    const PixelEdge a = EdgeInPixels(state, previous);
    const PixelEdge b = EdgeInPixels(state, current);
    const double longer = std::max(std::hypot(b.Lx - a.Lx, b.Ly - a.Ly), std::hypot(b.Rx - a.Rx, b.Ry - a.Ry));
    // A step shorter than half a pixel still paints its cross-line.
    const int32_t n =
        std::max(1, static_cast<int32_t>(std::min(std::floor(longer + 0.5), double(MaxStripCrossLines))));
    const int32_t count = std::min(sensors.SensorCount, MaxSensors);
    // Sensor by sensor along the step: a sensor's neighbouring readings
    // mostly share a colour class, so its lines come in runs of one pen.
    // Every reading has its equal share of the step, a lone one the whole.
    for (int32_t k = 0; k < count; ++k) {
        const int32_t last = std::min(readings.LastIndex[k], AmplitudeBankSize - 1);
        if (last < 0 || readings.Classes[k] == nullptr) continue;
        const double from = count == 1 ? 0.0 : sensors.StripLeft[k];
        const double to = count == 1 ? 1.0 : sensors.StripRight[k];
        for (int32_t s = 0; s < n; ++s) {
            const double f = double(s) / n;
            const double lx = a.Lx + f * (b.Lx - a.Lx), ly = a.Ly + f * (b.Ly - a.Ly);
            const double rx = a.Rx + f * (b.Rx - a.Rx), ry = a.Ry + f * (b.Ry - a.Ry);
            const int32_t reading = static_cast<int32_t>(int64_t(s) * (last + 1) / n);
            const Color ink = ColourClassColor(readings.Classes[k][reading]);
            AddSwathLine(batch, Between(lx, ly, rx, ry, from), Between(lx, ly, rx, ry, to), ink, 2);
        }
    }
}

// ---------------------------------------------------------------- the map's swath

void MapSwath::TakeEpoch(const Settings& settings) {
    if (settings.MapDisplayType != 0) strips_.TakeEpoch(epochs_, readings_, sensors_.SensorCount);
}

SwathStep MapSwath::Record(const Settings& settings, double x, double y) {
    const SwathStep step = tracker_.Advance(x, y, SwathArrayOf(settings));
    // The replay gathers readings from a segment's first record on.
    if (step.Kind == SwathStepKind::Opened) strips_.Reset();
    WriteSwathSegments(writer_, step);
    if (edgeWatcher_) {
        if (step.Kind == SwathStepKind::FirstPair) edgeWatcher_(step.Previous);
        if (step.Kind == SwathStepKind::FirstPair || step.Kind == SwathStepKind::Next) edgeWatcher_(step.Current);
    }
    return step;
}

void MapSwath::Paint(MapState& state, MapTileSurfaces& tiles, const Settings& settings, const SwathStep& step) {
    const bool firstPair = step.Kind == SwathStepKind::FirstPair;
    if (!firstPair && step.Kind != SwathStepKind::Next) return;
    const bool colour = sensors_.SensorCount > 0 && settings.MapDisplayType != 0;
    // The step's readings end here whether or not there is a pane to paint.
    const StripReadings* strips = colour ? &strips_.CloseStep() : nullptr;
    if (state.TileWidth <= 0 || state.TileHeight <= 0) return;
    batch_.Clear();
    if (sensors_.SensorCount <= 0) {
        AddAntennaTrack(batch_, state, step.Previous, step.Current, firstPair, settings);
    } else if (settings.MapDisplayType == 0) {
        if (firstPair) AddPositionMarks(batch_, state, step.Previous, settings, sensors_);
        AddPositionMarks(batch_, state, step.Current, settings, sensors_);
    } else {
        AddColourStrips(batch_, state, step.Previous, step.Current, sensors_, *strips);
    }
    if (!batch_.Empty()) batch_.Paint(state, tiles);
}

}  // namespace tesselog
