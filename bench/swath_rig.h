// The recording map of the swath figures, shared by the native benchmark and
// the Windows measurement: nine two-sensor consoles (18 sensors) in the
// colour display on a 700 x 700 pane of 40 m (or another map size), a data
// file in memory, and a closed epoch of the same readings at every fix, or
// at every ReadingEvery-th fix with empty epochs between (a receiver faster
// than the consoles). The walk goes along lines 100 m long and 10 m apart.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/datafile/data_file_writers.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {

struct SwathRig {
    static constexpr int32_t Side = 700;

    static Settings RigSettings() {
        Settings s;
        s.MapSize = 40;
        s.ConsoleCount = 9;
        for (int32_t& type : s.ConsoleType) type = 1;
        s.GpsOffsetY = 1.0;
        s.MapDisplayType = 1;
        s.RecomputeAll();
        return s;
    }

    // prepare runs on the map before its reset (the GDI store's base painter).
    SwathRig(MapTileSurfaces& tiles, int32_t readingsPerFix, bool shown,
             const std::function<void(MapCommands&)>& prepare = {}, int32_t mapSize = 40)
        : PerFix(readingsPerFix), Map(tiles, Config, *Recording, Clock, [] {}) {
        Recording->MapVisible = shown;
        Sensors = BuildSensorTables(Config);
        Config.MapSize = mapSize;
        File.Open("rig.mgr");
        if (prepare) prepare(Map);
        Map.SetPaneSize(Side, Side);
        Map.Reset();
        Map.PrepareDrawing();
        Map.ResetSwath();
        Map.SetReferencePosition(6000000.0, 500000.0);
        Map.Draw(1, 6000000.0, 500000.0, 0.0);
        for (int k = 0; k < Sensors.SensorCount; ++k) {
            for (int i = 0; i < readingsPerFix; ++i) Readings->AmplitudeQueue[k][0][i] = (k * 7 + i * 3) % 50;
        }
    }

    // Fix number `fix` of the walk with a fix every `step` metres.
    void DrawFix(int64_t fix, double step) {
        const bool readings = fix % ReadingEvery == 0;
        Epochs.ClosedEpochHasReadings = readings ? 1 : 0;
        for (int k = 0; k < Sensors.SensorCount; ++k) Epochs.ClosedEpochLastIndex[k] = readings ? PerFix - 1 : -1;
        const int64_t perLine = static_cast<int64_t>(100.0 / step);
        const int64_t line = (fix / perLine) % 40;
        const double along = static_cast<double>(fix % perLine) * step;
        const double east = line % 2 == 0 ? along : 100.0 - along;
        Map.Draw(1, 6000000.0 + 10.0 * static_cast<double>(line), 500000.0 + east, step);
    }

    int32_t PerFix = 1;
    int32_t ReadingEvery = 1;
    Settings Config = RigSettings();
    MemoryFileSystem Files;
    ManualClock Clock;
    // The recording the map reads and writes, under the names of its parts.
    std::unique_ptr<RecordingState> Recording = std::make_unique<RecordingState>(Files, Config, Clock);
    DataFile& File = Recording->File;
    SensorTables& Sensors = Recording->Sensors;
    GpsPositionState& Epochs = Recording->GpsState;
    ConsoleReadingState* Readings = &Recording->Readings;
    MapOverflow& Overflow = Recording->MapOverflowState;
    MapCommands Map;
};

}  // namespace tesselog
