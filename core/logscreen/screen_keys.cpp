#include "core/logscreen/screen_keys.h"

#include "core/map/map_geometry.h"

namespace tesselog {

namespace {

// The system's virtual-key codes.
constexpr uint32_t KeyHome = 0x24, KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;
constexpr uint32_t KeyPadPlus = 0x6B, KeyPadMinus = 0x6D, KeyPlus = 0xBB, KeyMinus = 0xBD;

bool IsLetter(uint32_t code, char capital) {
    return code == static_cast<uint32_t>(capital) || code == static_cast<uint32_t>(capital - 'A' + 'a');
}

}  // namespace

ScreenKey ScreenKeyOf(uint32_t code, bool inReview) {
    switch (code) {
    case KeyLeft: return ScreenKey::Left;
    case KeyRight: return ScreenKey::Right;
    case KeyUp: return ScreenKey::Up;
    case KeyDown: return ScreenKey::Down;
    default: break;
    }
    if (inReview) {
        if (code == KeyPlus || code == KeyPadPlus) return ScreenKey::ZoomIn;
        if (code == KeyMinus || code == KeyPadMinus) return ScreenKey::ZoomOut;
        if (code == KeyHome) return ScreenKey::FitAll;
    }
    if (IsLetter(code, 'I')) return ScreenKey::Review;
    if (IsLetter(code, 'O')) return ScreenKey::Sunlight;
    if (IsLetter(code, 'V')) return ScreenKey::FitScale;
    return ScreenKey::None;
}

int NavigationCodeOf(ScreenKey key) {
    switch (key) {
    case ScreenKey::Left: return CodeNavFirst;
    case ScreenKey::Right: return CodeNavFirst + 1;
    case ScreenKey::Up: return CodeNavFirst + 2;
    case ScreenKey::Down: return CodeNavFirst + 3;
    case ScreenKey::ZoomIn: return CodeNavFirst + 4;
    case ScreenKey::ZoomOut: return CodeNavFirst + 5;
    case ScreenKey::FitAll: return CodeNavFirst + 6;
    default: return 0;
    }
}

}  // namespace tesselog
