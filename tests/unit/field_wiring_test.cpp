// The field warnings as the logging session drives them: the handlers feed
// the rules, the screen is told only what changed, one sound per onset, the
// menu's dialog saves TESSELQC.INI and nothing of it reaches the data file.
#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "tests/support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::SessionHarness;

constexpr char QcPath[] = "C:\\TESSELQC.INI";

// One two-sensor console, without GPS.
struct Wired : SessionHarness {
    Wired() {
        settings.ConsoleCount = 1;
        settings.GpsInput = 0;
        settings.RecomputeAll();
        services.QcSettingsPath = QcPath;
        services.Disk = &disk;
        services.Power = &battery;
    }
    // What each reading's own draw of the numbers shows in the left cell.
    struct CellDisplay : ReadingDisplay {
        explicit CellDisplay(const FieldWatch& field) : Field(field) {}
        void DrawNumbers(int, double, double) override { LeftCell = SensorCell(Field.Warnings(), 0); }
        const FieldWatch& Field;
        std::string LeftCell;
    };
    // Console 1 at 56 readings a second: ticks 18 ms apart.
    void Reading(double left, double right) {
        clock.CurrentTick += 18;
        std::snprintf(session.Recording.Consoles.ConsoleSentence[0], ConsoleSentenceSize, "$PBAR,%06.1f,%06.1f", left, right);
        session.Recording.Consoles.ConsoleLastDataTick[0] = clock.CurrentTick;
        CellDisplay display(session.Recording.Field);
        session.OnConsoleData(0, display);
        DrawnCell = display.LeftCell;
    }
    std::string DrawnCell;
    int Sounds() const {
        return static_cast<int>(std::count(sound.Played.begin(), sound.Played.end(), SoundId::FieldWarning));
    }
    FixedDiskSpace disk{uint64_t{4} << 30};
    DrainingBattery battery{clock, 80, 0.0};
};

// Left sensor: a ramp of 0.1 a reading, then held for 12 s, then the ramp
// again; the right sensor ramps throughout.
std::string Survey(bool warningsOn, Wired& w) {
    const RecordingScreenControls& screen = w.controls;
    if (!warningsOn) {
        QcSettings off;
        off.FrozenOn = off.SaturatedOn = off.NoisyOn = off.FieldOn = 0;
        SaveQcSettings(off, w.files, QcPath);
    }
    w.StartIn(1);
    int i = 0;
    for (; i < 112; ++i) w.Reading(50 + 0.1 * i, 70 + 0.1 * i);  // 2 s
    const size_t before = screen.FieldParts.size();
    for (int n = 0; n < 56 * 12; ++n, ++i) w.Reading(61.1, 70 + 0.1 * i);
    if (warningsOn) {
        EXPECT_EQ(screen.FieldShown.Line, "Sensor 1 frozen");
        EXPECT_EQ(screen.FieldShown.Cell[0], "frozen");
        EXPECT_EQ(screen.FieldShown.Cell[1], "");
        EXPECT_EQ(w.DrawnCell, "frozen");
        // Told once, at the onset, not at every reading.
        EXPECT_EQ(screen.FieldParts.size(), before + 1);
        EXPECT_EQ(w.Sounds(), 1);
    }
    // The first reading that moves ends "frozen" in its own cell too.
    w.Reading(61.2, 70 + 0.1 * i++);
    EXPECT_EQ(w.DrawnCell, "");
    for (int n = 1; n < 56; ++n, ++i) w.Reading(61.1 + 0.1 * n, 70 + 0.1 * i);
    EXPECT_EQ(screen.FieldShown.Line, "");
    w.session.PressButton(0);  // pause
    return w.Data();
}

TEST(FieldWiring, FrozenSensorWarnsAndClearsWithoutChangingTheFile) {
    Wired on, off;
    const std::string withWarnings = Survey(true, on);
    const std::string without = Survey(false, off);
    EXPECT_EQ(off.controls.FieldParts.size(), 0u);
    EXPECT_EQ(off.Sounds(), 0);
    ASSERT_GT(withWarnings.size(), 27u * 800);
    EXPECT_EQ(withWarnings, without);
    // The thresholds' file was made with the defaults; the main settings
    // were never written by the warnings.
    EXPECT_NE(on.files.Files[QcPath].find("SensorFrozen=1\r\n"), std::string::npos);
    EXPECT_EQ(on.saves, off.saves);
}

TEST(FieldWiring, WatchTickReadsDiskAndBatteryAndTheDialogSwitchesOneOff) {
    Wired w;
    const RecordingScreenControls& screen = w.controls;
    w.disk.Free = 40 * Megabyte;
    DrainingBattery low(w.clock, 15, 0.0);
    w.services.Power = &low;
    w.StartIn(-1);
    w.session.OnWatchTimer();
    EXPECT_EQ(screen.FieldShown.Line, "Disk: 40 MB free | Battery 15% - data saved, plug in the charger");
    EXPECT_EQ(w.Sounds(), 1);  // two onsets in one tick: one sound

    QcSettings batteryOff;
    batteryOff.BatteryOn = 0;
    w.dialogs.FieldWarningAnswers.push_back(batteryOff);
    w.session.RunCode(CodeFieldWarnings);
    EXPECT_EQ(screen.FieldShown.Line, "Disk: 40 MB free");
    EXPECT_NE(w.files.Files[QcPath].find("Battery=0\r\n"), std::string::npos);
    w.session.OnWatchTimer();
    EXPECT_EQ(screen.FieldShown.Line, "Disk: 40 MB free");
}

}  // namespace
}  // namespace tesselog
