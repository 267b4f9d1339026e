#include "core/export/export_text.h"

#include <cmath>
#include <cstdio>

#include "core/platform/file_system.h"

namespace tesselog {

namespace {

constexpr int64_t Powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
constexpr int MaxDecimals = 9;
// Beyond this the scaled value no longer fits an int64_t with room to spare.
constexpr double LargestScaled = 9.0e15;

void AppendDigits(std::string& out, uint64_t value, int minDigits) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || n < minDigits);
    while (n > 0) out += digits[--n];
}

void AppendTwo(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

// One 8-bit character (U+0000..U+00FF) as UTF-8.
void AppendLatin1(std::string& out, unsigned char c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > MaxDecimals) decimals = MaxDecimals;
    if (!std::isfinite(value) || std::fabs(value) * Powers[decimals] >= LargestScaled) {
        out += "nan";
        return;
    }
    const int64_t scaled = std::llround(value * Powers[decimals]);
    const uint64_t magnitude = static_cast<uint64_t>(scaled < 0 ? -scaled : scaled);
    if (scaled < 0) out += '-';
    AppendDigits(out, magnitude / Powers[decimals], 1);
    if (decimals > 0) {
        out += '.';
        AppendDigits(out, magnitude % Powers[decimals], decimals);
    }
}

void AppendTrimmed(std::string& out, double value, int decimals) {
    const size_t start = out.size();
    AppendFixed(out, value, decimals);
    if (out.find('.', start) == std::string::npos) return;
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    if (out.compare(start, std::string::npos, "-0") == 0) out.erase(start, 1);
}

void AppendInt(std::string& out, int64_t value) {
    if (value < 0) out += '-';
    AppendDigits(out, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value), 1);
}

void AppendTimeOfDay(std::string& out, int32_t ms) {
    if (ms < 0) return;
    const int32_t s = ms / 1000;
    AppendTwo(out, s / 3600 % 100);
    out += ':';
    AppendTwo(out, s / 60 % 60);
    out += ':';
    AppendTwo(out, s % 60);
    out += '.';
    AppendDigits(out, static_cast<uint64_t>(ms % 1000), 3);
}

void AppendCsvField(std::string& out, std::string_view text) {
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    for (char c : text) quote = quote || c == ',' || c == '"' || c == '\n' || c == '\r';
    if (quote) out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        AppendLatin1(out, static_cast<unsigned char>(c));
    }
    if (quote) out += '"';
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            AppendLatin1(out, c);
        }
    }
    out += '"';
}

void AppendToken(std::string& out, std::string_view text) {
    if (text.empty()) {
        out += '-';
        return;
    }
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            out += '_';
        } else {
            AppendLatin1(out, static_cast<unsigned char>(c));
        }
    }
}

bool TextBuffer::Flush() {
    if (!text_.empty()) {
        ok_ = file_.Write(text_.data(), text_.size()) && ok_;
        text_.clear();
    }
    return ok_;
}

}  // namespace tesselog
