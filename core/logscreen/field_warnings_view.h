// The field warnings as the logging screen draws them, and the session's
// side of the rules: FieldWatch owns the thresholds (TESSELQC.INI), the
// rules (FieldQc) and their FieldWarnings record, takes what the handlers
// already have, and after each of them says which parts of the screen must
// be drawn again. Nothing here writes to the data file or the main settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/acquisition/console_reading.h"
#include "core/map/map_geometry.h"
#include "core/map/tile_drawing.h"
#include "core/platform/battery.h"
#include "core/platform/canvas.h"
#include "core/platform/disk_space.h"
#include "core/platform/file_system.h"
#include "core/qc/field_qc.h"
#include "core/qc/field_warnings.h"
#include "core/qc/qc_settings.h"
#include "core/settings/settings.h"

namespace tesselog {

// The colour of the status area's warnings (the cells and the speed bar take
// WarningCellColor); the gaps' hatch, a brown that no reading class, grid or
// position pen uses.
constexpr Color WarningTextColor = Rgb(192, 0, 0);
constexpr Color GapHatchColor = Rgb(128, 64, 0);

// Which parts of the screen show something new.
enum WarningRedraw : uint32_t {
    RedrawWarningLine = 1u << 0,  // the status area's line of warnings
    RedrawNumbers = 1u << 1,      // the numbers pane's cells
    RedrawSpeedBar = 1u << 2,
};

// Everything drawn from the warnings.
struct WarningsShown {
    // The active texts in order of importance, joined by " | ".
    std::string Line;
    // Per sensor across the array: "" when well, else the short reason
    // that replaces its reading in the numbers pane, on the warning colour
    // ("no value", "saturated", "frozen", "noisy": the most important).
    std::string Cell[MaxSensors];
    bool TooFast = false;

    bool operator==(const WarningsShown& other) const;
};

WarningsShown ShowWarnings(const FieldWarnings& warnings, const QcArray& array);
// One sensor's cell as the rules stand now. A reading draws its own numbers
// right after the rules took it and before the session collects what changed,
// so that draw asks the rules: the last collected WarningsShown would paint
// "frozen" once more on the very reading that ended it, and the cell would
// keep it until the console's next reading.
std::string SensorCell(const FieldWarnings& warnings, int sensor);
uint32_t ChangedParts(const WarningsShown& before, const WarningsShown& after);

// The hatch of one gap piece: its outline and lines across it every few
// pixels, in GapHatchColor on the overlay.
void AddGapHatch(TileStrokeBatch& batch, const MapState& state, const GapQuad& piece);

// A disk and a power source that cannot tell (the drawing-log build's
// default, and tests).
class UnknownDiskSpace : public DiskSpace {
public:
    bool FreeBytes(const std::string&, uint64_t&) override { return false; }
};
class NoBattery : public PowerSource {
public:
    PowerStatus Status() override { return {}; }
};

class FieldWatch : public ReadingWatcher {
public:
    FieldWatch() : qc_(warnings_) {}

    // The logging screen opens: the thresholds from `path` (written with the
    // defaults when missing), every rule afresh.
    void Open(const Settings& settings, FileSystem& files, const std::string& path);
    // New thresholds (the dialog's OK), saved once to the file of Open.
    void Apply(const Settings& settings, FileSystem& files, const QcSettings& qc);

    void OnReading(int k, uint32_t tick, double value1, double value2, const char* sentence,
                   size_t length) override;

    // What changed since the last call: the parts to draw again (0: none).
    // `quick` looks only for onsets and clears (after each reading); the
    // full look also catches texts that count on (positions, disk, spacing).
    uint32_t TakeRedraw(bool quick);
    // The warning sound is due (an onset, the sound switched on).
    bool TakeSound() { return qc_.TakeSound(); }

    FieldQc& Rules() { return qc_; }
    const FieldQc& Rules() const { return qc_; }
    const QcSettings& Thresholds() const { return settings_; }
    const WarningsShown& Shown() const { return shown_; }
    const FieldWarnings& Warnings() const { return warnings_; }

private:
    FieldWarnings warnings_;
    FieldQc qc_;
    QcSettings settings_;
    std::string path_;
    WarningsShown shown_;
};

}  // namespace tesselog
