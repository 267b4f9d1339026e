// What the set-up dialogs show and store: Survey Setup, System Setup, Array
// Geometry Setup and GPS Port Setup (and the mask part shared with GPS
// Warning Mask). A dialog is a DialogForm, the state of its controls by
// control id. The Win32 layer puts a form into the controls, reads the
// controls back into it, and calls the functions below on each notification
// and on OK; Cancel simply drops the form.
//
// Nothing is validated: numbers typed into an edit read as 0 when they are
// not numbers, and a combo stores the index of its entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/settings.h"
#include "resources/setup_dialog_ids.h"

namespace tesselog {

struct ComboControl {
    int Id = 0;
    std::vector<std::string> Items;
    int32_t Selection = -1;  // -1: nothing selected
    bool Enabled = true;
};

struct EditControl {
    int Id = 0;
    std::string Text;
    size_t Limit = 0;  // longest text the operator may type, 0 = no limit
    // A text stored as it is typed (the survey line, the comment): its name
    // in the operator's messages. Such a text must fit 8 bits or OK refuses
    // it (core/common/eight_bit_text.h). Null for numbers, which are read,
    // not stored as typed.
    const char* StoredText = nullptr;
    bool Enabled = true;
};

struct CheckControl {
    int Id = 0;
    bool Checked = false;
};

// Radio buttons FirstId .. FirstId + Count - 1, exactly one of them checked.
struct RadioGroup {
    int FirstId = 0;
    int Count = 0;
    int32_t Selection = 0;
};

struct LabelControl {
    int Id = 0;
    std::string Text;
};

struct DialogForm {
    std::vector<ComboControl> Combos;
    std::vector<EditControl> Edits;
    std::vector<CheckControl> Checks;
    std::vector<RadioGroup> Radios;
    std::vector<LabelControl> Labels;

    // Look-ups by control id; an id the form does not hold is a programming
    // error and throws std::logic_error.
    ComboControl& Combo(int id);
    const ComboControl& Combo(int id) const;
    EditControl& Edit(int id);
    const EditControl& Edit(int id) const;
    CheckControl& Check(int id);
    const CheckControl& Check(int id) const;
    RadioGroup& Radio(int firstId);
    const RadioGroup& Radio(int firstId) const;
    LabelControl& Label(int id);
    const LabelControl& Label(int id) const;
};

// Port captions: System Setup shows "COM1".."COM24" and then "COM25:".."COM48:";
// GPS Port Setup shows "COM1:".."COM48:".
std::vector<std::string> SystemPortCaptions();
std::vector<std::string> GpsPortCaptions();

// "Array Center" plus "Sensor #1" .. "Sensor #total" (total at most 18).
std::vector<std::string> LeadingPointCaptions(int32_t sensorTotal);

// Sensors of the first consoleCount consoles: one per console, two for a
// "Grad601-2".
int32_t SensorTotalOf(int32_t consoleCount, const int32_t consoleType[MaxConsoles]);

// Survey Setup.
DialogForm SurveySetupForm(const Settings& settings);
// OK: the six fields (the line text cut to 11 characters), and the current
// station goes back to the start station.
void StoreSurveySetup(const DialogForm& form, Settings& settings);

// A combo of `items` showing the entry of a stored value (value - offset),
// nothing selected when the value is not one of them; and the store back,
// which keeps the field as it was when nothing is selected.
ComboControl MakeCombo(int id, std::vector<std::string> items, int32_t value, int32_t offset = 0);
void StoreSelection(const ComboControl& combo, int32_t& field, int32_t offset = 0);

// The survey line's six controls, shared by Survey Setup and New Survey Line
// under their own ids, and what OK reads from them: the line text cut to 11
// characters, the increments and the start station as typed, sequence and
// direction as selected (a list with nothing selected keeps the settings').
struct SurveyLineIds {
    int Line, LineIncrement, LineSequence, Direction, StartStation, StationIncrement;
};
struct SurveyLineChoice {
    std::string LineText;
    double LineIncrement = 0.0, StartStation = 0.0, StationIncrement = 0.0;
    int32_t LineSequence = 0, LineDirection = 0;
};
SurveyLineChoice SurveyLineOf(const DialogForm& form, const SurveyLineIds& ids, const Settings& settings);
// Stores the line; CurrentStation starts at the new start station.
void StoreSurveyLine(const SurveyLineChoice& line, Settings& settings);

// System Setup. Opening brings the record's leading point into range, so
// the record is touched even when the dialog is cancelled.
DialogForm SystemSetupForm(Settings& settings);
// The number of consoles changed: the count copy (selection + 1) sets the
// sensor total, the leading point list and which console rows are enabled.
void SystemSetupCountChanged(DialogForm& form);
// A console type changed: all nine types go into the record at once (they
// stay there after Cancel), and the total and the leading point list follow.
void SystemSetupTypeChanged(DialogForm& form, Settings& settings);
// OK: count, leading point, units, ports, types, pause key and the two
// sound checks; the sensor counts and the array geometry are recomputed.
void StoreSystemSetup(const DialogForm& form, Settings& settings);

// Array Geometry Setup. Metres per array unit: meters, centimeters, feet,
// inches.
constexpr double ArrayUnitFactors[4] = {1.0, 0.01, 0.3048, 0.0254};
double ArrayUnitFactor(int32_t arrayUnits);
// "Grad601-1", "Grad601-2", "Mixed" or "N/A" (no console configured).
std::string ArrayConsoleTypeText(const Settings& settings);
DialogForm ArrayGeometryForm(const Settings& settings);
// OK: the unit checked now, and the four lengths read in that unit. Clicking
// another unit before OK converts nothing in the edits.
void StoreArrayGeometry(const DialogForm& form, Settings& settings);

// The warning mask controls of GPS Port Setup and GPS Warning Mask.
struct GpsMaskIds {
    int Warning, Quality, Dilution, Satellites, Audio;
};
constexpr GpsMaskIds GpsPortSetupMaskIds = {IDC_GPS_MASK_WARNING, IDC_GPS_MASK_QUALITY, IDC_GPS_MASK_DILUTION,
                                            IDC_GPS_MASK_SATELLITES, IDC_GPS_MASK_AUDIO};
constexpr GpsMaskIds GpsWarningMaskIds = {IDC_GPSMASK_WARNING, IDC_GPSMASK_QUALITY, IDC_GPSMASK_DILUTION,
                                          IDC_GPSMASK_SATELLITES, IDC_GPSMASK_AUDIO};
struct GpsMaskLabelTexts {
    const char* Warning;
    const char* Quality;
    const char* Satellites;
    const char* Dilution;
};
// What the mask measures in each NMEA mode; "N/A" where the mode has no fix
// quality to test.
GpsMaskLabelTexts GpsMaskLabels(int32_t nmeaMode);
// Adds the five mask controls and the four labels (1230-1233).
void AddGpsMaskControls(DialogForm& form, const GpsMaskIds& ids, const Settings& settings);
void SetGpsMaskLabels(DialogForm& form, int32_t nmeaMode);
// What OK reads from the mask controls (a list with nothing selected keeps
// the settings' value).
struct GpsMaskChoice {
    int32_t Warning = 0, Quality = 0, Satellites = 0;
    double Dilution = 0.0;
    bool AudioWarning = false;
};
GpsMaskChoice GpsMaskOf(const DialogForm& form, const GpsMaskIds& ids, const Settings& settings);
void StoreGpsMask(const GpsMaskChoice& mask, Settings& settings);

// GPS Port Setup. With no console configured the input list offers the
// seven GPS-only modes instead of "Disabled"/"Enabled".
DialogForm GpsPortSetupForm(const Settings& settings);
// The "NMEA Data" selection changed: the mask labels follow the mode now
// selected.
void GpsPortSetupModeChanged(DialogForm& form);
void StoreGpsPortSetup(const DialogForm& form, Settings& settings);

// Key codes that end Survey Setup, System Setup and Array Geometry Setup as
// Cancel does.
bool IsDialogCancelKey(uint32_t keyCode);

}  // namespace tesselog
