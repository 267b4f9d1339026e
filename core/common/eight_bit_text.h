// The one rule for texts: every text the program holds in a std::string,
// and so every text of the settings file, the data file and the screen, is
// 8-bit text, one byte per character, the byte being the character's code
// (U+0000..U+00FF, Latin-1). Paths follow the same rule. Wide text (UTF-16
// code units, what the operator types and what the system hands over)
// becomes 8-bit here and nowhere else, and 8-bit text is widened back one
// byte to one character, so a text round-trips unchanged.
//
// A character outside U+0000..U+00FF cannot be held. Where the operator
// typed or chose it, the text is refused with Not8BitMessage before anything
// is stored; elsewhere it reads as '?'.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tesselog {

constexpr size_t AllCharactersFit = std::u16string_view::npos;

// Index of the first code unit outside U+0000..U+00FF, or AllCharactersFit.
size_t FirstNon8BitCharacter(std::u16string_view text);

// The first `maxCharacters` characters of `text` as 8-bit text, cut by
// characters. A character that does not fit (a surrogate pair is one
// character) becomes one '?', never its low byte: U+015C would otherwise
// turn into a backslash in a path, U+0131 into a digit in a number.
std::string To8Bit(std::u16string_view text, size_t maxCharacters = std::string::npos);

// Each byte widened to the character of the same code.
std::u16string From8Bit(std::string_view text);

// What the operator is told when `what` ("Survey Line", "Data folder") holds
// a character that 8-bit text cannot hold: names it and its code.
std::string Not8BitMessage(const std::string& what, std::u16string_view text);

}  // namespace tesselog
