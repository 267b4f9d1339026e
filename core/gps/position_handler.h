// The GPS position handler: the logging window's MSG_GPS_DATA. It runs on the
// user-interface thread while the GPS reader waits in its synchronous send,
// once for every position sentence of the NMEA mode (and in mode 0 for every
// GSA sentence too). It decodes the fix, shows it in the GPS fields of the
// logging screen, tests the warning mask and blinks the status circles,
// projects geodetic fixes into the one UTM zone of the run and the display
// unit, handles the first valid fix, computes the step and the speed, closes
// the colour map's reading epoch, hands the antenna position to the map and,
// while recording, counts positions and adds up distances.
//
// The handler writes nothing into the data file: the reader writes the
// sentence's records after the handler has returned. It never ends the
// program either: at the limit of GPS positions it says so in its result and
// the Win32 layer stops the readers, shows the "STOP" message and exits.
//
// The Win32 layer's MSG_GPS_DATA entry gathers a GpsPositionContext (a canvas
// on the logging window's device context, the map and screen hooks) and calls
// OnGpsData; replays and tests do the same with a RecordingCanvas.
#pragma once

#include <cstdint>
#include <string>

#include "core/acquisition/acquisition_state.h"
#include "core/gps/coordinates.h"
#include "core/gps/gps_framer.h"
#include "core/gps/nmea_mode.h"
#include "core/platform/canvas.h"
#include "core/platform/sound.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr int32_t MaxGpsPositionsPerFile = 28800;

constexpr Color GpsMaskPassedColor = Rgb(0, 255, 0);
constexpr Color GpsMaskFailedColor = Rgb(255, 0, 0);
constexpr Color GpsIdleCircleColor = Rgb(255, 255, 255);

// Both position fields of an invalid fix: five blanks on each side.
constexpr char GpsNoPositionText[] = "     N/A     ";

// What the program shows when a file reaches MaxGpsPositions.
constexpr char PositionLimitCaption[] = "STOP";
constexpr char PositionLimitMessage[] =
    "Maximum number of GPS positions reached.\r\nCurrent data file is saved.\r\nPlease restart the program.";

// Where the handler draws on the logging window. The logging screen fills it
// from its layout pass; the defaults are a plausible GPS block of an 800 by
// 600 client area, for tests and tools. Each text is drawn at its field's
// top left, clipped to the field, after the field was filled with
// `Background` (the system's button-face colour on Windows).
struct GpsFieldLayout {
    Rect Satellites{690, 498, 730, 512};
    Rect Quality{560, 484, 620, 498};          // the "DGPS" state box
    Rect FirstCoordinate{580, 512, 730, 526};  // latitude or northing
    Rect SecondCoordinate{580, 526, 730, 540}; // longitude or easting
    Rect Dilution{600, 498, 640, 512};
    Rect Zone{750, 526, 780, 540};
    Rect CircleA{630, 485, 642, 497};
    Rect CircleB{646, 485, 658, 497};
    Rect Speed{300, 440, 400, 454};
    Rect PositionCount{600, 470, 660, 484};
    Rect LineDistance{330, 512, 410, 526};
    Rect TotalDistance{90, 512, 170, 526};
    FontChoice NormalFont = FontChoice::Bold;  // the GPS panel's value font
    FontChoice SecondFont = FontChoice::Text;  // satellites, quality and the GSA dilution
    Color Background = Rgb(240, 240, 240);
    Color TextColor = Rgb(0, 0, 0);
    // Speed bar pixels per speed unit: the bar's width / SpeedBarScale,
    // recomputed by the logging screen with its layout and after the scale
    // dialog.
    int32_t SpeedBarWidth = 480;
    double SpeedBarPixelsPerUnit = 480.0 / 5.0;
};

// A GPS text field as the handler last drew it. A repaint of the logging
// screen (after a dialog or a message box, or a toggle of the view) draws it
// again; until the handler has drawn the field since the logging screen
// opened, nothing is known and the repaint shows "N/A".
struct ShownGpsField {
    bool Shown = false;
    FontChoice Font = FontChoice::Bold;
    std::string Text;  // empty: the field was blanked (a sentence without quality)
};

struct ShownGpsTexts {
    ShownGpsField Satellites, Quality, Dilution, FirstCoordinate, SecondCoordinate, Zone;
};

// The GPS items of the program, with the names the rest of the program uses
// for them. Owned by the user-interface thread.
struct GpsPositionState {
    // The last position sentence.
    int32_t GpsFixValid = 0;
    int32_t GpsSatellites = 0;
    int32_t GpsQuality = 0;
    double GpsDilution = 0.0;      // mode 0: the PDOP of the last GSA
    int32_t GpsMaskPassed = 0;     // the warning mask at the last position sentence
    char GpsIndicatorPhase = '\\'; // '/' or '\': which circle shows the status colour

    // The first valid fix after the logging screen opened: it enables "&File"
    // and becomes the map's reference (and the file header's).
    int32_t FirstFixSeen = 0;
    double MapReferenceNorthing = 0.0;  // display unit
    double MapReferenceEasting = 0.0;

    // Valid fixes: GPS time of day in seconds, antenna in the display unit.
    double PrevFixTime = 0.0;
    double CurFixTime = 0.0;
    double PrevFixEasting = 0.0;
    double PrevFixNorthing = 0.0;
    double CurFixEasting = 0.0;
    double CurFixNorthing = 0.0;
    double GpsSpeed = 0.0;  // display units per second; kept when two fixes share a time

    // While recording (reset by the file and line commands).
    int32_t GpsPositionCount = 0;
    int32_t MaxGpsPositions = MaxGpsPositionsPerFile;
    double LineDistance = 0.0;
    double TotalDistance = 0.0;

    // Reading epochs of the colour map: the bank of AmplitudeQueue that the
    // last fix closed and, per sensor, its readings less one (-1: none).
    // "&Go" clears FixEpochState, ClosedEpochHasReadings and AmplitudeQueueOn.
    int32_t FixEpochState = 0;  // 0 not started, 1 running
    int32_t ClosedEpochBuffer = 0;
    int32_t ClosedEpochLastIndex[MaxSensors] = {};
    int32_t SensorsInClosedEpoch = 0;
    int32_t ClosedEpochHasReadings = 0;

    // The texts of the GPS fields, for the repaint (cleared when the logging
    // screen opens).
    ShownGpsTexts Shown;
};

// When the logging screen opens: no valid fix seen yet, no map reference
// (a file made before the first fix, or without GPS, carries 0.000), no GPS
// text shown, and the file limit.
void ResetGpsPositionsOnLoggingStart(GpsPositionState& state);

// The map as the handler sees it (the map geometry and drawing implement it;
// the default does nothing). Positions are in the display unit.
class GpsMapDrawing {
public:
    virtual ~GpsMapDrawing() = default;
    // First valid fix: the map's reference position, its initial extent and
    // the current map position.
    virtual void SetReferencePosition(double /*northing*/, double /*easting*/) {}
    // Later valid fixes: the current map position.
    virtual void SetCurrentPosition(double /*northing*/, double /*easting*/) {}
    // The map drawing with the antenna position and the step from the last
    // valid fix (0 at the first).
    virtual void Draw(int32_t /*loggingState*/, double /*northing*/, double /*easting*/, double /*step*/) {}
};

// The logging screen's controls outside the GPS fields (default: nothing).
class GpsScreenHooks {
public:
    virtual ~GpsScreenHooks() = default;
    // The first valid fix enables "&File" (disabled until then with GPS on).
    virtual void EnableFileButton() {}
    // The speed bar pane with the width in pixels of its unfilled part.
    virtual void DrawSpeedBar(int32_t /*offset*/) {}
};

// Everything the handler reads and changes.
struct GpsPositionContext {
    const Settings& settings;
    const NmeaModeTable& mode;         // ApplyNmeaMode's table of the open logging screen
    GpsStreams& streams;               // GpsSentence in (emptied at the end), GpsConnectionBroken
    LoggingStatus& logging;            // LoggingState; set to 0 at the position limit
    ConsoleReadingState& readings;     // AmplitudeBank, AmplitudeCount, AmplitudeQueueOn
    GpsPositionState& state;
    UtmZoneState& zone;
    bool ScreenUpdatesEnabled;         // the map and the epochs only while true
    bool MapReviewActive;              // the map is not drawn
    const GpsFieldLayout& layout;
    Canvas& canvas;                    // the logging window
    SoundPlayer& sound;
    GpsMapDrawing& map;
    GpsScreenHooks& screen;
};

// What one call did, for the Win32 layer and for tests.
struct GpsDataOutcome {
    bool PositionSentence = false;  // the sentence carried GpsSentenceId
    bool FixValid = false;
    bool FirstFix = false;
    double Northing = 0.0;          // working coordinates of a valid fix (display unit)
    double Easting = 0.0;
    double StepDistance = 0.0;
    // A valid fix that carried its UTC time of day (seconds).
    bool TimePresent = false;
    double TimeOfDay = 0.0;
    // The file has reached MaxGpsPositions while recording. The handler has
    // set LoggingState to 0 and stopped; the caller, still inside
    // MSG_GPS_DATA, holds the screen's updates back for good, suspends the
    // GPS reader (so it writes no record of this sentence), stops timer 1
    // and suspends the console readers when there are consoles, shows
    // PositionLimitMessage in a box captioned PositionLimitCaption and ends
    // the program with exit code 0.
    bool PositionLimitReached = false;
};

// MSG_GPS_DATA: handles GpsSentence and empties it.
GpsDataOutcome OnGpsData(GpsPositionContext& context);

// --- The pieces, for the logging screen's repaint and for tests ---

// "NO FIX", "AGPS", "DGPS", "RTK3" .. "RTK9" by the first character of the
// quality field; any other character "UNKW".
const char* GpsQualityLabel(char first);

// The dilution of a position sentence: "%3.0f" from 10 on, else "%3.1f".
std::string GpsDilutionText(double dilution);

// The warning mask: passes when it is off or the mode has no quality to test
// (GLL, total station, pseudo GLL); otherwise it asks for the satellites,
// at most the dilution and a quality of GpsMaskQuality + 1 ("Raw (AGPS)" 1,
// "DGPS" 2, "RTK 3" to "RTK 5" 3 to 5).
bool GpsMaskPasses(const Settings& settings, int32_t nmeaMode, int32_t satellites, double dilution,
                   int32_t quality);

// The speed bar's unfilled width for a speed shown in SpeedUnits, limited to
// +-1,000,000 pixels so that no speed overflows it.
int32_t SpeedBarOffset(double speedBarScale, double shownSpeed, double pixelsPerUnit);

// The reader's connection break paints the six GPS status fields (both
// circles, both position fields, dilution, satellites) red.
void FillGpsFieldsForBreak(Canvas& canvas, const GpsFieldLayout& layout);

}  // namespace tesselog
