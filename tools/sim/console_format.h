// Grad601 console output: "$PBAR" followed by one value (one-sensor
// console) or two (two-sensor console), each ",dddd", and CR LF, e.g.
// "$PBAR,0060,0065\r\n". A value is an integer written in four characters:
// 0..9999 zero-padded ("0060"), -999..-1 as a minus and three digits
// ("-012"); values outside are clamped, so a sentence always has 7 + 5 x
// sensors bytes.
#pragma once

#include <cstddef>
#include <string>

namespace tesselog::sim {

constexpr int kReadingMin = -999;
constexpr int kReadingMax = 9999;

// A console on its fine range writes tenths instead: each value counts
// tenths of a nT and is written in five characters, "060.3" or "-12.3"
// (-99.9..999.9), so a sentence has 7 + 6 x sensors bytes.
size_t PbarSentenceBytes(int sensors, bool tenths = false);
void FormatReading(int value, char out[5]);
void FormatTenths(int tenths, char out[6]);
void AppendPbar(std::string& out, const int* values, int sensors, bool tenths = false);
// A sentence whose field `bad` (1 or 2) came out empty ("$PBAR,0060,") or
// garbled ("$PBAR,0060,ERR"), the other as it was.
void AppendPbarBadField(std::string& out, const int* values, int sensors, int bad, bool garbled, bool tenths = false);

// Bytes shown readably for logs: printable ASCII as is, backslash doubled,
// CR and LF as \r and \n, anything else as \xHH.
std::string EscapeBytes(const std::string& bytes);

}  // namespace tesselog::sim
