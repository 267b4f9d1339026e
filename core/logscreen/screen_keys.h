// The logging screen's keys that are no button's underlined letter: the
// map's navigation for a gloved hand (the arrow keys move the map, + and -
// zoom and Home fits all while reviewing, I enters and leaves the review),
// O switches the sunlight display and V fits the readings scale to the last
// minute's readings. The codes are the system's key codes of WM_KEYDOWN;
// a letter comes as its capital, and as its small letter from the tests
// and the replay tool, as the command letters do.
#pragma once

#include <cstdint>

namespace tesselog {

enum class ScreenKey { None, Left, Right, Up, Down, ZoomIn, ZoomOut, FitAll, Review, Sunlight, FitScale };

// The zoom keys act only in review: outside it their codes keep what they
// were (the numeric keypad's minus shares its code with a small "m").
ScreenKey ScreenKeyOf(uint32_t keyCode, bool inReview);

// The navigation code (121..127) of a map key, 0 for any other.
int NavigationCodeOf(ScreenKey key);

}  // namespace tesselog
