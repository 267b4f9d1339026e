// The figures of reading a full-size data file back, shared by the native
// measurement (in-memory tiles, stdio files) and the Windows one (GDI tiles,
// Win32 files) so that both time the same work the same way: the extent
// scan, the track replay in the positions and the colour display, the
// profile replay of each console, and, as the baseline, the same scan with
// one 27-byte read call per record. The file is the one
// scripts/make-full-size-file.sh makes: nine two-sensor consoles, MapSize
// 100; the map reference comes from its header. Each figure is the median
// of a few runs after one read of the whole file (the file in the page
// cache, as right after the program wrote it). Prints; asserts nothing.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/existing/file_replay.h"
#include "core/logscreen/logging_session.h"
#include "core/map/map_geometry.h"

namespace tesselog {

struct ReplayRig {
    static constexpr int32_t MapSide = 600;      // the map pane's drawable side
    static constexpr int32_t ProfileWidth = 600;  // each console's profile pane
    static constexpr int32_t MapSizeUnits = 100;

    // Makes a tile store for one track replay on `state` (fresh each run).
    using TileFactory = std::function<std::unique_ptr<MapTileSurfaces>(MapState& state)>;

    FileSystem& Files;
    std::string Path;
    TileFactory MakeTiles;
    // When set, the colour replay once more on these tiles (a store that
    // draws nothing: the core's own share of the replay).
    TileFactory MakeBareTiles = {};
    int Runs = 5;          // runs of each in-program figure
    int BaselineRuns = 3;  // runs of the one-read-per-record scan

    static Settings RigSettings(int32_t displayType) {
        Settings s;
        s.ConsoleCount = MaxConsoles;
        for (int32_t& type : s.ConsoleType) type = 1;
        s.MapSize = MapSizeUnits;
        s.MapDisplayType = displayType;
        s.RecomputeAll();
        return s;
    }

    template <typename Work>
    static double Milliseconds(Work&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    template <typename Work>
    static double Median(int runs, Work&& work) {
        std::vector<double> times;
        for (int i = 0; i < std::max(runs, 1); ++i) times.push_back(Milliseconds(work));
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    // Bytes 1..14 of header record `index` (0-based): the map reference.
    static double HeaderValue(DataFile& file, uint64_t index) {
        char text[RecordLength + 1] = {};
        file.ReadAt(index * RecordLength, text, RecordLength);
        text[15] = 0;
        return std::strtod(text + 1, nullptr);
    }

    // The scan of ScanFileExtent done as a reader with one read call per
    // record would do it: the same values, counted the same way.
    static ExtentScan ScanOneReadPerRecord(DataFile& file, const MapState& state) {
        ExtentScan scan;
        scan.Range = MapRange{state.OriginX, state.OriginX, state.OriginY, state.OriginY};
        file.SeekToStart();
        uint8_t record[RecordLength];
        while (file.Read(record, RecordLength) == RecordLength) {
            if (record[0] != '{' || record[1] < 'a' || record[1] > 'h') continue;
            char text[15] = {};
            std::memcpy(text, record + 2, 14);
            const double value = std::strtod(text, nullptr);
            double& low = (record[1] - 'a') % 2 == 0 ? scan.Range.MinX : scan.Range.MinY;
            double& high = (record[1] - 'a') % 2 == 0 ? scan.Range.MaxX : scan.Range.MaxY;
            low = std::min(low, value);
            high = std::max(high, value);
            if (record[1] == 'd' || record[1] == 'h') ++scan.PositionCount;
        }
        file.SeekToEnd();
        return scan;
    }

    static const char* VerdictText(ExtentVerdict verdict) {
        switch (verdict) {
        case ExtentVerdict::Fits: return "fits";
        case ExtentVerdict::TooLarge: return "too large for the map";
        case ExtentVerdict::PositionsAtLimit: return "at the positions limit";
        }
        return "?";
    }

    // Prints every figure; false when the file cannot be read or the two
    // scans disagree.
    bool Run() {
        DataFile file(Files);
        if (!file.Open(Path, OpenMode::ReadWriteExisting)) {
            std::fprintf(stderr, "cannot open %s\n", Path.c_str());
            return false;
        }
        const uint64_t size = file.Size();
        std::vector<uint8_t> block(1 << 20);
        for (uint64_t at = 0; at < size; at += block.size()) file.ReadAt(at, block.data(), block.size());

        const Settings colour = RigSettings(1);
        const Settings positions = RigSettings(0);
        const SensorTables sensors = BuildSensorTables(colour);
        MapState state;
        SetMapTileSize(state, colour, MapSide, MapSide);
        SetMapOrigin(state, HeaderValue(file, 4), HeaderValue(file, 3));
        ReplayProgress progress;

        ExtentScan scan;
        const double scanMs = Median(Runs, [&] { scan = ScanFileExtent(file, state, progress); });
        ExtentScan baseline;
        const double baselineMs = Median(BaselineRuns, [&] { baseline = ScanOneReadPerRecord(file, state); });

        auto track = [&](const Settings& settings, const TileFactory& make) {
            return Median(Runs, [&] {
                MapState replayed = state;
                std::unique_ptr<MapTileSurfaces> tiles = make(replayed);
                ReplayTrack(file, replayed, *tiles, settings, sensors, progress);
            });
        };
        const double marksMs = track(positions, MakeTiles);
        const double colourMs = track(colour, MakeTiles);
        const double bareMs = MakeBareTiles ? track(colour, MakeBareTiles) : 0.0;

        double profilesMs = 0.0;
        double profileMaxMs = 0.0;
        size_t points = 0;
        for (int k = 0; k < MaxConsoles; ++k) {
            const double ms = Median(Runs, [&] {
                points = 0;
                for (const ProfileCurvePiece& piece : ReplayProfile(file, colour, k, ProfileWidth))
                    points += piece.Left.size();
            });
            profilesMs += ms;
            profileMaxMs = std::max(profileMaxMs, ms);
        }

        const double total = scanMs + colourMs + profilesMs;
        std::printf("file: %s, %llu bytes, %llu records\n", Path.c_str(), static_cast<unsigned long long>(size),
                    static_cast<unsigned long long>(size / RecordLength));
        std::printf("map: %d x %d pane, MapSize %d; profile panes %d wide; median of %d runs (baseline %d)\n",
                    MapSide, MapSide, MapSizeUnits, ProfileWidth, Runs, BaselineRuns);
        std::printf("extent scan (1 MiB blocks): %10.1f ms  (%s, %d positions)\n", scanMs, VerdictText(scan.Verdict),
                    scan.PositionCount);
        std::printf("track replay, positions display: %10.1f ms\n", marksMs);
        std::printf("track replay, colour display: %10.1f ms\n", colourMs);
        if (MakeBareTiles) std::printf("track replay, colour display, nothing drawn: %10.1f ms\n", bareMs);
        std::printf("profile replay, nine consoles: %10.2f ms  (largest %.2f ms, %zu points in the last)\n",
                    profilesMs, profileMaxMs, points);
        std::printf("in-program total (scan, colour replay, nine profiles): %10.1f ms  (target: 2000 ms or less)\n",
                    total);
        std::printf("baseline: extent scan, one 27-byte read per record: %10.1f ms  (%d positions)\n", baselineMs,
                    baseline.PositionCount);
        std::printf("ratio baseline / block scan: %.1fx  (target: 20x or more)\n", baselineMs / scanMs);
        const bool same = baseline.PositionCount == scan.PositionCount && baseline.Range.MinX == scan.Range.MinX &&
                          baseline.Range.MaxX == scan.Range.MaxX && baseline.Range.MinY == scan.Range.MinY &&
                          baseline.Range.MaxY == scan.Range.MaxY;
        if (!same) std::fprintf(stderr, "the two scans disagree\n");
        return same;
    }
};

}  // namespace tesselog
