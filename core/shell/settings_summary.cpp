#include "core/shell/settings_summary.h"

#include <cstdio>

namespace tesselog {

namespace {

constexpr char NotApplicable[] = "N/A";

// An entry of a caption list, "N/A" for an index the list does not have
// (only a hand-edited settings file can hold one).
template <size_t N>
std::string Caption(const char* const (&captions)[N], int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= N) return NotApplicable;
    return captions[index];
}

std::string Format(const char* format, double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return std::string(text) + " " + unit;
}

// A length stored in metres, shown in the array unit of Array Geometry Setup.
std::string ArrayLength(double metres, int32_t arrayUnits) {
    static const double factors[] = {1.0, 0.01, 0.3048, 0.0254};
    static const char* const units[] = {"m", "cm", "ft", "in"};
    int u = arrayUnits >= 0 && arrayUnits < 4 ? arrayUnits : 0;
    return Format("%.2f", metres / factors[u], units[u]);
}

// A survey distance, already in the display unit.
std::string SurveyDistance(const char* format, double value, int32_t displayUnits) {
    static const char* const units[] = {"m", "ft", "USft"};
    int u = displayUnits >= 0 && displayUnits < 3 ? displayUnits : 0;
    return Format(format, value, units[u]);
}

std::string Integer(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}

}  // namespace

std::string ConsoleTypeSummary(const Settings& settings) {
    if (settings.ConsoleCount < 1) return NotApplicable;
    if (settings.TwoSensorConsoleCount == 0) return "Grad601-1";
    if (settings.TwoSensorConsoleCount >= settings.ConsoleCount) return "Grad601-2";
    return "Mixed";
}

std::array<SummaryRow, SummaryRowCount> SettingsSummaryRows(const Settings& s) {
    static const char* const pauseKeys[] = {"any key", "<Enter>", "<Space Bar>", "<P>"};
    static const char* const gpsInputs[] = {"Disabled",  "Enabled",   "Manual",    "Average 2",
                                            "Average 5", "Average 10", "Average 20"};
    static const char* const nmeaModes[] = {"GGA/GSA", "GGA", "POS",       "LLK",       "LLQ",
                                            "GLL",     "GGK", "Leica TPS", "Pseudo GLL"};
    bool consoles = s.ConsoleCount >= 1;

    std::string gpsInput = Caption(gpsInputs, s.GpsInput);
    if (s.GpsInput == 1 && !consoles) gpsInput = "Auto";
    std::string gpsData = s.GpsInput == 0 ? NotApplicable : Caption(nmeaModes, s.NmeaMode);

    return {{
        {"Separation:", consoles ? ArrayLength(s.ConsoleSeparation, s.ArrayUnits) : NotApplicable,
         "Number of Consoles:", Integer(s.ConsoleCount)},
        {"Unit Separation:",
         consoles && s.TwoSensorConsoleCount > 0 ? ArrayLength(s.UnitSensorSeparation, s.ArrayUnits) : NotApplicable,
         "Grad601 Type:", ConsoleTypeSummary(s)},
        {"Survey Line:", s.StartLineText, "Total No of Sensors:", Integer(s.SensorTotal())},
        {"Line Increment:", SurveyDistance("%.2f", s.LineIncrement, s.DisplayUnits), "Pause Key:",
         Caption(pauseKeys, s.PauseKey)},
        {"Start Station:", SurveyDistance("%.3f", s.StartStation, s.DisplayUnits), "GPS Input:", gpsInput},
        {"Station Increment:", SurveyDistance("%.3f", s.StationIncrement, s.DisplayUnits), "GPS Data:", gpsData},
    }};
}

}  // namespace tesselog
