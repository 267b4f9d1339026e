// The fixed layout of the data file: every record is 27 bytes, 26 characters
// and a LF, byte 0 its type. The file is bytes, not text: five reading tags
// are above 0x7F and console 5's tag is a control character.
#pragma once

#include <cstdint>

namespace tesselog {

constexpr int RecordLength = 27;
constexpr int RecordLfColumn = 26;

// Type byte of the reading records of consoles 1..9.
constexpr uint8_t ConsoleRecordTag[9] = {0x54, 0x74, 0xD4, 0xF4, 0x14, 0x97, 0xA8, 0xB9, 0x3C};

// Identification records: the first of a file, and a header appended later.
constexpr char IdentificationNew[] = "TESSEL  W";
constexpr char IdentificationAppended[] = "rESSEL  W";
constexpr int IdentificationLength = 9;
constexpr char ProgramVersionDigits[] = "216";

// Type bytes of the other records.
constexpr uint8_t TypeSetup = 'H';
constexpr uint8_t TypeGeometry = 'G';
constexpr uint8_t TypeLine = 'L';
constexpr uint8_t TypeLineStart = 'B';
constexpr uint8_t TypeLineDirection = 'A';
constexpr uint8_t TypeLineDate = 'Z';
constexpr uint8_t TypeClock = '*';
constexpr uint8_t TypeStation = 'S';
constexpr uint8_t TypeEvent = 'X';            // also a one-record accepted GPS sentence
constexpr uint8_t TypeComment = 'C';
constexpr uint8_t TypeGpsPosition = 0x40;     // '@': first record of a position sentence
constexpr uint8_t TypeGpsPositionNext = '#';
constexpr uint8_t TypeGpsRejected = '?';
constexpr uint8_t TypeGpsRejectedNext = '"';
constexpr uint8_t TypeGpsTrailer = '!';
constexpr uint8_t TypeSegment = '{';

constexpr int GpsPieceLength = 25;  // sentence characters per GPS record

// A field of a record: its first column, its width and, for a "%W.Pf"
// number, its decimals.
struct RecordField {
    int first;
    int width;
    int decimals = 0;
    constexpr int last() const { return first + width - 1; }
};

// The columns of each record type, one table per type. Every writer, the
// decoder and the describer take their columns from here.

// "TESSEL  W" (a new file) or "rESSEL  W" (a header appended later).
struct IdentificationColumns {
    static constexpr RecordField Name{0, 9};
    static constexpr RecordField Version{9, 3};       // ProgramVersionDigits
    static constexpr RecordField Input{12, 3};        // "GPS" or "GRD"
    static constexpr int DisplayUnits = 15;
    static constexpr int Zero = 17;             // always '0'
    static constexpr int HeaderOption = 19;     // FileHeaderOption + 1
    static constexpr int ArrayUnits = 20;
};

// 'H': the data file's name and the sensors of each console.
struct SetupColumns {
    static constexpr RecordField FileName{2, 9};
    // Console k (0..8): 0 not in use, 1 one sensor, 2 two sensors.
    static constexpr int Console(int k) { return k < 6 ? 12 + k : 21 + (k - 6); }
};

// 'G': four records after an identification.
struct GeometryColumns {
    // G1: the GPS offsets and the consoles.
    static constexpr RecordField OffsetX{1, 7, 3};
    static constexpr RecordField OffsetY{8, 7, 3};
    static constexpr int ConsoleCount = 15;
    static constexpr int LeadingPoint = 16;
    static constexpr int NmeaMode = 17;         // 0..7, or 'A' for 8 and more
    static constexpr int Zero = 19;             // always '0'
    static constexpr int GpsInput = 20;
    // G2 and G3: the map's reference point, G2 also the UTM zone ("%02d").
    static constexpr RecordField Reference{1, 14, 3};
    static constexpr RecordField UtmZone{16, 2};
    // G4: the separations.
    static constexpr RecordField UnitSeparation{1, 7, 3};
    static constexpr RecordField ConsoleSeparation{8, 7, 3};
};

// 'L': the line's text.
struct LineColumns {
    static constexpr RecordField Text{1, 8};
};

// 'B': the start station.
struct LineStartColumns {
    static constexpr RecordField Station{1, 11, 2};
};

// 'A': the direction letter and the station increment.
struct LineDirectionColumns {
    static constexpr int Letter = 1;
    static constexpr RecordField Increment{8, 11, 3};
};

// A time of day "hh:mm:ss" from a column: hours, then minutes and seconds
// each three columns on.
struct ClockField {
    int first;
    constexpr RecordField Hour() const { return {first, 2}; }
    constexpr RecordField Minute() const { return {first + 3, 2}; }
    constexpr RecordField Second() const { return {first + 6, 2}; }
};

// 'Z': the line's date and time.
struct LineDateColumns {
    static constexpr RecordField Day{1, 2};
    static constexpr RecordField Month{3, 2};
    static constexpr RecordField Year{5, 4};
    static constexpr ClockField Time{10};
};

// The "%10lu" tick of the clock, reading, event and comment records and the
// GPS trailer.
constexpr RecordField TickColumns{16, 10};

// '*': the time of day to the millisecond and the tick.
struct ClockColumns {
    static constexpr ClockField Time{1};
    static constexpr int Point = 9;
    static constexpr RecordField Millisecond{10, 3};
};

// 'S': the station and the time of day to the millisecond.
struct StationColumns {
    static constexpr RecordField Station{1, 11, 2};
    static constexpr ClockField Time{14};
    static constexpr int Point = 22;
    static constexpr RecordField Millisecond{23, 3};
};

// A console's reading: "$P" and the values after the sentence's name, then
// the tick.
struct ReadingColumns {
    static constexpr RecordField Text{1, 15};
    static constexpr RecordField Prefix{1, 2};   // "$P"
    static constexpr RecordField Values{3, 13};  // from the comma after "$PBAR"
};

// 'X' events and 'C' comments: the text cut to its columns, blanks, the tick.
struct EventColumns {
    static constexpr RecordField Text{1, 11};
    static constexpr RecordField Blank{12, 4};
};

// A GPS sentence: pieces of 25 characters after the marker, then the '!'
// trailer with the number of consoles in break.
struct GpsColumns {
    static constexpr RecordField Piece{1, GpsPieceLength};
    static constexpr int ConsolesInBreak = 14;
};

// '{': the segment's code ('0', or 'a'..'p') and its value.
struct SegmentColumns {
    static constexpr int Code = 1;
    static constexpr RecordField Value{2, 14, 3};
};

// Text fields that are cut to their columns.
constexpr int DataFileNameColumns = SetupColumns::FileName.width;
constexpr int LineTextColumns = LineColumns::Text.width;
constexpr int EventTextColumns = EventColumns::Text.width;

// Direction letters of the A record, by LineDirection 0..3.
constexpr char LineDirectionLetters[] = "WSNE";

// Texts of the event records ('X').
constexpr char EventStarted[] = "$STARTED";
constexpr char EventPaused[] = "PAUSED";
constexpr char EventPausedMap[] = "PAUSED BMP";
constexpr char EventGpsBreak[] = "GPS CONN BRK";       // 12 characters: written as its first 11
constexpr char EventConsoleBreakFormat[] = "%1dCONN BRK %1d";  // console number 1..9 twice

}  // namespace tesselog
