// Background files from data files: the GPS positions recorded in a data
// file, as a track under the live map.
//
// The loader recognises a file by its first record: the first LF (at most 36
// bytes in) gives the record length, and the first 8 bytes are searched for
// an identification tag. Only this program's own data files are taken:
// "TE" (of "TESSEL") with 27-byte records. Every other file is not
// recognised and the caller says "Format not supported".
//
// The conversion takes the NMEA mode from the first "G" record (byte 17: a
// digit, or "A" for mode 8; for modes 7 and 9 byte 19 is a unit digit, a
// blank counting as -1), then rebuilds the recorded sentences: "@" starts a
// sentence with bytes 1..25 of the record, "#" appends its bytes 1..25, a
// double quote or "?" discards it (a rejected line), "!" ends it, and a
// sentence that contains the mode's id gives a point. Other records are
// passed over. The single-record "X" form of an accepted sentence is never a
// point: the GPS reader writes every sentence that holds the mode's id in
// the "@" form, so an "X" record holds only other sentences, and at most
// their first 25 characters, beside the event records of the same type.
#pragma once

#include <cstdint>
#include <vector>

#include "core/existing/background_files.h"

namespace tesselog {

// Families of data files. Only the own family is recognised.
constexpr int MakerFamilyOwn = 1;
// More bytes than this before the first LF: not a data file.
constexpr int MakerFirstLfLimit = 35;
// The longest sentence rebuilt from records; a longer one is discarded.
constexpr size_t MakerSentenceMax = 256;

struct MakerFormat {
    bool Recognised = false;
    int Family = -1;
    int SourceRecordLength = 0;
    // Antenna offsets of the recording (across-track X, along-track Y, in
    // metres), in the families that carry them; none of the recognised ones
    // does. They are brought into the display unit of the positions.
    bool HasOffsets = false;
    double OffsetX = 0.0;
    double OffsetY = 0.0;
};

// Reads the first bytes of `source` in one block and puts it back at its
// start.
MakerFormat RecogniseMakerFile(File& source);

// The recorded positions of a recognised file into the copy, from the
// source's start to its end (a short record). Only the own family's layout
// is known: any other format gives no point. Geodetic fixes are projected
// as the live fixes are, in `zone`, the zone the run keeps
// (BackgroundGeodeticToMetres); grid values are taken as metres (mode 9 and
// pseudo-GGA by their units); all are brought into `displayUnits`. The range
// of the points inside `map` comes back in the result, as for a text file.
BackgroundConversion ConvertMakerBackground(File& source, const MakerFormat& format, File& copy,
                                            int32_t displayUnits, int32_t zone, const MapState& map);

// --- Pieces, exposed for their tests ---

// The point of one rebuilt sentence in `mode` (0..9), or false when the
// sentence does not hold the mode's id or its fields are missing or not
// numbers. unitDigit is the configuration record's unit digit (-1 for a
// blank), used by modes 7 and 9; zone as for ConvertMakerBackground.
bool MakerSentencePoint(std::string_view sentence, int mode, int unitDigit, int32_t displayUnits, int32_t zone,
                        double& easting, double& northing);

// The pseudo-GGA (mode 7) factor from the recorded unit to the display unit.
double TotalStationBackgroundFactor(int unitDigit, char unitLetter, int32_t displayUnits);

// Moves recorded antenna positions to the array: a point on the track Y
// behind the antenna (Y above 0, measured along the path travelled) or Y
// ahead along the last step (Y not above 0), moved X to the left of the
// direction of travel.
class AntennaOffsetCorrector {
public:
    AntennaOffsetCorrector(double offsetX, double offsetY) : x_(offsetX), y_(offsetY) {}
    // The array position for antenna position (easting, northing), or false
    // while there is none yet (the first position; a path still shorter
    // than Y).
    bool Take(double easting, double northing, double& outEasting, double& outNorthing);

    static constexpr size_t HistoryMax = 40;  // more than this: the oldest are dropped
    static constexpr size_t HistoryDrop = 11;

private:
    struct Entry {
        double E;
        double N;
        double Length;  // path length from the first entry
    };
    bool TakeAhead(double e, double n, double& oe, double& on);
    bool TakeBehind(double e, double n, double& oe, double& on);
    void Rebase(size_t first);

    double x_;
    double y_;
    bool havePrevious_ = false;
    double previousE_ = 0.0;
    double previousN_ = 0.0;
    bool haveDirection_ = false;
    double ue_ = 0.0;
    double un_ = 0.0;
    std::vector<Entry> history_;
};

}  // namespace tesselog
