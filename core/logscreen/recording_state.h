// What the parts of the logging screen share of a run: the readers'
// streams and status, the readings and positions, the zone, the sensor
// tables, the data file and its writer, the field warnings, the profile
// panes, the map's overflow and whether the map shows. It is made first and
// handed to each part when that part is made (the map, the append check, the
// background layer, the session, and the platform's ports and panes), so no
// part waits to be told where it lives.
#pragma once

#include "core/acquisition/acquisition_state.h"
#include "core/acquisition/console_reading.h"
#include "core/datafile/data_file.h"
#include "core/datafile/data_file_writers.h"
#include "core/gps/coordinates.h"
#include "core/gps/gps_framer.h"
#include "core/gps/nmea_mode.h"
#include "core/gps/position_handler.h"
#include "core/logscreen/field_warnings_view.h"
#include "core/logscreen/profile_painting.h"
#include "core/map/map_geometry.h"
#include "core/platform/clock.h"
#include "core/platform/file_system.h"
#include "core/settings/sensor_tables.h"
#include "core/settings/settings.h"

namespace tesselog {

struct RecordingState {
    // The data file on `files`; its writer stamps records with `clock`.
    RecordingState(FileSystem& files, Settings& settings, Clock& clock)
        : File(files), Writer(File, settings, clock, Consoles, Logging) {}
    RecordingState(const RecordingState&) = delete;
    RecordingState& operator=(const RecordingState&) = delete;

    ConsoleStreams Consoles;
    LoggingStatus Logging;
    ConsoleReadingState Readings;
    GpsStreams Gps;
    GpsPositionState GpsState;
    UtmZoneState Zone;
    NmeaModeTable Mode;  // the table of this start
    GpsFieldLayout GpsLayout;
    SensorTables Sensors;
    // The profile and second-plot panes: grids, last points, bars.
    ProfilePaneState Profiles;
    // The field warnings' rules and what the screen shows of them.
    FieldWatch Field;

    // The writer writes through the file above it, and stamps with the
    // streams and status above that.
    DataFile File;
    DataFileWriter Writer;

    MapOverflow MapOverflowState = MapOverflow::Inside;
    bool MapVisible = true;
};

}  // namespace tesselog
