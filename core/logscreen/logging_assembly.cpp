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

LoggingScreen::LoggingScreen(Settings& settings, LoggingScreenMap& mapSide, const ScreenPlatform& platform)
    : Services{mapSide.Platform.Files,
               mapSide.Platform.Time,
               platform.Sound,
               mapSide.Platform.Messages,
               mapSide.Platform.FileChooser,
               platform.Controls,
               platform.Dialogs,
               platform.Ports,
               mapSide.Map,
               mapSide.Validation,
               mapSide.Background,
               platform.ScreenMode,
               platform.SaveSettings,
               platform.EndProgram,
               platform.QcSettingsPath,
               platform.Disk,
               platform.Power,
               platform.Awake,
               platform.LookSettingsPath},
      Session(settings, Services, mapSide.Recording) {}

}  // namespace tesselog
