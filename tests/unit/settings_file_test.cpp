#include <gtest/gtest.h>

#include <string>

#include "core/platform/memory_file_system.h"
#include "core/platform/stdio_file_system.h"
#include "core/settings/settings_file.h"
#include "support/test_support.h"

using namespace tesselog;
using tesselog::test::ExpectMatchesGolden;

namespace {

const char Path[] = "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI";

// The fields the changed golden file differs in, of every value format.
Settings ChangedSettings() {
    Settings s;
    s.ConsoleCount = 4;
    s.ConsoleType[3] = 0;
    s.ReadingsScaleMax = 250.5;
    s.StartLineText = "A12";
    s.MapSize = 120;
    s.ProfileColor[1] = 0x123456;
    s.RecomputeAll();
    return s;
}

// Every stored field away from its default, all within their lists.
Settings EveryFieldChanged() {
    Settings s;
    s.DataFolder = "D:\\Survey 2024\\Site B\\";
    s.ConsoleCount = 9;
    s.FileHeaderOption = 0;
    for (int i = 0; i < MaxConsoles; ++i) {
        s.ConsoleType[i] = i % 2;
        s.ConsolePort[i] = 47 - i;
    }
    s.LeadingPoint = 13;
    s.DisplayUnits = 2, s.SpeedUnits = 3, s.AudioTicks = 0, s.DisconnectAlarm = 0, s.GpsMaskAudioWarning = 0;
    s.PauseKey = 3, s.ProfileVisible[0] = 0, s.ProfileVisible[1] = 0, s.ProfileThickness[0] = 4;
    s.ProfileThickness[1] = 1, s.ProfileColor[0] = 0xABCDEF, s.ProfileColor[1] = 0x010203;
    s.ReadingsScaleMin = -12.25, s.ReadingsScaleMax = 0.0254, s.SpeedBarScale = 7.5;
    s.GpsInput = 0, s.NmeaMode = 8, s.GpsPort = 46, s.GpsBaud = 5, s.GpsDataBits = 0, s.GpsParity = 2;
    s.GpsStopBits = 1, s.ArrayUnits = 3, s.UnitSensorSeparation = 0.75, s.ConsoleSeparation = 1.5;
    s.GpsOffsetX = -0.125, s.GpsOffsetY = 3.0, s.StartLineText = "North 12345", s.LineIncrement = 0.5;
    s.LineSequence = 1, s.LineDirection = 3, s.StartStation = 100.5, s.StationIncrement = 0.25;
    s.CursorSize = 5, s.PositionSize = 0, s.ReservedInt = -77, s.CursorColor = 0xFFFFFF, s.PositionColor = 0x00FF00;
    s.MapDisplayType = 0, s.MapGridType = 1, s.GridLinesInterval = 12.5, s.GridLinesAngle = 45.0, s.MapSize = 2000;
    s.CursorBand = 6, s.GpsMaskWarning = 0, s.GpsMaskQuality = 4, s.GpsMaskSatellites = 12;
    s.GpsMaskDilution = 1.5, s.ReservedDouble = -1.0, s.CoordinateDisplay = 3, s.BackgroundFileType = 1;
    s.BackgroundDisplayType = 3, s.BackgroundCoordType = 0, s.BackgroundLonColumn = 23, s.BackgroundLatColumn = 22;
    s.BackgroundDelimiter = 2;
    s.RecomputeAll();
    return s;
}

struct Loaded {
    SettingsFileOutcome outcome;
    Settings settings;
    std::string fileAfter;
    bool fileExists;
};

Loaded LoadFrom(const std::string& bytes, const Settings& before = Settings()) {
    MemoryFileSystem fs;
    fs.Files[Path] = bytes;
    Loaded out{SettingsFileOutcome::Loaded, before, "", false};
    out.outcome = LoadOrCreateSettings(out.settings, fs, Path, "");
    out.fileExists = fs.Files.count(Path) > 0;
    if (out.fileExists) out.fileAfter = fs.Files[Path];
    return out;
}

}  // namespace

TEST(SettingsFile, GoldenFiles) {
    ExpectMatchesGolden("settings-default.ini", FormatSettingsFile(Settings()));
    ExpectMatchesGolden("settings-changed.ini", FormatSettingsFile(ChangedSettings()));

    // Save writes exactly the formatted file, into the working folder.
    MemoryFileSystem fs;
    fs.Directories.insert("W:\\work\\");
    EXPECT_TRUE(SaveSettings(ChangedSettings(), fs, "TESSELWIN.INI", "W:\\work\\"));
    EXPECT_EQ(fs.Files["W:\\work\\TESSELWIN.INI"], FormatSettingsFile(ChangedSettings()));
}

TEST(SettingsFile, LoadRoundTripsEveryFieldAndRecomputes) {
    const Settings saved = EveryFieldChanged();
    Loaded got = LoadFrom(FormatSettingsFile(saved));
    EXPECT_EQ(got.outcome, SettingsFileOutcome::Loaded);
    EXPECT_EQ(FormatSettingsFile(got.settings), FormatSettingsFile(saved));
    EXPECT_EQ(got.fileAfter, FormatSettingsFile(saved));  // a read leaves the file alone
    EXPECT_EQ(got.settings.DataFolder, saved.DataFolder);
    EXPECT_EQ(got.settings.StartLineText, "North 12345");
    EXPECT_EQ(got.settings.ReadingsScaleMax, 0.0254);

    // Derived values follow the file, not the record before the read.
    Settings file;
    file.ConsoleType[2] = 0;
    file.ConsoleSeparation = 0.5;
    file.GpsOffsetX = 0.0;
    file.StartStation = 12.5;
    file.CursorSize = 0;
    Loaded derived = LoadFrom(FormatSettingsFile(file));
    EXPECT_EQ(derived.settings.SensorTotal(), 5);
    EXPECT_EQ(derived.settings.TwoSensorConsoleCount, 2);
    EXPECT_DOUBLE_EQ(derived.settings.ArrayWidth, 3.0);
    EXPECT_DOUBLE_EQ(derived.settings.SwathEdgeNear, 0.25);
    EXPECT_EQ(derived.settings.CurrentStation, 12.5);
    EXPECT_EQ(derived.settings.CursorOuterPixels, 7);

    Settings small;
    small.StationIncrement = 0.0000001;
    EXPECT_EQ(LoadFrom(FormatSettingsFile(small)).settings.StationIncrement, 0.0);  // "%f" keeps six decimals
}

TEST(SettingsFile, MissingOrOutdatedFileIsWrittenFromTheRecord) {
    const Settings record = ChangedSettings();
    std::string lfOnly;
    for (char c : FormatSettingsFile(EveryFieldChanged()))
        if (c != '\r') lfOnly += c;
    std::string otherVersion = FormatSettingsFile(EveryFieldChanged());
    otherVersion.replace(0, 4, "2.15");
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
        SettingsFileOutcome outcome;
    };
    const Case cases[] = {
        {"missing", false, "", SettingsFileOutcome::Created},
        {"LF-only line ends read 2.1", true, lfOnly, SettingsFileOutcome::Rebuilt},
        {"other version", true, otherVersion, SettingsFileOutcome::Rebuilt},
        {"version with trailing blank", true, "2.16 \r\n", SettingsFileOutcome::Rebuilt},
        {"empty file", true, "", SettingsFileOutcome::Rebuilt},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs;
        if (c.present) fs.Files[Path] = c.bytes;
        Settings s = record;
        EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), c.outcome) << c.name;
        EXPECT_EQ(FormatSettingsFile(s), FormatSettingsFile(record)) << c.name;  // the file's choices are lost
        EXPECT_EQ(fs.Files[Path], FormatSettingsFile(record)) << c.name;
    }
}

TEST(SettingsFile, TruncatedFileKeepsTheFieldsNotRead) {
    const std::string full = FormatSettingsFile(EveryFieldChanged());
    // Cut after line 40 (NmeaMode), and in the middle of line 41 (GpsPort "46").
    size_t afterLine40 = 0;
    for (int i = 0; i < 40; ++i) afterLine40 = full.find("\r\n", afterLine40) + 2;
    for (size_t cut : {afterLine40, afterLine40 + 1}) {
        Loaded got = LoadFrom(full.substr(0, cut));
        EXPECT_EQ(got.outcome, SettingsFileOutcome::Loaded);
        EXPECT_EQ(got.settings.NmeaMode, 8);           // line 40, read
        EXPECT_EQ(got.settings.GpsPort, 1);            // line 41, kept
        EXPECT_EQ(got.settings.StartLineText, "1");    // kept
        EXPECT_EQ(got.settings.MapSize, 40);           // kept
        EXPECT_EQ(got.settings.TwoSensorConsoleCount, 4);  // recomputed from what was read
        EXPECT_EQ(got.fileAfter, full.substr(0, cut));
    }
}

TEST(SettingsFile, HostileContentStaysInsideTheFields) {
    const std::string longLine(10000, '7');
    auto withLine = [](int number, const std::string& text) {
        std::string bytes = FormatSettingsFile(Settings());
        size_t start = 0;
        for (int i = 1; i < number; ++i) start = bytes.find("\r\n", start) + 2;
        return bytes.replace(start, bytes.find("\r\n", start) - start, text);
    };
    std::string binary = "2.16\r\n";
    for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 131 + 7) & 0xFF);
    struct Case {
        const char* name;
        std::string bytes;
        std::string dataFolder, startLine;
    };
    const Case cases[] = {
        {"long folder", withLine(2, longLine), std::string(260, '7'), "1"},
        {"long line name", withLine(51, longLine), "C:\\", "77777777777"},
        {"long number", withLine(3, longLine), "C:\\", "1"},
        {"NUL ends a text", withLine(51, std::string("AB\0CD", 5)), "C:\\", "AB"},
        {"binary", binary, "", ""},
    };
    for (const Case& c : cases) {
        Loaded got = LoadFrom(c.bytes);
        EXPECT_LE(got.settings.DataFolder.size(), DataFolderMaxLength) << c.name;
        EXPECT_LE(got.settings.StartLineText.size(), StartLineTextMaxLength) << c.name;
        EXPECT_GE(got.settings.MapSize, 1) << c.name;
        EXPECT_LE(got.settings.SensorTotal(), MaxSensors) << c.name;
        if (!c.dataFolder.empty()) {
            EXPECT_EQ(got.settings.DataFolder, c.dataFolder) << c.name;
        }
        if (!c.startLine.empty()) {
            EXPECT_EQ(got.settings.StartLineText, c.startLine) << c.name;
        }
    }
    EXPECT_EQ(LoadFrom(withLine(3, longLine)).settings.ConsoleCount, 3);  // INT32_MAX is no console count
    EXPECT_EQ(LoadFrom(withLine(66, "0")).settings.MapSize, 1);
}

TEST(SettingsFile, UnwritableLocationsAreSilent) {
    // A read-only medium: nothing is created, removed or written.
    MemoryFileSystem fs;
    fs.ReadOnly = true;
    Settings s;
    EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), SettingsFileOutcome::Created);
    EXPECT_FALSE(fs.Exists(Path));
    EXPECT_FALSE(SaveSettings(s, fs, Path, ""));
    fs.Files[Path] = "1.0\r\n";
    EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), SettingsFileOutcome::Rebuilt);
    EXPECT_EQ(fs.Files[Path], "1.0\r\n");

    // A folder that does not exist, on the real file system.
    tesselog::test::TempFolder temp;
    StdioFileSystem disk;
    std::string missing = temp.Path() + "no-such-folder/TESSELWIN.INI";
    Settings t = ChangedSettings();
    EXPECT_EQ(LoadOrCreateSettings(t, disk, missing, temp.Path() + "also-missing/"), SettingsFileOutcome::Created);
    EXPECT_FALSE(SaveSettings(t, disk, missing, ""));
    EXPECT_FALSE(disk.Exists(missing));
    EXPECT_EQ(t.MapSize, 120);  // the record keeps its values

    // And where the folder exists, the first start leaves the default file.
    Settings u;
    EXPECT_EQ(LoadOrCreateSettings(u, disk, temp.Path() + "TESSELWIN.INI", ""), SettingsFileOutcome::Created);
    ExpectMatchesGolden("settings-default.ini", tesselog::test::ReadFileBytes(temp.Path() + "TESSELWIN.INI"));
}
