// The settings summary of the main window: six rows of survey parameters on
// the left and system set-up on the right, as the operator reads them.
#pragma once

#include <array>
#include <string>

#include "core/settings/settings.h"

namespace tesselog {

struct SummaryRow {
    std::string LeftLabel;
    std::string LeftValue;
    std::string RightLabel;
    std::string RightValue;
};

constexpr int SummaryRowCount = 6;

// "N/A" stands for a value without meaning: the separations and the console
// type with no console configured, the unit separation without a two-sensor
// console, the GPS data format with GPS disabled.
std::array<SummaryRow, SummaryRowCount> SettingsSummaryRows(const Settings& settings);

// "Grad601-1" when no console in use has two sensors, "Grad601-2" when all
// have, "Mixed" otherwise; "N/A" with no console configured.
std::string ConsoleTypeSummary(const Settings& settings);

}  // namespace tesselog
