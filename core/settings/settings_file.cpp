#include "core/settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/common/line_reader.h"
#include "core/platform/whole_file.h"

namespace tesselog {
namespace {

// "%f" of the largest double needs 317 characters; a number line of any value
// the file can hold therefore fits, and anything longer is no number we wrote.
constexpr size_t NumberLineMaxLength = 400;

enum class FieldKind { Int, Long, Double, Text };

struct FieldRef {
    FieldKind kind;
    int32_t* integer;
    double* real;
    std::string* text;
    size_t maxLength;
};

using FieldTable = std::array<FieldRef, SettingsFileLineCount - 1>;

// Lines 2..79 in file order.
FieldTable FieldsOf(Settings& s) {
    FieldTable table{};
    size_t n = 0;
    auto integer = [&](int32_t& f) { table.at(n++) = {FieldKind::Int, &f, nullptr, nullptr, NumberLineMaxLength}; };
    auto wide = [&](int32_t& f) { table.at(n++) = {FieldKind::Long, &f, nullptr, nullptr, NumberLineMaxLength}; };
    auto real = [&](double& f) { table.at(n++) = {FieldKind::Double, nullptr, &f, nullptr, NumberLineMaxLength}; };
    auto text = [&](std::string& f, size_t max) { table.at(n++) = {FieldKind::Text, nullptr, nullptr, &f, max}; };

    text(s.DataFolder, DataFolderMaxLength);
    integer(s.ConsoleCount);
    integer(s.FileHeaderOption);
    for (int32_t& type : s.ConsoleType) integer(type);
    integer(s.LeadingPoint);
    integer(s.DisplayUnits);
    integer(s.SpeedUnits);
    for (int32_t& port : s.ConsolePort) integer(port);
    integer(s.AudioTicks);
    integer(s.DisconnectAlarm);
    integer(s.GpsMaskAudioWarning);
    integer(s.PauseKey);
    integer(s.ProfileVisible[0]);
    integer(s.ProfileVisible[1]);
    integer(s.ProfileThickness[0]);
    integer(s.ProfileThickness[1]);
    wide(s.ProfileColor[0]);
    wide(s.ProfileColor[1]);
    real(s.ReadingsScaleMin);
    real(s.ReadingsScaleMax);
    real(s.SpeedBarScale);
    integer(s.GpsInput);
    integer(s.NmeaMode);
    integer(s.GpsPort);
    integer(s.GpsBaud);
    integer(s.GpsDataBits);
    integer(s.GpsParity);
    integer(s.GpsStopBits);
    integer(s.ArrayUnits);
    real(s.UnitSensorSeparation);
    real(s.ConsoleSeparation);
    real(s.GpsOffsetX);
    real(s.GpsOffsetY);
    text(s.StartLineText, StartLineTextMaxLength);
    real(s.LineIncrement);
    integer(s.LineSequence);
    integer(s.LineDirection);
    real(s.StartStation);
    real(s.StationIncrement);
    integer(s.CursorSize);
    integer(s.PositionSize);
    integer(s.ReservedInt);
    wide(s.CursorColor);
    wide(s.PositionColor);
    integer(s.MapDisplayType);
    integer(s.MapGridType);
    real(s.GridLinesInterval);
    real(s.GridLinesAngle);
    wide(s.MapSize);
    integer(s.CursorBand);
    integer(s.GpsMaskWarning);
    integer(s.GpsMaskQuality);
    integer(s.GpsMaskSatellites);
    real(s.GpsMaskDilution);
    real(s.ReservedDouble);
    integer(s.CoordinateDisplay);
    integer(s.BackgroundFileType);
    integer(s.BackgroundDisplayType);
    integer(s.BackgroundCoordType);
    integer(s.BackgroundLonColumn);
    integer(s.BackgroundLatColumn);
    integer(s.BackgroundDelimiter);
    if (n != table.size()) std::abort();  // the table and the line count disagree
    return table;
}

// Text as "%s" writes it: up to a NUL, and never a LF, which would shift
// every following line; never more than the field holds.
void AppendText(std::string& out, const std::string& text, size_t maxLength) {
    size_t end = 0;
    while (end < text.size() && end < maxLength && text[end] != '\0' && text[end] != '\n') ++end;
    out.append(text, 0, end);
}

void AppendField(std::string& out, const FieldRef& field) {
    char buffer[512];
    int written = 0;
    switch (field.kind) {
    case FieldKind::Int: written = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(*field.integer)); break;
    case FieldKind::Long:
        written = std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(*field.integer));
        break;
    case FieldKind::Double: written = std::snprintf(buffer, sizeof buffer, "%f", *field.real); break;
    case FieldKind::Text: AppendText(out, *field.text, field.maxLength); break;
    }
    if (written > 0) out.append(buffer, std::min<size_t>(static_cast<size_t>(written), sizeof buffer - 1));
    out += "\r\n";
}

void StoreField(const FieldRef& field, std::string& line) {
    switch (field.kind) {
    case FieldKind::Int:
    case FieldKind::Long: *field.integer = TextToInt32(line); break;
    case FieldKind::Double: *field.real = TextToDouble(line); break;
    case FieldKind::Text: {
        // The field is a C string: a NUL ends it.
        size_t nul = line.find('\0');
        if (nul != std::string::npos) line.resize(nul);
        if (line.size() > field.maxLength) line.resize(field.maxLength);
        *field.text = line;
        break;
    }
    }
}

void EnterWorkingFolder(FileSystem& fs, const std::string& workingFolder) {
    if (!workingFolder.empty()) fs.SetCurrentDirectory(workingFolder);
}

// The new file is whole on the disk before it takes the old one's place.
bool WriteSettingsFile(const Settings& settings, FileSystem& fs, const std::string& path) {
    return ReplaceFileWhole(fs, path, FormatSettingsFile(settings));
}

// The name's extension stays last, so the copy still opens as a text file.
std::string WithSuffixBeforeExtension(const std::string& path, const std::string& suffix) {
    const size_t name = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
}

// Reads the 79 lines into `settings`; `load` says how far a damaged file got.
void ReadSettingsLines(File& file, Settings& settings, SettingsLoad& load) {
    LineReader reader(file);
    std::string line;
    if (reader.ReadLine(line, NumberLineMaxLength) < 0) {
        // No whole first line: empty, cut inside it, or zeros.
        load = {SettingsFileOutcome::Damaged, 0, ""};
        return;
    }
    if (line != SettingsFileVersion) {
        // Another version, or LF-only line ends ("2.1"): every choice in
        // the file is given up and the file written from the record.
        load.Outcome = SettingsFileOutcome::Rebuilt;
        return;
    }
    int wholeLines = 1;
    for (const FieldRef& field : FieldsOf(settings)) {
        if (reader.ReadLine(line, field.maxLength) < 0) {
            load = {SettingsFileOutcome::Damaged, wholeLines, ""};
            return;
        }
        StoreField(field, line);
        ++wholeLines;
    }
}

}  // namespace

std::string SettingsFileNewPath(const std::string& path) { return WholeFileNewPath(path); }

std::string SettingsFileDamagedPath(const std::string& path) { return WithSuffixBeforeExtension(path, "-DAMAGED"); }

std::string FormatSettingsFile(const Settings& settings) {
    // The table only reads through its pointers here.
    FieldTable fields = FieldsOf(const_cast<Settings&>(settings));
    std::string out;
    out.reserve(1024);
    out += SettingsFileVersion;
    out += "\r\n";
    for (const FieldRef& field : fields) AppendField(out, field);
    return out;
}

bool SaveSettings(const Settings& settings, FileSystem& fs, const std::string& path,
                  const std::string& workingFolder) {
    EnterWorkingFolder(fs, workingFolder);
    return WriteSettingsFile(settings, fs, path);
}

SettingsLoad LoadOrCreateSettings(Settings& settings, FileSystem& fs, const std::string& path,
                                  const std::string& workingFolder) {
    EnterWorkingFolder(fs, workingFolder);
    const std::string unfinished = SettingsFileNewPath(path);
    if (fs.Exists(unfinished)) fs.Remove(unfinished);

    SettingsLoad load;
    if (std::unique_ptr<File> file = fs.Open(path, OpenMode::ReadExisting)) {
        // Read into a copy: a damaged file gives none of its lines.
        Settings read = settings;
        ReadSettingsLines(*file, read, load);
        if (load.Outcome == SettingsFileOutcome::Loaded) settings = read;
    } else if (fs.Exists(path)) {
        load = {SettingsFileOutcome::Damaged, -1, ""};
    } else {
        load.Outcome = SettingsFileOutcome::Created;
    }
    settings.ResetValuesOutOfRange();
    settings.RecomputeAll();
    if (load.Outcome == SettingsFileOutcome::Damaged) {
        const std::string kept = SettingsFileDamagedPath(path);
        if (fs.Replace(path, kept)) load.KeptAs = kept;
    }
    if (load.Outcome != SettingsFileOutcome::Loaded) WriteSettingsFile(settings, fs, path);
    return load;
}

std::string SettingsDamageText(const SettingsLoad& load, const std::string& path) {
    std::string what;
    if (load.WholeLines < 0)
        what = "could not be opened.";
    else if (load.WholeLines == 0)
        what = "is empty or cut before the end of its first line.";
    else
        what = "is cut short: it ends after line " + std::to_string(load.WholeLines) + " of " +
               std::to_string(SettingsFileLineCount) + ".";
    std::string text = "The settings file " + path + " " + what +
                       "\r\nNone of its settings could be used: the survey, system, array geometry and GPS port "
                       "set-ups, the map and profile options and the data folder are back to their defaults."
                       "\r\nCheck them before logging.";
    text += load.KeptAs.empty() ? "\r\nThe damaged file could not be kept."
                                : "\r\nThe damaged file is kept as " + load.KeptAs + ".";
    return text;
}

}  // namespace tesselog
