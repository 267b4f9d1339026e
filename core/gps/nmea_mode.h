// The nine GPS input formats (`NmeaMode` 0..8) and the comma fields of a
// sentence. The mode table says which sentence carries the position, whether
// a checksum is required, which field holds the time of day and which comma
// field fills which slot of the fix; the framer (gps_framer.h) and the
// decoder (gps_decoder.h) only read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tesselog {

constexpr int32_t NmeaModeCount = 9;
constexpr int GpsFieldPairMax = 7;

// Modes named where the program treats them specially.
constexpr int32_t NmeaModeGgaGsa = 0;
constexpr int32_t NmeaModeGga = 1;
constexpr int32_t NmeaModePos = 2;
constexpr int32_t NmeaModeLlk = 3;
constexpr int32_t NmeaModeLlq = 4;
constexpr int32_t NmeaModeGll = 5;
constexpr int32_t NmeaModeGgk = 6;
constexpr int32_t NmeaModeTotalStation = 7;  // "RTS pseudo GGA", also shown as "Leica TPS"
constexpr int32_t NmeaModePseudoGll = 8;

// Slots of a fix: what a comma field is decoded into.
constexpr int32_t GpsSlotSatellites = 0;
constexpr int32_t GpsSlotQuality = 1;
constexpr int32_t GpsSlotLatitudeHemisphere = 2;
constexpr int32_t GpsSlotLatitude = 3;
constexpr int32_t GpsSlotLongitudeHemisphere = 4;
constexpr int32_t GpsSlotLongitude = 5;
constexpr int32_t GpsSlotDilution = 6;       // 6, 7 and 10 are all dilution (PDOP, HDOP, GDOP or
constexpr int32_t GpsSlotDilution2 = 7;      // position quality in metres, by mode)
constexpr int32_t GpsSlotNorthing = 8;
constexpr int32_t GpsSlotEasting = 9;
constexpr int32_t GpsSlotDilution3 = 10;

// What ApplyNmeaMode sets. The position handler and the reader take their
// copy when the logging screen opens; NmeaMode is the mode the table was
// built for (an out-of-range setting is built as mode 0 and says 0 here).
struct NmeaModeTable {
    int32_t NmeaMode = 0;
    char GpsSentenceId[4] = "GGA";  // searched for anywhere in a sentence: any talker matches
    int32_t GpsChecksumRequired = 1;
    int32_t GpsTimeField = 2;
    int32_t GpsUnitField = 0;       // mode 7: field of the unit letter of northing and easting; else 0
    int32_t GpsFieldCount = 0;
    int32_t GpsFieldSlot[GpsFieldPairMax] = {};
    int32_t GpsFieldNumber[GpsFieldPairMax] = {};
};

// The table row of `nmeaMode`. Values outside 0..8 give mode 0, the default.
NmeaModeTable ApplyNmeaMode(int32_t nmeaMode);

// True for the modes whose sentences carry grid northing and easting (3, 4
// and 7) rather than latitude and longitude.
bool IsGridMode(int32_t nmeaMode);

// Field n of a separated text. Field 1 is the text before the first
// separator, field n the text between the (n-1)th and the nth separator, or
// up to the end when there is no nth one (so the last field of a sentence
// still carries its "*hh"). A field whose (n-1)th separator does not exist is
// missing: the result is 0 and `out` is left as it was. A present field may
// be empty. Field 1 always exists: a text without any separator is its own
// field 1, the way a bare "$GPGGA" is the name field of a sentence that has
// nothing else. n below 1 is missing.
int GetField(std::string_view text, int n, char separator, std::string_view& out);
// The same into a buffer of outSize bytes, cut to outSize - 1 characters and
// NUL-terminated; out is untouched when the field is missing (or outSize is 0).
int GetField(std::string_view text, int n, char separator, char* out, size_t outSize);

// The sentence carries the position of the mode: it contains GpsSentenceId.
bool IsPositionSentence(std::string_view sentence, const NmeaModeTable& mode);
// The reader hands the sentence to the logging window: a position sentence,
// or in mode 0 a GSA sentence (its PDOP is the dilution of that mode).
bool IsPassedOn(std::string_view sentence, const NmeaModeTable& mode);

}  // namespace tesselog
