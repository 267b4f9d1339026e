#include <gtest/gtest.h>

#include <functional>

#include "core/shell/settings_summary.h"

namespace tesselog {
namespace {

TEST(ShellSummary, DefaultSettings) {
    Settings s;
    const std::array<SummaryRow, 6> expected = {{
        {"Separation:", "1.00 m", "Number of Consoles:", "3"},
        {"Unit Separation:", "1.00 m", "Grad601 Type:", "Grad601-2"},
        {"Survey Line:", "1", "Total No of Sensors:", "6"},
        {"Line Increment:", "1.00 m", "Pause Key:", "any key"},
        {"Start Station:", "0.000 m", "GPS Input:", "Enabled"},
        {"Station Increment:", "1.000 m", "GPS Data:", "GGA/GSA"},
    }};
    auto rows = SettingsSummaryRows(s);
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(rows[r].LeftLabel, expected[r].LeftLabel);
        EXPECT_EQ(rows[r].LeftValue, expected[r].LeftValue);
        EXPECT_EQ(rows[r].RightLabel, expected[r].RightLabel);
        EXPECT_EQ(rows[r].RightValue, expected[r].RightValue);
    }
}

// One changed set-up and the value cells it must give: row, right column?, text.
struct Case {
    const char* name;
    std::function<void(Settings&)> change;
    int row;
    bool right;
    const char* text;
};

TEST(ShellSummary, ValueForms) {
    const Case cases[] = {
        {"centimetres", [](Settings& s) { s.ArrayUnits = 1; s.ConsoleSeparation = 0.755; }, 0, false, "75.50 cm"},
        {"feet", [](Settings& s) { s.ArrayUnits = 2; s.ConsoleSeparation = 0.9144; }, 0, false, "3.00 ft"},
        {"no two-sensor console",
         [](Settings& s) { for (auto& t : s.ConsoleType) t = 0; }, 1, false, "N/A"},
        {"two-sensor console beyond the count",
         [](Settings& s) { s.ConsoleCount = 2; s.ConsoleType[0] = s.ConsoleType[1] = 0; }, 1, false, "N/A"},
        {"one-sensor type", [](Settings& s) { for (auto& t : s.ConsoleType) t = 0; }, 1, true, "Grad601-1"},
        {"mixed", [](Settings& s) { s.ConsoleType[1] = 0; }, 1, true, "Mixed"},
        {"sensor total", [](Settings& s) { s.ConsoleCount = 9; s.ConsoleType[4] = 0; }, 2, true, "17"},
        {"no console: separation", [](Settings& s) { s.ConsoleCount = 0; }, 0, false, "N/A"},
        {"no console: auto", [](Settings& s) { s.ConsoleCount = 0; }, 4, true, "Auto"},
        {"no console: averaging", [](Settings& s) { s.ConsoleCount = 0; s.GpsInput = 5; }, 4, true, "Average 10"},
        {"feet increment", [](Settings& s) { s.DisplayUnits = 1; s.LineIncrement = 2.5; }, 3, false, "2.50 ft"},
        {"US feet station", [](Settings& s) { s.DisplayUnits = 2; s.StartStation = -3.25; }, 4, false, "-3.250 USft"},
        {"pause P", [](Settings& s) { s.PauseKey = 3; }, 3, true, "<P>"},
        {"GPS disabled", [](Settings& s) { s.GpsInput = 0; }, 4, true, "Disabled"},
        {"GPS data without GPS", [](Settings& s) { s.GpsInput = 0; s.NmeaMode = 3; }, 5, true, "N/A"},
        {"first mode past the list", [](Settings& s) { s.NmeaMode = 9; }, 5, true, "N/A"},
    };
    for (const Case& c : cases) {
        Settings s;
        c.change(s);
        s.RecomputeAll();
        const SummaryRow row = SettingsSummaryRows(s)[c.row];
        EXPECT_EQ(c.right ? row.RightValue : row.LeftValue, c.text) << c.name;
    }
}

}  // namespace
}  // namespace tesselog
