#include "tools/sim/console_format.h"

#include <algorithm>
#include <cstdio>

namespace tesselog::sim {

size_t PbarSentenceBytes(int sensors) { return 7 + 5 * static_cast<size_t>(sensors); }

void FormatReading(int value, char out[5])
{
    value = std::clamp(value, kReadingMin, kReadingMax);
    if (value < 0) {
        std::snprintf(out, 5, "-%03d", -value);
    } else {
        std::snprintf(out, 5, "%04d", value);
    }
}

void AppendPbar(std::string& out, const int* values, int sensors)
{
    out += "$PBAR";
    for (int i = 0; i < sensors; ++i) {
        char text[5];
        FormatReading(values[i], text);
        out += ',';
        out += text;
    }
    out += "\r\n";
}

void AppendPbarBadSecond(std::string& out, int first, bool garbled)
{
    char text[5];
    FormatReading(first, text);
    out += "$PBAR,";
    out += text;
    out += garbled ? ",ERR\r\n" : ",\r\n";
}

std::string EscapeBytes(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace tesselog::sim
