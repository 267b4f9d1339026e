// Every box the logging commands, the check of an appended file's extent and
// the background files show, brought up the way the operator brings it up,
// against its text, caption and icon written out here: a slip in a text of
// the program shows as a difference. (The refusals of an old file's set-up
// have their own table in the append validation test.)
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/background_fixture.h"
#include "support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::BackgroundFixture;
using test::SessionHarness;
using Shown = RecordingPrompts::Shown;

Shown Last(const RecordingPrompts& prompts) { return prompts.History.empty() ? Shown{} : prompts.History.back(); }

// The last box of a session after `act`.
std::function<Shown()> InSession(std::function<void(SessionHarness&)> act) {
    return [act] {
        SessionHarness h;
        act(h);
        return Last(h.prompts);
    };
}

// Code `code` on a screen with GPS or without (gps 0), the map shown or
// toggled away: the options that need what is missing are refused.
std::function<Shown()> Code(int32_t gps, bool hideMap, int code) {
    return InSession([=](SessionHarness& h) {
        h.settings.GpsInput = gps;
        h.session.StartLogging();
        if (hideMap) h.session.RunCode(109);
        h.session.RunCode(code);
        EXPECT_TRUE(h.session.ScreenUpdatesOn()) << code;
    });
}

// "&File" on an old file of this program that passes its check; its 19
// bytes are no whole record, so a torn end goes first. `pick` 0 is the
// first box, else the last.
std::function<Shown()> Appended(ExtentVerdict verdict, int pick = 1) {
    return [verdict, pick] {
        SessionHarness h;
        h.files.Files["C:\\old.mgr"] = "TESSEL  W  old file";
        h.validation.Accept = true;
        h.map.Scan.Verdict = verdict;
        h.map.Scan.PositionCount = 12;
        h.StartIn(-1, "C:\\old.mgr");
        return pick == 0 ? h.prompts.History.front() : Last(h.prompts);
    };
}

// The box of loading `contents` as A.TXT.
std::function<Shown()> Loaded(std::string contents, std::function<void(BackgroundFixture&)> set = {}) {
    return [contents, set] {
        BackgroundFixture f;
        if (set) set(f);
        f.Load("A.TXT", contents);
        return Last(f.prompts);
    };
}

TEST(OperatorTexts, EveryBoxShowsItsOwnText) {
    using test::UtmLines;
    struct Row {
        const char* what;
        std::function<Shown()> show;
        const char* text;
        const char* caption;
        PromptIcon icon;
    };
    const PromptIcon none = PromptIcon::None, info = PromptIcon::Information, bang = PromptIcon::Exclamation;
    const char* const gpsOnly = "Option avaiable only when GPS is enabled";
    const char* const mapOnly = "Option avaiable only when map is visible";
    const Row rows[] = {
        // --- the logging commands ---
        {"a foreign file",
         InSession([](SessionHarness& h) {
             h.files.Files["C:\\notes.txt"] = "hello world";
             h.StartIn(-1, "C:\\notes.txt");
         }),
         "File not from Tesselog program", "INFORMATION", info},
        {"speed bar without GPS", Code(0, false, 106), gpsOnly, "INFORMATION", none},
        {"toggle view without GPS", Code(0, false, 109), gpsOnly, "INFORMATION", none},
        {"map size without GPS", Code(0, false, 110), gpsOnly, "INFORMATION", none},
        {"map options without GPS", Code(0, false, 111), gpsOnly, "INFORMATION", none},
        {"warning mask without GPS", Code(0, false, 112), gpsOnly, "INFORMATION", none},
        {"background without GPS: no map", Code(0, false, 119), mapOnly, "INFORMATION", none},
        {"map options with the map hidden", Code(1, true, 111), mapOnly, "INFORMATION", none},
        {"background before a fix", Code(1, false, 119), "Valid GPS position must be received to use this option.",
         "INFORMATION", none},
        {"an eleventh background",
         InSession([](SessionHarness& h) {
             h.background.Loaded = 10;
             h.session.StartLogging();
             h.session.Recording.GpsState.FirstFixSeen = 1;
             h.session.RunCode(119);
         }),
         "Maximum 10 background files already loaded.", "INFORMATION", none},
        {"no background to remove", Code(1, false, 120), "No background files to remove", "INFORMATION", none},
        {"Go while the map overflows",
         InSession([](SessionHarness& h) { h.StartIn(-1); h.session.OnMapOverflow(); h.Key('g'); }),
         "Cannot start logging.\r\nPlease increase the map size\r\nby 20-25%.", "WARNING", none},
        {"the overflow's pause",
         InSession([](SessionHarness& h) { h.StartIn(1); h.session.OnMapOverflow(); }),
         "Please select Map Size option\r\nand increase the map size\r\nby 20-25%.", "WARNING", none},
        {"a map size too small",
         InSession([](SessionHarness& h) {
             h.StartIn(-1);
             h.map.Fits = false;
             h.dialogs.MapSizes.push_back({true, 20});
             h.Key('s');
         }),
         "Map Size too small\r\nPlease select Map Size option\r\nand increase the map size", "WARNING", none},
        {"a grid interval below 0.5",
         InSession([](SessionHarness& h) { h.StartIn(-1); h.dialogs.MapSizes.push_back({true, 40, 0.2}); h.Key('s'); }),
         "Grid Interval must be >= 0.5 of map unit. Program assumed minimum value.", "INFORMATION", none},
        {"exit with a file open",
         InSession([](SessionHarness& h) { h.StartIn(-1); h.prompts.Answers.push_back(false); h.Key('x'); }),
         "Exit Logging?", "Confirm Exit", PromptIcon::Question},
        {"quick line after line \" 5\"",
         InSession([](SessionHarness& h) {
             h.settings.StartLineText = " 5";
             h.settings.LineIncrement = 1.0;
             h.StartIn(-1);
             h.prompts.Answers.push_back(false);
             h.Key('q');
         }),
         "New Line: 6.00", "Quick Line", PromptIcon::Question},
        // --- an appended file ---
        {"a torn end", Appended(ExtentVerdict::Fits, 0),
         "The end of this file was not written completely (the program or the computer stopped while writing).\r\n"
         "The last 19 bytes were removed: a record cut short, or the records of a GPS sentence or of a map position "
         "group that was not finished. Everything before them is kept.",
         "INFORMATION", info},
        {"a file too large for the map", Appended(ExtentVerdict::TooLarge),
         "Map Size too small to accommodate the data file.\r\nPlease increase map size in Map Size option\r\n"
         "then select the file again",
         "WARNING", none},
        {"a file at the position limit", Appended(ExtentVerdict::PositionsAtLimit),
         "Number of GPS Positions in the file has reached its maximum", "INFORMATION", info},
        {"the positions of a file", Appended(ExtentVerdict::Fits), "Total Number of GPS Positions:       12\r\n",
         "INFORMATION", info},
        // --- background files ---
        {"no points", Loaded("/ header only\nx y\n"), "Check background file structure.", "FILE ERROR", bang},
        {"all off the map", Loaded(UtmLines({{5.0e6, 0}, {5.0e6, 10}})), "All points in background file are invalid\r\n",
         "STOP", bang},
        {"a foreign data file",
         Loaded(std::string("\x7f" "ELF\x02\x01\x01\0\0\0\n", 11),
                [](BackgroundFixture& f) { f.settings.BackgroundFileType = 0; }),
         "Format not supported", "INFORMATION", none},
        {"one column twice for UTM",
         Loaded(UtmLines({{0, 0}}), [](BackgroundFixture& f) { f.settings.BackgroundLatColumn = 0; }),
         "Same column selected for UTM coordinates. Please correct.", "INFORMATION", none},
        {"one column twice for degrees",
         Loaded(UtmLines({{0, 0}}),
                [](BackgroundFixture& f) {
                    f.settings.BackgroundLatColumn = 0;
                    f.settings.BackgroundCoordType = 0;
                }),
         "Same column selected for Longitude and Latitude. Please correct.", "INFORMATION", none},
        {"points off the map", Loaded(UtmLines({{0, 0}, {5.0e6, 0}, {10, 0}, {12, 0}})),
         "Number of points in background file: 4\r\nNumber of invalid points: 1\r\n", "WARNING", bang},
        // Three 30-byte records, the second cut: the first pass names record 1.
        {"a read error before a point on the map",
         Loaded(UtmLines({{5.0e6, 0}, {0, 0}, {1, 1}}), [](BackgroundFixture& f) { f.files.CopyReadLimit = 40; }),
         " Unexpected error B$1\r\n processing file:\r\n A.TXT", "WARNING", none},
        // Records 1 to 3 whole, the fourth cut after 7 bytes.
        {"a read error after points on the map",
         Loaded(UtmLines({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), [](BackgroundFixture& f) { f.files.CopyReadLimit = 97; }),
         " Unexpected error B$4\r\n processing file:\r\n A.TXT", "WARNING", none},
    };
    for (const Row& row : rows) {
        const Shown shown = row.show();
        EXPECT_EQ(shown.Text, row.text) << row.what;
        EXPECT_EQ(shown.Caption, row.caption) << row.what;
        EXPECT_EQ(shown.Icon, row.icon) << row.what;
    }
}

}  // namespace
}  // namespace tesselog
