#include "core/logscreen/logging_assembly.h"

#include "core/map/map_geometry.h"

namespace tesselog {

LoggingScreenMap::LoggingScreenMap(Settings& settings, const MapPlatform& platform)
    : Platform(platform),
      Recording(platform.Files, settings, platform.Time),
      Map(platform.Tiles, settings, Recording, platform.Time, platform.SendOverflow, platform.MapSizeShown,
          platform.Timing),
      Validation(platform.Messages, Recording.GpsState, Recording.Zone, Map),
      Background(settings, platform.Files, platform.FileChooser, platform.Messages, platform.BackgroundChoices, Map,
                 Recording.Zone, platform.RefreshProfiles,
                 [this, &settings] { ShowMapView(Map.State(), Map.Tiles(), settings); }) {}

LoggingServices LoggingScreenMap::Services(SoundPlayer& sound, LoggingScreenControls& controls,
                                           LoggingDialogs& dialogs, LoggingPorts& ports, int32_t& screenMode) {
    return LoggingServices{Platform.Files, Platform.Time, sound,      Platform.Messages, Platform.FileChooser,
                           controls,       dialogs,       ports,      Map,               Validation,
                           Background,     screenMode,    nullptr};
}

LoggingScreen::LoggingScreen(Settings& settings, LoggingScreenMap& mapSide, const LoggingServices& services)
    : Services(services), Session(settings, Services, mapSide.Recording) {}

}  // namespace tesselog
