// How the logging screen looks, kept in a small file of its own beside the
// settings file (TESSELDS.INI): for now the sunlight display. The 79-line
// settings file stays as it is. Read as tolerantly as the field warnings'
// file: a missing file, key or unreadable value gives the default (off),
// unknown keys and comment lines (";" or "#") are passed over, and a file
// that cannot be written leaves the choice in force for this run only.
#pragma once

#include <string>

#include "core/platform/file_system.h"

namespace tesselog {

constexpr char ScreenLookFileName[] = "TESSELDS.INI";

struct ScreenLook {
    bool Sunlight = false;
};

// The file in the folder of the main settings file `mainPath`.
std::string ScreenLookPathBeside(const std::string& mainPath);

ScreenLook ParseScreenLook(const std::string& text);
std::string FormatScreenLook(const ScreenLook& look);
// An empty path reads nothing and writes nothing.
ScreenLook LoadScreenLook(FileSystem& files, const std::string& path);
bool SaveScreenLook(const ScreenLook& look, FileSystem& files, const std::string& path);

}  // namespace tesselog
