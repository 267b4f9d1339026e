// Text output of the export: numbers formatted without printf (a full-size
// file gives millions of rows), time of day, 8-bit texts for CSV and JSON,
// and a buffer that goes to a File in large writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesselog {

class File;

// `value` with exactly `decimals` digits after the point (0..9), rounded
// half away from zero; "nan" for a value that is not finite or too large.
void AppendFixed(std::string& out, double value, int decimals);
// The same with trailing zeros of the fraction (and a bare point) dropped.
void AppendTrimmed(std::string& out, double value, int decimals);
void AppendInt(std::string& out, int64_t value);
// "hh:mm:ss.mmm" of milliseconds of the day; nothing for a negative value.
void AppendTimeOfDay(std::string& out, int32_t ms);

// The same written at `p` (room for 48 characters), returning the end: for
// rows built in a buffer of their own.
char* PutFixed(char* p, double value, int decimals);
char* PutTrimmed(char* p, double value, int decimals);
char* PutInt(char* p, int64_t value);
char* PutTimeOfDay(char* p, int32_t ms);
inline char* PutText(char* p, const std::string& text) {
    return text.copy(p, text.size()) + p;
}

// Days since 1970-01-01 of a date of the Gregorian calendar; -1 for a month
// or day out of range or a year outside 1900..9999.
int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day);
// "yyyy-mm-dd" of such a day number; nothing for a negative one.
void AppendDate(std::string& out, int32_t days);

// The offset of the field computer's clock from UTC, as far as the file
// tells it (the receiver's UTC time against the clock records).
struct ClockZone {
    bool Known = false;
    int32_t Minutes = 0;      // local time less UTC
};
// "+01:00", "-05:30", "+00:00"; nothing for an unknown zone.
void AppendZone(std::string& out, const ClockZone& zone);
// "UTC+01:00", or "local" for an unknown zone: how the tables name their times.
std::string ZoneName(const ClockZone& zone);
// ISO 8601: "2026-12-04T10:00:03.624+01:00" (without the offset for an
// unknown zone); nothing without a date or a time.
void AppendDateTime(std::string& out, int32_t days, int32_t ms, const ClockZone& zone);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote,
// a line end or leading/trailing blanks; bytes as 8-bit characters in UTF-8.
void AppendCsvField(std::string& out, std::string_view text);
// A JSON string with its quotes: 8-bit characters as UTF-8, controls escaped.
void AppendJsonString(std::string& out, std::string_view text);
// XML character data or attribute text: & < > " ' escaped, 8-bit
// characters as UTF-8, controls other than tab and line ends as blanks.
void AppendXmlText(std::string& out, std::string_view text);
// One space-free token: blanks become '_', an empty text "-".
void AppendToken(std::string& out, std::string_view text);

// Text gathered in memory and written to `file` whenever it passes about a
// MiB. Ok() turns false at the first failed write.
class TextBuffer {
public:
    explicit TextBuffer(File& file) : file_(file) {}
    ~TextBuffer() { Flush(); }
    std::string& Text() { return text_; }
    // After each row: writes when the buffer is full.
    void Row() {
        if (text_.size() >= Threshold) Flush();
    }
    bool Flush();
    bool Ok() const { return ok_; }

private:
    static constexpr size_t Threshold = 1 << 20;
    File& file_;
    std::string text_;
    bool ok_ = true;
};

}  // namespace tesselog
