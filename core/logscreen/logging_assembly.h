// The logging screen's core, made from the platform's objects, every part
// with its dependencies when it is made. It is made in two steps because the
// platform's controls draw on the map's pane and lay the panes out into the
// recording: first the map side (the recording state, the map on the
// platform's tiles, the append check, the background layer), then, with the
// controls, dialogs and ports the platform has made on that side, the
// services and the session.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/existing/append_validation.h"
#include "core/logscreen/background_layer.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/logscreen/recording_state.h"

namespace tesselog {

// What only the platform gives the map side. All references outlive it.
struct MapPlatform {
    FileSystem& Files;
    Clock& Time;
    Prompts& Messages;
    FileDialogs& FileChooser;
    MapTileSurfaces& Tiles;
    BackgroundDialogs& BackgroundChoices;
    // The track left the allowed tiles (posted to the screen, which hands it
    // to the session's OnMapOverflow).
    std::function<void()> SendOverflow;
    // The "Map Size:" text and the grid's note are to be drawn again.
    std::function<void()> MapSizeShown = {};
    // The profile panes repainted after a background conversion.
    std::function<void()> RefreshProfiles = {};
    MapReadTiming Timing = {};
};

// The first step. The members are made in the order written, each from the
// ones above it: the recording, the map on it, the append check (which moves
// the map's origin) and the background layer (drawn again with the map).
class LoggingScreenMap {
public:
    LoggingScreenMap(Settings& settings, const MapPlatform& platform);
    LoggingScreenMap(const LoggingScreenMap&) = delete;
    LoggingScreenMap& operator=(const LoggingScreenMap&) = delete;

    // The session's services: this side's parts and platform with the
    // platform's sound and the controls, dialogs and ports it made on this
    // side. The rest (saving, the end of the program, the field warnings'
    // sources, the look's file) is the caller's to fill in.
    LoggingServices Services(SoundPlayer& sound, LoggingScreenControls& controls, LoggingDialogs& dialogs,
                             LoggingPorts& ports, int32_t& screenMode);

    const MapPlatform Platform;
    RecordingState Recording;
    MapCommands Map;
    DataFileAppendValidation Validation;
    BackgroundLayer Background;
};

// The second step: the session on the map side's recording, acting through
// `services` (made by LoggingScreenMap::Services).
class LoggingScreen {
public:
    LoggingScreen(Settings& settings, LoggingScreenMap& mapSide, const LoggingServices& services);
    LoggingScreen(const LoggingScreen&) = delete;
    LoggingScreen& operator=(const LoggingScreen&) = delete;

    LoggingServices Services;
    LoggingSession Session;
};

}  // namespace tesselog
