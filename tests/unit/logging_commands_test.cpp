// The logging screen's commands: the state machine with its button sets, the
// keys, the quick line, the connection watch, the map overflow and the
// refusals. The golden surveys check the records these write byte for byte.
#include <utility>

#include <gtest/gtest.h>

#include "core/acquisition/console_framer.h"
#include "tests/support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::SessionHarness;

// Which of the three button sets are shown, "1" for each visible one.
std::string ShownSets(const RecordingScreenControls& c) {
    std::string shown;
    for (int i = 0; i < 3; ++i) shown += c.SetVisible[i] ? '1' : '0';
    return shown;
}

TEST(LoggingCommands, StateMachineMovesThroughItsButtonSets) {
    SessionHarness h;
    auto& c = h.controls;
    ASSERT_TRUE(h.session.StartLogging());
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
    EXPECT_TRUE(c.LoggingScreenVisible);
    EXPECT_FALSE(c.MainButtonsVisible);
    EXPECT_FALSE(c.FileButtonEnabled);  // GPS on: the first fix enables it

    h.fileDialogs.Answers.push_back(From8Bit(SessionHarness::DataFile));
    h.session.PressButton(0);  // "&File"
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, -1);
    EXPECT_EQ(ShownSets(c), "010");
    EXPECT_EQ(c.DefaultSet, LogButtonSet::Second);
    EXPECT_EQ(c.DefaultIndex, 0);
    EXPECT_EQ(c.NavEnabled, NavWithoutZooms);
    EXPECT_EQ(c.StatusWord, "Stand By");
    EXPECT_EQ(c.StatusFile, "261204_000");

    h.clock.CurrentTick = 200000;
    h.Click(460);  // "&Go"
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 1);
    EXPECT_EQ(h.session.Recording.Logging.LoggingStartTick, 200000u);
    EXPECT_EQ(h.session.Recording.Logging.RecordStartTick.load(), 200050u);  // after the 50 ms wait
    EXPECT_EQ(ShownSets(c), "001");
    EXPECT_EQ(c.NavEnabled, 0u);
    EXPECT_TRUE(c.PauseHintShown);

    h.Click(460);  // "P A U S E"
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, -1);
    EXPECT_EQ(ShownSets(c), "010");
    EXPECT_FALSE(c.PauseHintShown);

    // Tab moves the default button, Enter presses it: "E&xit", then No.
    h.Key(9);
    h.Key(9);
    EXPECT_EQ(c.DefaultIndex, 2);
    h.prompts.Answers.push_back(false);
    h.Key(13);
    EXPECT_EQ(h.prompts.History.back().Text, "Exit Logging?");
    EXPECT_EQ(h.prompts.History.back().Caption, "Confirm Exit");
    EXPECT_TRUE(h.prompts.History.back().Question);
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, -1);
    EXPECT_TRUE(h.session.Recording.File.IsOpen() && c.LoggingScreenVisible);
    EXPECT_EQ(h.screenMode, 1);
    h.Key(9);
    h.Key(9);
    EXPECT_EQ(c.DefaultIndex, 0);  // wrapped 3 -> 0

    h.Key('x');  // Yes: file and counters reset, ports closed
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
    EXPECT_FALSE(c.LoggingScreenVisible);
    EXPECT_TRUE(c.MainButtonsVisible);
    EXPECT_EQ(ShownSets(c), "100");
    EXPECT_EQ(h.screenMode, 0);
    EXPECT_FALSE(h.session.Recording.File.IsOpen());
    EXPECT_TRUE(h.session.FileHeader().DataFileName.empty());
    EXPECT_TRUE(test::Logged(h.ports.Log, "wait 200"));
    EXPECT_EQ(h.session.Recording.Consoles.ConsolePortOpen[0].load(), 0);
}

TEST(LoggingCommands, KeysActByStateAndPauseKey) {
    struct Case {
        int32_t pauseKey;
        int32_t state;  // 0, -1 or 1 before the key
        uint32_t key;
        int32_t after;
    };
    const Case cases[] = {
        {1, 1, ' ', 1},  {1, 1, 13, -1}, {2, 1, ' ', -1}, {2, 1, 13, 1},  {3, 1, 'p', -1},
        {3, 1, 'P', -1}, {3, 1, 'G', 1}, {0, 1, 'z', -1}, {0, 0, 'g', 0}, {0, -1, 'f', -1},
        {0, -1, 'G', 1}, {0, -1, 13, 1}, {0, 0, 'F', -1},
    };
    for (const Case& t : cases) {
        SessionHarness h;
        h.settings.PauseKey = t.pauseKey;
        h.StartIn(t.state);
        h.fileDialogs.Answers.push_back(u"C:\\261204_001.mgr");  // for a "&File" the key may open
        const size_t dialogs = h.fileDialogs.Requests.size();
        h.Key(t.key);
        EXPECT_EQ(h.session.Recording.Logging.LoggingState, t.after) << "PauseKey " << t.pauseKey << " state " << t.state
                                                           << " key " << t.key;
        if (t.state == -1 && t.key == 'f') {
            EXPECT_EQ(h.fileDialogs.Requests.size(), dialogs);
        }
    }
}

TEST(LoggingCommands, QuickLineFollowsTheLineSequence) {
    struct Case {
        int32_t sequence;
        int32_t direction, directionAfter;
        double increment, incrementAfter, startAfter, currentAfter;
    };
    // Alternate from a line heading South: the next heads North from where
    // the line ended, counting the other way. One way: back to the start.
    const Case cases[] = {{0, 1, 2, 0.5, -0.5, 14.0, 14.0}, {0, 3, 0, 1.0, -1.0, 14.0, 14.0},
                          {1, 1, 1, 0.5, 0.5, 10.0, 10.0}};
    for (const Case& t : cases) {
        SessionHarness h;
        h.settings.LineSequence = t.sequence;
        h.settings.LineDirection = t.direction;
        h.settings.StationIncrement = t.increment;
        h.settings.StartStation = 10.0;
        h.settings.StartLineText = "3";
        h.settings.LineIncrement = 1.5;
        h.StartIn(-1);
        h.settings.CurrentStation = 14.0;
        const size_t before = h.Data().size();
        h.Key('q');
        EXPECT_EQ(h.prompts.History.back().Text, "New Line: 4.50");
        EXPECT_EQ(h.settings.StartLineText, "4.50");
        EXPECT_EQ(h.settings.LineDirection, t.directionAfter);
        EXPECT_EQ(h.settings.StationIncrement, t.incrementAfter);
        EXPECT_EQ(h.settings.StartStation, t.startAfter);
        EXPECT_EQ(h.settings.CurrentStation, t.currentAfter);
        EXPECT_EQ(h.session.LinesStarted(), 1);
        EXPECT_EQ(h.Data().size(), before + 5 * 27);  // line block and time record
        EXPECT_EQ(h.Data()[before], 'L');
        EXPECT_GE(h.saves, 1);
    }
    SessionHarness no;
    no.StartIn(-1);
    no.prompts.Answers.push_back(false);
    const std::string before = no.Data();
    no.Key('Q');
    EXPECT_EQ(no.Data(), before);
    EXPECT_EQ(no.settings.StartLineText, "1");

    // The line text is read as New Survey Line reads it: leading blanks
    // skipped, digits up to the first other character, no hexadecimal and
    // no "inf" (a C library parser gives 17 and inf for the last two).
    const std::pair<const char*, const char*> texts[] = {
        {" 5", "6.00"}, {"5abc", "6.00"}, {"0x10", "1.00"}, {"inf", "1.00"}};
    for (const auto& [text, next] : texts) {
        SessionHarness line;
        line.settings.StartLineText = text;
        line.settings.LineIncrement = 1.0;
        line.StartIn(-1);
        line.Key('q');
        EXPECT_EQ(line.settings.StartLineText, next) << '"' << text << '"';
    }
}

// While a command's box or repaint is up the GPS handler must not draw:
// every box and repaint sees ScreenUpdatesEnabled false, and it is true again
// after the command.
TEST(LoggingCommands, BoxesAndRepaintsHoldTheMapDrawingBack) {
    struct Case {
        const char* what;
        uint32_t key;
        bool yes;
    };
    const Case cases[] = {{"quick line, yes", 'q', true}, {"quick line, no", 'q', false},
                          {"map size", 's', true},       {"map display options", 'd', true},
                          {"new station", 'n', true}};
    for (const Case& c : cases) {
        SessionHarness h;
        h.StartIn(-1);
        h.dialogs.MapSizes.push_back({true, 60});
        h.dialogs.MapDisplaySizes.push_back({true, 60});
        h.dialogs.Stations.push_back({true, 12.0});
        h.prompts.Answers.push_back(c.yes);
        std::vector<bool> seen;
        h.prompts.Watch = h.controls.Watch = [&] { seen.push_back(h.session.ScreenUpdatesOn()); };
        h.Key(c.key);
        EXPECT_FALSE(seen.empty()) << c.what;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 0) << c.what;
        EXPECT_TRUE(h.session.ScreenUpdatesOn()) << c.what;
    }
}

TEST(LoggingCommands, ConnectionBreakIsLoggedOncePerBreak) {
    SessionHarness h;
    h.StartIn(1);
    auto tick = [&](int seconds) {
        for (int s = 0; s < seconds; ++s) {
            h.clock.CurrentTick += 1000;
            for (int k = 0; k < 2; ++k) h.session.Recording.Consoles.ConsoleLastDataTick[k] = h.clock.CurrentTick;
            h.session.OnWatchTimer();
        }
    };
    h.session.Recording.Consoles.ConsoleLastDataTick[2] = h.clock.CurrentTick;
    tick(1);  // exactly 1000 ms: not yet a break
    EXPECT_EQ(h.CountRecords("X3CONN BRK 3"), 0);
    tick(6);
    EXPECT_EQ(h.CountRecords("X3CONN BRK 3"), 1);
    EXPECT_EQ(h.CountRecords("X1CONN"), 0);
    EXPECT_EQ(h.session.Recording.Consoles.ConsoleInBreak[2].load(), 1);
    EXPECT_EQ(std::count(h.sound.Played.begin(), h.sound.Played.end(), SoundId::Ring), 6);  // once per tick
    EXPECT_EQ(std::count(h.controls.Log.begin(), h.controls.Log.end(), "no connection 2"), 6);

    // The next accepted sentence ends the break; a later one is logged anew.
    StoreAcceptedSentence(h.session.Recording.Consoles, 2, "$PBAR,1,2", 9, h.clock.CurrentTick);
    tick(3);
    EXPECT_EQ(h.CountRecords("X3CONN BRK 3"), 2);

    // While paused the console shows "No connection" but nothing is written.
    h.session.PressButton(0);
    StoreAcceptedSentence(h.session.Recording.Consoles, 2, "$PBAR,1,2", 9, h.clock.CurrentTick);
    tick(3);
    EXPECT_EQ(h.CountRecords("X3CONN BRK 3"), 2);
    EXPECT_EQ(h.session.Recording.Consoles.ConsoleInBreak[2].load(), 0);
}

// The records of the overflow pause and of the refused "&Go" are in the
// map_overflow golden survey; these are the states and messages around them.
// Whatever the state when the track leaves the map, the operator is warned at
// once and "&Go" waits for a map size that holds the track.
TEST(LoggingCommands, MapOverflowIsReportedAtOnceAndGoIsRefusedUntilTheMapIsEnlarged) {
    for (int32_t state : {1, -1, 0}) {
        SCOPED_TRACE(state);
        SessionHarness h;
        h.StartIn(state);
        h.session.OnMapOverflow();
        EXPECT_EQ(h.session.Recording.MapOverflowState, MapOverflow::Reported);
        ASSERT_FALSE(h.prompts.History.empty());
        EXPECT_EQ(h.prompts.History.back().Text,
                  "Please select Map Size option\r\nand increase the map size\r\nby 20-25%.");
        EXPECT_EQ(h.CountRecords("XPAUSED BMP"), state == 1 ? 1 : 0);
        if (state == 0) {
            h.fileDialogs.Answers.push_back(From8Bit(SessionHarness::DataFile));
            h.Key('f');
        }
        EXPECT_EQ(h.session.Recording.Logging.LoggingState, -1);

        h.Key('g');
        EXPECT_EQ(h.session.Recording.Logging.LoggingState, -1);
        EXPECT_EQ(h.prompts.History.back().Text, "Cannot start logging.\r\nPlease increase the map size\r\nby 20-25%.");

        h.sound.Played.clear();
        h.dialogs.MapSizes.push_back({true, 60});
        h.Key('s');
        EXPECT_EQ(h.session.Recording.MapOverflowState, MapOverflow::Inside);
        ASSERT_FALSE(h.sound.Played.empty());
        EXPECT_EQ(h.sound.Played.back(), SoundId::Information);
        h.Key('g');
        EXPECT_EQ(h.session.Recording.Logging.LoggingState, 1);
    }
}

// Map Size and Map Display Options give back what was typed; the session
// takes what the track allows and saves the settings once, as the screen
// then stands. A map that holds the track ends an overflow from either
// dialog; a refused one keeps the old size, and in Map Display Options
// nothing else that was chosen with it is lost.
TEST(LoggingCommands, MapDialogsSaveOnceWhatTheScreenShows) {
    struct Case {
        const char* what;
        char key;
        bool fits;
        int32_t mapSize, bandAfter;
        double intervalAfter;
        int32_t changed;  // DisplayOptionsChanged
        MapOverflow overflowAfter;
    };
    // Both dialogs are answered with map size 60 and grid interval 7.5; the
    // settings hold 40, 5.0 and cursor band 1 (a 15 % band).
    const Case cases[] = {
        {"map size, fits", 's', true, 60, 1, 7.5, 256 + 64, MapOverflow::Inside},
        {"map size, refused", 's', false, 40, 1, 5.0, 0, MapOverflow::Reported},
        {"display options, fits", 'd', true, 60, 1, 7.5, 256 + 64, MapOverflow::Inside},
        {"display options, refused", 'd', false, 40, 1, 7.5, 64, MapOverflow::Reported},
    };
    for (const Case& c : cases) {
        SessionHarness h;
        h.StartIn(-1);
        h.session.OnMapOverflow();
        h.map.Fits = c.fits;
        h.dialogs.MapSizes.push_back({true, 60, 7.5});
        h.dialogs.MapDisplaySizes.push_back({true, 60, 7.5});
        const int savesBefore = h.saves;
        h.Key(c.key);
        EXPECT_EQ(h.settings.MapSize, c.mapSize) << c.what;
        EXPECT_EQ(h.settings.GridLinesInterval, c.intervalAfter) << c.what;
        EXPECT_EQ(h.session.DisplayChanges(), c.changed) << c.what;
        EXPECT_EQ(h.session.Recording.MapOverflowState, c.overflowAfter) << c.what;
        EXPECT_EQ(h.saves, savesBefore + 1) << c.what;
        EXPECT_EQ(h.saved, FormatSettingsFile(h.settings)) << c.what;
    }

    // New Station: the session stores the station and saves once.
    SessionHarness h;
    h.StartIn(-1);
    h.dialogs.Stations.push_back({true, 12.5});
    const int savesBefore = h.saves;
    h.Key('n');
    EXPECT_EQ(h.settings.CurrentStation, 12.5);
    EXPECT_EQ(h.saves, savesBefore + 1);
    EXPECT_EQ(h.saved, FormatSettingsFile(h.settings));
}

// Each option dialog opens from its menu item and from its letter, with or
// without a file; Set Coordinates Display Units is item 514 and U.
TEST(LoggingCommands, MenuItemsAndLettersOpenTheirDialogs) {
    struct Case {
        int menuId;
        uint32_t letter;
        const char* dialog;
    };
    const Case cases[] = {
        {505, 'r', "READINGSCALE"}, {506, 'b', "SPEEDSCALE"},   {507, 'p', "DISPLAYSETUP"},
        {508, 'a', "AUDIOFUNCTIONS"}, {510, 's', "MAPSCALE"},   {511, 'd', "DISPLAYOPTIONS"},
        {513, 'w', "GPSMASK"},      {514, 'U', "COORDINATESUNITS"},
    };
    for (int32_t state : {0, -1}) {
        for (const Case& t : cases) {
            for (bool byMenu : {true, false}) {
                SessionHarness h;
                h.settings.GpsInput = 1;
                h.screenMode = 1;
                h.StartIn(state);
                h.dialogs.Log.clear();
                byMenu ? h.Click(t.menuId) : h.Key(t.letter);
                EXPECT_EQ(h.dialogs.Log, std::vector<std::string>{t.dialog})
                    << t.dialog << (byMenu ? " by menu" : " by letter") << " in state " << state;
            }
        }
    }
}

// The menu items' ids and the codes they run; 514 is this program's
// "Coordinates &Units".
TEST(LoggingCommands, MenuIdsRunTheirCodes) {
    const int pairs[][2] = {{500, 0},   {501, 101}, {502, 102}, {503, 103}, {504, 0},   {505, 105},
                            {506, 106}, {507, 107}, {508, 113}, {509, 108}, {510, 110}, {511, 111},
                            {512, 109}, {513, 112}, {514, 114}, {515, 119}, {516, 120}, {517, 115}, {518, 0}};
    for (const auto& p : pairs) EXPECT_EQ(MenuCodeOfId(p[0]), p[1]) << p[0];
}

TEST(LoggingCommands, ForeignOrUnvalidatedFileLeavesTheScreenWithoutAFile) {
    SessionHarness h;
    h.files.Files["C:\\notes.txt"] = "hello world";
    h.files.Files["C:\\old.mgr"] = "TESSEL  W  old file";
    h.StartIn(-1, "C:\\notes.txt");
    EXPECT_EQ(h.prompts.History.back().Text, "File not from Tesselog program");
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
    EXPECT_FALSE(h.session.Recording.File.IsOpen());
    EXPECT_EQ(h.files.Files["C:\\notes.txt"], "hello world");

    // A file of this program: the validation refuses silently, nothing is written.
    const size_t messages = h.prompts.History.size();
    h.fileDialogs.Answers.push_back(u"C:\\old.mgr");
    h.session.PressButton(0);
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
    EXPECT_FALSE(h.session.Recording.File.IsOpen());
    EXPECT_EQ(h.prompts.History.size(), messages);
    EXPECT_EQ(h.files.Files["C:\\old.mgr"], "TESSEL  W  old file");
}

}  // namespace
}  // namespace tesselog
