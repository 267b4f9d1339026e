// The input is the settings file: loading keeps every field within its size,
// and the line reader never hands back more than it was asked for.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/common/line_reader.h"
#include "core/platform/memory_file_system.h"
#include "core/settings/settings_file.h"

using namespace tesselog;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = SettingsFilePath;

    MemoryFileSystem fs;
    fs.Files[path] = bytes;
    Settings settings;
    SettingsFileOutcome outcome = LoadOrCreateSettings(settings, fs, path, "");
    if (settings.DataFolder.size() > DataFolderMaxLength) std::abort();
    if (settings.StartLineText.size() > StartLineTextMaxLength) std::abort();
    if (settings.ConsoleCount < 0 || settings.ConsoleCount > MaxConsoles) std::abort();
    if (settings.SensorTotal() > MaxSensors || settings.LeadingPoint > settings.SensorTotal()) std::abort();
    if (settings.MapSize < 1) std::abort();
    // Whatever was read, the record writes a file that reads back the same.
    if (outcome == SettingsFileOutcome::Loaded) {
        std::string written = FormatSettingsFile(settings);
        MemoryFileSystem again;
        again.Files[path] = written;
        Settings reread;
        if (LoadOrCreateSettings(reread, again, path, "") != SettingsFileOutcome::Loaded) std::abort();
        if (FormatSettingsFile(reread) != written) std::abort();
    }

    for (size_t maxLength : {size_t{0}, size_t{1}, size_t{11}, size_t{260}, size_t{5000}}) {
        MemoryFileSystem lines;
        lines.Files["f"] = bytes;
        auto file = lines.Open("f", OpenMode::ReadExisting);
        LineReader reader(*file);
        std::string line;
        uint64_t previous = 0;
        for (;;) {
            int n = reader.ReadLine(line, maxLength);
            if (line.size() > maxLength) std::abort();
            if (n >= 0 && static_cast<size_t>(n) != line.size()) std::abort();
            if (reader.Offset() > size) std::abort();
            if (n < 0) break;
            if (reader.Offset() <= previous) std::abort();  // every line consumes its LF
            previous = reader.Offset();
        }
        if (reader.Offset() != size) std::abort();
    }
    return 0;
}
