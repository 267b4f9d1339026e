// The main window's picture: frame, captions, version, settings summary and
// the array sketch, drawn on a client area of width W and height H.
#pragma once

#include <cstdint>

#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog {

void PaintMainWindow(Canvas& canvas, const Settings& settings, int32_t clientWidth, int32_t clientHeight);

// The parts, for tests and for a later repaint of one part.
void PaintMainFrame(Canvas& canvas, int32_t clientWidth, int32_t clientHeight);
void PaintSettingsSummary(Canvas& canvas, const Settings& settings, int32_t clientWidth);
void PaintArraySketch(Canvas& canvas, const Settings& settings, int32_t clientWidth, int32_t clientHeight);

}  // namespace tesselog
