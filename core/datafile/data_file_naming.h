// Creating a data file or choosing an existing one: the proposed name
// YYMMDD_NNN in the data folder, the "Create Data File" dialog, and then a
// new file with its eleven header records, an existing file of this program
// opened for the append validation, or a foreign file left unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/datafile/data_file_writers.h"
#include "core/datafile/stream_state.h"
#include "core/platform/file_dialogs.h"
#include "core/platform/file_system.h"
#include "core/platform/prompts.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr char CreateDataFileTitle[] = "Create Data File";
constexpr char DataFileDefaultExtension[] = "MGR";

// Results of CreateDataFile.
constexpr int DataFileCreated = 0;    // new file, header written, open at its end
constexpr int DataFileExisting = 1;   // file of this program, open at its start for validation
constexpr int DataFileRefused = -1;   // cancelled, failed (no file open) or foreign (file open)

// Creates the folder DataFolder, makes it the current directory and proposes
// the first free name of today: YYMMDD_NNN without extension. A name is free
// when the file cannot be opened as an existing file for reading and writing
// without sharing: missing, or in use by another program. When all 1000 are
// taken the last candidate is returned with its extension.
std::string DefaultDataFileName(FileSystem& files, Clock& clock, const Settings& settings);

// The file name of an 8-bit path (after its last backslash or slash) up to
// its first point.
std::string DataFileNameOfPath(const std::string& path);

// The folder part of a path, up to and including its last separator; empty
// when the path has none.
std::string FolderOfPath(const std::string& path);

// The "FILE ERROR" text for a new file that cannot be created: which folder,
// and how to choose another. A standard Windows account may not create files
// in C:\, the data folder of a first start without an installer.
std::string CannotCreateDataFileText(const std::string& path);

// What the save dialog offers for the current set-up.
FileDialogRequest CreateDataFileRequest(const Settings& settings, const std::string& initialName);

struct DataFileCreation {
    FileSystem& Files;
    FileDialogs& Dialogs;
    Prompts& Messages;
    Settings& Config;
    DataFileWriter& Writer;          // its DataFile is the one that is opened
    LoggingStatus& Logging;
    std::function<void()> SaveSettings;  // writes the settings file (stores DataFolder)
};

// The "&File" command's file choice. Returns
//   0 (DataFileCreated): new file written and open at its end, LoggingState -1;
//   1 (DataFileExisting): an existing file starting with "TESSEL" (or shorter
//     than six bytes), open at its start, nothing written;
//  -1 (DataFileRefused): with no file open when the dialog was cancelled,
//     the path has a character 8-bit text cannot hold (reported under
//     "WARNING", DataFolder kept) or the file could not be created, opened
//     or its header written (reported under "FILE ERROR"; a new file whose
//     header did not fit is removed again);
//     with the file open and unchanged when it is not from this program.
// header.DataFileName is set from the chosen path; the map reference and
// zone in `header` go into the new file's G records.
int CreateDataFile(DataFileCreation& creation, HeaderContext& header);

}  // namespace tesselog
