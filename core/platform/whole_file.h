// A small file written whole or not at all: the bytes go to a new file
// beside it, are flushed to the disk, and only then take the old file's
// place in one step. A failed write, flush or replace leaves the old file as
// it was, byte for byte, and no new file behind.
#pragma once

#include <string>

#include "core/platform/file_system.h"

namespace tesselog {

// The new file written beside `path` before it takes its place.
std::string WholeFileNewPath(const std::string& path);

// True when `path` holds exactly `bytes` afterwards.
bool ReplaceFileWhole(FileSystem& fs, const std::string& path, const std::string& bytes);

// The file `name` in the folder of `path` (no folder: just the name), as
// the small files kept beside the settings file are found.
std::string PathBeside(const std::string& path, const std::string& name);

}  // namespace tesselog
