// The option dialogs of the logging screen give back what was chosen; the
// session stores it, does what follows and saves the settings file once,
// with exactly the lines of that choice changed. Cancel saves nothing and
// changes nothing.
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::SessionHarness;

std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    std::istringstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

// The lines two settings files differ in, as "N: old -> new" (N from 1).
std::vector<std::string> ChangedLines(const std::string& before, const std::string& after) {
    const std::vector<std::string> a = Lines(before), b = Lines(after);
    std::vector<std::string> changed;
    if (a.size() != b.size()) return {"line counts " + std::to_string(a.size()) + " and " + std::to_string(b.size())};
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) changed.push_back(std::to_string(i + 1) + ": " + a[i] + " -> " + b[i]);
    return changed;
}

using Answer = std::function<void(ScriptedLoggingDialogs&, bool ok)>;

struct DialogCase {
    const char* what;
    const char* resource;
    char key;
    int32_t state;  // 0: no file, -1: a file open
    Answer answer;
    std::vector<std::string> lines;  // what OK changes in the file
};

const DialogCase Cases[] = {
    {"Readings Scale", "READINGSCALE", 'r', 0,
     [](ScriptedLoggingDialogs& d, bool ok) { d.ReadingsScales.push_back({ok, 10.0, 500.0}); },
     {"36: 0.000000 -> 10.000000"}},
    {"Set New Speed Bar Scale", "SPEEDSCALE", 'b', 0,
     [](ScriptedLoggingDialogs& d, bool ok) {
         d.SpeedScales.push_back(ok ? std::optional<SpeedScaleChoice>({8.0, 2}) : std::nullopt);
     },
     {"16: 0 -> 2", "38: 5.000000 -> 8.000000"}},
    {"Setup Profile Options", "DISPLAYSETUP", 'p', 0,
     [](ScriptedLoggingDialogs& d, bool ok) {
         ScriptedLoggingDialogs::ProfileAnswer answer;
         answer.Choice.Visible[1] = false;
         answer.LeftThickness = 3;
         d.ProfileAnswers.push_back(ok ? std::optional(answer) : std::nullopt);
     },
     {"31: 1 -> 0", "32: 2 -> 3"}},
    {"Audio Options", "AUDIOFUNCTIONS", 'a', 0,
     [](ScriptedLoggingDialogs& d, bool ok) {
         d.AudioAnswers.push_back(ok ? std::optional<AudioChoice>({true, false, true}) : std::nullopt);
     },
     {"27: 1 -> 0"}},
    {"GPS Warning Mask", "GPSMASK", 'w', 0,
     [](ScriptedLoggingDialogs& d, bool ok) {
         d.GpsMasks.push_back(ok ? std::optional<GpsMaskChoice>({0, 1, 7, 2.5, false}) : std::nullopt);
     },
     {"28: 1 -> 0", "68: 1 -> 0", "70: 5 -> 7", "71: 4.000000 -> 2.500000"}},
    {"Set Coordinates Display Units", "COORDINATESUNITS", 'u', 0,
     [](ScriptedLoggingDialogs& d, bool ok) { d.CoordinateDisplays.push_back(ok ? std::optional(2) : std::nullopt); },
     {"73: 0 -> 2"}},
    {"New Survey Line", "GETNEWLINE", 'l', -1,
     [](ScriptedLoggingDialogs& d, bool ok) { d.NewLines.push_back({ok, "2.00", 2, 5.0}); },
     {"51: 1 -> 2.00", "54: 1 -> 2", "55: 0.000000 -> 5.000000"}},
};

TEST(LoggingDialogSaves, OkSavesOnceWithItsLinesAndCancelSavesNothing) {
    for (const DialogCase& c : Cases) {
        for (bool ok : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (ok ? " OK" : " Cancel"));
            SessionHarness h;
            h.StartIn(c.state);
            const std::string before = FormatSettingsFile(h.settings);
            const int savesBefore = h.saves;
            c.answer(h.dialogs, ok);
            h.Key(static_cast<uint32_t>(c.key));
            ASSERT_EQ(h.dialogs.Log, std::vector<std::string>{c.resource});
            if (!ok) {
                EXPECT_EQ(h.saves, savesBefore);
                EXPECT_EQ(FormatSettingsFile(h.settings), before);
                continue;
            }
            EXPECT_EQ(h.saves, savesBefore + 1);
            EXPECT_EQ(ChangedLines(before, h.saved), c.lines);
            EXPECT_EQ(FormatSettingsFile(h.settings), h.saved) << "everything stored before the save";
        }
    }
}

// What follows a dialog: the speed bar's factor after a new scale, the
// change bit of the readings scale (measured against the scale before the
// dialog applied what was typed), and a new line's first station.
TEST(LoggingDialogSaves, FollowUpsOfTheStoredChoice) {
    SessionHarness h;
    h.StartIn(-1);
    h.session.Recording.GpsLayout.SpeedBarWidth = 400;
    h.dialogs.SpeedScales.push_back(SpeedScaleChoice{8.0, 0});
    h.Key('b');
    EXPECT_EQ(h.session.Recording.GpsLayout.SpeedBarPixelsPerUnit, 50.0);

    h.dialogs.ReadingsScales.push_back({true, -20.0, 300.0});
    h.Key('r');
    EXPECT_EQ(h.session.DisplayChanges(), 16);
    EXPECT_EQ(h.settings.ReadingsScaleMax, 300.0);
    const int saves = h.saves;
    h.dialogs.ReadingsScales.push_back({true, -20.0, 300.0});
    h.Key('r');
    EXPECT_EQ(h.session.DisplayChanges(), 0);
    EXPECT_EQ(h.saves, saves + 1);

    h.dialogs.NewLines.push_back({true, "7", 3, 12.0});
    h.Key('l');
    EXPECT_EQ(h.settings.CurrentStation, 12.0);
    EXPECT_EQ(h.settings.StationIncrement, 1.0);
    EXPECT_EQ(h.session.LinesStarted(), 1);
}

}  // namespace
}  // namespace tesselog
