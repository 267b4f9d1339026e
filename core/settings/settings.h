// The one program-wide settings record: every choice of the operator about
// the survey, the instruments, the GPS receiver and the display, with its
// built-in defaults, plus the values derived from it. The user-interface
// thread owns it; reader threads only read it.
//
// Index fields hold the zero-based position of the chosen entry in the list
// the editing dialog shows. Lengths are metres unless stated. Colours are
// 0x00BBGGRR.
#pragma once

#include <cstdint>
#include <string>

namespace tesselog {

constexpr int MaxConsoles = 9;
constexpr int MaxSensors = 18;
constexpr size_t DataFolderMaxLength = 260;
constexpr size_t StartLineTextMaxLength = 11;

struct Settings {
    // --- Stored fields, in the order of the settings file ---
    std::string DataFolder = "C:\\";
    int32_t ConsoleCount = 3;            // 1..9; 0 = GPS-only logging
    int32_t FileHeaderOption = 1;
    int32_t ConsoleType[MaxConsoles] = {1, 1, 1, 1, 1, 1, 1, 1, 1};  // 0 Grad601-1, 1 Grad601-2
    int32_t LeadingPoint = 1;            // 0 array centre, k sensor k
    int32_t DisplayUnits = 0;            // 0 meters, 1 feet, 2 US Survey Feet
    int32_t SpeedUnits = 0;              // 0 m/s, 1 ft/s, 2 km/h, 3 mph
    int32_t ConsolePort[MaxConsoles] = {3, 0, 2, 3, 4, 5, 6, 7, 8};  // 0 = COM1
    int32_t AudioTicks = 1;
    int32_t DisconnectAlarm = 1;
    int32_t GpsMaskAudioWarning = 1;
    int32_t PauseKey = 0;                // 0 any key, 1 Enter, 2 Space, 3 P
    int32_t ProfileVisible[2] = {1, 1};
    int32_t ProfileThickness[2] = {2, 3};
    int32_t ProfileColor[2] = {0xFF0000, 0x00FF00};
    double ReadingsScaleMin = 0.0;
    double ReadingsScaleMax = 500.0;
    double SpeedBarScale = 5.0;
    int32_t GpsInput = 1;
    int32_t NmeaMode = 0;
    int32_t GpsPort = 1;
    int32_t GpsBaud = 1;
    int32_t GpsDataBits = 1;
    int32_t GpsParity = 0;
    int32_t GpsStopBits = 0;
    int32_t ArrayUnits = 0;
    double UnitSensorSeparation = 1.0;
    double ConsoleSeparation = 1.0;
    double GpsOffsetX = 2.5;
    double GpsOffsetY = 0.5;
    std::string StartLineText = "1";
    double LineIncrement = 1.0;
    int32_t LineSequence = 0;            // 0 alternate, 1 one way
    int32_t LineDirection = 1;           // 0 W, 1 S, 2 N, 3 E
    double StartStation = 0.0;
    double StationIncrement = 1.0;
    int32_t CursorSize = 3;
    int32_t PositionSize = 4;
    int32_t ReservedInt = 3;
    int32_t CursorColor = 0x000000;
    int32_t PositionColor = 0xFF0000;
    int32_t MapDisplayType = 1;          // 0 sensor positions, 1 colour map
    int32_t MapGridType = 0;
    double GridLinesInterval = 5.0;
    double GridLinesAngle = -60.0;
    int32_t MapSize = 40;                // display units, never below 1
    int32_t CursorBand = 1;
    int32_t GpsMaskWarning = 1;
    int32_t GpsMaskQuality = 1;
    int32_t GpsMaskSatellites = 5;
    double GpsMaskDilution = 4.0;
    double ReservedDouble = 5.0;
    int32_t CoordinateDisplay = 0;
    int32_t BackgroundFileType = 0;
    int32_t BackgroundDisplayType = 1;
    int32_t BackgroundCoordType = 1;
    int32_t BackgroundLonColumn = 0;
    int32_t BackgroundLatColumn = 1;
    int32_t BackgroundDelimiter = 0;

    // --- Inputs kept by the logging screen, needed for derived values ---
    int32_t ProfilePaneHeight = 0;       // pixels of a profile (curve) pane
    int32_t DecayPaneHeight = 0;         // pixels of a second-plot pane
    int32_t MapSizePixels = 0;           // side of the map view in pixels

    // --- Derived values, never stored ---
    int32_t ConsoleSensorCount[MaxConsoles] = {};
    int32_t TwoSensorConsoleCount = 0;
    double MinSeparation = 0.0;
    double ArrayWidth = 0.0;
    double SwathEdgeNear = 0.0;
    double SwathEdgeFar = 0.0;
    double CurrentStation = 0.0;
    int32_t CursorOuterPixels = 0;
    int32_t CursorInnerPixels = 0;
    int32_t CursorBandPixels = 0;
    double ReadingsPixelsPerUnit = 0.0;
    double DecayPixelsPerUnit = 0.0;

    Settings() { RecomputeAll(); }

    // ConsoleCount + TwoSensorConsoleCount, at most 18.
    int32_t SensorTotal() const;

    // The leading point names a sensor; when the console set no longer has
    // that many sensors it falls back to 0, the array centre. Called when
    // System Setup opens, when the console types change and after loading.
    void ForceLeadingPointInRange();
    // A typed map size, truncated and never below 1 (the map scale divides
    // by it).
    static int32_t MapSizeFromEntry(double typed);

    // Gives every field whose value lies outside the list its dialog offers
    // (or outside what the rest of the program can index with) its default
    // again, cuts the text fields to their size, keeps MapSize at least 1 and
    // the grid interval at least 0.5. The settings file is outside input; the
    // dialogs only ever store values inside these ranges.
    void ResetValuesOutOfRange();

    // Each recomputation follows the change of the fields it depends on.
    void RecomputeSensorCounts();     // ConsoleCount, ConsoleType
    void RecomputeArrayGeometry();    // consoles, separations, GpsOffsetX, DisplayUnits
    void RecomputeCursorPixels();     // CursorSize
    void RecomputePixelsPerUnit();    // readings scale, pane heights
    void RecomputeCursorBandPixels(); // CursorBand, MapSizePixels
    void RecomputeAll();
};

// Number conversions of the settings file and of the dialogs' edit fields:
// text that is not a number reads as 0.
// Decimal integer: leading white space, an optional sign and the digits that
// follow; values beyond the int32 range are clamped to it.
int32_t TextToInt32(const std::string& text);
// Decimal floating-point number in C syntax (no hexadecimal, no inf or nan,
// which not every C library reads alike); a value that overflows reads as 0.
double TextToDouble(const std::string& text);

}  // namespace tesselog
