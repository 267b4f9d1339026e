// The keys a gloved hand finds: the map moves, zooms, fits and reviews by
// keys alone, the sunlight display switches in every state without pausing,
// and the readings scale fits the last minute's readings.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/common/sunlight_palette.h"
#include "support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::SessionHarness;

constexpr uint32_t Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Home = 0x24;
constexpr uint32_t Plus = 0xBB, PadPlus = 0x6B, Minus = 0xBD, PadMinus = 0x6D;

TEST(ScreenKeys, ReviewZoomAndFitByKeysAlone) {
    SessionHarness h;
    std::vector<int>& codes = h.map.Navigated;
    h.StartIn(-1);
    // Outside the review + - and Home mean nothing; the arrows move the map.
    for (uint32_t key : {Plus, Minus, Home, Left, Up, Right, Down}) h.Key(key);
    EXPECT_EQ(codes, (std::vector<int>{121, 123, 122, 124}));
    codes.clear();
    h.Key('I');
    EXPECT_TRUE(h.session.ReviewActive());
    for (uint32_t key : {Plus, PadPlus, Minus, PadMinus, Home, Left}) h.Key(key);
    h.Key('i');
    EXPECT_FALSE(h.session.ReviewActive());
    EXPECT_EQ(codes, (std::vector<int>{128, 125, 125, 126, 126, 127, 121, 129}));
    EXPECT_TRUE(h.prompts.History.empty());
}

TEST(ScreenKeys, NavigationWaitsForAFileAndThePause) {
    for (int32_t state : {0, 1}) {
        SessionHarness h;
        h.settings.PauseKey = 3;  // P only: the arrows must not pause either
        h.StartIn(state);
        for (uint32_t key : {Left, uint32_t{'I'}, Plus, Home}) h.Key(key);
        EXPECT_TRUE(h.map.Navigated.empty()) << state;
        EXPECT_FALSE(h.session.ReviewActive()) << state;
        EXPECT_EQ(h.session.Recording.Logging.LoggingState.load(), state) << state;
    }
}

// O in every state, for every pause key, switches the look and never pauses;
// the choice is kept in its own file and read at the next start.
TEST(ScreenKeys, SunlightSwitchesInEveryStateAndIsKept) {
    for (int32_t pauseKey : {0, 3}) {
        for (int32_t state : {0, -1, 1}) {
            SessionHarness h;
            h.settings.PauseKey = pauseKey;
            h.services.LookSettingsPath = "C:\\TESSELDS.INI";
            h.StartIn(state);
            const std::string settings = h.saved;
            h.Key('O');
            EXPECT_TRUE(h.controls.Sunlight);
            EXPECT_EQ(h.session.Recording.Logging.LoggingState.load(), state) << pauseKey << " " << state;
            EXPECT_EQ(h.files.Files["C:\\TESSELDS.INI"], "; Tesselog: how the logging screen looks\r\nSunlight=1\r\n");
            EXPECT_EQ(h.saved, settings);  // the 79-line file is not touched
            h.Key('o');
            EXPECT_FALSE(h.controls.Sunlight);
        }
    }
    SessionHarness h;
    h.services.LookSettingsPath = "C:\\TESSELDS.INI";
    h.files.Files["C:\\TESSELDS.INI"] = "# written by hand\nsunlight = 1\nColour=blue\n";
    h.StartIn(0);
    EXPECT_TRUE(h.controls.Sunlight);
}

TEST(ScreenLookFile, ToleratesWhatAPersonWrites) {
    EXPECT_TRUE(ParseScreenLook("Sunlight=1").Sunlight);
    EXPECT_TRUE(ParseScreenLook("  SUNLIGHT = 1 \r\n").Sunlight);
    EXPECT_FALSE(ParseScreenLook("Sunlight=yes\r\n").Sunlight);
    EXPECT_FALSE(ParseScreenLook("; Sunlight=1\r\n").Sunlight);
    EXPECT_FALSE(ParseScreenLook("Sunlight=1\nSunlight=0\n").Sunlight);  // the last one counts
    EXPECT_FALSE(ParseScreenLook(std::string("\0\xff=\n", 4)).Sunlight);
    EXPECT_EQ(ScreenLookPathBeside("C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI"),
              "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELDS.INI");
}

TEST(SunlightPalette, DarkInkWhiteFacesThickLines) {
    EXPECT_EQ(SunlightInk(Rgb(192, 192, 192)), Rgb(0, 0, 0));   // a pale grid line
    EXPECT_EQ(SunlightInk(Rgb(128, 128, 128)), Rgb(0, 0, 0));
    EXPECT_EQ(SunlightInk(Rgb(255, 255, 255)), Rgb(255, 255, 255));  // erasing stays white
    EXPECT_EQ(SunlightInk(Rgb(0, 0, 255)), Rgb(0, 0, 255));     // dark enough already
    EXPECT_EQ(SunlightInk(Rgb(255, 128, 0)), Rgb(168, 84, 0));   // orange: luma 151 brought to 100
    EXPECT_EQ(SunlightFill(Rgb(240, 240, 240)), Rgb(255, 255, 255));  // the button face
    EXPECT_EQ(SunlightFill(Rgb(255, 128, 0)), Rgb(255, 128, 0));
    EXPECT_EQ(SunlightFill(Rgb(0, 0, 143)), Rgb(0, 0, 143));     // a colour class
    EXPECT_EQ(SunlightPenWidth(1, Rgb(0, 0, 0)), 2);
    EXPECT_EQ(SunlightPenWidth(3, Rgb(255, 0, 0)), 6);
    EXPECT_EQ(SunlightPenWidth(1, Rgb(255, 255, 255)), 1);
}

// Readings of the last minute on one console: the fit takes the 2nd and
// 98th percentile and rounds them out; a spike does not stretch it, readings
// older than a minute do not count, and it is saved once.
TEST(ScaleFit, FitsTheLastMinuteAndSavesOnce) {
    EXPECT_EQ(RoundedScale(3.4, 47.9).Min, 0.0);
    EXPECT_EQ(RoundedScale(3.4, 47.9).Max, 50.0);
    EXPECT_EQ(RoundedScale(-2.37, 1.12).Min, -2.5);  // a step of 0.5
    EXPECT_EQ(RoundedScale(-2.37, 1.12).Max, 1.5);
    EXPECT_EQ(RoundedScale(12.0, 12.0).Max - RoundedScale(12.0, 12.0).Min > 0.0, true);

    RecentReadings recent;
    for (int i = 0; i < 100; ++i) recent.Add(1000 + 10 * i, 900.0);  // an hour-old fence, gone by the fit
    const uint32_t start = 200000;
    for (int i = 0; i < 500; ++i) recent.Add(start + 100 * i, -20.0 + 40.0 * i / 499.0);
    recent.Add(start + 50000, 5000.0);  // one spike
    const std::optional<ScaleRange> fit = recent.Fit(start + 50000);
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(fit->Min, -20.0);  // 2nd percentile -19.2, step 5
    EXPECT_EQ(fit->Max, 20.0);   // 98th percentile 19.2
    EXPECT_FALSE(RecentReadings().Fit(0).has_value());

    SessionHarness h;
    h.settings.ConsoleCount = 1;
    h.settings.ConsoleSensorCount[0] = 2;
    h.StartIn(-1);
    struct NoDisplay : ReadingDisplay {} display;
    for (int i = 0; i < 60; ++i) {
        std::snprintf(h.session.Recording.Consoles.ConsoleSentence[0], ConsoleSentenceSize, "$PBAR,%d.0,%d.0\r\n", 100 + i,
                      200 + i);
        h.session.Recording.Consoles.ConsoleLastDataTick[0] = h.clock.CurrentTick;
        h.session.OnConsoleData(0, display);
        h.clock.CurrentTick += 100;
    }
    const int saves = h.saves;
    h.Key('V');
    EXPECT_EQ(h.settings.ReadingsScaleMin, 100.0);
    EXPECT_EQ(h.settings.ReadingsScaleMax, 260.0);
    EXPECT_EQ(h.saves, saves + 1);
    h.Key('v');  // the same again: nothing to save
    EXPECT_EQ(h.saves, saves + 1);
}

TEST(ScaleFit, NothingToFitIsSaid) {
    SessionHarness h;
    h.StartIn(0);
    h.Key('V');
    ASSERT_EQ(h.prompts.History.size(), 1u);
    EXPECT_EQ(h.prompts.History[0].Text, "No readings in the last minute to fit the scale to.");
    EXPECT_EQ(h.settings.ReadingsScaleMax, 500.0);
}

}  // namespace
}  // namespace tesselog
