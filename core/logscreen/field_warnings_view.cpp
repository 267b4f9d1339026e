#include "core/logscreen/field_warnings_view.h"

#include <algorithm>
#include <cmath>

namespace tesselog {

namespace {

constexpr char LineSeparator[] = " | ";
constexpr int32_t HatchSpacingPixels = 4;
constexpr int32_t MaxHatchLines = 2000;  // a jump of the position never draws more

const WarningKind CellKinds[] = {WarningKind::SensorField, WarningKind::SensorSaturated, WarningKind::SensorFrozen,
                                 WarningKind::SensorNoisy};

}  // namespace

bool WarningsShown::operator==(const WarningsShown& other) const {
    return Line == other.Line && TooFast == other.TooFast && std::equal(std::begin(Cell), std::end(Cell), other.Cell);
}

WarningsShown ShowWarnings(const FieldWarnings& warnings, const QcArray& array) {
    WarningsShown shown;
    for (const ActiveWarning& active : warnings.ActiveTexts()) {
        if (!shown.Line.empty()) shown.Line += LineSeparator;
        shown.Line += *active.Text;
    }
    for (int s = 0; s < array.SensorCount && s < MaxSensors; ++s) shown.Cell[s] = SensorCell(warnings, s);
    shown.TooFast = warnings.TooFastShown();
    return shown;
}

std::string SensorCell(const FieldWarnings& warnings, int sensor) {
    for (WarningKind kind : CellKinds) {
        if (warnings.Active(kind, sensor)) return SensorReasonWord(kind);
    }
    return std::string();
}

uint32_t ChangedParts(const WarningsShown& before, const WarningsShown& after) {
    uint32_t parts = 0;
    if (before.Line != after.Line) parts |= RedrawWarningLine;
    if (!std::equal(std::begin(before.Cell), std::end(before.Cell), after.Cell)) parts |= RedrawNumbers;
    if (before.TooFast != after.TooFast) parts |= RedrawSpeedBar;
    return parts;
}

void AddGapHatch(TileStrokeBatch& batch, const MapState& state, const GapQuad& piece) {
    PixelPoint p[4];
    for (int i = 0; i < 4; ++i) p[i] = WorldToPixel(state, piece.Corner[i].X, piece.Corner[i].Y);
    for (int i = 0; i < 4; ++i) batch.AddLine(p[i], p[(i + 1) % 4], GapHatchColor, 1);
    // Lines across, from the side 0-3 to the side 1-2, one every few pixels
    // of the longer of the two.
    const double along = std::max(std::hypot(p[3].X - p[0].X, p[3].Y - p[0].Y),
                                  std::hypot(p[2].X - p[1].X, p[2].Y - p[1].Y));
    const int32_t lines = std::min<int32_t>(MaxHatchLines, static_cast<int32_t>(along / HatchSpacingPixels));
    for (int32_t n = 1; n < lines; ++n) {
        const double t = static_cast<double>(n) / lines;
        const PixelPoint a{static_cast<int32_t>(std::lround(p[0].X + t * (p[3].X - p[0].X))),
                           static_cast<int32_t>(std::lround(p[0].Y + t * (p[3].Y - p[0].Y)))};
        const PixelPoint b{static_cast<int32_t>(std::lround(p[1].X + t * (p[2].X - p[1].X))),
                           static_cast<int32_t>(std::lround(p[1].Y + t * (p[2].Y - p[1].Y)))};
        batch.AddLine(a, b, GapHatchColor, 1);
    }
}

void FieldWatch::Open(const tesselog::Settings& settings, FileSystem& files, const std::string& path) {
    path_ = path;
    settings_ = QcSettings();
    LoadOrCreateQcSettings(settings_, files, path_);
    qc_.Open(settings, settings_);
    shown_ = WarningsShown();
    warnings_.TakeEvents();
}

void FieldWatch::Apply(const tesselog::Settings& settings, FileSystem& files, const QcSettings& qc) {
    settings_ = qc;
    if (!path_.empty()) SaveQcSettings(settings_, files, path_);
    qc_.Apply(settings, settings_);
}

void FieldWatch::OnReading(int k, uint32_t tick, double value1, double value2, const char* sentence,
                           size_t length) {
    qc_.Reading(k, tick, value1, value2, sentence, length);
}

uint32_t FieldWatch::TakeRedraw(bool quick) {
    const bool events = !warnings_.TakeEvents().empty();
    if (quick && !events) return 0;
    WarningsShown now = ShowWarnings(warnings_, qc_.Array());
    const uint32_t parts = ChangedParts(shown_, now);
    if (parts != 0) shown_ = std::move(now);
    return parts;
}

}  // namespace tesselog
