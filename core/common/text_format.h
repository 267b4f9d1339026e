// printf formatting of one number into a std::string, for the screen texts.
// The buffer takes "%f" of the largest double (317 characters), so a wild
// value is still formatted whole and then clipped by the field it is drawn in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tesselog {

inline std::string FormatNumber(const char* format, double value) {
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

inline std::string FormatInt(const char* format, int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>(value));
    return text;
}

}  // namespace tesselog
