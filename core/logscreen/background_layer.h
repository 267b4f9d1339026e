// The background files of the logging screen: up to ten earlier tracks
// drawn under the live map. A file is converted once, when it is loaded, into
// a copy in the temporary folder (core/existing/background_files.h); the
// copy is what every later redraw reads.
//
// The tracks are drawn into the base layer of the map tiles, with the grid,
// so the swath in the overlay lies on top of them and a refresh of the
// overlays leaves them. The strokes of the loaded files are kept at the
// current scale, so that a base drawn anew from the grid (a tile coming back
// from the compact form, see windows/map_tiles) gets its part of them again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/existing/background_files.h"
#include "core/logscreen/logging_screen_io.h"
#include "core/logscreen/map_commands.h"
#include "core/map/tile_drawing.h"
#include "core/platform/file_dialogs.h"
#include "core/platform/file_system.h"
#include "core/platform/prompts.h"
#include "core/settings/settings.h"

namespace tesselog {

// The pen colour of every background track.
constexpr Color BackgroundInk = 0x202020;  // RGB(32,32,32)
// A background dot's box reaches this far beyond its centre pixel.
constexpr int32_t BackgroundDotSize = 1;

// The two dialogs, as the platform shows them.
class BackgroundDialogs {
public:
    virtual ~BackgroundDialogs() = default;
    // "BACKGROUNDFILELOAD": true on OK, with the six background settings
    // stored and saved.
    virtual bool Load(Settings& settings, int32_t loadedCount) = 0;
    // "BACKGROUNDFILEREMOVE": one mark per name; true on OK with at least
    // one marked.
    virtual bool Remove(const std::vector<std::string>& names, std::vector<bool>& marks) = 0;
};

struct BackgroundSlot {
    std::string DisplayName;  // BackgroundDisplayName
    std::string CopyName;     // BackgroundCopyName, in BackgroundTempFolder
    int32_t Display = 0;      // BackgroundFileDisplay: the display type it was loaded with
};

class BackgroundLayer : public BackgroundFiles {
public:
    // Made on `map`, whose rebuilds draw the loaded files again. Geodetic
    // points are projected into `zone`, the zone the run keeps, as the live
    // fixes are (not fixed yet: each point takes its own). refreshProfiles
    // repaints the profile panes after a conversion, which can take a while;
    // showMap puts the view back on the map pane.
    BackgroundLayer(Settings& settings, FileSystem& files, FileDialogs& fileDialogs, Prompts& prompts,
                    BackgroundDialogs& dialogs, MapCommands& map, const UtmZoneState& zone,
                    std::function<void()> refreshProfiles, std::function<void()> showMap);
    BackgroundLayer(const BackgroundLayer&) = delete;
    BackgroundLayer& operator=(const BackgroundLayer&) = delete;

    int Count() override { return static_cast<int>(slots_.size()); }
    void Load() override;
    bool Remove() override;
    void Redraw() override;
    void DeleteCopies() override;

    // The loaded files' strokes that touch one tile, for a base drawn anew.
    void PaintBaseTile(Canvas& canvas, int32_t column, int32_t row, int32_t width, int32_t height);
    const std::vector<BackgroundSlot>& Slots() const { return slots_; }

private:
    struct Source;
    bool ChooseSource(Source& source);
    std::string FreeCopyName(const std::string& displayName) const;
    bool Convert(Source& source, BackgroundSlot& slot, BackgroundConversion& conversion);
    bool DrawNew(const BackgroundSlot& slot, const BackgroundConversion& conversion);
    // The strokes of one copy at the current scale. A read error gives the
    // record's number (from 1) in BadRecord.
    struct Traced {
        int32_t Points = 0;
        int32_t Invalid = 0;
        bool AnyInside = false;
        bool ReadError = false;
        uint64_t BadRecord = 0;
    };
    Traced Trace(const BackgroundSlot& slot, int32_t display, uint64_t expectedRecords, TileStrokeBatch& batch);
    void Information(const std::string& text);
    std::string CopyPath(const BackgroundSlot& slot) const;

    Settings& settings_;
    FileSystem& files_;
    FileDialogs& fileDialogs_;
    Prompts& prompts_;
    BackgroundDialogs& dialogs_;
    MapCommands& map_;
    std::function<void()> refreshProfiles_;
    std::function<void()> showMap_;
    const UtmZoneState& zone_;
    std::vector<BackgroundSlot> slots_;
    TileStrokeBatch strokes_;  // every loaded file, at the scale of the last drawing
};

}  // namespace tesselog
