#include "core/export/export_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/platform/file_system.h"

namespace tesselog {

namespace {

constexpr int64_t Powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
constexpr int MaxDecimals = 9;
// Beyond this the scaled value no longer fits an int64_t with room to spare.
constexpr double LargestScaled = 9.0e15;

// Two digits at a time, from a table of "00".."99".
struct DigitPairs {
    char Text[200];
    constexpr DigitPairs() : Text() {
        for (int i = 0; i < 100; ++i) {
            Text[2 * i] = static_cast<char>('0' + i / 10);
            Text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitPairs Pairs;

// The digits of `value`, at least `minDigits` of them (zeros in front),
// written backwards so that they end just before `end`; returns the first.
char* DigitsBefore(char* end, uint64_t value, int minDigits) {
    char* p = end;
    while (value >= 100) {
        const unsigned pair = static_cast<unsigned>(value % 100);
        value /= 100;
        *--p = Pairs.Text[2 * pair + 1];
        *--p = Pairs.Text[2 * pair];
    }
    if (value >= 10) {
        *--p = Pairs.Text[2 * value + 1];
        *--p = Pairs.Text[2 * value];
    } else {
        *--p = static_cast<char>('0' + value);
    }
    while (end - p < minDigits) *--p = '0';
    return p;
}

void AppendDigits(std::string& out, uint64_t value, int minDigits) {
    char digits[24];
    char* end = digits + sizeof digits;
    const char* first = DigitsBefore(end, value, minDigits);
    out.append(first, size_t(end - first));
}

// `value` with `decimals` decimals (trailing zeros dropped when `trim`) into
// the end of `buffer` (at least 48 bytes); returns the text's start, or
// nullptr for a value that is not finite or too large.
const char* FormatFixed(char* end, double value, int decimals, bool trim) {
    if (decimals < 0) decimals = 0;
    if (decimals > MaxDecimals) decimals = MaxDecimals;
    if (!std::isfinite(value) || std::fabs(value) * Powers[decimals] >= LargestScaled) return nullptr;
    const int64_t scaled = std::llround(value * Powers[decimals]);
    const uint64_t magnitude = static_cast<uint64_t>(scaled < 0 ? -scaled : scaled);
    char* p = end;
    uint64_t fraction = decimals > 0 ? magnitude % uint64_t(Powers[decimals]) : 0;
    int shown = decimals;
    if (trim) {
        while (shown > 0 && fraction % 10 == 0) {
            fraction /= 10;
            --shown;
        }
    }
    if (shown > 0) {
        p = DigitsBefore(p, fraction, shown);
        *--p = '.';
    }
    const uint64_t whole = decimals > 0 ? magnitude / uint64_t(Powers[decimals]) : magnitude;
    p = DigitsBefore(p, whole, 1);
    // A value that rounds to zero keeps no sign when trimmed ("0", not "-0").
    if (scaled < 0 && !(trim && magnitude == 0)) *--p = '-';
    return p;
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
    char buffer[48];
    const char* first = FormatFixed(buffer + sizeof buffer, value, decimals, false);
    if (first == nullptr) {
        out += "nan";
        return;
    }
    out.append(first, size_t(buffer + sizeof buffer - first));
}

void AppendTrimmed(std::string& out, double value, int decimals) {
    char buffer[48];
    const char* first = FormatFixed(buffer + sizeof buffer, value, decimals, true);
    if (first == nullptr) {
        out += "nan";
        return;
    }
    out.append(first, size_t(buffer + sizeof buffer - first));
}

namespace {

char* PutFormatted(char* p, double value, int decimals, bool trim) {
    char buffer[48];
    const char* first = FormatFixed(buffer + sizeof buffer, value, decimals, trim);
    if (first == nullptr) {
        std::memcpy(p, "nan", 3);
        return p + 3;
    }
    const size_t n = size_t(buffer + sizeof buffer - first);
    std::memcpy(p, first, n);
    return p + n;
}

}  // namespace

char* PutFixed(char* p, double value, int decimals) { return PutFormatted(p, value, decimals, false); }
char* PutTrimmed(char* p, double value, int decimals) { return PutFormatted(p, value, decimals, true); }

char* PutInt(char* p, int64_t value) {
    if (value < 0) *p++ = '-';
    char buffer[24];
    char* end = buffer + sizeof buffer;
    const char* first = DigitsBefore(end, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value), 1);
    std::memcpy(p, first, size_t(end - first));
    return p + (end - first);
}

char* PutTimeOfDay(char* p, int32_t ms) {
    if (ms < 0) return p;
    const int32_t s = ms / 1000;
    const int32_t fields[3] = {s / 3600 % 100, s / 60 % 60, s % 60};
    for (int i = 0; i < 3; ++i) {
        *p++ = Pairs.Text[2 * fields[i]];
        *p++ = Pairs.Text[2 * fields[i] + 1];
        *p++ = i < 2 ? ':' : '.';
    }
    const int32_t milli = ms % 1000;
    *p++ = static_cast<char>('0' + milli / 100);
    *p++ = Pairs.Text[2 * (milli % 100)];
    *p++ = Pairs.Text[2 * (milli % 100) + 1];
    return p;
}

void AppendInt(std::string& out, int64_t value) {
    if (value < 0) out += '-';
    AppendDigits(out, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value), 1);
}

void AppendTimeOfDay(std::string& out, int32_t ms) {
    char text[16];
    out.append(text, size_t(PutTimeOfDay(text, ms) - text));
}

// The civil-from-days and days-from-civil conversions of the proleptic
// Gregorian calendar, in eras of 400 years (146097 days).
int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day) {
    static const int32_t Lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > Lengths[month - 1]) return -1;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return -1;
    const int32_t y = month <= 2 ? year - 1 : year;
    const int32_t era = y / 400;
    const int32_t yearOfEra = y - era * 400;
    const int32_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void AppendDate(std::string& out, int32_t days) {
    if (days < 0) return;
    const int32_t z = days + 719468;
    const int32_t era = z / 146097;
    const int32_t dayOfEra = z - era * 146097;
    const int32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int32_t mp = (5 * dayOfYear + 2) / 153;
    const int32_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int32_t month = mp < 10 ? mp + 3 : mp - 9;
    const int32_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    AppendDigits(out, static_cast<uint64_t>(year), 4);
    out += '-';
    AppendTwo(out, month);
    out += '-';
    AppendTwo(out, day);
}

void AppendZone(std::string& out, const ClockZone& zone) {
    if (!zone.Known) return;
    const int32_t minutes = zone.Minutes < 0 ? -zone.Minutes : zone.Minutes;
    out += zone.Minutes < 0 ? '-' : '+';
    AppendTwo(out, minutes / 60 % 100);
    out += ':';
    AppendTwo(out, minutes % 60);
}

std::string ZoneName(const ClockZone& zone) {
    std::string name = zone.Known ? "UTC" : "local";
    AppendZone(name, zone);
    return name;
}

void AppendDateTime(std::string& out, int32_t days, int32_t ms, const ClockZone& zone) {
    if (days < 0 || ms < 0) return;
    AppendDate(out, days);
    out += 'T';
    AppendTimeOfDay(out, ms);
    AppendZone(out, zone);
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

void AppendXmlText(std::string& out, std::string_view text) {
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // XML 1.0 allows no other controls.
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
                out += ' ';
            } else {
                AppendLatin1(out, c);
            }
        }
    }
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
