#include <gtest/gtest.h>

#include <string>

#include "core/settings/display_dialogs.h"
#include "core/settings/settings_file.h"

using namespace tesselog;

TEST(MapDisplayOptions, ControlsOnOpening) {
    for (int32_t gridType : {0, 1}) {
        Settings s;
        s.DisplayUnits = 2;
        s.MapGridType = gridType;
        s.GridLinesAngle = -12.345;
        const DialogForm f = MapDisplayOptionsEditor(s).Form();
        EXPECT_EQ(f.Label(IDC_GRID_INTERVAL_UNIT).Text, "USft");  // the unit of the display, not of the map
        EXPECT_EQ(f.Edit(IDC_GRID_ANGLE).Enabled, gridType == 1);  // the angle only turns lines, not a square grid
        EXPECT_EQ(f.Edit(IDC_MAP_SIZE).Text + " " + f.Edit(IDC_GRID_INTERVAL).Text + " " + f.Edit(IDC_GRID_ANGLE).Text,
                  "40 5.00 -12.35");
    }
}

// OK gives back the typed values; stored, they differ from the settings
// before the dialog by the redraw bits 2 position size, 4 position colour,
// 8 display type, 32 grid type, 64 interval, 128 angle, 256 map size.
TEST(MapDisplayOptions, OkStoresAndReportsFromRememberedValues) {
    // Defaults: map size 40, interval 5, angle -60, display type 1.
    struct Case {
        const char* name;
        MapDisplayOptionsEntries entries;
        void (*choose)(MapDisplayOptionsEditor&);
        int32_t mapSize;
        double interval, angle;
        int32_t changed;
    };
    auto none = [](MapDisplayOptionsEditor&) {};
    const MapDisplayOptionsEntries same = {"40", "5", "-60", 1};
    const Case cases[] = {
        {"unchanged", {"40", "5.00", "-60.00", 1}, none, 40, 5.0, -60.0, 0},
        {"map size truncated", {"12.9", "5", "-60", 1}, none, 12, 5.0, -60.0, 256},
        {"interval at least 0.5", {"40", "0.2", "-60", 1}, none, 40, 0.5, -60.0, 64},
        {"120 folds to the remembered -60", {"40", "5", "120", 1}, none, 40, 5.0, -60.0, 0},
        {"-90 becomes 90", {"40", "5", "-90", 1}, none, 40, 5.0, 90.0, 128},
        {"-180 becomes 0", {"40", "5", "-180", 1}, none, 40, 5.0, 0.0, 128},
        {"200 becomes 0", {"40", "5", "200", 1}, none, 40, 5.0, 0.0, 128},
        {"90 stays", {"40", "5", "90", 1}, none, 40, 5.0, 90.0, 128},
        {"display type", {"40", "5", "-60", 0}, none, 40, 5.0, -60.0, 8},
        {"position size", same, [](MapDisplayOptionsEditor& e) { e.ChoosePositionSize(0); }, 40, 5.0, -60.0,
         2},
        {"grid type", same, [](MapDisplayOptionsEditor& e) { e.ChooseGridType(1); }, 40, 5.0, -60.0,
         32},
        {"position colour", same, [](MapDisplayOptionsEditor& e) { e.ChoosePositionColor(0x00FF00); }, 40, 5.0,
         -60.0, 4},
        {"cursor choices set no bit", same,
         [](MapDisplayOptionsEditor& e) { e.ChooseCursorSize(5), e.ChooseCursorColor(0x0000FF); }, 40, 5.0, -60.0, 0},
        {"position size chosen back", same,
         [](MapDisplayOptionsEditor& e) { e.ChoosePositionSize(0), e.ChoosePositionSize(4); }, 40, 5.0, -60.0, 0},
    };
    for (const auto& c : cases) {
        Settings s;
        const Settings before = s;
        MapDisplayOptionsEditor editor(s);
        c.choose(editor);
        StoreMapDisplayChoice(editor.Ok(c.entries), s);
        EXPECT_EQ(MapDisplayChanges(before, s), c.changed) << c.name;
        EXPECT_EQ(s.MapSize, c.mapSize) << c.name;
        EXPECT_DOUBLE_EQ(s.GridLinesInterval, c.interval) << c.name;
        EXPECT_DOUBLE_EQ(s.GridLinesAngle, c.angle) << c.name;
    }
}

TEST(MapDisplayOptions, OkBringsTheSwathEdgesIntoTheDisplayUnit) {
    Settings s;
    s.DisplayUnits = 1;  // changed without the recomputation: edges still in metres
    StoreMapDisplayChoice(MapDisplayOptionsEditor(s).Ok({"40", "5", "-60", 1}), s);
    EXPECT_DOUBLE_EQ(s.SwathEdgeNear, 3.0 / 0.3048);
}

TEST(MapDisplayOptions, CancelPutsBackEveryImmediateChange) {
    Settings s;
    const Settings before = s;
    MapDisplayOptionsEditor editor(s);
    editor.ChooseCursorSize(5);
    EXPECT_EQ(s.CursorOuterPixels, 19);  // applied while open, for the preview
    editor.ChoosePositionSize(0);
    editor.ChooseCursorColor(0x123456);
    editor.ChoosePositionColor(0x654321);
    editor.ChooseGridType(1);
    EXPECT_TRUE(editor.View().AngleEnabled);
    editor.TypeAngle("33.5");
    EXPECT_DOUBLE_EQ(s.GridLinesAngle, 33.5);
    EXPECT_EQ(editor.Cancel(), 0);
    EXPECT_EQ(FormatSettingsFile(s), FormatSettingsFile(before));
    EXPECT_EQ(s.CursorOuterPixels, before.CursorOuterPixels);
    EXPECT_EQ(s.CursorInnerPixels, before.CursorInnerPixels);
}

TEST(MapDisplayOptions, PreviewGridFollowsTypeAndAngle) {
    // Which way each line runs: 'v' vertical, 'h' horizontal, 'd' rising to the right.
    auto kind = [](const PreviewLine& l) {
        if (l.X0 == l.X1) return 'v';
        if (l.Y0 == l.Y1) return 'h';
        return (l.X1 - l.X0) * (l.Y1 - l.Y0) < 0 ? 'd' : '?';
    };
    const struct {
        int32_t type;
        double angle;
        std::string kinds;  // the kinds found, in first-seen order
    } cases[] = {{0, 45.0, "vh"}, {1, 0.0, "v"}, {1, 90.0, "h"}, {1, 45.0, "d"}};
    for (const auto& c : cases) {
        Settings s;
        s.MapGridType = c.type;
        s.GridLinesAngle = c.angle;
        MapPreview p = BuildMapPreview(s, 128, 96);
        std::string kinds;
        for (const PreviewLine& l : p.GridLines)
            if (kinds.find(kind(l)) == std::string::npos) kinds += kind(l);
        EXPECT_EQ(kinds, c.kinds) << c.type << " " << c.angle;
        EXPECT_GE(p.GridLines.size(), 5u);
    }
}

TEST(DisplayDialogs, PlacementOverOwner) {
    const struct {
        ScreenRect owner;
        int32_t w, h, divisor;
        int32_t x, y;
    } cases[] = {
        {{100, 50, 1124, 812}, 400, 300, 7, 412, 116},  // free height 462, one seventh 66
        {{0, 0, 1280, 1024}, 390, 340, 10, 445, 68},
        {{100, 50, 901, 661}, 300, 200, 10, 350, 91},
        {{0, 0, 300, 200}, 400, 300, 10, -50, 0},  // taller than its owner: never above the owner's top
    };
    for (const auto& c : cases) {
        ScreenPoint at = PlaceDialogOverOwner(c.owner, c.w, c.h, c.divisor);
        EXPECT_EQ(at.X, c.x);
        EXPECT_EQ(at.Y, c.y);
    }
}

TEST(ProfileOptions, ImmediateChangesOkAndCancel) {
    Settings s;
    s.ProfileVisible[1] = 0;
    const std::string before = FormatSettingsFile(s);
    ProfileOptionsEditor editor(s);
    ProfileOptionsView v = editor.View();
    EXPECT_TRUE(v.Visible[0]);
    EXPECT_FALSE(v.Visible[1]);
    EXPECT_EQ(v.ThicknessIndex[0], 1);  // thickness 2
    EXPECT_EQ(v.ThicknessIndex[1], 2);

    editor.ChooseProfileThickness(0, 3);
    editor.ChooseProfileColor(1, 0x0000FF);
    editor.ChooseProfileThickness(1, 4);  // no such entry
    editor.ChooseProfileColor(2, 0);      // no such side
    EXPECT_TRUE(s.ProfileThickness[0] == 4 && s.ProfileThickness[1] == 3 && s.ProfileColor[1] == 0x0000FF);
    ColourButtonFace face = ProfileColourButtonFace(s, 0, 120, 26);
    EXPECT_TRUE(face.Thickness == 4 && face.Color == 0xFF0000 && face.Sample.Y0 == 13);

    editor.Cancel();
    EXPECT_EQ(FormatSettingsFile(s), before);

    DialogForm form = ProfileOptionsEditor(s).Form();
    form.Check(IDC_PROFILE_VISIBLE_LEFT).Checked = false;
    form.Check(IDC_PROFILE_VISIBLE_RIGHT).Checked = true;
    StoreProfileOptions(ProfileOptionsOf(form), s);
    EXPECT_TRUE(s.ProfileVisible[0] == 0 && s.ProfileVisible[1] == 1);
}
