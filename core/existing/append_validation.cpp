#include "core/existing/append_validation.h"

#include <cstdlib>
#include <cstring>

#include "core/common/text_format.h"
#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/gps/position_handler.h"

namespace tesselog {
namespace {

constexpr char Crlf[] = "\r\n";
constexpr char AdjustConfiguration[] = "Please adjust the configuration.";
constexpr char FileWillBeClosed[] = "The file will be closed.";

// One header record as text: its 26 characters before the LF.
struct HeaderRecord {
    char text[RecordLfColumn] = {};

    // A "digit": the character minus '0', whatever the character is.
    int Digit(int column) const { return static_cast<unsigned char>(text[column]) - '0'; }
    double Number(int column, int width) const {
        return std::strtod(std::string(text + column, width).c_str(), nullptr);
    }
    long Integer(int column, int width) const {
        return std::strtol(std::string(text + column, width).c_str(), nullptr, 10);
    }
};

// Reads the next whole record; false when the file ends before it.
bool ReadRecord(DataFile& file, HeaderRecord& record) {
    char buffer[RecordLength];
    size_t got = 0;
    while (got < sizeof buffer) {
        const size_t n = file.Read(buffer + got, sizeof buffer - got);
        if (n == 0) return false;
        got += n;
    }
    std::memcpy(record.text, buffer, sizeof record.text);
    return true;
}

std::string RecordInvalidText(int record) {
    // Record 6's line has no blank after "#".
    const std::string line = record == 6 ? "File Record #6 invalid." : "File Record # " + std::to_string(record) + " invalid.";
    return std::string("Invalid File Format.") + Crlf + line + Crlf + FileWillBeClosed;
}

std::string UnitsText(int digit) {
    switch (digit) {
    case 0: return " Meters";
    case 1: return " Feet";
    case 2: return " US Survey Feet";
    default: return "";
    }
}

std::string SeparationsText(double unit, double console) {
    return FormatNumber("%.2f", unit) + " , " + FormatNumber("%.2f", console);
}
std::string OffsetsText(double x, double y) {
    return FormatNumber("X=%.2f", x) + FormatNumber(" Y=%.2f", y);
}

// The fields of records 2, 3 and 6 that both paths compare.
struct FileSetup {
    int consoleType[MaxConsoles] = {};
    int consoleCount = 0;
    int leadingPoint = 0;
    int nmeaMode = 0;
    int gpsState = 0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    double unitSeparation = 0.0;
    double consoleSeparation = 0.0;
};

constexpr int ConsoleTypeColumns[MaxConsoles] = {12, 13, 14, 15, 16, 17, 21, 22, 23};

// Records 2 and 3; the number of the record that failed, or 0.
int ReadSetupRecords(DataFile& file, FileSetup& setup) {
    HeaderRecord r;
    if (!ReadRecord(file, r) || r.text[0] != static_cast<char>(TypeSetup)) return 2;
    for (int i = 0; i < MaxConsoles; ++i)
        setup.consoleType[i] = static_cast<unsigned char>(r.text[ConsoleTypeColumns[i]]) - '1';
    if (!ReadRecord(file, r) || r.text[0] != static_cast<char>(TypeGeometry)) return 3;
    setup.offsetX = r.Number(1, 7);
    setup.offsetY = r.Number(8, 7);
    setup.consoleCount = r.Digit(15);
    setup.leadingPoint = r.Digit(16);
    setup.nmeaMode = r.text[17] == 'A' ? 8 : r.Digit(17);
    setup.gpsState = r.Digit(20);
    return 0;
}

// Record 6 (after 4 and 5 were read); false when it is missing or not 'G'.
bool ReadSeparations(DataFile& file, FileSetup& setup) {
    HeaderRecord r;
    if (!ReadRecord(file, r) || r.text[0] != static_cast<char>(TypeGeometry)) return false;
    setup.unitSeparation = r.Number(1, 7);
    setup.consoleSeparation = r.Number(8, 7);
    return true;
}

bool ConsolesMatch(const FileSetup& setup, const Settings& settings) {
    int differing = 0;
    for (int i = 0; i < settings.ConsoleCount && i < MaxConsoles; ++i)
        if (settings.ConsoleType[i] != setup.consoleType[i]) ++differing;
    return setup.consoleCount == settings.ConsoleCount && differing == 0;
}

bool SeparationsMatch(const FileSetup& setup, const Settings& settings) {
    return setup.unitSeparation == settings.UnitSensorSeparation &&
           setup.consoleSeparation == settings.ConsoleSeparation;
}

const std::string ConsolesText = std::string(" Number and/or sensors setup do not match") + Crlf + "  " + AdjustConfiguration;

// Path A: GPS disabled. "" when the file is accepted, else the message.
std::string CheckWithoutGps(DataFile& file, const Settings& settings) {
    FileSetup setup;
    if (int bad = ReadSetupRecords(file, setup)) return RecordInvalidText(bad);
    HeaderRecord skipped;
    if (!ReadRecord(file, skipped) || !ReadRecord(file, skipped) || !ReadSeparations(file, setup))
        return RecordInvalidText(6);
    if (setup.gpsState != 0)
        return std::string(" GPS state in the file: ENABLED") + Crlf + "  Current GPS selection: DISABLED" + Crlf + "  " +
               AdjustConfiguration;
    if (!ConsolesMatch(setup, settings)) return ConsolesText;
    if (setup.leadingPoint != settings.LeadingPoint)
        return std::string(" Leading Point doesn't match") + Crlf + "  " + AdjustConfiguration;
    if (!SeparationsMatch(setup, settings))
        return std::string(" File Sensors Separations:") + Crlf + "  " +
               SeparationsText(setup.unitSeparation, setup.consoleSeparation) + Crlf + "Current Sensors Separations:" +
               Crlf + "  " + SeparationsText(settings.UnitSensorSeparation, settings.ConsoleSeparation) + Crlf + " " +
               AdjustConfiguration;
    return "";
}

// Path B: GPS enabled. "" when the file is accepted (zone set to the class
// found, Same after the grid modes), else the message.
std::string CheckWithGps(DataFile& file, const Settings& settings, const AppendInputs& inputs, int unitsDigit,
                         ZoneClass& zoneClass, int& fileZone) {
    if (unitsDigit != settings.DisplayUnits)
        return " Map units in the file: " + UnitsText(unitsDigit) + Crlf + "  Set the same units in the program";
    if (inputs.FirstFixSeen == 0)
        return std::string("Valid GPS position must be") + Crlf + "received to append file." + Crlf +
               "Correct GPS or create new file.";
    FileSetup setup;
    if (int bad = ReadSetupRecords(file, setup)) return RecordInvalidText(bad);
    HeaderRecord r;
    if (!ReadRecord(file, r)) return RecordInvalidText(6);
    fileZone = static_cast<int>(r.Integer(16, 2));
    zoneClass = ClassifyZone(fileZone, inputs.CurrentZone);
    if (!ReadRecord(file, r) || !ReadSeparations(file, setup)) return RecordInvalidText(6);
    if (setup.gpsState == 0)
        return std::string(" GPS state in the file: DISABLED") + Crlf + "  Current GPS selection: ENABLED" + Crlf + "  " +
               AdjustConfiguration;
    if (!ConsolesMatch(setup, settings)) return ConsolesText;
    if (!SeparationsMatch(setup, settings))
        return std::string("File Sensors Separations:") + Crlf + "  " +
               SeparationsText(setup.unitSeparation, setup.consoleSeparation) + Crlf + "Current Sensors Separations:" +
               Crlf + "  " + SeparationsText(settings.UnitSensorSeparation, settings.ConsoleSeparation) + Crlf +
               AdjustConfiguration;
    if (setup.offsetX != settings.GpsOffsetX || setup.offsetY != settings.GpsOffsetY)
        return std::string(" GPS antenna offsets in the file:") + Crlf + "  " + OffsetsText(setup.offsetX, setup.offsetY) +
               Crlf + "GPS antenna offsets specified:" + Crlf + "  " +
               OffsetsText(settings.GpsOffsetX, settings.GpsOffsetY) + Crlf +
               "Please adjust offsets or create the new data file.";
    if (setup.nmeaMode != settings.NmeaMode)
        return "GPS NMEA Data in the file:" + AppendModeName(setup.nmeaMode) + Crlf + "Current Selection:" +
               AppendModeName(settings.NmeaMode) + Crlf + "Please set GPS to" + AppendModeName(setup.nmeaMode) + Crlf +
               "to append file";
    // Grid receivers: their positions carry no zone.
    if (settings.NmeaMode == 3 || settings.NmeaMode == 4 || settings.NmeaMode == 7) zoneClass = ZoneClass::Same;
    if (zoneClass == ZoneClass::Far)
        return std::string("Distance between gps current position and position") + Crlf +
               "in the file is greater than 6 degrees longitude." + Crlf +
               "Therefore the program cannot append this file." + Crlf + FileWillBeClosed;
    return "";
}

}  // namespace

std::string AppendModeName(int mode) {
    static const char* const names[] = {"GGA/GSA", "GGA", "POS", "LLK", "LLQ", "GLL", "GGK", "Leica TPS", "Pseudo GLL"};
    return mode >= 0 && mode <= 8 ? names[mode] : "";
}

ZoneClass ClassifyZone(int fileZone, int currentZone) {
    if (fileZone <= 0 || fileZone == currentZone) return ZoneClass::Same;
    if (fileZone > 60) return ZoneClass::Far;
    if (fileZone == 1) return currentZone == 2 || currentZone == 60 ? ZoneClass::Adjacent : ZoneClass::Far;
    if (fileZone == 60) return currentZone == 1 || currentZone == 59 ? ZoneClass::Adjacent : ZoneClass::Far;
    return fileZone - currentZone == 1 || currentZone - fileZone == 1 ? ZoneClass::Adjacent : ZoneClass::Far;
}

AppendOutcome ValidateAppendFile(DataFile& file, const Settings& settings, const AppendInputs& inputs,
                                 Prompts& prompts) {
    AppendOutcome outcome;
    std::string refusal;
    ZoneClass zoneClass = ZoneClass::Same;
    int fileZone = 0;
    HeaderRecord id;
    if (!file.SeekToStart() || !ReadRecord(file, id) || std::memcmp(id.text, IdentificationNew, 6) != 0) {
        refusal = RecordInvalidText(1);
    } else if (id.Digit(9) < 2) {
        refusal = std::string("Append file option is not avaiable") + Crlf + "for files created with Version 1.xx" +
                  Crlf + FileWillBeClosed;
    } else if (settings.GpsInput == 0) {
        refusal = CheckWithoutGps(file, settings);
    } else {
        refusal = CheckWithGps(file, settings, inputs, id.Digit(15), zoneClass, fileZone);
    }
    if (!refusal.empty()) {
        prompts.ShowMessage(refusal, CaptionWarning, PromptIcon::None);
        file.Close();
        return outcome;
    }
    outcome.Accepted = true;
    if (zoneClass == ZoneClass::Adjacent) {
        outcome.AdoptZone = true;
        outcome.Zone = fileZone;
        int zone = fileZone;
        double northing = 0.0, easting = 0.0;
        GeodeticToUtm(inputs.FirstFixLatitude, inputs.FirstFixLongitude, zone, northing, easting, 1);
        outcome.OriginNorthing = MetresToDisplayUnits(northing, settings.DisplayUnits);
        outcome.OriginEasting = MetresToDisplayUnits(easting, settings.DisplayUnits);
    }
    return outcome;
}

void ApplyZoneAdoption(const AppendOutcome& outcome, UtmZoneState& zone, GpsPositionState& gps, GpsMapDrawing& map) {
    if (!outcome.Accepted || !outcome.AdoptZone) return;
    zone.UtmZone = outcome.Zone;
    // The appended header says which zone its positions are projected in.
    zone.UtmZoneOfFile = outcome.Zone;
    gps.MapReferenceNorthing = outcome.OriginNorthing;
    gps.MapReferenceEasting = outcome.OriginEasting;
    map.SetReferencePosition(outcome.OriginNorthing, outcome.OriginEasting);
}

bool DataFileAppendValidation::Validate(DataFile& file, const Settings& settings) {
    const AppendInputs inputs{gps_.FirstFixSeen, zone_.UtmZoneOfFile, zone_.FirstFixLatitude,
                              zone_.FirstFixLongitude};
    const AppendOutcome outcome = ValidateAppendFile(file, settings, inputs, prompts_);
    ApplyZoneAdoption(outcome, zone_, gps_, map_);
    return outcome.Accepted;
}

}  // namespace tesselog
