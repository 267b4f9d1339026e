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

// Text fields that are cut to their columns.
constexpr int DataFileNameColumns = 9;   // H record, columns 2..10
constexpr int LineTextColumns = 8;       // L record, columns 1..8
constexpr int EventTextColumns = 11;     // X and C records, columns 1..11

// Direction letters of the A record, by LineDirection 0..3.
constexpr char LineDirectionLetters[] = "WSNE";

// Texts of the event records ('X').
constexpr char EventStarted[] = "$STARTED";
constexpr char EventPaused[] = "PAUSED";
constexpr char EventPausedMap[] = "PAUSED BMP";
constexpr char EventGpsBreak[] = "GPS CONN BRK";       // 12 characters: written as its first 11
constexpr char EventConsoleBreakFormat[] = "%1dCONN BRK %1d";  // console number 1..9 twice

}  // namespace tesselog
