#include <gtest/gtest.h>

#include <tuple>

#include "core/settings/settings_file.h"
#include "core/settings/setup_dialogs.h"

using namespace tesselog;

namespace {

// The operator touches every control: last list entry, other texts, checks
// flipped, the last radio button.
void ChangeEveryControl(DialogForm& form) {
    for (ComboControl& c : form.Combos) c.Selection = static_cast<int32_t>(c.Items.size()) - 1;
    for (EditControl& e : form.Edits) e.Text = "7.5";
    for (CheckControl& c : form.Checks) c.Checked = !c.Checked;
    for (RadioGroup& r : form.Radios) r.Selection = r.Count - 1;
}

void SetConsoles(Settings& s, int32_t count, std::initializer_list<int32_t> types) {
    s.ConsoleCount = count;
    int k = 0;
    for (int32_t t : types) s.ConsoleType[k++] = t;
}

}  // namespace

TEST(SetupDialogs, SurveySetupShowsAndStores) {
    Settings s;
    s.LineIncrement = 2.5;
    s.LineDirection = 3;
    s.StartStation = 12.3456;
    s.StationIncrement = -0.5;
    DialogForm form = SurveySetupForm(s);
    EXPECT_EQ(form.Edit(IDC_SURVEY_LINE_INCREMENT).Text, "2.50");
    EXPECT_EQ(form.Edit(IDC_SURVEY_START_STATION).Text, "12.346");
    EXPECT_EQ(form.Edit(IDC_SURVEY_STATION_INCREMENT).Text, "-0.500");
    EXPECT_EQ(form.Combo(IDC_SURVEY_DIRECTION).Items[form.Combo(IDC_SURVEY_DIRECTION).Selection], "East");

    const struct {
        const char *line, *increment, *start, *storedLine;
        double storedIncrement, storedStart;
    } cases[] = {
        {"12", "1.5", "30", "12", 1.5, 30.0},
        {"North-0123456789", "abc", "-2.25m", "North-01234", 0.0, -2.25},  // cut to 11, text reads 0
    };
    for (const auto& c : cases) {
        Settings t = s;
        t.CurrentStation = 99.0;
        DialogForm f = SurveySetupForm(t);
        f.Edit(IDC_SURVEY_LINE).Text = c.line;
        f.Edit(IDC_SURVEY_LINE_INCREMENT).Text = c.increment;
        f.Edit(IDC_SURVEY_START_STATION).Text = c.start;
        f.Combo(IDC_SURVEY_DIRECTION).Selection = 0;
        StoreSurveySetup(f, t);
        EXPECT_EQ(t.StartLineText, c.storedLine) << c.line;
        EXPECT_EQ(t.LineIncrement, c.storedIncrement) << c.increment;
        EXPECT_EQ(t.StartStation, c.storedStart) << c.start;
        EXPECT_EQ(t.CurrentStation, c.storedStart) << "current station follows the start station";
        EXPECT_EQ(t.LineDirection, 0);
    }
}

TEST(SetupDialogs, SystemSetupOpensFromTheRecord) {
    const struct {
        const char* name;
        int32_t count;
        std::initializer_list<int32_t> types;
        int32_t leadingPoint;
        const char* total;
        int32_t countSelection, leadingEntries, leadingPointAfterOpen;
    } cases[] = {
        {"types 1,1,0", 3, {1, 1, 0}, 5, "5", 2, 6, 5},
        {"leading point beyond the sensors", 2, {0, 0, 1}, 3, "2", 1, 3, 0},
        {"no console configured", 0, {1, 1, 1}, 1, "0", -1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s;
        SetConsoles(s, c.count, c.types);
        s.LeadingPoint = c.leadingPoint;
        s.RecomputeSensorCounts();
        DialogForm form = SystemSetupForm(s);
        EXPECT_EQ(form.Edit(IDC_SYSTEM_SENSOR_COUNT).Text, c.total);
        EXPECT_EQ(form.Combo(IDC_SYSTEM_CONSOLE_COUNT).Selection, c.countSelection);
        EXPECT_EQ(form.Combo(IDC_SYSTEM_LEADING_POINT).Items.size(), size_t(c.leadingEntries));
        EXPECT_EQ(form.Combo(IDC_SYSTEM_LEADING_POINT).Selection, c.leadingPointAfterOpen);
        EXPECT_EQ(s.LeadingPoint, c.leadingPointAfterOpen);
        for (int k = 0; k < MaxConsoles; ++k) {
            EXPECT_EQ(form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + k).Enabled, k < c.count) << k;
            EXPECT_EQ(form.Combo(IDC_SYSTEM_CONSOLE_PORT_1 + k).Enabled, k < c.count) << k;
        }
    }
}

TEST(SetupDialogs, SystemSetupCountChangesRebuildTheRows) {
    Settings s;  // three two-sensor consoles
    s.LeadingPoint = 5;
    DialogForm form = SystemSetupForm(s);
    const struct {
        int32_t countSelection;
        const char* total;
        int32_t leadingSelection;
    } steps[] = {{8, "18", 5}, {1, "4", 0}, {5, "12", 0}};  // 5 > 4 resets, no comeback
    for (const auto& step : steps) {
        form.Combo(IDC_SYSTEM_CONSOLE_COUNT).Selection = step.countSelection;
        SystemSetupCountChanged(form);
        EXPECT_EQ(form.Edit(IDC_SYSTEM_SENSOR_COUNT).Text, step.total);
        EXPECT_EQ(form.Combo(IDC_SYSTEM_LEADING_POINT).Selection, step.leadingSelection);
        EXPECT_EQ(form.Combo(IDC_SYSTEM_LEADING_POINT).Items.size(), size_t(TextToInt32(step.total) + 1));
        EXPECT_TRUE(form.Combo(IDC_SYSTEM_CONSOLE_PORT_1 + step.countSelection).Enabled);
        if (step.countSelection < 8) {
            EXPECT_FALSE(form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + step.countSelection + 1).Enabled);
        }
    }
    EXPECT_EQ(s.ConsoleCount, 3) << "the count is a copy until OK";
    EXPECT_EQ(s.LeadingPoint, 5);
    StoreSystemSetup(form, s);
    EXPECT_EQ(s.ConsoleCount, 6);
    EXPECT_EQ(s.LeadingPoint, 0);
    EXPECT_EQ(s.TwoSensorConsoleCount, 6);
    EXPECT_DOUBLE_EQ(s.ArrayWidth, 5 * 1.0 + 6 * 1.0);
}

// A console type is written into the record as soon as its combo changes, so
// Cancel keeps it; nothing else in the record may move before OK.
TEST(SetupDialogs, SystemSetupTypeChangeSurvivesCancelAlone) {
    Settings s;
    s.LeadingPoint = 6;
    Settings expected = s;
    DialogForm form = SystemSetupForm(s);
    form.Combo(IDC_SYSTEM_CONSOLE_COUNT).Selection = 8;
    SystemSetupCountChanged(form);
    form.Combo(IDC_SYSTEM_CONSOLE_PORT_1).Selection = 20;
    form.Combo(IDC_SYSTEM_DISPLAY_UNITS).Selection = 2;
    form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + 1).Selection = 0;
    form.Combo(IDC_SYSTEM_CONSOLE_TYPE_1 + 7).Selection = 0;
    SystemSetupTypeChanged(form, s);
    EXPECT_EQ(form.Edit(IDC_SYSTEM_SENSOR_COUNT).Text, "16");  // nine consoles, two of them single
    EXPECT_EQ(form.Combo(IDC_SYSTEM_LEADING_POINT).Selection, 6);
    // With three consoles (5 sensors) the record's leading point 6 falls back to 0.
    expected.ConsoleType[1] = 0;
    expected.ConsoleType[7] = 0;
    expected.LeadingPoint = 0;
    EXPECT_EQ(FormatSettingsFile(s), FormatSettingsFile(expected));
    EXPECT_DOUBLE_EQ(s.ArrayWidth, 2 * 1.0 + 2 * 1.0);
}

TEST(SetupDialogs, ArrayGeometry) {
    const struct {
        const char* name;
        int32_t shownUnits;
        const char* shownSeparation;  // of ConsoleSeparation = 1.0 m
        int32_t unitsAtOk;
        const char* typed;
        double stored;
    } units[] = {
        {"feet", 2, "3.28", 2, "3.28", 0.999744},
        {"switching the unit converts nothing", 0, "1.00", 2, "1.00", 0.3048},
        {"centimeters", 1, "100.00", 1, "150", 1.5},
        {"inches", 3, "39.37", 3, "10", 0.254},
        {"not a number", 0, "1.00", 0, "one", 0.0},
    };
    for (const auto& c : units) {
        Settings s;
        s.ArrayUnits = c.shownUnits;
        DialogForm form = ArrayGeometryForm(s);
        EXPECT_EQ(form.Edit(IDC_ARRAY_SEPARATION).Text, c.shownSeparation) << c.name;
        EXPECT_EQ(form.Radio(IDC_ARRAY_UNITS_METERS).Selection, c.shownUnits) << c.name;
        form.Radio(IDC_ARRAY_UNITS_METERS).Selection = c.unitsAtOk;
        form.Edit(IDC_ARRAY_SEPARATION).Text = c.typed;
        StoreArrayGeometry(form, s);
        EXPECT_EQ(s.ArrayUnits, c.unitsAtOk) << c.name;
        EXPECT_NEAR(s.ConsoleSeparation, c.stored, 1e-12) << c.name;
        EXPECT_NEAR(s.ArrayWidth, 2 * c.stored + 3 * s.UnitSensorSeparation, 1e-12) << c.name;
    }
    Settings mixed;  // the third console is not in use: the array is all two-sensor
    SetConsoles(mixed, 2, {1, 1, 0});
    EXPECT_EQ(ArrayGeometryForm(mixed).Edit(IDC_ARRAY_CONSOLE_TYPE).Text, "Grad601-2");
    SetConsoles(mixed, 3, {1, 0, 1});
    DialogForm form = ArrayGeometryForm(mixed);
    EXPECT_EQ(form.Edit(IDC_ARRAY_SENSOR_TOTAL).Text + " " + form.Edit(IDC_ARRAY_CONSOLE_TYPE).Text, "5 Mixed");
}

// The mask labels follow the mode now selected, not the stored one; modes
// without a dilution have no mask at all.
TEST(SetupDialogs, GpsMaskLabelsFollowTheSelectedMode) {
    Settings s;
    s.NmeaMode = 4;
    DialogForm form = GpsPortSetupForm(s);
    EXPECT_EQ(form.Label(IDC_GPS_LABEL_DILUTION).Text, "Quality (m)");
    for (const auto& [mode, dilution, mask] : {std::tuple{5, "N/A", "N/AN/AN/A"}, {0, "PDOP", "WarningQualitySatellites"},
                                                {7, "N/A", "N/AN/AN/A"}, {6, "DOP", "WarningQualitySatellites"}}) {
        form.Combo(IDC_GPS_NMEA_MODE).Selection = mode;
        GpsPortSetupModeChanged(form);
        EXPECT_EQ(form.Label(IDC_GPS_LABEL_DILUTION).Text, dilution) << mode;
        EXPECT_EQ(form.Label(IDC_GPS_LABEL_WARNING).Text + form.Label(IDC_GPS_LABEL_QUALITY).Text +
                      form.Label(IDC_GPS_LABEL_SATELLITES).Text, mask) << mode;
    }
}

TEST(SetupDialogs, GpsPortSetupInputListAndStore) {
    const struct {
        int32_t consoles, gpsInput;
        size_t entries;
        int32_t selection;
    } cases[] = {{0, 4, 7, 4}, {3, 0, 2, 0}, {3, 5, 2, 1}};
    for (const auto& c : cases) {
        Settings s;
        s.ConsoleCount = c.consoles;
        s.GpsInput = c.gpsInput;
        DialogForm form = GpsPortSetupForm(s);
        EXPECT_EQ(form.Combo(IDC_GPS_INPUT).Items.size(), c.entries) << c.consoles;
        EXPECT_EQ(form.Combo(IDC_GPS_INPUT).Selection, c.selection) << c.consoles;
    }
    Settings s;
    s.GpsMaskSatellites = 7;
    s.GpsMaskDilution = 2.34;
    DialogForm form = GpsPortSetupForm(s);
    EXPECT_EQ(form.Combo(IDC_GPS_MASK_SATELLITES).Selection, 4);
    EXPECT_EQ(form.Edit(IDC_GPS_MASK_DILUTION).Text, "2.3");
    ChangeEveryControl(form);
    StoreGpsPortSetup(form, s);
    const int32_t stored[] = {s.GpsInput, s.NmeaMode, s.GpsPort, s.GpsBaud, s.GpsParity, s.GpsDataBits,
                              s.GpsStopBits, s.GpsMaskQuality, s.GpsMaskSatellites, s.GpsMaskAudioWarning};
    const int32_t lastEntries[] = {1, 8, 47, 5, 2, 1, 1, 4, 12, 0};
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(stored[i], lastEntries[i]) << i;
    EXPECT_EQ(s.GpsMaskDilution, 7.5);

    // GPS Warning Mask holds the same controls under its own ids.
    DialogForm mask;
    AddGpsMaskControls(mask, GpsWarningMaskIds, s);
    mask.Combo(IDC_GPSMASK_SATELLITES).Selection = 0;
    mask.Edit(IDC_GPSMASK_DILUTION).Text = "x";
    StoreGpsMask(GpsMaskOf(mask, GpsWarningMaskIds, s), s);
    EXPECT_EQ(s.GpsMaskSatellites, 3);
    EXPECT_EQ(s.GpsMaskDilution, 0.0);
}
