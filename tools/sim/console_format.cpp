#include "tools/sim/console_format.h"

#include <algorithm>
#include <cstdio>

namespace tesselog::sim {

size_t PbarSentenceBytes(int sensors, bool tenths) { return 7 + (tenths ? 6 : 5) * static_cast<size_t>(sensors); }

void FormatReading(int value, char out[5])
{
    value = std::clamp(value, kReadingMin, kReadingMax);
    if (value < 0) {
        std::snprintf(out, 5, "-%03d", -value);
    } else {
        std::snprintf(out, 5, "%04d", value);
    }
}

void FormatTenths(int tenths, char out[6])
{
    tenths = std::clamp(tenths, kReadingMin, kReadingMax);
    std::snprintf(out, 6, "%05.1f", tenths / 10.0);
}

void AppendPbarBadField(std::string& out, const int* values, int sensors, int bad, bool garbled, bool tenths)
{
    out += "$PBAR";
    for (int i = 0; i < sensors; ++i) {
        out += ',';
        if (i + 1 == bad) {
            out += garbled ? "ERR" : "";
            continue;
        }
        char text[6];
        if (tenths) {
            FormatTenths(values[i], text);
        } else {
            FormatReading(values[i], text);
        }
        out += text;
    }
    out += "\r\n";
}

void AppendPbar(std::string& out, const int* values, int sensors, bool tenths)
{
    AppendPbarBadField(out, values, sensors, 0, false, tenths);
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
