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

// Sets the current directory to workingFolder (when not empty; file dialogs
// may have moved it), then creates or truncates the file and writes it whole
// in one write. False when the file could not be written (missing folder,
// read-only medium); nothing is reported to the operator.
bool SaveSettings(const Settings& settings, FileSystem& fs, const std::string& path,
                  const std::string& workingFolder);

enum class SettingsFileOutcome {
    Loaded,   // read line by line into the record
    Created,  // no file: written from the record
    Rebuilt,  // wrong version line: deleted and written from the record
};

// Reads the file into the record, or writes it from the record when it is
// missing or carries another version line (the record then keeps its values).
// Lines that cannot be read because the file ends early leave their fields as
// they were; text longer than its field is cut to the field. Afterwards values
// outside their lists are reset and every derived value is recomputed, in
// each of the three outcomes.
SettingsFileOutcome LoadOrCreateSettings(Settings& settings, FileSystem& fs, const std::string& path,
                                         const std::string& workingFolder);

}  // namespace tesselog
