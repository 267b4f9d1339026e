// printf formatting of one number into a std::string, for screen and dialog
// texts. The text takes the whole result ("%f" of the largest double runs to
// over 300 digits), so a wild value is still formatted whole and then
// clipped by the field it is drawn in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tesselog {

inline std::string FormatNumber(const char* format, double value) {
    const int length = std::snprintf(nullptr, 0, format, value);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value);
    text.resize(static_cast<size_t>(length));
    return text;
}

inline std::string FormatInt(const char* format, int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>(value));
    return text;
}

}  // namespace tesselog
