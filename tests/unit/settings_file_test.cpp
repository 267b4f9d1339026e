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

// A file with every field away from its default and within its list (many at
// an end of it), line by line.
std::string EveryFieldChanged() {
    const char* const lines[] = {
        "2.16", "D:\\Survey 2024\\Site B\\", "9", "0",                // version, folder, consoles, header option
        "0", "1", "0", "1", "0", "1", "0", "1", "0", "13", "2", "3",      // console types, leading point, units
        "47", "46", "45", "44", "43", "42", "41", "40", "39",             // console ports
        "0", "0", "0", "3", "0", "0", "4", "1", "11259375", "66051",      // alarms, pause key, profiles
        "-12.250000", "0.025400", "7.500000",                             // scale, speed bar
        "0", "8", "46", "5", "0", "2", "1", "3",                          // GPS input and port, array units
        "0.750000", "1.500000", "-0.125000", "3.000000",                  // separations, offsets
        "North 12345", "0.500000", "1", "3", "100.500000", "0.250000",    // line and station
        "5", "0", "-77", "16777215", "65280", "0", "1", "12.500000", "45.000000", "2000", "6",  // map
        "0", "4", "12", "1.500000", "-1.000000", "3", "1", "3", "0", "23", "22", "2",         // mask, background
    };
    static_assert(sizeof lines / sizeof lines[0] == SettingsFileLineCount);
    std::string file;
    for (const char* line : lines) file += std::string(line) + "\r\n";
    return file;
}

// Loads `bytes` as the settings file into a default record; `after` gets the file as it is then.
Settings LoadFrom(const std::string& bytes, SettingsFileOutcome expected = SettingsFileOutcome::Loaded,
                  std::string* after = nullptr) {
    MemoryFileSystem fs;
    fs.Files[Path] = bytes;
    Settings s;
    EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), expected);
    if (after) *after = fs.Files[Path];
    return s;
}

}  // namespace

TEST(SettingsFile, GoldenFilesAndSave) {
    ExpectMatchesGolden("settings-default.ini", FormatSettingsFile(Settings()));
    ExpectMatchesGolden("settings-changed.ini", FormatSettingsFile(ChangedSettings()));

    MemoryFileSystem fs;  // Save writes into the working folder
    fs.Directories.insert("W:\\work\\");
    EXPECT_TRUE(SaveSettings(ChangedSettings(), fs, "TESSELWIN.INI", "W:\\work\\"));
    EXPECT_EQ(fs.Files["W:\\work\\TESSELWIN.INI"], FormatSettingsFile(ChangedSettings()));
}

TEST(SettingsFile, LoadRoundTripsEveryFieldAndRecomputes) {
    const std::string saved = EveryFieldChanged();
    std::string after;
    Settings got = LoadFrom(saved, SettingsFileOutcome::Loaded, &after);
    EXPECT_EQ(FormatSettingsFile(got), saved);
    EXPECT_EQ(after, saved);  // a read leaves the file alone
    EXPECT_EQ(got.TwoSensorConsoleCount, 4);  // derived values follow the file
    EXPECT_EQ(got.CurrentStation, 100.5);
    EXPECT_EQ(got.CursorOuterPixels, 19);
}

TEST(SettingsFile, MissingOrOutdatedFileIsWrittenFromTheRecord) {
    const Settings record = ChangedSettings();
    const std::string every = EveryFieldChanged();
    std::string lfOnly;
    for (char c : every)
        if (c != '\r') lfOnly += c;
    const struct {
        const char* name;
        bool present;
        std::string bytes;
        SettingsFileOutcome outcome;
    } cases[] = {
        {"missing", false, "", SettingsFileOutcome::Created},
        {"LF-only line ends read 2.1", true, lfOnly, SettingsFileOutcome::Rebuilt},
        {"other version", true, "2.15" + every.substr(4), SettingsFileOutcome::Rebuilt},
        {"version with trailing blank", true, "2.16 \r\n", SettingsFileOutcome::Rebuilt},
    };
    for (const auto& c : cases) {
        MemoryFileSystem fs;
        if (c.present) fs.Files[Path] = c.bytes;
        Settings s = record;
        EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), c.outcome) << c.name;
        EXPECT_EQ(FormatSettingsFile(s), FormatSettingsFile(record)) << c.name;  // the file's choices are lost
        EXPECT_EQ(fs.Files[Path], FormatSettingsFile(record)) << c.name;
    }
}

// A file cut by a power loss or a kill, empty, or of zeros: none of its lines
// is used, it is kept beside the new file, and the operator is told.
TEST(SettingsFile, DamagedFileIsKeptAsideAndReported) {
    const std::string full = EveryFieldChanged();
    auto afterLine = [&full](int n) {
        size_t at = 0;
        for (int i = 0; i < n; ++i) at = full.find("\r\n", at) + 2;
        return at;
    };
    const struct {
        const char* name;
        std::string bytes;
        int wholeLines;
    } cases[] = {
        {"empty", "", 0},
        {"cut in the version line", "2.", 0},
        {"zeros where the text was", std::string(full.size(), '\0'), 0},
        {"cut after line 40", full.substr(0, afterLine(40)), 40},
        {"cut inside line 41", full.substr(0, afterLine(40) + 1), 40},
        {"last line without its line end", full.substr(0, full.size() - 2), 78},
        {"line end of the last line cut after its CR", full.substr(0, full.size() - 1), 78},
    };
    const char Kept[] = "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN-DAMAGED.INI";
    const Settings record = ChangedSettings();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem fs;
        fs.Files[Path] = c.bytes;
        Settings s = record;
        const SettingsLoad load = LoadOrCreateSettings(s, fs, Path, "");
        EXPECT_EQ(load.Outcome, SettingsFileOutcome::Damaged);
        EXPECT_EQ(load.WholeLines, c.wholeLines);
        EXPECT_EQ(FormatSettingsFile(s), FormatSettingsFile(record));  // no line of the damaged file
        EXPECT_EQ(fs.Files[Path], FormatSettingsFile(record));
        EXPECT_EQ(load.KeptAs, Kept);
        EXPECT_EQ(fs.Files[Kept], c.bytes);
    }

    MemoryFileSystem fs;
    fs.Files[Path] = full.substr(0, afterLine(40));
    Settings s;
    EXPECT_EQ(SettingsDamageText(LoadOrCreateSettings(s, fs, Path, ""), Path),
              "The settings file C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI is cut short: it ends after "
              "line 40 of 79.\r\nNone of its settings could be used: the survey, system, array geometry and GPS "
              "port set-ups, the map and profile options and the data folder are back to their defaults.\r\nCheck "
              "them before logging.\r\nThe damaged file is kept as "
              "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN-DAMAGED.INI.");

    // A file in use elsewhere can be neither read nor moved: it stays, and
    // the defaults are not written over it.
    MemoryFileSystem locked;
    locked.Files[Path] = full;
    locked.Locked.insert(Path);
    Settings t;
    const SettingsLoad busy = LoadOrCreateSettings(t, locked, Path, "");
    EXPECT_EQ(busy.Outcome, SettingsFileOutcome::Damaged);
    EXPECT_EQ(busy.WholeLines, -1);
    EXPECT_EQ(locked.Files[Path], full);
    EXPECT_EQ(SettingsDamageText(busy, "S.INI").substr(0, 38), "The settings file S.INI could not be o");
    EXPECT_NE(SettingsDamageText(busy, "S.INI").find("The damaged file could not be kept."), std::string::npos);
}

// A save that the disk refuses at any of its steps, with the power cut at
// that moment: the file is the old one or the new one, and the next start
// reads it whole.
TEST(SettingsFile, SaveStoppedAtAnyStepLeavesTheOldOrTheNewFile) {
    const std::string oldBytes = EveryFieldChanged();
    const Settings changed = ChangedSettings();
    const std::string newBytes = FormatSettingsFile(changed);
    int faults = 0;
    for (int step = 0;; ++step) {
        SCOPED_TRACE(step);
        MemoryFileSystem fs;
        fs.Files[Path] = oldBytes;
        fs.FailAtStep = step;
        const bool saved = SaveSettings(changed, fs, Path, "");
        fs.PowerCut();
        fs.FailAtStep = -1;
        EXPECT_EQ(fs.Files[Path], saved ? newBytes : oldBytes);
        Settings s;
        EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), SettingsFileOutcome::Loaded);
        EXPECT_EQ(FormatSettingsFile(s), saved ? newBytes : oldBytes);
        EXPECT_EQ(fs.Files.size(), 1u);  // nothing left beside it
        if (saved) break;
        ++faults;
    }
    EXPECT_EQ(faults, 4);  // create, write, flush, replace

    // The same on the real file system: a second save replaces the first.
    tesselog::test::TempFolder temp;
    StdioFileSystem disk;
    const std::string path = temp.Path() + "TESSELWIN.INI";
    EXPECT_TRUE(SaveSettings(Settings(), disk, path, ""));
    EXPECT_TRUE(SaveSettings(changed, disk, path, ""));
    EXPECT_EQ(tesselog::test::ReadFileBytes(path), newBytes);
    EXPECT_FALSE(disk.Exists(SettingsFileNewPath(path)));
}

TEST(SettingsFile, HostileContentStaysInsideTheFields) {
    const std::string longLine(10000, '7');
    auto withLine = [](int number, const std::string& text) {
        std::string bytes = FormatSettingsFile(Settings());
        size_t start = 0;
        for (int i = 1; i < number; ++i) start = bytes.find("\r\n", start) + 2;
        return bytes.replace(start, bytes.find("\r\n", start) - start, text);
    };
    const struct {
        const char* name;
        std::string bytes;
        std::string dataFolder, startLine;
    } cases[] = {
        {"long folder", withLine(2, longLine), std::string(260, '7'), "1"},
        {"long line name", withLine(51, longLine), "C:\\", "77777777777"},
        {"long number", withLine(3, longLine), "C:\\", "1"},
        {"NUL ends a text", withLine(51, std::string("AB\0CD", 5)), "C:\\", "AB"},
    };
    for (const auto& c : cases) {
        Settings got = LoadFrom(c.bytes);
        EXPECT_EQ(got.DataFolder, c.dataFolder) << c.name;
        EXPECT_EQ(got.StartLineText, c.startLine) << c.name;
    }
    EXPECT_EQ(LoadFrom(withLine(3, longLine)).ConsoleCount, 3);  // INT32_MAX is no console count
    EXPECT_EQ(LoadFrom(withLine(66, "0")).MapSize, 1);
}

TEST(SettingsFile, UnwritableLocationsAreSilent) {
    MemoryFileSystem fs;  // a read-only medium: nothing is created, removed or written
    fs.ReadOnly = true;
    Settings s;
    EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), SettingsFileOutcome::Created);
    EXPECT_FALSE(fs.Exists(Path));
    EXPECT_FALSE(SaveSettings(s, fs, Path, ""));
    fs.Files[Path] = "1.0\r\n";
    EXPECT_EQ(LoadOrCreateSettings(s, fs, Path, ""), SettingsFileOutcome::Rebuilt);
    EXPECT_EQ(fs.Files[Path], "1.0\r\n");

    tesselog::test::TempFolder temp;  // a folder that does not exist, on the real file system
    StdioFileSystem disk;
    std::string missing = temp.Path() + "no-such-folder/TESSELWIN.INI";
    Settings t = ChangedSettings();
    EXPECT_EQ(LoadOrCreateSettings(t, disk, missing, temp.Path() + "also-missing/"), SettingsFileOutcome::Created);
    EXPECT_FALSE(SaveSettings(t, disk, missing, ""));
    EXPECT_FALSE(disk.Exists(missing));
    EXPECT_EQ(t.MapSize, 120);  // the record keeps its values
}
