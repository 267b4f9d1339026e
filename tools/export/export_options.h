// What tesselog-export was asked for, and the summary it prints: shared by
// its pieces.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/export/line_report.h"
#include "core/export/local_grid.h"
#include "core/export/processing.h"

namespace tesselog {

struct Options {
    std::string Path;
    std::vector<std::string> Paths;  // a site of several files
    bool Level = true;               // several files: level them against each other
    std::string Prefix;
    std::vector<std::string> Only;
    double Cell = 0.0;       // 0: 0.25 m in the display unit
    double Fill = -1.0;      // below 0: the larger sensor separation
    std::vector<double> Scale;
    std::vector<std::string> Colours{"map", "grey"};
    std::string ValueUnit = "nT";
    std::vector<std::string> Mask;
    std::string QcSettingsPath;  // the field warnings' settings for the sensor flags ("": beside the file)
    LocalGridOptions Local;
    std::string LinesStep = "right";
    ProcessingSteps Steps;
    std::vector<double> Despike;
    std::vector<double> Clip;
    bool ProcessedTables = false;
    bool Quiet = false;
};

// Whether an output kind is wanted (--only), a picture's colours (--colours).
inline bool Wanted(const Options& o, const char* what) {
    if (o.Only.empty()) return true;
    for (const std::string& w : o.Only) {
        if (w == what) return true;
    }
    return false;
}

inline bool WantsColours(const Options& o, const char* colours) {
    for (const std::string& c : o.Colours) {
        if (c == colours) return true;
    }
    return false;
}

inline std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The report's GPS mask from --mask (checked before).
inline GpsMask MaskOf(const Options& o) {
    GpsMask mask;
    if (o.Mask.size() == 1) mask.On = false;
    if (o.Mask.size() == 3) {
        mask.MinQuality = std::stoi(o.Mask[0]);
        mask.MinSatellites = std::stoi(o.Mask[1]);
        mask.MaxDilution = std::stod(o.Mask[2]);
    }
    return mask;
}

// The lines printed after a successful export.
struct Summary {
    std::vector<std::string> Lines;
    template <typename... Args>
    void Add(const char* format, Args... args) {
        char text[1024];
        std::snprintf(text, sizeof text, format, args...);
        Lines.emplace_back(text);
    }
};

}  // namespace tesselog
