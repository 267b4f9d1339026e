// Command line of tesselog-sim.
#pragma once

#include <string>

#include "tools/sim/simulation.h"

namespace tesselog::sim {

struct ToolOptions {
    SimConfig Sim;
    double Duration = 0.0;       // seconds; 0 runs until SIGINT/SIGTERM (dry runs default to 10)
    std::string CapturePrefix;
    std::string LinkDir;
    std::string WriteLog;        // non-empty: the time of each sentence's write goes here
    std::string DryRunPort;      // non-empty: write this port's stream to stdout, no ptys, no pacing
    std::string FieldOut;        // non-empty: the buried features are described in this file
    std::string Help;            // non-empty: --help was given; print this and run nothing
};

// Fills `options` from argv[1..]; on failure returns false with a message.
bool ParseOptions(int argc, const char* const* argv, ToolOptions& options, std::string& error);

}  // namespace tesselog::sim
