// The check of an existing data file before new records are appended to it.
// The first six records (identification, H and the four G records) are read
// and compared field by field with the current set-up; the first difference
// is explained in one "WARNING" message box and the file is refused. The
// file is only read: nothing is ever written to it here.
//
// With GPS in use the file's UTM zone is compared with the zone of this run:
// the same zone (or a file without a zone, or a receiver that delivers grid
// coordinates) is accepted as it is; a neighbouring zone on the ring 1..60 is
// accepted and adopted, so that new positions are projected into the file's
// plane; any other zone is refused.
#pragma once

#include <cstdint>
#include <string>

#include "core/gps/coordinates.h"
#include "core/platform/prompts.h"
#include "core/settings/settings.h"

namespace tesselog {

class DataFile;
class GpsMapDrawing;
struct GpsPositionState;

// The check as the logging session asks for it. The file is open at its
// start. The default refuses every file and shows nothing: appending is not
// offered yet.
class AppendValidation {
public:
    virtual ~AppendValidation() = default;
    virtual bool Validate(DataFile& /*file*/, const Settings& /*settings*/) { return false; }
};

// Names of the NMEA modes 0..8 in the messages of the check; "" for others.
std::string AppendModeName(int mode);

// The file's zone against the current one.
enum class ZoneClass { Same, Adjacent, Far };
// Same when fileZone is not above 0 or equals currentZone; adjacent when the
// two are neighbours on the ring 1..60 (1 and 60 are neighbours); far
// otherwise, also for a file zone above 60, which no projection has.
ZoneClass ClassifyZone(int fileZone, int currentZone);

// What the check reads besides the file and the settings.
struct AppendInputs {
    int32_t FirstFixSeen = 0;       // a valid position has come since the screen opened
    int32_t CurrentZone = UtmZoneNotFixed;  // UtmZoneOfFile of this run
    double FirstFixLatitude = 0.0;  // the fix that fixed the zone
    double FirstFixLongitude = 0.0;
};

struct AppendOutcome {
    bool Accepted = false;
    // Accepted in a neighbouring zone: the file's zone becomes UtmZone, and
    // the first fix projected into it (display unit) is the new map origin.
    bool AdoptZone = false;
    int32_t Zone = 0;
    double OriginNorthing = 0.0;
    double OriginEasting = 0.0;
};

// Reads the first records of `file` (open; read from its start) and checks
// them. On refusal the message has been shown with caption "WARNING" and no
// icon, and the file is closed; the settings and `inputs` are never changed.
// On acceptance the file stays open after record 6 and the caller applies
// the outcome (ApplyZoneAdoption) before it moves to the end of the file.
// A file that ends before record 6 is refused with the message of its first
// missing record (records 4 and 5 have none: the message of record 6).
AppendOutcome ValidateAppendFile(DataFile& file, const Settings& settings, const AppendInputs& inputs,
                                 Prompts& prompts);

// An accepted outcome with AdoptZone: the file's zone becomes UtmZone and
// the zone the new header records (UtmZoneOfFile), and the map reference of
// the GPS state and the map origin become the projected first fix. Nothing
// happens for any other outcome.
void ApplyZoneAdoption(const AppendOutcome& outcome, UtmZoneState& zone, GpsPositionState& gps,
                       GpsMapDrawing& map);

// The logging screen's append check: reads the GPS state and the zone of the
// run, shows its messages through `prompts`, and on acceptance in a
// neighbouring zone adopts that zone and moves the map origin.
class DataFileAppendValidation : public AppendValidation {
public:
    DataFileAppendValidation(Prompts& prompts, GpsPositionState& gps, UtmZoneState& zone, GpsMapDrawing& map)
        : prompts_(prompts), gps_(gps), zone_(zone), map_(map) {}

    bool Validate(DataFile& file, const Settings& settings) override;

private:
    Prompts& prompts_;
    GpsPositionState& gps_;
    UtmZoneState& zone_;
    GpsMapDrawing& map_;
};

}  // namespace tesselog
