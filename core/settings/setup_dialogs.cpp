#include "core/settings/setup_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "core/common/text_format.h"

namespace tesselog {

namespace {

template <typename Control>
Control& FindControl(std::vector<Control>& controls, int id, const char* kind) {
    for (Control& c : controls)
        if (c.Id == id) return c;
    throw std::logic_error(std::string("dialog form has no ") + kind + " " + std::to_string(id));
}

std::string FormatCount(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%1d", static_cast<int>(value));
    return text;
}

// The list index of a stored value, or -1 (nothing selected) when the value
// is not one of the entries; the store then keeps the field as it was.
int32_t IndexIn(int32_t value, size_t count) {
    return value >= 0 && static_cast<size_t>(value) < count ? value : -1;
}



int32_t SelectedConsoleCount(const DialogForm& form) {
    return form.Combo(IDC_SYSTEM_CONSOLE_COUNT).Selection + 1;  // nothing selected: 0
}

// Total, leading point list and enabled console rows from the count copy
// and the type combos.
void RebuildConsoleRows(DialogForm& form) {
    int32_t count = std::clamp<int32_t>(SelectedConsoleCount(form), 0, MaxConsoles);
    int32_t types[MaxConsoles];
    for (int k = 0; k < MaxConsoles; ++k) {
        types[k] = form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + k).Selection == 1 ? 1 : 0;
        bool inUse = k < count;
        form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + k).Enabled = inUse;
        form.Combo(IDC_SYSTEM_CONSOLE_PORT_1 + k).Enabled = inUse;
    }
    int32_t total = SensorTotalOf(count, types);
    form.Edit(IDC_SYSTEM_SENSOR_COUNT).Text = FormatCount(total);
    ComboControl& leading = form.Combo(IDC_SYSTEM_LEADING_POINT);
    leading.Items = LeadingPointCaptions(total);
    if (leading.Selection < 0 || leading.Selection > total) leading.Selection = 0;
}

std::vector<std::string> List(std::initializer_list<const char*> items) {
    return std::vector<std::string>(items.begin(), items.end());
}

}  // namespace

ComboControl& DialogForm::Combo(int id) { return FindControl(Combos, id, "combo"); }
const ComboControl& DialogForm::Combo(int id) const { return const_cast<DialogForm*>(this)->Combo(id); }
EditControl& DialogForm::Edit(int id) { return FindControl(Edits, id, "edit"); }
const EditControl& DialogForm::Edit(int id) const { return const_cast<DialogForm*>(this)->Edit(id); }
CheckControl& DialogForm::Check(int id) { return FindControl(Checks, id, "check box"); }
const CheckControl& DialogForm::Check(int id) const { return const_cast<DialogForm*>(this)->Check(id); }
LabelControl& DialogForm::Label(int id) { return FindControl(Labels, id, "label"); }
const LabelControl& DialogForm::Label(int id) const { return const_cast<DialogForm*>(this)->Label(id); }

RadioGroup& DialogForm::Radio(int firstId) {
    for (RadioGroup& r : Radios)
        if (r.FirstId == firstId) return r;
    throw std::logic_error("dialog form has no radio group " + std::to_string(firstId));
}
const RadioGroup& DialogForm::Radio(int firstId) const { return const_cast<DialogForm*>(this)->Radio(firstId); }

std::vector<std::string> SystemPortCaptions() {
    std::vector<std::string> ports;
    for (int n = 1; n <= 48; ++n) ports.push_back("COM" + std::to_string(n) + (n > 24 ? ":" : ""));
    return ports;
}

std::vector<std::string> GpsPortCaptions() {
    std::vector<std::string> ports;
    for (int n = 1; n <= 48; ++n) ports.push_back("COM" + std::to_string(n) + ":");
    return ports;
}

std::vector<std::string> LeadingPointCaptions(int32_t sensorTotal) {
    std::vector<std::string> items{"Array Center"};
    for (int32_t k = 1; k <= std::min<int32_t>(sensorTotal, MaxSensors); ++k)
        items.push_back("Sensor #" + std::to_string(k));
    return items;
}

int32_t SensorTotalOf(int32_t consoleCount, const int32_t consoleType[MaxConsoles]) {
    int32_t count = std::clamp<int32_t>(consoleCount, 0, MaxConsoles);
    int32_t total = 0;
    for (int32_t k = 0; k < count; ++k) total += consoleType[k] == 1 ? 2 : 1;
    return total;
}

// --- Survey Setup ---

DialogForm SurveySetupForm(const Settings& s) {
    DialogForm form;
    form.Edits = {
        {IDC_SURVEY_LINE, s.StartLineText.substr(0, StartLineTextMaxLength), StartLineTextMaxLength, "Survey Line"},
        {IDC_SURVEY_LINE_INCREMENT, FormatNumber("%.2f", s.LineIncrement), 0},
        {IDC_SURVEY_START_STATION, FormatNumber("%.3f", s.StartStation), 0},
        {IDC_SURVEY_STATION_INCREMENT, FormatNumber("%.3f", s.StationIncrement), 0},
    };
    form.Combos = {
        MakeCombo(IDC_SURVEY_LINE_SEQUENCE, List({"Alternate", "One Way"}), s.LineSequence),
        MakeCombo(IDC_SURVEY_DIRECTION, List({"West", "South", "North", "East"}), s.LineDirection),
    };
    return form;
}

ComboControl MakeCombo(int id, std::vector<std::string> items, int32_t value, int32_t offset) {
    ComboControl combo;
    combo.Id = id;
    combo.Selection = IndexIn(value - offset, items.size());
    combo.Items = std::move(items);
    return combo;
}

void StoreSelection(const ComboControl& combo, int32_t& field, int32_t offset) {
    if (combo.Selection >= 0 && static_cast<size_t>(combo.Selection) < combo.Items.size())
        field = combo.Selection + offset;
}

SurveyLineChoice SurveyLineOf(const DialogForm& form, const SurveyLineIds& ids, const Settings& s) {
    SurveyLineChoice line;
    line.LineText = form.Edit(ids.Line).Text.substr(0, StartLineTextMaxLength);
    line.LineIncrement = TextToDouble(form.Edit(ids.LineIncrement).Text);
    line.LineSequence = s.LineSequence;
    StoreSelection(form.Combo(ids.LineSequence), line.LineSequence);
    line.LineDirection = s.LineDirection;
    StoreSelection(form.Combo(ids.Direction), line.LineDirection);
    line.StartStation = TextToDouble(form.Edit(ids.StartStation).Text);
    line.StationIncrement = TextToDouble(form.Edit(ids.StationIncrement).Text);
    return line;
}

void StoreSurveyLine(const SurveyLineChoice& line, Settings& s) {
    s.StartLineText = line.LineText;
    s.LineIncrement = line.LineIncrement;
    s.LineSequence = line.LineSequence;
    s.LineDirection = line.LineDirection;
    s.StartStation = line.StartStation;
    s.StationIncrement = line.StationIncrement;
    s.CurrentStation = s.StartStation;
}

void StoreSurveySetup(const DialogForm& form, Settings& s) {
    const SurveyLineIds ids = {IDC_SURVEY_LINE,      IDC_SURVEY_LINE_INCREMENT, IDC_SURVEY_LINE_SEQUENCE,
                               IDC_SURVEY_DIRECTION, IDC_SURVEY_START_STATION,  IDC_SURVEY_STATION_INCREMENT};
    StoreSurveyLine(SurveyLineOf(form, ids, s), s);
}

// --- System Setup ---

DialogForm SystemSetupForm(Settings& s) {
    s.ForceLeadingPointInRange();
    std::vector<std::string> counts{"1 Console"};
    for (int n = 2; n <= MaxConsoles; ++n) counts.push_back(std::to_string(n) + " Consoles");

    DialogForm form;
    // A count of 0 (GPS-only logging, set by the settings file alone) shows
    // no entry and is kept on OK unless the operator picks one.
    form.Combos.push_back(MakeCombo(IDC_SYSTEM_CONSOLE_COUNT, counts, s.ConsoleCount, 1));
    ComboControl leading;  // its entries follow the sensor total
    leading.Id = IDC_SYSTEM_LEADING_POINT;
    leading.Selection = s.LeadingPoint;
    form.Combos.push_back(leading);
    std::vector<std::string> ports = SystemPortCaptions();
    for (int k = 0; k < MaxConsoles; ++k) {
        form.Combos.push_back(MakeCombo(IDC_SYSTEM_CONSOLE_TYPE_1 + k, List({"Grad601-1", "Grad601-2"}),
                                        s.ConsoleType[k]));
        form.Combos.push_back(MakeCombo(IDC_SYSTEM_CONSOLE_PORT_1 + k, ports, s.ConsolePort[k]));
    }
    form.Combos.push_back(MakeCombo(IDC_SYSTEM_GPS_PORT, ports, s.GpsPort));
    form.Combos.push_back(
        MakeCombo(IDC_SYSTEM_PAUSE_KEY, List({"any key", "<Enter>", "<Space Bar>", "<P>"}), s.PauseKey));
    form.Combos.push_back(
        MakeCombo(IDC_SYSTEM_SPEED_UNITS, List({"meters/s", "feet/s", "km/h", "mph"}), s.SpeedUnits));
    form.Combos.push_back(
        MakeCombo(IDC_SYSTEM_DISPLAY_UNITS, List({"meters", "feet", "US Survey Feet"}), s.DisplayUnits));
    form.Combos.push_back(MakeCombo(IDC_SYSTEM_COORDINATE_DISPLAY,
                                    List({"Geodetic", "UTM meters", "UTM feet", "UTM US Feet"}),
                                    s.CoordinateDisplay));
    form.Edits = {{IDC_SYSTEM_SENSOR_COUNT, std::string(), 0}};
    form.Checks = {{IDC_SYSTEM_AUDIO_TICKS, s.AudioTicks == 1}, {IDC_SYSTEM_DISCONNECT_ALARM, s.DisconnectAlarm == 1}};
    RebuildConsoleRows(form);
    return form;
}

void SystemSetupCountChanged(DialogForm& form) { RebuildConsoleRows(form); }

void SystemSetupTypeChanged(DialogForm& form, Settings& s) {
    for (int k = 0; k < MaxConsoles; ++k) StoreSelection(form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + k), s.ConsoleType[k]);
    // The record keeps the new types even if the dialog is cancelled, so its
    // derived values and leading point follow them now.
    s.ForceLeadingPointInRange();
    s.RecomputeArrayGeometry();
    RebuildConsoleRows(form);
}

void StoreSystemSetup(const DialogForm& form, Settings& s) {
    StoreSelection(form.Combo(IDC_SYSTEM_CONSOLE_COUNT), s.ConsoleCount, 1);
    StoreSelection(form.Combo(IDC_SYSTEM_LEADING_POINT), s.LeadingPoint);
    StoreSelection(form.Combo(IDC_SYSTEM_SPEED_UNITS), s.SpeedUnits);
    StoreSelection(form.Combo(IDC_SYSTEM_DISPLAY_UNITS), s.DisplayUnits);
    StoreSelection(form.Combo(IDC_SYSTEM_COORDINATE_DISPLAY), s.CoordinateDisplay);
    for (int k = 0; k < MaxConsoles; ++k) {
        StoreSelection(form.Combo(IDC_SYSTEM_CONSOLE_PORT_1 + k), s.ConsolePort[k]);
        StoreSelection(form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + k), s.ConsoleType[k]);
    }
    StoreSelection(form.Combo(IDC_SYSTEM_GPS_PORT), s.GpsPort);
    StoreSelection(form.Combo(IDC_SYSTEM_PAUSE_KEY), s.PauseKey);
    s.AudioTicks = form.Check(IDC_SYSTEM_AUDIO_TICKS).Checked ? 1 : 0;
    s.DisconnectAlarm = form.Check(IDC_SYSTEM_DISCONNECT_ALARM).Checked ? 1 : 0;
    s.RecomputeSensorCounts();
    s.RecomputeArrayGeometry();
}

// --- Array Geometry Setup ---

namespace {
int32_t ArrayUnitsInRange(int32_t arrayUnits) { return arrayUnits >= 0 && arrayUnits < 4 ? arrayUnits : 0; }
}  // namespace

double ArrayUnitFactor(int32_t arrayUnits) { return ArrayUnitFactors[ArrayUnitsInRange(arrayUnits)]; }

std::string ArrayConsoleTypeText(const Settings& s) {
    int32_t count = std::clamp<int32_t>(s.ConsoleCount, 0, MaxConsoles);
    if (count < 1) return "N/A";
    int32_t twoSensor = SensorTotalOf(count, s.ConsoleType) - count;
    if (twoSensor == 0) return "Grad601-1";
    if (twoSensor == count) return "Grad601-2";
    return "Mixed";
}

DialogForm ArrayGeometryForm(const Settings& s) {
    int32_t units = ArrayUnitsInRange(s.ArrayUnits);
    double factor = ArrayUnitFactors[units];
    DialogForm form;
    form.Edits = {
        {IDC_ARRAY_SENSOR_TOTAL, FormatCount(SensorTotalOf(s.ConsoleCount, s.ConsoleType)), 0},
        {IDC_ARRAY_CONSOLE_TYPE, ArrayConsoleTypeText(s), 0},
        {IDC_ARRAY_UNIT_SEPARATION, FormatNumber("%.2f", s.UnitSensorSeparation / factor), 0},
        {IDC_ARRAY_SEPARATION, FormatNumber("%.2f", s.ConsoleSeparation / factor), 0},
        {IDC_ARRAY_GPS_X_OFFSET, FormatNumber("%.2f", s.GpsOffsetX / factor), 0},
        {IDC_ARRAY_GPS_Y_OFFSET, FormatNumber("%.2f", s.GpsOffsetY / factor), 0},
    };
    form.Radios = {{IDC_ARRAY_UNITS_METERS, 4, units}};
    return form;
}

void StoreArrayGeometry(const DialogForm& form, Settings& s) {
    int32_t units = ArrayUnitsInRange(form.Radio(IDC_ARRAY_UNITS_METERS).Selection);
    double factor = ArrayUnitFactors[units];
    s.ArrayUnits = units;
    s.UnitSensorSeparation = TextToDouble(form.Edit(IDC_ARRAY_UNIT_SEPARATION).Text) * factor;
    s.ConsoleSeparation = TextToDouble(form.Edit(IDC_ARRAY_SEPARATION).Text) * factor;
    s.GpsOffsetX = TextToDouble(form.Edit(IDC_ARRAY_GPS_X_OFFSET).Text) * factor;
    s.GpsOffsetY = TextToDouble(form.Edit(IDC_ARRAY_GPS_Y_OFFSET).Text) * factor;
    s.RecomputeArrayGeometry();
}

// --- GPS warning mask ---

GpsMaskLabelTexts GpsMaskLabels(int32_t nmeaMode) {
    static const char* const dilution[9] = {"PDOP", "HDOP", "PDOP", "GDOP", "Quality (m)",
                                            nullptr, "DOP", nullptr, nullptr};
    if (nmeaMode < 0 || nmeaMode > 8 || dilution[nmeaMode] == nullptr) return {"N/A", "N/A", "N/A", "N/A"};
    return {"Warning", "Quality", "Satellites", dilution[nmeaMode]};
}

void AddGpsMaskControls(DialogForm& form, const GpsMaskIds& ids, const Settings& s) {
    std::vector<std::string> satellites;
    for (int n = 3; n <= 12; ++n) satellites.push_back(std::to_string(n));
    form.Combos.push_back(MakeCombo(ids.Warning, List({"Disabled", "Enabled"}), s.GpsMaskWarning));
    form.Combos.push_back(
        MakeCombo(ids.Quality, List({"Raw (AGPS)", "DGPS", "RTK 3", "RTK 4", "RTK 5"}), s.GpsMaskQuality));
    form.Combos.push_back(MakeCombo(ids.Satellites, satellites, s.GpsMaskSatellites, 3));
    form.Edits.push_back({ids.Dilution, FormatNumber("%.1f", s.GpsMaskDilution), 0});
    form.Checks.push_back({ids.Audio, s.GpsMaskAudioWarning == 1});
    for (int id : {IDC_GPS_LABEL_WARNING, IDC_GPS_LABEL_QUALITY, IDC_GPS_LABEL_SATELLITES, IDC_GPS_LABEL_DILUTION})
        form.Labels.push_back({id, std::string()});
    SetGpsMaskLabels(form, s.NmeaMode);
}

void SetGpsMaskLabels(DialogForm& form, int32_t nmeaMode) {
    GpsMaskLabelTexts texts = GpsMaskLabels(nmeaMode);
    form.Label(IDC_GPS_LABEL_WARNING).Text = texts.Warning;
    form.Label(IDC_GPS_LABEL_QUALITY).Text = texts.Quality;
    form.Label(IDC_GPS_LABEL_SATELLITES).Text = texts.Satellites;
    form.Label(IDC_GPS_LABEL_DILUTION).Text = texts.Dilution;
}

GpsMaskChoice GpsMaskOf(const DialogForm& form, const GpsMaskIds& ids, const Settings& s) {
    GpsMaskChoice mask{s.GpsMaskWarning, s.GpsMaskQuality, s.GpsMaskSatellites};
    StoreSelection(form.Combo(ids.Warning), mask.Warning);
    StoreSelection(form.Combo(ids.Quality), mask.Quality);
    StoreSelection(form.Combo(ids.Satellites), mask.Satellites, 3);
    mask.Dilution = TextToDouble(form.Edit(ids.Dilution).Text);
    mask.AudioWarning = form.Check(ids.Audio).Checked;
    return mask;
}

void StoreGpsMask(const GpsMaskChoice& mask, Settings& s) {
    s.GpsMaskAudioWarning = mask.AudioWarning ? 1 : 0;
    s.GpsMaskWarning = mask.Warning;
    s.GpsMaskQuality = mask.Quality;
    s.GpsMaskSatellites = mask.Satellites;
    s.GpsMaskDilution = mask.Dilution;
}

// --- GPS Port Setup ---

DialogForm GpsPortSetupForm(const Settings& s) {
    DialogForm form;
    if (s.ConsoleCount < 1) {
        form.Combos.push_back(MakeCombo(IDC_GPS_INPUT,
                                        List({"Disabled", "Auto", "Manual 1 rdg", "Average 2 rdgs", "Average 5 rdgs",
                                              "Average 10 rdgs", "Average 20 rdgs"}),
                                        s.GpsInput));
    } else {
        // A GPS-only mode kept from a set-up without consoles reads as
        // "Enabled" here.
        form.Combos.push_back(MakeCombo(IDC_GPS_INPUT, List({"Disabled", "Enabled"}), s.GpsInput > 0 ? 1 : 0));
    }
    form.Combos.push_back(MakeCombo(IDC_GPS_NMEA_MODE,
                                    List({"GGA/GSA", "GGA", "POS", "LLK", "LLQ", "GLL", "GGK", "RTS pseudo GGA",
                                          "Pseudo GLL"}),
                                    s.NmeaMode));
    form.Combos.push_back(MakeCombo(IDC_GPS_PORT, GpsPortCaptions(), s.GpsPort));
    form.Combos.push_back(
        MakeCombo(IDC_GPS_BAUD, List({"4800", "9600", "19200", "38400", "57600", "115200"}), s.GpsBaud));
    form.Combos.push_back(MakeCombo(IDC_GPS_PARITY, List({"No", "Even", "Odd"}), s.GpsParity));
    form.Combos.push_back(MakeCombo(IDC_GPS_DATA_BITS, List({"7", "8"}), s.GpsDataBits));
    form.Combos.push_back(MakeCombo(IDC_GPS_STOP_BITS, List({"1", "2"}), s.GpsStopBits));
    AddGpsMaskControls(form, GpsPortSetupMaskIds, s);
    return form;
}

void GpsPortSetupModeChanged(DialogForm& form) { SetGpsMaskLabels(form, form.Combo(IDC_GPS_NMEA_MODE).Selection); }

void StoreGpsPortSetup(const DialogForm& form, Settings& s) {
    StoreSelection(form.Combo(IDC_GPS_INPUT), s.GpsInput);
    StoreSelection(form.Combo(IDC_GPS_NMEA_MODE), s.NmeaMode);
    StoreSelection(form.Combo(IDC_GPS_PORT), s.GpsPort);
    StoreSelection(form.Combo(IDC_GPS_BAUD), s.GpsBaud);
    StoreSelection(form.Combo(IDC_GPS_PARITY), s.GpsParity);
    StoreSelection(form.Combo(IDC_GPS_DATA_BITS), s.GpsDataBits);
    StoreSelection(form.Combo(IDC_GPS_STOP_BITS), s.GpsStopBits);
    StoreGpsMask(GpsMaskOf(form, GpsPortSetupMaskIds, s), s);
}

// --- Common ---

bool IsDialogCancelKey(uint32_t keyCode) { return keyCode == 67 || keyCode == 99; }

}  // namespace tesselog
