// What the dialogs of the logging screen's commands show and store: New
// Survey Line, New Station, Comment, GPS Warning Mask, Map Size, Readings
// Scale, Set New Speed Bar Scale, Audio Options and Set Coordinates Display
// Units. Like the set-up dialogs,
// each is a DialogForm filled from the settings when it opens; OK reads back
// what was chosen and Cancel drops the form (Readings Scale, which applies
// typed values at once, puts the old ones back).
//
// What OK reads is given back, not stored: the logging session stores it,
// saves the settings once and does what follows (StationStarted, the profile
// and first-reading flags, the line, station, time and event records, the
// map scale, the grid rows and the speed bar's pixel factor).
#pragma once

#include <cstdint>
#include <string>

#include "core/settings/settings.h"
#include "core/settings/setup_dialogs.h"
#include "resources/logging_dialog_ids.h"
#include "resources/setup_dialog_ids.h"

namespace tesselog {

// ---------------------------------------------------------------- New Survey Line

// The number of the next line: the current line's text read as a number (a
// text that is not one reads as 0, leading blanks skipped) + LineIncrement.
// New Survey Line proposes it and Quick Line takes it.
double NextLineNumber(const Settings& settings);

// Shows the current line and last station, and proposes the next line: the
// line number + LineIncrement, and for an alternate survey the reversed
// direction, the last station as start and the station increment negated
// (a one-way survey keeps direction, StartStation and increment).
DialogForm NewLineForm(const Settings& settings);
// OK: line text (cut to 11), increments, sequence, direction, start station;
// StoreSurveyLine makes the start station the current one.
SurveyLineChoice NewLineOf(const DialogForm& form, const Settings& settings);

// ---------------------------------------------------------------- New Station

DialogForm NewStationForm(const Settings& settings);
// OK: the entered station. The caller stores it as CurrentStation, clears
// StationStarted and the profile flags, writes the station and time records
// and saves.
double NewStationOf(const DialogForm& form);

// ---------------------------------------------------------------- Comment

// The event record keeps 11 characters of a comment.
constexpr size_t CommentMaxLength = 11;
// The comment's one edit, opened with `text`; OK takes its first 11
// characters (CommentText).
DialogForm CommentForm(const std::string& text);
std::string CommentText(const DialogForm& form);

// ---------------------------------------------------------------- GPS Warning Mask

// The mask controls of GPS Port Setup under the GPSMASK ids, labelled for
// the NMEA mode in use.
DialogForm GpsWarningMaskForm(const Settings& settings);
GpsMaskChoice GpsWarningMaskOf(const DialogForm& form, const Settings& settings);

// ---------------------------------------------------------------- Map Size

// Map Size and Readings Scale open centred over their owner, their top one
// eighth of the free height below the owner's top.
constexpr int32_t MapSizePlacementDivisor = 8;
constexpr int32_t ReadingsScalePlacementDivisor = 8;

// Cursor band combo, index = CursorBand: 10 + 5 x index percent of the map.
extern const char* const CursorBandCaptions[7];
// "meters", "feet", "US feet" by DisplayUnits (out of range reads as metres).
const char* MapSizeDialogUnitLabel(int32_t displayUnits);

DialogForm MapSizeForm(const Settings& settings);
// After any typing: a map size that truncates below 1 is rewritten as "1".
// Returns true when the form changed.
bool MapSizeTyped(DialogForm& form);
// What OK gives back: MapSize (truncated, at least 1), GridLinesInterval as
// typed (no lower limit here) and CursorBand (the one in `settings` when
// nothing is chosen). The caller checks that the map holds the track, stores
// them, recomputes the map scale and the cursor band's pixels, and saves.
struct MapSizeChoice {
    int32_t MapSize = 1;
    double GridLinesInterval = 0.0;
    int32_t CursorBand = 0;
};
MapSizeChoice MapSizeOf(const DialogForm& form, const Settings& settings);

// ---------------------------------------------------------------- Readings Scale

// One open Readings Scale dialog: typed values reach the settings at once so
// that the colour scale on the logging screen follows; Cancel puts the
// remembered ones back.
class ReadingsScaleEditor {
public:
    explicit ReadingsScaleEditor(Settings& settings);

    DialogForm Form() const;
    // After any typing: a new maximum above the minimum is applied, then a
    // new minimum below the maximum. Returns true when the settings changed.
    bool Typed(const DialogForm& form);
    // Restores the remembered values.
    void Cancel();

private:
    Settings& settings_;
    double rememberedMin_;
    double rememberedMax_;
};

// What OK gives back: both values as typed, a minimum not below the maximum
// pushing the maximum to minimum + 100.
struct ReadingsScaleChoice {
    double Min = 0.0;
    double Max = 0.0;
};
ReadingsScaleChoice ReadingsScaleOf(const DialogForm& form);
// Stores both values and recomputes the pixels per unit. The caller rebuilds
// the grid rows and clears the first-reading and second-plot flags.
void StoreReadingsScale(const ReadingsScaleChoice& choice, Settings& settings);

// ---------------------------------------------------------------- Set New Speed Bar Scale

extern const char* const SpeedBarUnitCaptions[4];
DialogForm SpeedScaleForm(const Settings& settings);
// OK: SpeedBarScale and SpeedUnits (a list with nothing selected keeps the
// settings' units). The caller recomputes the speed bar's pixels per unit.
struct SpeedScaleChoice {
    double SpeedBarScale = 0.0;
    int32_t SpeedUnits = 0;
};
SpeedScaleChoice SpeedScaleOf(const DialogForm& form, const Settings& settings);
void StoreSpeedScale(const SpeedScaleChoice& choice, Settings& settings);

// ---------------------------------------------------------------- Audio Options

DialogForm AudioOptionsForm(const Settings& settings);
// OK: the three sound switches.
struct AudioChoice {
    bool Ticks = false;
    bool DisconnectAlarm = false;
    bool GpsMaskWarning = false;
};
AudioChoice AudioOptionsOf(const DialogForm& form);
void StoreAudioOptions(const AudioChoice& choice, Settings& settings);

// ---------------------------------------------------------------- Set Coordinates Display Units

// Opens centred over its owner, its top one tenth of the free height below
// the owner's top.
constexpr int32_t CoordinatesUnitsPlacementDivisor = 10;

// A receiver that delivers grid coordinates (NMEA modes 3 "LLK", 4 "LLQ" and
// 7 "RTS pseudo GGA") has no latitude and longitude to show.
bool NmeaModeGivesGrid(int32_t nmeaMode);

// The one combo (1018): for a grid receiver "meters", "feet", "US Survey
// Feet" (entry = CoordinateDisplay - 1; a CoordinateDisplay of 0 is raised to
// 1 in the record first, so the record changes even on Cancel), otherwise
// "Geodetic Lat/Lon" and the three UTM units (entry = CoordinateDisplay).
DialogForm CoordinatesUnitsForm(Settings& settings);
// OK: CoordinateDisplay from the entry (+ 1 for a grid receiver; nothing
// selected keeps the settings' value).
int32_t CoordinateDisplayOf(const DialogForm& form, const Settings& settings);

}  // namespace tesselog
