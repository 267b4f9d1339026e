// NMEA sentences of the simulated GPS receiver. Each selectable input format
// of the program is one row of a table: which sentences make up one fix, and
// whether they carry a checksum. Modes 0 (GGA then GSA) and 1 (GGA) are
// simulated; the other rows name their format and wait for their writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tesselog::sim {

struct GpsFix {
    double SecondsOfDay = 0.0;  // UTC
    double Latitude = 0.0;      // degrees, north positive
    double Longitude = 0.0;     // degrees, east positive
    double Altitude = 0.0;      // metres above the geoid
    double GeoidSeparation = 47.0;
    int Quality = 4;
    int Satellites = 12;
    double Hdop = 0.9;
    double Pdop = 1.6;
    double Vdop = 1.3;
    double DiffAge = 1.0;       // seconds, written for qualities 2 and up
    int Station = 0;
    int Prns[12] = {};          // the first min(Satellites, 12) are used
};

// Writes a sentence's text between "$" and "*" (talker, name and fields) into
// body; returns its length, or 0 when it does not fit.
using SentenceWriter = size_t (*)(const GpsFix& fix, char* body, size_t capacity);

struct GpsFormat {
    int Mode;
    const char* Name;
    bool Checksum;
    SentenceWriter Writers[2];  // sentences of one fix, in order; unused entries null
};

// The row of NmeaMode `mode` (0..8), or null for an unknown mode.
const GpsFormat* FindGpsFormat(int mode);
bool IsSimulated(const GpsFormat& format);

size_t WriteGga(const GpsFix& fix, char* body, size_t capacity);
size_t WriteGsa(const GpsFix& fix, char* body, size_t capacity);

// XOR of the bytes, as NMEA checksums the text between "$" and "*".
uint8_t NmeaChecksum(const char* text, size_t length);

// Appends "$", the body, "*HH" when checksummed (XORed with spoil, which is 0
// for a correct checksum) and CR LF.
void AppendSentence(std::string& out, const char* body, size_t length, bool checksum, uint8_t spoil);

// "ddmm.mmmmm" / "dddmm.mmmmm" with five decimals of minutes: the program
// reads at most eight characters of minutes text.
void FormatLatitude(double degrees, char* out, size_t capacity, char& hemisphere);
void FormatLongitude(double degrees, char* out, size_t capacity, char& hemisphere);
// "hhmmss.ss"
void FormatTimeOfDay(double seconds, char* out, size_t capacity);

}  // namespace tesselog::sim
