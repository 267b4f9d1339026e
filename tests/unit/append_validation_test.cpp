#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/existing/append_validation.h"
#include "core/datafile/data_file.h"
#include "core/datafile/data_file_writers.h"
#include "core/gps/position_handler.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

constexpr char Path[] = "C:\\DATA\\SURVEY.MGR";

// The six header records of `settings` from the writers, zone `zone`.
std::string Header(const Settings& settings, int zone) {
    HeaderContext h;
    h.DataFileName = "SURVEY";
    h.MapReferenceEasting = 612345.678;
    h.MapReferenceNorthing = 5812345.125;
    h.UtmZoneOfFile = zone;
    return FormatFileHeader(0, settings, h);
}
// Overwrites columns of record 1..6.
void Put(std::string& bytes, int record, int column, const std::string& text) {
    bytes.replace((record - 1) * RecordLength + column, text.size(), text);
}

struct Result {
    AppendOutcome outcome;
    RecordingPrompts prompts;
    bool open = false;
    bool unchanged = false;
};

void Validate(const std::string& bytes, const Settings& settings, const AppendInputs& inputs, Result& run) {
    MemoryFileSystem fs;
    fs.Files[Path] = bytes;
    DataFile file(fs);
    ASSERT_TRUE(file.Open(Path, OpenMode::ReadWriteExisting));
    run.outcome = ValidateAppendFile(file, settings, inputs, run.prompts);
    run.open = file.IsOpen();
    file.Close();
    run.unchanged = fs.Files[Path] == bytes;
}

struct Case {
    const char* name;
    bool gps;                                          // GpsInput of the settings
    std::function<void(Settings&)> settings;           // after the header was written
    std::function<void(std::string&)> spoil;           // bytes of the header
    std::string message;                               // "" = accepted
    int currentZone = 30;
    int32_t firstFixSeen = 1;
};

const std::string Record1 = "Invalid File Format.\r\nFile Record # 1 invalid.\r\nThe file will be closed.";
const std::string Record2 = "Invalid File Format.\r\nFile Record # 2 invalid.\r\nThe file will be closed.";
const std::string Record3 = "Invalid File Format.\r\nFile Record # 3 invalid.\r\nThe file will be closed.";
const std::string Record6 = "Invalid File Format.\r\nFile Record #6 invalid.\r\nThe file will be closed.";
const std::string Version1 =
    "Append file option is not avaiable\r\nfor files created with Version 1.xx\r\nThe file will be closed.";
const std::string Consoles = " Number and/or sensors setup do not match\r\n  Please adjust the configuration.";
const std::string Far =
    "Distance between gps current position and position\r\nin the file is greater than 6 degrees longitude.\r\n"
    "Therefore the program cannot append this file.\r\nThe file will be closed.";

void Same(Settings&) {}
void Intact(std::string&) {}
auto Cut(size_t records) {
    return [records](std::string& b) { b.resize(records * RecordLength); };
}

TEST(AppendValidation, EveryRefusalAndAcceptanceOfBothPaths) {
    const Case cases[] = {
        // --- GPS enabled ---
        {"valid", true, Same, Intact, ""},
        {"not TESSEL", true, Same, [](std::string& b) { Put(b, 1, 5, "X"); }, Record1},
        {"version 1", true, Same, [](std::string& b) { Put(b, 1, 9, "1"); Put(b, 2, 0, "?"); }, Version1},
        {"units first", true, Same, [](std::string& b) { Put(b, 1, 15, "2"); Put(b, 2, 0, "?"); },
         " Map units in the file:  US Survey Feet\r\n  Set the same units in the program"},
        {"units unknown digit", true, Same, [](std::string& b) { Put(b, 1, 15, "7"); },
         " Map units in the file: \r\n  Set the same units in the program"},
        {"no position yet", true, Same, [](std::string& b) { Put(b, 2, 0, "?"); },
         "Valid GPS position must be\r\nreceived to append file.\r\nCorrect GPS or create new file.", 30, 0},
        {"units before the position", true, Same, [](std::string& b) { Put(b, 1, 15, "1"); },
         " Map units in the file:  Feet\r\n  Set the same units in the program", 30, 0},
        {"record 2", true, Same, [](std::string& b) { Put(b, 2, 0, "G"); }, Record2},
        {"record 3", true, Same, [](std::string& b) { Put(b, 3, 0, "H"); }, Record3},
        {"record 6", true, Same, [](std::string& b) { Put(b, 6, 0, "L"); Put(b, 3, 20, "0"); }, Record6},
        {"empty file", true, Same, Cut(0), Record1},
        {"three records", true, Same, Cut(3), Record6},
        {"gps off in file", true, Same, [](std::string& b) { Put(b, 3, 20, "0"); Put(b, 3, 15, "2"); },
         " GPS state in the file: DISABLED\r\n  Current GPS selection: ENABLED\r\n  Please adjust the configuration."},
        {"console type 7", true, [](Settings& s) { s.ConsoleCount = 7; },
         [](std::string& b) { Put(b, 3, 15, "7"); Put(b, 2, 15, "222"); Put(b, 2, 21, "1"); }, Consoles},
        {"console count", true, Same, [](std::string& b) { Put(b, 3, 15, "2"); }, Consoles},
        {"consoles before separations", true, Same,
         [](std::string& b) { Put(b, 3, 15, "2"); Put(b, 6, 1, "  9.000"); }, Consoles},
        {"separations", true, [](Settings& s) { s.UnitSensorSeparation = 0.3333; },
         [](std::string& b) { Put(b, 3, 1, "  9.000"); },
         "File Sensors Separations:\r\n  1.00 , 1.00\r\nCurrent Sensors Separations:\r\n  0.33 , 1.00\r\n"
         "Please adjust the configuration."},
        {"quarter separation", true, [](Settings& s) { s.ConsoleSeparation = 0.25; },
         [](std::string& b) { Put(b, 6, 8, "  0.250"); }, ""},
        {"offsets", true, [](Settings& s) { s.GpsOffsetY = 0.3333; }, [](std::string& b) { Put(b, 3, 17, "5"); },
         " GPS antenna offsets in the file:\r\n  X=2.50 Y=0.50\r\nGPS antenna offsets specified:\r\n  X=2.50 Y=0.33\r\n"
         "Please adjust offsets or create the new data file."},
        {"mode A in file", true, Same, [](std::string& b) { Put(b, 3, 17, "A"); Put(b, 4, 16, "33"); },
         "GPS NMEA Data in the file:Pseudo GLL\r\nCurrent Selection:GGA/GSA\r\nPlease set GPS toPseudo GLL\r\n"
         "to append file"},
        {"mode A matches 8", true, [](Settings& s) { s.NmeaMode = 8; }, [](std::string& b) { Put(b, 3, 17, "A"); }, ""},
        {"mode 7 named", true, [](Settings& s) { s.NmeaMode = 6; }, [](std::string& b) { Put(b, 3, 17, "7"); },
         "GPS NMEA Data in the file:Leica TPS\r\nCurrent Selection:GGK\r\nPlease set GPS toLeica TPS\r\nto append file"},
        {"zones 31 and 33", true, Same, [](std::string& b) { Put(b, 4, 16, "31"); }, Far, 33},
        {"zones 31 and 33, mode 3", true, [](Settings& s) { s.NmeaMode = 3; },
         [](std::string& b) { Put(b, 4, 16, "31"); Put(b, 3, 17, "3"); }, "", 33},
        {"zone not fixed in file", true, Same, [](std::string& b) { Put(b, 4, 16, "-9"); }, "", 33},
        {"adjacent zone, mode 4: nothing adopted", true, [](Settings& s) { s.NmeaMode = 4; },
         [](std::string& b) { Put(b, 4, 16, "31"); Put(b, 3, 17, "4"); }, "", 32},
        // --- GPS disabled: units, mode, offsets and zone are not compared ---
        {"A valid", false, Same, [](std::string& b) { Put(b, 1, 15, "2"); Put(b, 3, 1, "  7.000"); Put(b, 3, 17, "5"); Put(b, 4, 16, "45"); },
         "", 33, 0},
        {"A version 1", false, Same, [](std::string& b) { Put(b, 1, 9, "1"); }, Version1},
        {"A record 2", false, Same, [](std::string& b) { Put(b, 2, 0, "h"); }, Record2},
        {"A record 3", false, Same, [](std::string& b) { Put(b, 3, 0, "g"); }, Record3},
        {"A record 6", false, Same, [](std::string& b) { Put(b, 6, 0, "Z"); }, Record6},
        {"A gps on in file", false, Same, [](std::string& b) { Put(b, 3, 20, "1"); Put(b, 3, 16, "3"); },
         " GPS state in the file: ENABLED\r\n  Current GPS selection: DISABLED\r\n  Please adjust the configuration."},
        {"A console type", false, Same, [](std::string& b) { Put(b, 2, 14, "1"); Put(b, 3, 16, "3"); }, Consoles},
        {"A gps state before consoles", false, Same, [](std::string& b) { Put(b, 3, 20, "1"); Put(b, 3, 15, "2"); },
         " GPS state in the file: ENABLED\r\n  Current GPS selection: DISABLED\r\n  Please adjust the configuration."},
        {"A consoles before separations", false, Same,
         [](std::string& b) { Put(b, 3, 15, "2"); Put(b, 6, 8, "  9.000"); }, Consoles},
        {"A type beyond count ignored", false, Same, [](std::string& b) { Put(b, 2, 15, "2"); }, ""},
        {"A leading point", false, Same, [](std::string& b) { Put(b, 3, 16, "2"); Put(b, 6, 1, "  2.000"); },
         " Leading Point doesn't match\r\n  Please adjust the configuration."},
        {"A separations", false, [](Settings& s) { s.UnitSensorSeparation = 0.25; }, Intact,
         " File Sensors Separations:\r\n  1.00 , 1.00\r\nCurrent Sensors Separations:\r\n  0.25 , 1.00\r\n"
         " Please adjust the configuration."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Settings settings;
        settings.GpsInput = c.gps ? 1 : 0;
        std::string bytes = Header(settings, 30);
        c.spoil(bytes);
        c.settings(settings);
        Result run;
        Validate(bytes, settings, AppendInputs{c.firstFixSeen, c.currentZone, 0.0, 0.0}, run);
        EXPECT_TRUE(run.unchanged);
        EXPECT_EQ(run.outcome.Accepted, c.message.empty());
        EXPECT_EQ(run.open, c.message.empty());
        EXPECT_FALSE(run.outcome.AdoptZone);
        if (c.message.empty()) {
            EXPECT_TRUE(run.prompts.History.empty());
        } else {
            ASSERT_EQ(run.prompts.History.size(), 1u);
            EXPECT_EQ(run.prompts.History[0].Text, c.message);
            EXPECT_EQ(run.prompts.History[0].Caption, "WARNING");
            EXPECT_EQ(run.prompts.History[0].Icon, PromptIcon::None);
        }
    }
}

TEST(AppendValidation, ZonesAreNeighboursOnTheRing) {
    struct {
        int file, current;
        ZoneClass expected;
    } cases[] = {
        {60, 1, ZoneClass::Adjacent}, {1, 60, ZoneClass::Adjacent}, {60, 59, ZoneClass::Adjacent},
        {1, 2, ZoneClass::Adjacent},  {32, 31, ZoneClass::Adjacent}, {31, 33, ZoneClass::Far},
        {1, 59, ZoneClass::Far},      {61, 60, ZoneClass::Far},      {-9, 12, ZoneClass::Same},
        {0, 12, ZoneClass::Same},     {12, 12, ZoneClass::Same},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyZone(c.file, c.current), c.expected) << c.file << " " << c.current;
}

struct OriginMap : GpsMapDrawing {
    void SetReferencePosition(double northing, double easting) override {
        ++calls;
        n = northing;
        e = easting;
    }
    int calls = 0;
    double n = 0.0, e = 0.0;
};

// A survey begun in zone 60 (west of the date line) is continued by a run
// whose first fix lies just east of it, in zone 1; the origin is projected
// again in zone 60 and brought into feet (0.3048 m) or US survey feet
// (0.304800609601219 m).
TEST(AppendValidation, AdjacentZoneIsAdoptedWithTheOriginProjectedAgain) {
    for (const auto& [units, foot] : {std::pair{1, 0.3048}, std::pair{2, 0.304800609601219}}) {
        SCOPED_TRACE(units);
        Settings settings;
        settings.DisplayUnits = units;
        MemoryFileSystem fs;
        fs.Files[Path] = Header(settings, 60) + std::string(5 * RecordLength, 'x');
        const std::string before = fs.Files[Path];

        UtmZoneState zone;
        GpsPositionState gps;
        gps.FirstFixSeen = 1;
        OriginMap map;
        double n1 = 0, e1 = 0;
        ProjectGeodeticFix(zone, -17.5, -179.8, n1, e1);
        ASSERT_EQ(zone.UtmZone, 1);

        RecordingPrompts prompts;
        DataFileAppendValidation validation(prompts, gps, zone, map);
        DataFile file(fs);
        ASSERT_TRUE(file.Open(Path, OpenMode::ReadWriteExisting));
        ASSERT_TRUE(validation.Validate(file, settings));
        EXPECT_TRUE(prompts.History.empty());
        EXPECT_TRUE(file.IsOpen());

        int z = 60;
        double n = 0, e = 0;
        GeodeticToUtm(-17.5, 180.2, z, n, e, 1);  // the same place, east of 180
        EXPECT_EQ(zone.UtmZone, 60);
        EXPECT_EQ(zone.UtmZoneOfFile, 60);  // the appended header's zone
        EXPECT_EQ(map.calls, 1);
        EXPECT_NEAR(map.n, n / foot, 1e-6);
        EXPECT_NEAR(map.e, e / foot, 1e-6);
        EXPECT_GT(map.e, 500000.0 / foot);  // east of zone 60's central meridian
        EXPECT_DOUBLE_EQ(gps.MapReferenceEasting, map.e);
        // The file stays right after record 6.
        char next[RecordLength];
        ASSERT_EQ(file.Read(next, RecordLength), size_t(RecordLength));
        EXPECT_EQ(next[0], 'x');
        file.Close();
        EXPECT_EQ(fs.Files[Path], before);
    }
}

}  // namespace
}  // namespace tesselog
