#include <gtest/gtest.h>

#include <string>

#include "core/logscreen/screen_look.h"
#include "core/platform/memory_file_system.h"
#include "core/qc/qc_dialog.h"
#include "core/qc/qc_settings.h"
#include "core/settings/settings_file.h"
#include "support/test_support.h"

using namespace tesselog;

namespace {
const char Path[] = "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELQC.INI";
}

TEST(QcSettingsFile, CreatedWithTheDefaultsBesideTheMainFile) {
    EXPECT_EQ(QcSettingsPathBeside("C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI"), Path);
    MemoryFileSystem fs;
    QcSettings settings;
    settings.FrozenSeconds = 99.0;
    EXPECT_EQ(LoadOrCreateQcSettings(settings, fs, Path), QcFileOutcome::Created);
    EXPECT_EQ(settings.FrozenSeconds, 10.0);
    test::ExpectMatchesGolden("qc-default.ini", fs.Files[Path]);

    fs.Files[Path] = "FrozenSeconds=30\r\n";
    EXPECT_EQ(LoadOrCreateQcSettings(settings, fs, Path), QcFileOutcome::Loaded);
    EXPECT_EQ(settings.FrozenSeconds, 30.0);
    EXPECT_EQ(settings.NoiseRatio, 4.0);
    EXPECT_EQ(fs.Files[Path], "FrozenSeconds=30\r\n");  // a read leaves the file as it is

    MemoryFileSystem readOnly;
    readOnly.ReadOnly = true;
    EXPECT_EQ(LoadOrCreateQcSettings(settings, readOnly, Path), QcFileOutcome::Unreadable);
    EXPECT_EQ(settings.FrozenSeconds, 10.0);
}

TEST(QcSettingsFile, ReadTolerantly) {
    const struct {
        const char* Text;
        double FrozenSeconds;
        int32_t FrozenOn;
        double SaturationLow, SaturationHigh;
        int32_t BatteryFirst, BatteryLast;
    } cases[] = {
        {"FrozenSeconds=20\r\nSensorFrozen=0\r\n", 20, 0, -999, 9999, 20, 10},
        {"  frozenseconds = 20 \nSENSORFROZEN=0", 20, 0, -999, 9999, 20, 10},  // LF only, blanks, case
        {"FrozenSeconds=abc\r\nSensorFrozen=2\r\n", 10, 1, -999, 9999, 20, 10},  // not a number, not a switch
        {"FrozenSeconds=0.5\r\n", 10, 1, -999, 9999, 20, 10},                      // below its range
        {"; FrozenSeconds=20\r\n# SensorFrozen=0\r\nNoSuchKey=3\r\n=5\r\n", 10, 1, -999, 9999, 20, 10},
        {"SaturationLow=-50\r\nSaturationHigh=450.5\r\n", 10, 1, -50, 450.5, 20, 10},
        {"SaturationHigh=-2000\r\n", 10, 1, -999, 9999, 20, 10},                   // below the low limit
        {"BatteryFirstPercent=30\r\nBatteryLastPercent=15\r\n", 10, 1, -999, 9999, 30, 15},
        {"BatteryFirstPercent=5\r\n", 10, 1, -999, 9999, 20, 10},                  // below the last warning
        {"BatteryFirstPercent=12.5\r\n", 10, 1, -999, 9999, 20, 10},               // a whole number only
        {"FrozenSeconds=20\r\nFrozenSeconds=40\r\n", 40, 1, -999, 9999, 20, 10},   // the last one counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        QcSettings s = ParseQcSettingsFile(c.Text);
        EXPECT_EQ(s.FrozenSeconds, c.FrozenSeconds);
        EXPECT_EQ(s.FrozenOn, c.FrozenOn);
        EXPECT_EQ(s.SaturationLow, c.SaturationLow);
        EXPECT_EQ(s.SaturationHigh, c.SaturationHigh);
        EXPECT_EQ(s.BatteryFirstPercent, c.BatteryFirst);
        EXPECT_EQ(s.BatteryLastPercent, c.BatteryLast);
    }

    // Every value away from its default survives the file.
    QcSettings changed;
    changed.GapsOn = 0;
    changed.SoundOn = 0;
    changed.NoiseRatio = 6.25;
    changed.DiskFloorMegabytes = 120.0;
    changed.SpacingLimitMetres = 0.25;
    changed.ClockToleranceSeconds = 1.5;
    changed.PositionFirstMinutes = 15.0;
    changed.PositionLastMinutes = 4.5;
    EXPECT_EQ(FormatQcSettingsFile(ParseQcSettingsFile(FormatQcSettingsFile(changed))),
              FormatQcSettingsFile(changed));
    EXPECT_NE(FormatQcSettingsFile(changed).find("NoiseRatio=6.25\r\n"), std::string::npos);
}

TEST(QcSettingsDialog, KeepsWhatIsNotANumberInRange) {
    QcSettings settings;
    DialogForm form = FieldWarningsForm(settings);
    EXPECT_EQ(form.Edit(IDC_QC_FROZEN_SECONDS).Text, "10");
    EXPECT_EQ(form.Edit(IDC_QC_SATURATION_HIGH).Text, "9999");
    EXPECT_TRUE(form.Check(IDC_QC_GAPS_ON).Checked);

    form.Check(IDC_QC_GAPS_ON).Checked = false;
    form.Edit(IDC_QC_FROZEN_SECONDS).Text = "15";
    form.Edit(IDC_QC_NOISE_RATIO).Text = "lots";     // kept at 4
    form.Edit(IDC_QC_NOISE_WINDOW).Text = "60";      // beyond 10 s: kept at 5
    form.Edit(IDC_QC_BATTERY_LAST).Text = "25";      // above the first warning: both kept
    EXPECT_TRUE(StoreFieldWarnings(form, settings));
    EXPECT_EQ(settings.GapsOn, 0);
    EXPECT_EQ(settings.FrozenSeconds, 15.0);
    EXPECT_EQ(settings.NoiseRatio, 4.0);
    EXPECT_EQ(settings.NoiseWindowSeconds, 5.0);
    EXPECT_EQ(settings.BatteryLastPercent, 10);
    EXPECT_FALSE(StoreFieldWarnings(FieldWarningsForm(settings), settings));  // OK without a change
}

TEST(QcSettings, DefaultLimitsFromTheSeparationsInUse) {
    const struct {
        int32_t Consoles;
        int32_t Type;  // of every console
        double Unit, Console;
        double Larger;
    } arrays[] = {
        {3, 1, 0.5, 1.0, 1.0},
        {1, 1, 0.5, 2.0, 0.5},    // one two-sensor console: no console separation
        {2, 0, 0.25, 0.75, 0.75}, // one-sensor consoles: no unit separation
        {1, 0, 0.5, 0.75, 0.75},  // a single sensor: the larger stored one
    };
    for (const auto& a : arrays) {
        Settings s;
        s.ConsoleCount = a.Consoles;
        for (int32_t& type : s.ConsoleType) type = a.Type;
        s.UnitSensorSeparation = a.Unit;
        s.ConsoleSeparation = a.Console;
        s.RecomputeAll();
        EXPECT_EQ(LargerSeparation(s), a.Larger);
        QcSettings qc;
        EXPECT_EQ(GapWidthMetres(qc, s), a.Larger / 2.0);
        EXPECT_EQ(SpacingLimitMetres(qc, s), 0.4);  // the same for every array
        qc.GapWidthMetres = 2.0;
        EXPECT_EQ(GapWidthMetres(qc, s), 2.0);
    }
}

TEST(QcSettings, GapLimitsInTheSurveysUnitAndAlikeForEveryConsoleCount) {
    // Consoles of two sensors 1 m apart, 1 m between consoles. The painted
    // swath reaches 0.25 m beyond the outer sensors with one console and
    // 0.5 m with more; the ground a line surveys reaches half the 1 m
    // interval either way.
    const struct {
        int32_t Consoles;
        int32_t Units;  // 0 metres, 1 feet, 2 US survey feet
        double GapWidth, Widening, Interval;
    } arrays[] = {
        {1, 0, 0.5, 0.25, 1.0},
        {3, 0, 0.5, 0.0, 1.0},
        {9, 0, 0.5, 0.0, 1.0},
        {1, 1, 1.6404199, 0.8202100, 3.2808399},
        {3, 1, 1.6404199, 0.0, 3.2808399},
        {3, 2, 1.6404167, 0.0, 3.2808333},
    };
    for (const auto& a : arrays) {
        SCOPED_TRACE(a.Consoles * 10 + a.Units);
        Settings s;
        s.ConsoleCount = a.Consoles;
        for (int32_t& type : s.ConsoleType) type = 1;
        s.UnitSensorSeparation = s.ConsoleSeparation = 1.0;
        s.DisplayUnits = a.Units;
        s.GpsOffsetX = 0.0;
        s.RecomputeAll();
        const GapLimits g = GapLimitsOf(QcSettings(), s);
        EXPECT_NEAR(g.GapWidth, a.GapWidth, 1e-6);
        EXPECT_NEAR(g.EdgeWidening, a.Widening, 1e-6);
        // The surveyed ground is the array's width and one interval, from
        // the antenna at the first sensor.
        const double across = s.SwathEdgeNear + s.SwathEdgeFar + 2.0 * g.EdgeWidening;
        EXPECT_NEAR(across, (2.0 * a.Consoles) * a.Interval, 1e-6);
        EXPECT_NEAR(g.NearShare * across, a.Interval / 2.0, 1e-6);
    }
    // A width typed in metres is that many metres on a map in feet.
    Settings feet;
    feet.ConsoleCount = 1;
    feet.ConsoleType[0] = 1;
    feet.DisplayUnits = 1;
    feet.RecomputeAll();
    QcSettings two;
    two.GapWidthMetres = 2.0;
    EXPECT_NEAR(GapLimitsOf(two, feet).GapWidth, 6.5617, 1e-4);
}

TEST(QcSettingsFile, ASaveThatCannotFinishLeavesTheOldFile) {
    // The disk fills during the write, or the flush fails (the disk taken
    // away): the save says so, the file is as it was, and nothing is left
    // beside it. The main settings file and the screen's look are saved the same way.
    const std::string old = "FrozenSeconds=30\r\nSensorNoisy=0\r\n";
    const std::string mainPath = "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI";
    const std::string lookPath = "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELDS.INI";
    enum class Fault { DiskFull, FlushFails, ReadOnly };
    for (Fault fault : {Fault::DiskFull, Fault::FlushFails, Fault::ReadOnly}) {
        SCOPED_TRACE(static_cast<int>(fault));
        MemoryFileSystem fs;
        fs.Files[Path] = old;
        fs.Files[mainPath] = old;
        fs.Files[lookPath] = old;
        if (fault == Fault::DiskFull) fs.Capacity = 3 * old.size() + 10;
        if (fault == Fault::FlushFails) fs.FlushFails = true;
        if (fault == Fault::ReadOnly) fs.ReadOnly = true;
        EXPECT_FALSE(SaveQcSettings(QcSettings(), fs, Path));
        EXPECT_FALSE(SaveSettings(Settings(), fs, mainPath, ""));
        EXPECT_FALSE(SaveScreenLook(ScreenLook(), fs, lookPath));
        EXPECT_EQ(fs.Files[Path], old);
        EXPECT_EQ(fs.Files[mainPath], old);
        EXPECT_EQ(fs.Files[lookPath], old);
        EXPECT_EQ(fs.Files.size(), 3u);
    }
    MemoryFileSystem fs;
    fs.Files[Path] = old;
    EXPECT_TRUE(SaveQcSettings(QcSettings(), fs, Path));
    EXPECT_EQ(fs.Files[Path], FormatQcSettingsFile(QcSettings()));
    EXPECT_EQ(fs.Files.size(), 1u);
    EXPECT_EQ(fs.Unflushed.size(), 0u);  // on the disk before it took the old one's place
}

// The export says which sensor limits flagged its lines.
TEST(QcSettings, SensorLimitsInALine) {
    QcSettings qc;
    EXPECT_EQ(SensorLimitsText(qc), "frozen 10 s, saturated 2 s beyond -999..9999, noisy 4x over 5 s, bad field 2 s");
    qc = ParseQcSettingsFile("FrozenSeconds=1.5\r\nSensorField=0\r\nSaturationHigh=1000\r\nNoiseRatio=2.5\r\n");
    EXPECT_EQ(SensorLimitsText(qc),
              "frozen 1.5 s, saturated 2 s beyond -999..1000, noisy 2.5x over 5 s, bad field off");
}
