// The logging screen's own texts: the state word, the map size, the scale
// labels, the line, GPS, file and totals blocks, "Speed:" and the pause hint.
// The places are measured once per layout pass from sample texts in the
// current fonts (StatusTextLayout); the GPS position handler and the console
// handlers draw their values into the same boxes (MakeGpsFieldLayout).
#pragma once

#include <cstdint>
#include <string>

#include "core/gps/position_handler.h"
#include "core/logscreen/logging_layout.h"
#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog {

// A label and the box its value is drawn in (the box is filled with the
// background before the value is written at its top left, clipped to it).
struct StatusField {
    Point Label;
    Rect Value;
};

struct StatusTextLayout {
    int32_t RowPitch = 0;      // L - 4, or the text height + 2 where the room allows
    int32_t RowY[5] = {};      // top of rows 1..5, the lowest at H - 40 - L
    int32_t ThirdX[3] = {};    // left end of each third of the speed bar's span
    int32_t ThirdWidth = 0;
    int32_t BlockX[3] = {};    // each third's block, centred by "# of Stns:888999"
    int32_t TextHeight = 0;    // of the text font

    Rect StateBox;             // "Monitoring" / "Stand By" / "Logging", at (23, 0)
    Rect MapSizeBox;           // right end on the map's right edge, at y = 2
    Rect GridNoteBox;          // "Grid thinned to ...", right-aligned left of the map size
    // The field warnings, right of the state word: up to the map size (less
    // a grid note) in map view, up to the right column in profile view.
    Rect WarningBox;
    int32_t WarningRightWithoutMap = 0;
    int32_t MapRight = 0;
    Rect FileBox;              // "File: %s", row 1 of the first third

    // First third.
    StatusField TotalStations, TotalLines, TotalLength, TotalTime;
    // Middle third.
    StatusField CurrentLine, Station, LineStations, LineLength, LineTime;
    // Last third.
    StatusField Positions;
    Rect Quality;              // the "DGPS" state box, with the two status circles beside it
    Rect CircleA, CircleB;
    StatusField Dilution, Satellites;
    StatusField FirstCoordinate, SecondCoordinate;  // "Lat:"/"N:" and "Lon:"/"E:"
    StatusField Zone;          // "Z:", beside the second coordinate
    Rect GpsDisabledBox;       // "GPS Disabled", over the whole GPS block

    // "Speed:" centred one line above the speed bar, its value beside it and
    // the bar's two end values at its ends.
    StatusField Speed;
    Rect SpeedLowBox, SpeedHighBox;
    // "%0.1f nT" right-aligned at the right column's right end.
    Rect ScaleMaxBox, ScaleMinBox;
    Rect ColourStrip;          // empty when there is no room

    // Separator lines along the bottom.
    int32_t SeparatorY = 0;
    int32_t SeparatorLeft = 0, SeparatorRight = 0;

    // Pause hint on the right column, below the top of the speed bar.
    int32_t HintColumnX = 0;
    int32_t HintColumnWidth = 0;
    int32_t HintFirstY = 0;    // 3 text heights below the speed bar's top
    int32_t HintSecondY = 0;   // 4 text heights below
    Rect HintEraseBox;
};

// panes: the current layout (R = 140 after a layout pass); creation: the
// R = 220 layout that placed the speed bar and the buttons.
StatusTextLayout ComputeStatusTextLayout(Canvas& canvas, const LoggingLayout& panes, const LoggingLayout& creation);

// Pixels of the speed bar per speed unit: its width over the speed bar scale,
// 0 for a scale that is not above 0.
double SpeedBarFactor(int32_t barWidth, double speedBarScale);

// The fields of the GPS position handler, in the boxes of the status layout.
// The second coordinate's box is narrower when northing and easting are
// shown, so that it leaves room for the zone.
GpsFieldLayout MakeGpsFieldLayout(const StatusTextLayout& status, const LoggingLayout& creation,
                                  int32_t coordinateDisplay, double speedBarScale, Color background);

// Everything the status painting shows.
struct StatusInputs {
    int32_t MapVisible = 0;
    int32_t LoggingState = 0;      // -1 Stand By, 0 Monitoring, 1 Logging
    int32_t ConsoleCount = 0;
    int32_t DisplayUnits = 0;
    int32_t CoordinateDisplay = 0;
    int32_t NmeaMode = 0;
    int32_t GpsInput = 0;
    int32_t MapDisplayType = 0;
    int32_t MapSize = 0;
    std::string GridNote;          // GridThinningText of the grid in force
    std::string Warnings;          // the field warnings' line (WarningsShown::Line)
    double ReadingsScaleMin = 0.0;
    double ReadingsScaleMax = 0.0;
    double SpeedBarScale = 0.0;

    std::string FileName;          // the open data file's name
    std::string CurrentLineText;
    double CurrentStation = 0.0;
    int32_t LineStations = 0;
    double LineLength = 0.0;
    int32_t LineSeconds = 0;
    int32_t GpsPositionCount = 0;
    int32_t TotalStations = 0;
    int32_t LinesStarted = 0;
    double TotalLength = 0.0;
    int32_t TotalSeconds = 0;

    // The GPS fields as the position handler last drew them ("N/A" where it
    // has drawn nothing since the logging screen opened).
    ShownGpsTexts GpsTexts;

    Color Background = Rgb(240, 240, 240);  // the button-face colour
    Color TextColor = Rgb(0, 0, 0);
};

// The settings' part of the inputs; the counters stay as they are.
void TakeStatusSettings(StatusInputs& inputs, const Settings& settings);

// The whole status painting (WM_PAINT of the logging screen), in its order.
void PaintLoggingStatus(Canvas& canvas, const StatusTextLayout& layout, const StatusInputs& inputs);

// The field warnings' line (texts joined by " | "), in the warning colour:
// the texts that fit in order, then how many more there are.
std::string FitWarnings(Canvas& canvas, const std::string& line, int32_t width);
void PaintWarningLine(Canvas& canvas, const StatusTextLayout& layout, const std::string& text,
                      const std::string& gridNote, int32_t mapVisible, Color background);

// Status line update: 0 the file line, 1 "Monitoring", 2 "Stand By",
// 3 "Logging"; any other code draws nothing.
void PaintStatusLine(Canvas& canvas, const StatusTextLayout& layout, int code, const std::string& fileName,
                     Color background, Color textColor);

// Pause hint: 1 draws it for the pause key, -1 erases its area, which is
// the right column's width or, when a line of the hint is wider than that
// (for any pause key), that line's measured extent.
void PaintPauseHint(Canvas& canvas, const StatusTextLayout& layout, int code, int32_t pauseKey, Color background,
                    Color textColor);

// --- Texts, for the painting and for tests ---
const char* LoggingStateWord(int32_t loggingState);   // "Stand By", "Monitoring", "Logging"
std::string MapSizeText(int32_t mapSize, int32_t displayUnits);
const char* DilutionLabel(int32_t nmeaMode);          // "HDOP:", "GDOP:", "PDOP:"
constexpr char PauseHintFirstLine[] = "Click on PAUSE button or";
const char* PauseHintText(int32_t pauseKey);          // the second line
std::string ClockText(int32_t seconds);               // "%02d:%02d:%02d"

}  // namespace tesselog
