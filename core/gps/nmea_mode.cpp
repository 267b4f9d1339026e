#include "core/gps/nmea_mode.h"

#include <cstring>

namespace tesselog {

namespace {

struct ModeRow {
    const char* id;
    int32_t checksum;
    int32_t timeField;
    int32_t count;
    int32_t slot[GpsFieldPairMax];
    int32_t field[GpsFieldPairMax];
};

// Pairs are decoded in this order; every hemisphere comes before its
// coordinate, whose sign it gives.
//
// Time fields of POS and GGK: their sentences start "$PASHR,POS," and
// "$PTNL,GGK,", so field 2 is the word POS or GGK, not a time. The time of day
// is field 5 of POS (after the position mode and the satellite count) and
// field 3 of GGK (right after the name); the speed of those modes is computed
// from those fields, as it is from field 2 of GGA and LLK/LLQ.
constexpr ModeRow ModeRows[NmeaModeCount] = {
    /* 0 GGA/GSA */ {"GGA", 1, 2, 6, {0, 1, 2, 3, 4, 5}, {8, 7, 4, 3, 6, 5}},
    /* 1 GGA     */ {"GGA", 1, 2, 7, {0, 1, 2, 3, 4, 5, 7}, {8, 7, 4, 3, 6, 5, 9}},
    /* 2 POS     */ {"POS", 1, 5, 7, {0, 1, 2, 3, 4, 5, 6}, {4, 3, 7, 6, 9, 8, 15}},
    /* 3 LLK     */ {"LLK", 1, 2, 5, {0, 1, 8, 9, 10}, {9, 8, 6, 4, 10}},
    /* 4 LLQ     */ {"LLQ", 1, 2, 5, {0, 1, 8, 9, 10}, {9, 8, 6, 4, 10}},
    /* 5 GLL     */ {"GLL", 1, 6, 4, {2, 3, 4, 5}, {3, 2, 5, 4}},
    /* 6 GGK     */ {"GGK", 1, 3, 7, {0, 1, 2, 3, 4, 5, 6}, {10, 9, 6, 5, 8, 7, 11}},
    /* 7 RTS     */ {"GGA", 0, 2, 2, {8, 9}, {3, 5}},
    /* 8 pGLL    */ {"GLL", 0, 6, 4, {2, 3, 4, 5}, {3, 2, 5, 4}},
};

// The altitude unit of a GGA: a total station writes the unit of its
// northing and easting there ('F' feet, anything else metres).
constexpr int32_t TotalStationUnitField = 11;

bool Contains(std::string_view text, const char* word) { return text.find(word) != std::string_view::npos; }

}  // namespace

NmeaModeTable ApplyNmeaMode(int32_t nmeaMode) {
    if (nmeaMode < 0 || nmeaMode >= NmeaModeCount) nmeaMode = NmeaModeGgaGsa;
    const ModeRow& row = ModeRows[nmeaMode];
    NmeaModeTable table;
    table.NmeaMode = nmeaMode;
    std::memcpy(table.GpsSentenceId, row.id, sizeof table.GpsSentenceId);
    table.GpsChecksumRequired = row.checksum;
    table.GpsTimeField = row.timeField;
    table.GpsUnitField = nmeaMode == NmeaModeTotalStation ? TotalStationUnitField : 0;
    table.GpsFieldCount = row.count;
    for (int i = 0; i < GpsFieldPairMax; ++i) {
        table.GpsFieldSlot[i] = row.slot[i];
        table.GpsFieldNumber[i] = row.field[i];
    }
    return table;
}

bool IsGridMode(int32_t nmeaMode) {
    return nmeaMode == NmeaModeLlk || nmeaMode == NmeaModeLlq || nmeaMode == NmeaModeTotalStation;
}

int GetField(std::string_view text, int n, char separator, std::string_view& out) {
    if (n < 1) return 0;
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        size_t comma = text.find(separator, start);
        if (comma == std::string_view::npos) return 0;
        start = comma + 1;
    }
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    out = text.substr(start, end - start);
    return 1;
}

int GetField(std::string_view text, int n, char separator, char* out, size_t outSize) {
    std::string_view field;
    if (outSize == 0 || !GetField(text, n, separator, field)) return 0;
    size_t copied = field.size() < outSize - 1 ? field.size() : outSize - 1;
    std::memcpy(out, field.data(), copied);
    out[copied] = 0;
    return 1;
}

bool IsPositionSentence(std::string_view sentence, const NmeaModeTable& mode) {
    return Contains(sentence, mode.GpsSentenceId);
}

bool IsPassedOn(std::string_view sentence, const NmeaModeTable& mode) {
    return IsPositionSentence(sentence, mode) || (mode.NmeaMode == NmeaModeGgaGsa && Contains(sentence, "GSA"));
}

}  // namespace tesselog
