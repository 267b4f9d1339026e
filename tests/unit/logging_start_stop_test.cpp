// Starting and stopping logging: port conflicts, failed opens, the GPS-less
// start and exit, and the derived sensor tables. The exit question with a
// file open is part of the state machine test of the commands.
#include <gtest/gtest.h>

#include "core/acquisition/console_framer.h"
#include "tests/support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::Logged;
using test::SessionHarness;

TEST(LoggingStartStop, PortConflictsAreEachShownAndNothingOpens) {
    SessionHarness h;
    h.settings.ConsoleCount = 2;
    h.settings.ConsolePort[0] = h.settings.ConsolePort[1] = h.settings.GpsPort = 4;
    EXPECT_FALSE(h.session.StartLogging());
    ASSERT_EQ(h.prompts.History.size(), 3u);
    EXPECT_EQ(h.prompts.History[0].Text, "Com5 Assigned to Instrument 1 and GPS");
    EXPECT_EQ(h.prompts.History[1].Text, "Com5 Assigned to Instrument 1 and Instrument 2");
    EXPECT_EQ(h.prompts.History[2].Text, "Com5 Assigned to Instrument 2 and GPS");
    for (const auto& shown : h.prompts.History) EXPECT_EQ(shown.Caption, "Serial Port");
    for (const auto& entry : h.ports.Log) EXPECT_EQ(entry.rfind("open", 0), std::string::npos) << entry;
    EXPECT_EQ(h.screenMode, 0);
    EXPECT_FALSE(h.controls.LoggingScreenVisible);
}

TEST(LoggingStartStop, AFailedOpenClosesWhatWasOpenedAndTheNextStartOpensAll) {
    SessionHarness h;
    h.ports.ConsoleFails[2] = true;
    EXPECT_FALSE(h.session.StartLogging());
    EXPECT_TRUE(Logged(h.ports.Log, "close console 0"));
    EXPECT_TRUE(Logged(h.ports.Log, "close console 1"));
    EXPECT_FALSE(Logged(h.ports.Log, "close console 2"));
    EXPECT_TRUE(Logged(h.ports.Log, "close gps"));
    EXPECT_FALSE(Logged(h.ports.Log, "start reader 0"));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(h.session.Recording.Consoles.ConsolePortOpen[k].load(), 0);
    EXPECT_EQ(h.screenMode, 0);

    h.ports.ConsoleFails[2] = false;
    h.ports.Log.clear();
    EXPECT_TRUE(h.session.StartLogging());
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Logged(h.ports.Log, "open console " + std::to_string(k)));
        EXPECT_TRUE(Logged(h.ports.Log, "start reader " + std::to_string(k)));
    }
    EXPECT_EQ(h.screenMode, 1);
    EXPECT_EQ(h.session.Recording.Gps.GpsReaderRun.load(), 1);
}

// A second file in the same run of the program: nothing of the first
// logging screen may leak into it.
TEST(LoggingStartStop, SurveySetupOkPutsTheNextFirstReadingAtTheStartStation) {
    SessionHarness h;
    h.settings.GpsInput = 0;
    ReadingDisplay display;
    auto reading = [&] {
        StoreAcceptedSentence(h.session.Recording.Consoles, 0, "$PBAR,0060,0065", 15, h.clock.CurrentTick);
        h.session.OnConsoleData(0, display);
    };
    h.StartIn(1);
    reading();
    reading();
    h.session.PressButton(0);  // pause
    h.Key('x');                // "Exit Logging?" Yes
    ASSERT_EQ(h.screenMode, 0);

    h.settings.StartStation = h.settings.CurrentStation = 100.0;  // what Survey Setup's OK stores
    h.session.OnSurveySetupAccepted();
    h.StartIn(1, "C:\\261204_001.mgr");
    reading();
    EXPECT_EQ(h.settings.CurrentStation, 100.0);
    reading();
    EXPECT_EQ(h.settings.CurrentStation, 100.0 + h.settings.StationIncrement);
}

TEST(LoggingStartStop, MapReferenceOfANewFileIsZeroBeforeAnyFixAndWithoutGps) {
    for (int32_t gps : {1, 0}) {
        SCOPED_TRACE(gps);
        SessionHarness h;
        ASSERT_TRUE(h.session.StartLogging());
        // An earlier screen's first fix.
        h.session.Recording.GpsState.MapReferenceNorthing = 5761234.5;
        h.session.Recording.GpsState.MapReferenceEasting = 654321.25;
        h.Key('x');
        h.settings.GpsInput = gps;
        h.StartIn(-1);
        const std::string& bytes = h.Data();
        ASSERT_GE(bytes.size(), 6u * 27);
        EXPECT_EQ(bytes.substr(3 * 27, 15), "G         0.000");
        EXPECT_EQ(bytes.substr(4 * 27, 15), "G         0.000");
    }
}

// What the screen paints follows the state, the file and the line: no
// file, then Stand By in a new file, then recording; a quick line counts.
TEST(LoggingStartStop, StatusSnapshotFollowsTheStateFileAndLine) {
    SessionHarness h;
    h.settings.StartLineText = "7";
    h.settings.CurrentStation = 12.5;
    h.session.StartLogging();
    StatusInputs in = h.session.StatusSnapshot();
    EXPECT_EQ(in.LoggingState, 0);
    EXPECT_EQ(in.FileName, "");
    EXPECT_EQ(in.CurrentLineText, "7");
    EXPECT_EQ(in.CurrentStation, 12.5);
    EXPECT_EQ(in.MapVisible, 1);
    EXPECT_EQ(in.Warnings, "");

    h.fileDialogs.Answers.push_back(From8Bit(SessionHarness::DataFile));
    h.session.PressButton(0);
    in = h.session.StatusSnapshot();
    EXPECT_EQ(in.LoggingState, -1);
    EXPECT_EQ(in.FileName, "261204_000");
    EXPECT_EQ(in.LinesStarted, 0);

    h.prompts.Answers.push_back(true);
    h.session.PressButton(1);  // "&QLine": line 8, from where line 7 ended
    in = h.session.StatusSnapshot();
    EXPECT_EQ(in.LinesStarted, 1);
    EXPECT_EQ(in.CurrentLineText, "8.00");

    h.session.PressButton(0);
    EXPECT_EQ(h.session.StatusSnapshot().LoggingState, 1);
}

TEST(LoggingStartStop, SensorTablesSpanTheArray) {
    Settings s;
    s.ConsoleCount = 3;
    s.ConsoleType[0] = s.ConsoleType[2] = 1;
    s.ConsoleType[1] = 0;
    s.UnitSensorSeparation = 0.5;
    s.ConsoleSeparation = 1.0;
    SensorTables t = BuildSensorTables(s);
    EXPECT_EQ(t.SensorCount, 5);
    const int32_t first[] = {0, 2, 3};
    const double position[] = {0.0, 0.5, 1.5, 2.5, 3.0};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(t.ConsoleFirstSensor[i], first[i]);
    for (int k = 0; k < 5; ++k) {
        EXPECT_DOUBLE_EQ(t.SensorPosition[k], position[k]);
        EXPECT_DOUBLE_EQ(t.StripLeft[k], position[k] / 3.5);
        EXPECT_DOUBLE_EQ(t.StripRight[k], (position[k] + 0.5) / 3.5);
        // The swath reaches half the smaller separation beyond the outer sensors.
        EXPECT_DOUBLE_EQ(t.SwathPlace[k], (position[k] + 0.25) / 3.5);
    }
    EXPECT_DOUBLE_EQ(t.MinSeparation, 0.5);
}

}  // namespace
}  // namespace tesselog
