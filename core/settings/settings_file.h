// The settings file: a version line "2.16" followed by one value per line in
// a fixed order, 79 lines, each ending in CR LF. There are no keys; the line
// number alone says which field a line holds. The file is read when the main
// window and the logging screen are created and rewritten whole after every
// accepted change.
#pragma once

#include <string>

#include "core/platform/file_system.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr char SettingsFilePath[] = "C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI";
constexpr char SettingsFileVersion[] = "2.16";
constexpr int SettingsFileLineCount = 79;

// The whole file for the record, byte for byte.
std::string FormatSettingsFile(const Settings& settings);

// The file a save writes first, beside the settings file, and the name a
// damaged settings file is kept under for support.
std::string SettingsFileNewPath(const std::string& path);
std::string SettingsFileDamagedPath(const std::string& path);

// Sets the current directory to workingFolder (when not empty; file dialogs
// may have moved it), writes the whole file into SettingsFileNewPath in one
// write, flushes it to the disk and then puts it in the place of the old one
// in one step, so that the settings file on the disk is always the old one or
// the new one, whatever stops the program or the computer meanwhile. False
// when it could not be written (missing folder, read-only medium); the old
// file is then as it was and nothing is reported to the operator.
bool SaveSettings(const Settings& settings, FileSystem& fs, const std::string& path,
                  const std::string& workingFolder);

enum class SettingsFileOutcome {
    Loaded,   // read line by line into the record
    Created,  // no file: written from the record
    Rebuilt,  // a whole first line other than the version: written from the record
    Damaged,  // cut short, empty or not to be opened: kept aside, written from the record
};

struct SettingsLoad {
    SettingsFileOutcome Outcome = SettingsFileOutcome::Loaded;
    // Damaged: the whole lines (ending in LF) the file held before it ended,
    // 0..78; -1 when it exists but could not be opened.
    int WholeLines = 0;
    // Damaged: where the damaged file was moved; empty when it could not be.
    std::string KeptAs;
    // Where only the outcome matters, the load stands for it.
    operator SettingsFileOutcome() const { return Outcome; }  // NOLINT(google-explicit-constructor)
};

// Reads the file into the record, or writes it from the record when it is
// missing, carries another version line (the old-version rule: no message)
// or is damaged. Damaged means the file ends before the LF of its 79th line
// (a file cut by a power loss, an empty one, one of zeros), or exists and
// cannot be opened; it is then moved to SettingsFileDamagedPath. In every
// outcome but Loaded the record keeps its values: at start-up the defaults,
// never a mix of defaults and the lines before a cut. Text longer than its
// field is cut to the field. Afterwards values outside their lists are reset
// and every derived value is recomputed, in each outcome. A file left beside
// it by a save that did not finish is removed.
SettingsLoad LoadOrCreateSettings(Settings& settings, FileSystem& fs, const std::string& path,
                                  const std::string& workingFolder);

// What the operator is told, once, when the settings file was damaged.
constexpr char SettingsDamageCaption[] = "WARNING";
std::string SettingsDamageText(const SettingsLoad& load, const std::string& path);

}  // namespace tesselog
