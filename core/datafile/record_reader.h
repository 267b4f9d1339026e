// Reading a data file back: the bytes are read in large blocks, cut into
// 27-byte records, and each record (or whole GPS sentence group) is told
// apart by its type byte and, where the type byte is shared, by its content,
// then decoded column by column. The file is untrusted: every record is
// checked for its length and LF, and the first thing that does not fit the
// layout is kept as the file's first problem with its byte offset.
//
// No output here: the inspector, the append validation and the replays all
// build on this. DescribeItem only renders an item as one line of text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/datafile/record_layout.h"

namespace tesselog {

class File;

enum class ItemKind : uint8_t {
    Identification,  // "TESSEL  W" or "rESSEL  W" in columns 0..8
    Setup,           // 'H'
    Geometry,        // 'G', one of the four after an identification
    LineName,        // 'L'
    LineStart,       // 'B'
    LineDirection,   // 'A'
    LineDate,        // 'Z'
    Clock,           // '*'
    Reading,         // a console's reading tag
    Station,         // 'S'
    Event,           // 'X' with one of the event texts
    Comment,         // 'C'
    GpsSingle,       // 'X' with anything else: a one-record accepted GPS sentence
    GpsGroup,        // '@' then '#'..., or '?' then '"'..., closed by the '!' trailer
    Segment,         // '{'
    StrayGpsRecord,  // '#', '"' or '!' outside a GPS group
    Unknown,         // a type byte no writer uses
};

enum class EventKind : uint8_t { None, Started, Paused, PausedBmp, ConsoleBreak, GpsBreak };

// Fixed-width fields decoded from their columns; valid is false when the
// columns do not hold what the writer puts there (value is then 0).
struct IntField {
    int32_t value = 0;
    bool valid = false;
};
struct NumberField {
    double value = 0.0;
    bool valid = false;
};
struct TickField {
    uint32_t value = 0;
    bool valid = false;
};

// One record, or one whole GPS group. Only the fields of its kind are set.
struct DataItem {
    ItemKind kind = ItemKind::Unknown;
    uint64_t offset = 0;       // byte offset of its first record
    uint32_t recordCount = 0;  // 1, or every record of a GPS group with its trailer
    uint8_t type = 0;          // byte 0 of the first record
    uint8_t record[RecordLength] = {};  // the first record as read

    // Clock, reading, event and comment records; a GPS group's trailer.
    TickField tick;
    // Setup: the file name; line: its name; reading: columns 1..15 ("$P,0060,0065");
    // event and comment: columns 1..11; GPS: the sentence put back together.
    // Trailing spaces are trimmed in every case.
    std::string text;

    // Identification.
    bool appended = false;      // "rESSEL  W"
    int versionMajor = -1;      // digit in column 9
    bool gpsInput = false;      // "GPS" in columns 12..14
    int displayUnits = -1;      // digit in column 15
    int headerOption = -1;      // FileHeaderOption: the digit in column 19 less one
    int arrayUnits = -1;        // digit in column 20

    // Setup: consoles 1..9, 0 not in use, 1 one sensor, 2 two sensors (-1 not a digit).
    int consoleDigits[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};

    // Geometry: which of the four after the identification (1..4; 5 and
    // more for surplus records, whose fields are not decoded).
    int geometryIndex = 0;
    // value/value2: G1 the GPS offsets X and Y, G2 the reference easting,
    // G3 the reference northing, G4 the unit and the console separation;
    // B the start station, A the station increment, S the station, '{' the
    // segment value.
    NumberField value;
    NumberField value2;
    int consoleCount = -1;      // G1 column 15
    int leadingPoint = -1;      // G1 column 16
    int nmeaMode = -1;          // G1 column 17: 0..7, 8 for 'A'
    int gpsInputDigit = -1;     // G1 column 20
    IntField utmZone;           // G2 columns 16..17

    // Line direction: the letter and its index (0 W, 1 S, 2 N, 3 E, -1 other).
    uint8_t directionLetter = 0;
    int direction = -1;

    // Line date ('Z'), and the time of day of 'Z', '*' and 'S'.
    IntField day, month, year, hour, minute, second, millisecond;

    // Reading: console 1..9. Event: the console of a console break.
    int console = 0;
    EventKind event = EventKind::None;

    // GPS group: its two markers, the number of sentence records, the digit
    // of consoles in break from the trailer (-1 not a digit), and whether
    // the trailer came (false for a group cut off by another record or the
    // end of the file).
    uint8_t firstMarker = 0;
    uint8_t nextMarker = 0;
    uint32_t pieces = 0;
    int consolesInBreak = -1;
    bool complete = false;

    // Segment: the code ('0' or 'a'..'p'), its group (0..4, -1 for another
    // code) and its place in the group (0..3).
    uint8_t segmentCode = 0;
    int segmentGroup = -1;
    int segmentIndex = 0;

    void Reset();
};

struct RecordProblem {
    bool found = false;
    uint64_t offset = 0;  // first bad byte
    std::string reason;
};

// Reads up to n bytes into buffer; returns how many came (0 at the end).
using ByteSource = std::function<size_t(void* buffer, size_t n)>;

// A source over bytes in memory (they must outlive the source), or over an
// open file from its current position.
ByteSource BytesFromMemory(const void* data, size_t size);
ByteSource BytesFromFile(File& file);

// The longest GPS sentence kept in DataItem::text; further pieces of a
// longer group are counted but not stored.
constexpr size_t MaxKeptGpsSentence = 1024;

class RecordReader {
public:
    static constexpr size_t DefaultBlockSize = 1 << 20;

    explicit RecordReader(ByteSource source, size_t blockSize = DefaultBlockSize);

    // The next record or GPS group. False at the end of the file, and after
    // a record that is not 27 bytes or a truncated end, since from there on
    // records can no longer be found. Unknown and stray records and GPS
    // groups without their trailer are still delivered (and noted).
    bool Next(DataItem& item);

    const RecordProblem& FirstProblem() const { return problem_; }
    uint64_t RecordCount() const { return records_; }

private:
    bool Fill(size_t wanted);
    size_t Available() const { return end_ - begin_; }
    // 1: a whole record is at begin_; 0: end of file; -1: a fatal problem.
    int PeekRecord();
    void ConsumeRecord();
    void Note(uint64_t offset, std::string reason);
    void Decode(DataItem& item);
    void ReadGroup(DataItem& item);

    ByteSource source_;
    size_t blockSize_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool endOfSource_ = false;
    bool stopped_ = false;
    uint64_t offset_ = 0;   // file offset of buffer_[begin_]
    uint64_t records_ = 0;
    int geometrySeen_ = 0;  // G records since the last identification
    RecordProblem problem_;
};

struct DataFileCheck {
    bool ok = false;
    uint64_t records = 0;  // whole records read (all of them when ok)
    RecordProblem problem;
};

// Reads the file to its end or its first problem.
DataFileCheck CheckDataFile(ByteSource source, size_t blockSize = RecordReader::DefaultBlockSize);

// The item as one line of text without a line end: offset, kind and the
// decoded fields; bytes outside printable ASCII as \xNN.
std::string DescribeItem(const DataItem& item);

// Bytes as text with \xNN for bytes outside 0x20..0x7E and \\ for the
// backslash; with quoted true also \" for the double quote.
std::string EscapeBytes(const void* data, size_t size, bool quoted = false);

}  // namespace tesselog
