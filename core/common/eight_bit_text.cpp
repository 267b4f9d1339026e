#include "core/common/eight_bit_text.h"

#include <cstdio>

namespace tesselog {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

size_t FirstNon8BitCharacter(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] > 0xFF) return i;
    return AllCharactersFit;
}

std::string To8Bit(std::u16string_view text, size_t maxCharacters) {
    std::string bytes;
    for (size_t i = 0; i < text.size() && bytes.size() < maxCharacters; ++i) {
        char16_t unit = text[i];
        if (unit <= 0xFF) {
            bytes.push_back(static_cast<char>(unit));
            continue;
        }
        bytes.push_back('?');
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    }
    return bytes;
}

std::u16string From8Bit(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (unsigned char byte : text) wide.push_back(static_cast<char16_t>(byte));
    return wide;
}

std::string Not8BitMessage(const std::string& what, std::u16string_view text) {
    size_t at = FirstNon8BitCharacter(text);
    unsigned long code = at == AllCharactersFit ? 0 : text[at];
    if (at + 1 < text.size() && IsHighSurrogate(text[at]) && IsLowSurrogate(text[at + 1]))
        code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
    char character[32];
    std::snprintf(character, sizeof character, "U+%04lX", code);
    return what + ": the character " + character +
           " cannot be stored.\r\nOnly characters of the 8-bit set (U+0000 to U+00FF) can be stored in the "
           "settings and the data file.";
}

}  // namespace tesselog
