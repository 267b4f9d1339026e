#include <gtest/gtest.h>

#include "core/shell/main_commands.h"

namespace tesselog {
namespace {

struct Case {
    const char* name;
    int32_t screenMode;
    int32_t focus;
    MainInput input;
    uint64_t word;
    int command;
    int32_t newFocus;
};

TEST(ShellCommands, Decision) {
    const MainInput cmd = MainInput::Command, key = MainInput::KeyDown;
    const Case cases[] = {
        {"click first button", 0, 4, cmd, 420, 0, 4},
        {"click Exit", 0, 0, cmd, 428, 8, 0},
        {"double-click notification in the high word", 0, 0, cmd, (5ull << 16) | 423, 3, 0},
        {"id beyond the buttons", 0, 0, cmd, 429, -1, 0},
        {"id below the buttons", 0, 0, cmd, 419, -1, 0},
        {"Tab", 0, 2, key, 9, -1, 3},
        {"Right on the last wraps", 0, 8, key, 39, -1, 0},
        {"Down", 0, 0, key, 40, -1, 1},
        {"Left on the first wraps", 0, 0, key, 37, -1, 8},
        {"Up", 0, 5, key, 38, -1, 4},
        {"Enter runs the default button", 0, 6, key, 13, 6, 6},
        {"L keeps the focus", 0, 3, key, 'L', 0, 3},
        {"dead char X", 0, 0, MainInput::DeadChar, 'X', 8, 0},
        {"other letter", 0, 0, key, 'Q', -1, 0},
        {"letter with high bits is another code", 0, 0, key, 0x10000 | 'x', -1, 0},
        {"keys ignored outside the main screen", 1, 2, key, 'x', -1, 2},
        {"arrows ignored outside the main screen", 2, 2, key, 39, -1, 2},
        {"clicks still select outside the main screen", 1, 0, cmd, 421, 1, 0},
    };
    for (const Case& c : cases) {
        MainScreenState state{c.screenMode, c.focus};
        MainCommandDecision d = DecideMainCommand(state, false, false, c.input, c.word);
        EXPECT_EQ(d.Focus, FocusTarget::MainWindow) << c.name;
        EXPECT_EQ(d.Command, c.command) << c.name;
        EXPECT_EQ(d.NewFocus, c.newFocus) << c.name;
        EXPECT_EQ(d.FocusMoved, c.newFocus != c.focus) << c.name;
        EXPECT_EQ(d.OldFocus, c.focus) << c.name;
    }
    // The underlined letters, either case, and U for the key-only command.
    const char letters[] = "LSTAGOMPXU";
    for (int i = 0; i < 10; ++i) {
        for (char letter : {letters[i], static_cast<char>(letters[i] + 32)}) {
            MainScreenState state{0, 0};
            EXPECT_EQ(DecideMainCommand(state, false, false, key, static_cast<uint64_t>(letter)).Command, i) << letter;
        }
    }
}

TEST(ShellCommands, VisibleChildScreenOnlyTakesTheFocus) {
    MainScreenState state{ScreenLogging, 0};
    MainCommandDecision d = DecideMainCommand(state, true, true, MainInput::Command, 428);
    EXPECT_EQ(d.Focus, FocusTarget::LoggingScreen);
    EXPECT_EQ(d.Command, -1);
    EXPECT_FALSE(d.FocusMoved);
    state.ScreenMode = ScreenGpsMonitor;
    d = DecideMainCommand(state, false, true, MainInput::KeyDown, 'x');
    EXPECT_EQ(d.Focus, FocusTarget::GpsMonitor);
    EXPECT_EQ(d.Command, -1);
}

TEST(ShellCommands, GpsOnlyButtons) {
    EXPECT_EQ(MainActionFor(ButtonGpsMonitoring, false), MainAction::GpsOnlyInformation);
    EXPECT_EQ(MainActionFor(ButtonMapOptions, false), MainAction::GpsOnlyInformation);
    EXPECT_EQ(MainActionFor(ButtonGpsMonitoring, true), MainAction::GpsMonitoring);
    EXPECT_EQ(MainActionFor(ButtonMapOptions, true), MainAction::MapOptions);
    EXPECT_EQ(MainActionFor(-1, true), MainAction::None);
    EXPECT_EQ(MainActionFor(MainKeyCoordinatesUnits, false), MainAction::CoordinatesUnits);
    EXPECT_EQ(MainActionFor(10, true), MainAction::None);
}

}  // namespace
}  // namespace tesselog
