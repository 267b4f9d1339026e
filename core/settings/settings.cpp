#include "core/settings/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/common/length_units.h"
#include "core/settings/sensor_tables.h"

namespace tesselog {

int32_t Settings::SensorTotal() const {
    return std::clamp<int32_t>(ConsoleCount, 0, MaxConsoles) + TwoSensorConsoleCount;
}

void Settings::RecomputeSensorCounts() {
    int count = std::clamp<int32_t>(ConsoleCount, 0, MaxConsoles);
    TwoSensorConsoleCount = 0;
    for (int i = 0; i < MaxConsoles; ++i) {
        bool used = i < count;
        bool twoSensors = ConsoleType[i] == 1;
        ConsoleSensorCount[i] = used ? (twoSensors ? 2 : 1) : 0;
        if (used && twoSensors) ++TwoSensorConsoleCount;
    }
}

void Settings::RecomputeArrayGeometry() {
    MinSeparation = std::min(UnitSensorSeparation, ConsoleSeparation);
    ArrayWidth = (ConsoleCount - 1) * ConsoleSeparation + TwoSensorConsoleCount * UnitSensorSeparation;
    const double margin = SwathMargin(ConsoleCount, MinSeparation);
    SwathEdgeNear = GpsOffsetX + margin;
    SwathEdgeFar = ArrayWidth - GpsOffsetX + margin;
    // Positions are in the display unit, so the swath's lengths are too,
    // each kind of foot with its own length.
    MinSeparation = MetresToDisplayUnits(MinSeparation, DisplayUnits);
    ArrayWidth = MetresToDisplayUnits(ArrayWidth, DisplayUnits);
    SwathEdgeNear = MetresToDisplayUnits(SwathEdgeNear, DisplayUnits);
    SwathEdgeFar = MetresToDisplayUnits(SwathEdgeFar, DisplayUnits);
}

void Settings::RecomputeCursorPixels() {
    if (CursorSize == 5) {
        CursorOuterPixels = 19;
        CursorInnerPixels = 9;
    } else {
        CursorOuterPixels = 2 * CursorSize + 7;
        CursorInnerPixels = CursorSize + 3;
    }
}

void Settings::RecomputePixelsPerUnit() {
    double range = ReadingsScaleMax - ReadingsScaleMin;
    ReadingsPixelsPerUnit = range != 0.0 ? ProfilePaneHeight / range : 0.0;
    DecayPixelsPerUnit = range != 0.0 ? DecayPaneHeight / range : 0.0;
}

void Settings::RecomputeCursorBandPixels() {
    // In double, so that no band index can overflow the integer product.
    CursorBandPixels = static_cast<int32_t>((CursorBand * 5.0 + 10.0) * 0.01 * MapSizePixels);
}

void Settings::RecomputeAll() {
    RecomputeSensorCounts();
    RecomputeArrayGeometry();
    RecomputeCursorPixels();
    RecomputePixelsPerUnit();
    RecomputeCursorBandPixels();
    CurrentStation = StartStation;
}

void Settings::ForceLeadingPointInRange() {
    RecomputeSensorCounts();
    if (LeadingPoint < 0 || LeadingPoint > SensorTotal()) LeadingPoint = 0;
}

int32_t Settings::MapSizeFromEntry(double typed) {
    if (!(typed >= 1.0)) return 1;  // also NaN
    if (typed >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(typed);
}

void Settings::ResetValuesOutOfRange() {
    struct Range {
        int32_t Settings::*field;
        int32_t min, max;
    };
    // The lists of the dialogs that edit each field.
    static const Range ranges[] = {
        {&Settings::ConsoleCount, 0, MaxConsoles},
        {&Settings::FileHeaderOption, 0, 8},  // written as one digit, value + 1
        {&Settings::DisplayUnits, 0, 2},
        {&Settings::SpeedUnits, 0, 3},
        {&Settings::AudioTicks, 0, 1},
        {&Settings::DisconnectAlarm, 0, 1},
        {&Settings::GpsMaskAudioWarning, 0, 1},
        {&Settings::PauseKey, 0, 3},
        {&Settings::GpsInput, 0, 6},
        {&Settings::NmeaMode, 0, 8},
        {&Settings::GpsPort, 0, 47},
        {&Settings::GpsBaud, 0, 5},
        {&Settings::GpsDataBits, 0, 1},
        {&Settings::GpsParity, 0, 2},
        {&Settings::GpsStopBits, 0, 1},
        {&Settings::ArrayUnits, 0, 3},
        {&Settings::LineSequence, 0, 1},
        {&Settings::LineDirection, 0, 3},
        {&Settings::CursorSize, 0, 5},
        {&Settings::PositionSize, 0, 5},
        {&Settings::CursorColor, 0, 0xFFFFFF},
        {&Settings::PositionColor, 0, 0xFFFFFF},
        {&Settings::MapDisplayType, 0, 1},
        {&Settings::MapGridType, 0, 1},
        {&Settings::CursorBand, 0, 6},
        {&Settings::GpsMaskWarning, 0, 1},
        {&Settings::GpsMaskQuality, 0, 4},
        {&Settings::GpsMaskSatellites, 3, 12},
        {&Settings::CoordinateDisplay, 0, 3},
        {&Settings::BackgroundFileType, 0, 1},
        {&Settings::BackgroundDisplayType, 0, 3},
        {&Settings::BackgroundCoordType, 0, 3},
        {&Settings::BackgroundLonColumn, 0, 23},
        {&Settings::BackgroundLatColumn, 0, 23},
        {&Settings::BackgroundDelimiter, 0, 3},
    };
    static const Settings defaults;
    for (const Range& r : ranges)
        if (this->*r.field < r.min || this->*r.field > r.max) this->*r.field = defaults.*r.field;
    for (int i = 0; i < MaxConsoles; ++i) {
        if (ConsoleType[i] < 0 || ConsoleType[i] > 1) ConsoleType[i] = defaults.ConsoleType[i];
        if (ConsolePort[i] < 0 || ConsolePort[i] > 47) ConsolePort[i] = defaults.ConsolePort[i];
    }
    for (int side = 0; side < 2; ++side) {
        if (ProfileVisible[side] < 0 || ProfileVisible[side] > 1) ProfileVisible[side] = defaults.ProfileVisible[side];
        if (ProfileThickness[side] < 1 || ProfileThickness[side] > 4)
            ProfileThickness[side] = defaults.ProfileThickness[side];
        if (ProfileColor[side] < 0 || ProfileColor[side] > 0xFFFFFF) ProfileColor[side] = defaults.ProfileColor[side];
    }
    if (MapSize < 1) MapSize = 1;
    // The grid is drawn line by line at this interval.
    if (!(GridLinesInterval >= 0.5)) GridLinesInterval = 0.5;
    if (DataFolder.size() > DataFolderMaxLength) DataFolder.resize(DataFolderMaxLength);
    if (StartLineText.size() > StartLineTextMaxLength) StartLineText.resize(StartLineTextMaxLength);
    ForceLeadingPointInRange();
}

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t TextToInt32(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulated in 64 bits and stopped past the int32 range, so the result
    // is the same on LLP64 Windows and LP64 Linux.
    int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        if (value <= INT32_MAX) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

double TextToDouble(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    if (digits == 0) return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        if (e < text.size() && IsDigit(text[e])) {
            while (e < text.size() && IsDigit(text[e])) ++e;
            i = e;
        }
    }
    std::string number = text.substr(start, i - start);
    double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

}  // namespace tesselog
