// Which screen is in front: the main window's, the logging screen or the
// GPS monitor. The main window's commands and the monitor's both read it.
#pragma once

#include <cstdint>

namespace tesselog {

// ScreenMode values: which screen is in front.
constexpr int32_t ScreenMain = 0;
constexpr int32_t ScreenLogging = 1;
constexpr int32_t ScreenGpsMonitor = 2;

}  // namespace tesselog
