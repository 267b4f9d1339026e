// NMEA sentences of the simulated GPS receiver. Each of the nine input
// formats the program can be set to (its NmeaMode 0..8) is one row of a
// table: which sentences make up one fix and whether they carry a checksum.
// Every writer puts each item of the fix into the comma field the program
// reads it from (field 1 being "$" and the sentence name):
//
//   mode  sentence              time  quality  sats  position                        dilution
//   0     $GPGGA + $GPGSA        2     7        8     3 lat, 4 N/S, 5 lon, 6 E/W      GSA 16 (PDOP)
//   1     $GPGGA                 2     7        8     3, 4, 5, 6                      9 (HDOP)
//   2     $PASHR,POS             5     3 (-1)   4     6, 7, 8, 9                      15 (PDOP)
//   3     $GPLLK                 2     8        9     6 northing, 4 easting (m)       10 (GDOP)
//   4     $GPLLQ                 2     8        9     6 northing, 4 easting (m)       10 (quality, m)
//   5     $GPGLL                 6     -        -     2, 3, 4, 5                      -
//   6     $PTNL,GGK              3     9        10    5, 6, 7, 8                      11 (PDOP)
//   7     $GPGGA (total station) 2     -        -     3 northing, 5 easting, 11 unit  -
//   8     $GPGLL, no checksum    6     -        -     2, 3, 4, 5                      -
//
// The quality written is the number the program decodes, in every mode: POS
// carries the receiver's position mode, one less (the program adds 1). Grid
// coordinates (modes 3, 4, 7) are UTM in the zone of the survey's origin;
// the total station writes them in metres or, with unit letter F, in feet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tesselog::sim {

struct GpsFix {
    double SecondsOfDay = 0.0;  // UTC
    int Day = 15, Month = 6, Year = 24;  // UTC date, written by LLK, LLQ and GGK
    double Latitude = 0.0;      // degrees, north positive
    double Longitude = 0.0;     // degrees, east positive
    double Altitude = 0.0;      // metres above the geoid
    double GeoidSeparation = 47.0;
    double Northing = 0.0;      // UTM metres, for the grid formats
    double Easting = 0.0;
    bool GridFeet = false;      // the total station reports in international feet
    double Course = 0.0;        // degrees true
    double Speed = 0.0;         // metres per second
    int Quality = 4;            // 0 no fix, 1 autonomous, 2 differential, 4 RTK fixed, 5 RTK float...
    int Satellites = 12;
    double Hdop = 0.9;
    double Pdop = 1.6;
    double Vdop = 1.3;
    double Tdop = 0.6;
    double Gdop = 1.8;
    double PositionQuality = 0.01;  // metres, as LLQ reports it
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

size_t WriteGga(const GpsFix& fix, char* body, size_t capacity);
size_t WriteGsa(const GpsFix& fix, char* body, size_t capacity);
size_t WritePos(const GpsFix& fix, char* body, size_t capacity);
size_t WriteLlk(const GpsFix& fix, char* body, size_t capacity);
size_t WriteLlq(const GpsFix& fix, char* body, size_t capacity);
size_t WriteGll(const GpsFix& fix, char* body, size_t capacity);
size_t WriteGgk(const GpsFix& fix, char* body, size_t capacity);
size_t WriteTotalStationGga(const GpsFix& fix, char* body, size_t capacity);
size_t WritePseudoGll(const GpsFix& fix, char* body, size_t capacity);

// XOR of the bytes, as NMEA checksums the text between "$" and "*".
uint8_t NmeaChecksum(const char* text, size_t length);

// Appends "$", the body, "*HH" when checksummed (XORed with spoil, which is 0
// for a correct checksum) and CR LF.
void AppendSentence(std::string& out, const char* body, size_t length, bool checksum, uint8_t spoil);

// "ddmm.mmmmm" / "dddmm.mmmmm", by default with five decimals of minutes: the
// program reads at most eight characters of minutes text ("36.59400").
void FormatLatitude(double degrees, char* out, size_t capacity, char& hemisphere, int decimals = 5);
void FormatLongitude(double degrees, char* out, size_t capacity, char& hemisphere, int decimals = 5);
// "hhmmss.ss"
void FormatTimeOfDay(double seconds, char* out, size_t capacity);

}  // namespace tesselog::sim
