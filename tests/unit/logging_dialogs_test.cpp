#include <gtest/gtest.h>

#include <utility>

#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"

using namespace tesselog;

namespace {

std::string SelectedItem(const DialogForm& form, int id) {
    const ComboControl& combo = form.Combo(id);
    if (combo.Selection < 0 || static_cast<size_t>(combo.Selection) >= combo.Items.size()) return "(none)";
    return combo.Items[static_cast<size_t>(combo.Selection)];
}

}  // namespace

TEST(NewLineDialog, ProposesTheNextLine) {
    const struct {
        int32_t sequence, direction;
        double start, current, increment;
        const char *direction_, *startText, *incrementText;
    } cases[] = {
        // Alternate: reversed direction, from the last station, walking back.
        {0, 1, 0.0, 30.0, 1.0, "North", "30.000", "-1.000"},
        {0, 2, 0.0, 30.0, -1.0, "South", "30.000", "1.000"},
        {0, 0, 5.0, 12.5, 0.5, "East", "12.500", "-0.500"},
        {0, 3, 5.0, 12.5, 0.5, "West", "12.500", "-0.500"},
        {0, 3, 5.0, 12.5, 0.0, "West", "12.500", "0.000"},  // no "-0.000"
        // One way: direction, start station and increment unchanged.
        {1, 1, 2.0, 30.0, 1.0, "South", "2.000", "1.000"},
        {1, 0, 2.0, 30.0, -0.25, "West", "2.000", "-0.250"},
    };
    for (const auto& c : cases) {
        Settings s;
        s.StartLineText = "7";
        s.LineIncrement = 2.0;
        s.LineSequence = c.sequence;
        s.LineDirection = c.direction;
        s.StartStation = c.start;
        s.CurrentStation = c.current;
        s.StationIncrement = c.increment;
        DialogForm form = NewLineForm(s);
        SCOPED_TRACE(std::to_string(c.sequence) + "/" + std::to_string(c.direction));
        EXPECT_EQ(form.Edit(IDC_NEWLINE_LAST_STATION).Text, c.sequence == 0 ? c.startText : "30.000");
        EXPECT_EQ(form.Edit(IDC_NEWLINE_LINE).Text, "9.00");
        EXPECT_EQ(SelectedItem(form, IDC_NEWLINE_LINE_SEQUENCE), c.sequence == 0 ? "Alternate" : "One Way");
        EXPECT_EQ(SelectedItem(form, IDC_NEWLINE_DIRECTION), c.direction_);
        EXPECT_EQ(form.Edit(IDC_NEWLINE_START_STATION).Text, c.startText);
        EXPECT_EQ(form.Edit(IDC_NEWLINE_STATION_INCREMENT).Text, c.incrementText);

        // OK with the proposals stores them and starts the line there.
        StoreSurveyLine(NewLineOf(form, s), s);
        EXPECT_EQ(s.StartLineText, "9.00");
        EXPECT_EQ(s.LineDirection, form.Combo(IDC_NEWLINE_DIRECTION).Selection);
        EXPECT_EQ(s.StartStation, c.sequence == 0 ? c.current : c.start);
        EXPECT_EQ(s.CurrentStation, s.StartStation);
        EXPECT_EQ(s.StationIncrement, c.sequence == 0 ? -c.increment : c.increment);
    }
}

TEST(NewLineDialog, StoresWhatWasTyped) {
    Settings s;
    s.StartLineText = "Line A";  // not a number: the proposal counts from 0
    DialogForm form = NewLineForm(s);
    EXPECT_EQ(form.Edit(IDC_NEWLINE_LINE).Text, "1.00");
    form.Edit(IDC_NEWLINE_LINE).Text = "North-0123456789";
    form.Edit(IDC_NEWLINE_START_STATION).Text = "x";
    form.Combo(IDC_NEWLINE_DIRECTION).Selection = -1;  // nothing chosen keeps the direction
    int32_t direction = s.LineDirection;
    s.CurrentStation = 8.0;
    StoreSurveyLine(NewLineOf(form, s), s);
    EXPECT_EQ(s.StartLineText, "North-01234");
    EXPECT_EQ(s.LineDirection, direction);
    EXPECT_EQ(s.CurrentStation, 0.0);
}

TEST(NewStationDialog, ShowsAndParsesTheStation) {
    Settings s;
    s.StartStation = 3.0;
    s.CurrentStation = 17.1236;
    DialogForm form = NewStationForm(s);
    EXPECT_EQ(form.Edit(IDC_NEWSTATION_NEW_STATION).Text, "17.124");  // the current station, rounded
    const std::pair<const char*, double> cases[] = {{"17.124", 17.124}, {" -2.5", -2.5}, {"abc", 0.0}, {"8m", 8.0}};
    for (const auto& [typed, stored] : cases) {
        form.Edit(IDC_NEWSTATION_NEW_STATION).Text = typed;
        EXPECT_EQ(NewStationOf(form), stored) << typed;
    }
}

TEST(SmallDialogs, StoreWhatWasTyped) {
    // A comment keeps eleven characters.
    DialogForm comment = CommentForm("old");
    comment.Edit(IDC_COMMENT_TEXT).Text = "Hedge at 12m, gate";
    EXPECT_EQ(CommentText(comment), "Hedge at 12");

    Settings s;
    s.NmeaMode = 5;  // GLL has no fix quality: labels read N/A
    DialogForm mask = GpsWarningMaskForm(s);
    EXPECT_EQ(mask.Label(IDC_GPS_LABEL_DILUTION).Text, "N/A");
    mask.Combo(IDC_GPSMASK_SATELLITES).Selection = 9;
    mask.Edit(IDC_GPSMASK_DILUTION).Text = "2.5";
    StoreGpsMask(GpsWarningMaskOf(mask, s), s);
    EXPECT_EQ(s.GpsMaskSatellites, 12);
    EXPECT_EQ(s.GpsMaskDilution, 2.5);

    // Each audio check box reaches its own setting.
    s.AudioTicks = 1;
    s.DisconnectAlarm = 0;
    s.GpsMaskAudioWarning = 1;
    DialogForm audio = AudioOptionsForm(s);
    for (CheckControl& check : audio.Checks) check.Checked = !check.Checked;
    StoreAudioOptions(AudioOptionsOf(audio), s);
    EXPECT_EQ(s.AudioTicks * 100 + s.DisconnectAlarm * 10 + s.GpsMaskAudioWarning, 10);
}

// A grid receiver offers the three grid units and shifts the stored value by
// one; any other receiver offers latitude/longitude and the UTM units.
TEST(CoordinatesUnitsDialog, ListDependsOnTheReceiversCoordinates) {
    struct Case {
        int32_t nmeaMode, stored;
        size_t entries;
        int32_t selection, storedAfterOpen;
        int32_t pick, storedOnOk;
    };
    const Case cases[] = {
        {0, 2, 4, 2, 2, 0, 0},  // GGA/GSA: "Geodetic Lat/Lon" is entry 0
        {8, 3, 4, 3, 3, 1, 1},  // Pseudo GLL is geodetic too
        {3, 0, 3, 0, 1, 2, 3},  // LLK: geodetic raised to "meters" when opened
        {4, 3, 3, 2, 3, 0, 1},  // LLQ
        {7, 1, 3, 0, 1, 1, 2},  // RTS pseudo GGA
    };
    for (const Case& t : cases) {
        Settings s;
        s.NmeaMode = t.nmeaMode;
        s.CoordinateDisplay = t.stored;
        DialogForm form = CoordinatesUnitsForm(s);
        const ComboControl& combo = form.Combo(IDC_COORDINATES_UNITS);
        EXPECT_EQ(combo.Items.size(), t.entries) << t.nmeaMode;
        EXPECT_EQ(combo.Items.front(), t.entries == 3 ? "meters" : "Geodetic Lat/Lon") << t.nmeaMode;
        EXPECT_EQ(combo.Selection, t.selection) << t.nmeaMode;
        EXPECT_EQ(s.CoordinateDisplay, t.storedAfterOpen) << t.nmeaMode;
        form.Combo(IDC_COORDINATES_UNITS).Selection = t.pick;
        EXPECT_EQ(CoordinateDisplayOf(form, s), t.storedOnOk) << t.nmeaMode;
    }
}

TEST(MapSizeDialog, TypingBelowOneShowsOneAndOkGivesBackWhatWasTyped) {
    Settings s;
    s.MapSize = 40;
    s.GridLinesInterval = 5.0;
    s.CursorBand = 1;
    s.DisplayUnits = 2;
    DialogForm opened = MapSizeForm(s);
    EXPECT_EQ(opened.Label(IDC_MAPSCALE_SIZE_UNIT).Text, "US feet");
    EXPECT_EQ(SelectedItem(opened, IDC_MAPSCALE_CURSOR_BAND), "15");

    // The size is truncated and at least 1; the interval has no lower limit
    // here; no band chosen keeps the band.
    const struct {
        const char *size, *interval;
        int32_t band, size2;
        double interval2;
        int32_t band2;
    } cases[] = {{"80.7", "5", 1, 80, 5.0, 1}, {"40", "0.2", 6, 40, 0.2, 6}, {"0", "10", -1, 1, 10.0, 1}};
    for (const auto& c : cases) {
        DialogForm form = opened;
        form.Edit(IDC_MAPSCALE_SIZE).Text = c.size;
        form.Edit(IDC_MAPSCALE_INTERVAL).Text = c.interval;
        form.Combo(IDC_MAPSCALE_CURSOR_BAND).Selection = c.band;
        const MapSizeChoice choice = MapSizeOf(form, s);
        EXPECT_EQ(choice.MapSize, c.size2) << c.size;
        EXPECT_EQ(choice.GridLinesInterval, c.interval2) << c.interval;
        EXPECT_EQ(choice.CursorBand, c.band2) << c.band;
    }
    EXPECT_EQ(s.MapSize, 40);  // nothing stored

    const struct {
        const char *typed, *shown;
    } typing[] = {{"40", "40"}, {"1.9", "1.9"}, {"0.99", "1"}, {"", "1"}, {"-3", "1"}, {"x", "1"}, {"1e300", "1e300"}};
    for (const auto& c : typing) {
        DialogForm form = opened;
        form.Edit(IDC_MAPSCALE_SIZE).Text = c.typed;
        EXPECT_EQ(MapSizeTyped(form), std::string(c.typed) != c.shown) << c.typed;
        EXPECT_EQ(form.Edit(IDC_MAPSCALE_SIZE).Text, c.shown);
    }
}

TEST(ReadingsScaleDialog, TypingAppliesOnlyAnOrderedScale) {
    Settings s;
    s.ReadingsScaleMin = 0.0;
    s.ReadingsScaleMax = 500.0;
    s.ProfilePaneHeight = 100;
    ReadingsScaleEditor editor(s);
    DialogForm form = editor.Form();
    EXPECT_EQ(form.Edit(IDC_READINGSCALE_MAX).Text, "500.0");

    form.Edit(IDC_READINGSCALE_MAX).Text = "-10";  // not above the minimum
    EXPECT_FALSE(editor.Typed(form));
    EXPECT_EQ(s.ReadingsScaleMax, 500.0);
    form.Edit(IDC_READINGSCALE_MAX).Text = "200";
    EXPECT_TRUE(editor.Typed(form));
    EXPECT_EQ(s.ReadingsScaleMax, 200.0);
    EXPECT_DOUBLE_EQ(s.ReadingsPixelsPerUnit, 0.5);
    form.Edit(IDC_READINGSCALE_MIN).Text = "300";  // not below the maximum
    EXPECT_FALSE(editor.Typed(form));
    form.Edit(IDC_READINGSCALE_MIN).Text = "-100";
    EXPECT_TRUE(editor.Typed(form));
    EXPECT_EQ(s.ReadingsScaleMin, -100.0);

    editor.Cancel();
    EXPECT_EQ(s.ReadingsScaleMin, 0.0);
    EXPECT_EQ(s.ReadingsScaleMax, 500.0);
    EXPECT_DOUBLE_EQ(s.ReadingsPixelsPerUnit, 0.2);
}

TEST(ReadingsScaleDialog, OkGivesBackAnOrderedScale) {
    const struct {
        const char *min, *max;
        double givenMin, givenMax;
    } cases[] = {{"0", "500", 0.0, 500.0}, {"100", "50", 100.0, 200.0}, {"20", "20", 20.0, 120.0},
                 {"-5", "500", -5.0, 500.0}};
    for (const auto& c : cases) {
        Settings s;
        s.ReadingsScaleMin = 0.0;
        s.ReadingsScaleMax = 500.0;
        DialogForm form = ReadingsScaleEditor(s).Form();
        form.Edit(IDC_READINGSCALE_MIN).Text = c.min;
        form.Edit(IDC_READINGSCALE_MAX).Text = c.max;
        const ReadingsScaleChoice choice = ReadingsScaleOf(form);
        EXPECT_EQ(choice.Min, c.givenMin) << c.min << ".." << c.max;
        EXPECT_EQ(choice.Max, c.givenMax) << c.min << ".." << c.max;
    }
}
