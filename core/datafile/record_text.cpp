// The inspector's text of a data file's items: each kind of item described
// by a function of its own, its fields in the columns of its record table.
#include <cstdio>
#include <string>

#include "core/datafile/record_reader.h"

namespace tesselog {

std::string EscapeBytes(const void* data, size_t size, bool quoted) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = bytes[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (quoted && c == '"') {
            out += "\\\"";
        } else if (c >= 0x20 && c <= 0x7E) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

namespace {

std::string Quoted(const std::string& text) { return "\"" + EscapeBytes(text.data(), text.size(), true) + "\""; }

std::string RawColumns(const uint8_t* r, RecordField f) {
    return "?\"" + EscapeBytes(r + f.first, static_cast<size_t>(f.width), true) + "\"";
}

// Columns 1..25 as they stand.
std::string RestOfRecord(const uint8_t* r) { return Quoted(std::string(reinterpret_cast<const char*>(r + 1), 25)); }

// A number with the decimals of its field, or its columns when not valid.
std::string Number(const NumberField& f, const uint8_t* r, RecordField field) {
    if (!f.valid) return RawColumns(r, field);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", field.decimals, f.value);
    return buffer;
}

std::string Integer(const IntField& f, const char* format, const uint8_t* r, RecordField field) {
    if (!f.valid) return RawColumns(r, field);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, static_cast<int>(f.value));
    return buffer;
}

std::string Digit(int digit, const uint8_t* r, int col) {
    return digit >= 0 ? std::to_string(digit) : RawColumns(r, RecordField{col, 1});
}

std::string Tick(const TickField& f, const uint8_t* r) {
    if (!f.valid) return RawColumns(r, TickColumns);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%lu", static_cast<unsigned long>(f.value));
    return buffer;
}

std::string TimeOfDay(const DataItem& item, ClockField clock) {
    const uint8_t* r = item.record;
    return Integer(item.hour, "%02d", r, clock.Hour()) + ":" + Integer(item.minute, "%02d", r, clock.Minute()) +
           ":" + Integer(item.second, "%02d", r, clock.Second());
}

std::string Milliseconds(const DataItem& item, RecordField field) {
    return "." + Integer(item.millisecond, "%03d", item.record, field);
}

// One describer per kind of item: what follows the offset.

std::string DescribeIdentification(const DataItem& item) {
    using I = IdentificationColumns;
    const uint8_t* r = item.record;
    return std::string(item.appended ? "identification appended" : "identification new") +
           " version=" + EscapeBytes(r + I::Version.first, I::Version.width) +
           " input=" + EscapeBytes(r + I::Input.first, I::Input.width) +
           " units=" + Digit(item.displayUnits, r, I::DisplayUnits) + " header-option=" +
           (item.headerOption >= 0 ? std::to_string(item.headerOption) : RawColumns(r, RecordField{I::HeaderOption, 1})) +
           " array-units=" + Digit(item.arrayUnits, r, I::ArrayUnits);
}

std::string DescribeSetup(const DataItem& item) {
    std::string out = "setup name=" + Quoted(item.text) + " consoles=";
    for (int i = 0; i < 9; ++i) {
        if (i > 0) out += ",";
        out += Digit(item.consoleDigits[i], item.record, SetupColumns::Console(i));
    }
    return out;
}

std::string DescribeGeometry(const DataItem& item) {
    using G = GeometryColumns;
    const uint8_t* r = item.record;
    std::string out = "geometry-" + std::to_string(item.geometryIndex);
    switch (item.geometryIndex) {
    case 1:
        return out + " gps-offset-x=" + Number(item.value, r, G::OffsetX) +
               " gps-offset-y=" + Number(item.value2, r, G::OffsetY) +
               " consoles=" + Digit(item.consoleCount, r, G::ConsoleCount) +
               " leading-point=" + Digit(item.leadingPoint, r, G::LeadingPoint) +
               " nmea-mode=" + Digit(item.nmeaMode, r, G::NmeaMode) +
               " gps-input=" + Digit(item.gpsInputDigit, r, G::GpsInput);
    case 2:
        return out + " reference-easting=" + Number(item.value, r, G::Reference) +
               " utm-zone=" + Integer(item.utmZone, "%d", r, G::UtmZone);
    case 3:
        return out + " reference-northing=" + Number(item.value, r, G::Reference);
    case 4:
        return out + " unit-separation=" + Number(item.value, r, G::UnitSeparation) +
               " console-separation=" + Number(item.value2, r, G::ConsoleSeparation);
    default:
        return out + " beyond-the-fourth record=" + RestOfRecord(r);
    }
}

std::string DescribeLine(const DataItem& item) { return "line name=" + Quoted(item.text); }

std::string DescribeLineStart(const DataItem& item) {
    return "line-start station=" + Number(item.value, item.record, LineStartColumns::Station);
}

std::string DescribeLineDirection(const DataItem& item) {
    using A = LineDirectionColumns;
    const uint8_t* r = item.record;
    return "line-direction direction=" +
           (item.direction >= 0 ? std::string(1, static_cast<char>(item.directionLetter))
                                : RawColumns(r, RecordField{A::Letter, 1})) +
           " increment=" + Number(item.value, r, A::Increment);
}

std::string DescribeLineDate(const DataItem& item) {
    using Z = LineDateColumns;
    const uint8_t* r = item.record;
    return "line-date date=" + Integer(item.year, "%04d", r, Z::Year) + "-" +
           Integer(item.month, "%02d", r, Z::Month) + "-" + Integer(item.day, "%02d", r, Z::Day) +
           " time=" + TimeOfDay(item, Z::Time);
}

std::string DescribeClock(const DataItem& item) {
    return "clock time=" + TimeOfDay(item, ClockColumns::Time) + Milliseconds(item, ClockColumns::Millisecond) +
           " tick=" + Tick(item.tick, item.record);
}

std::string DescribeReading(const DataItem& item) {
    return "reading console=" + std::to_string(item.console) + " tag=" + EscapeBytes(item.record, 1) +
           " text=" + Quoted(item.text) + " tick=" + Tick(item.tick, item.record);
}

std::string DescribeStation(const DataItem& item) {
    return "station station=" + Number(item.value, item.record, StationColumns::Station) +
           " time=" + TimeOfDay(item, StationColumns::Time) + Milliseconds(item, StationColumns::Millisecond);
}

std::string DescribeEvent(const DataItem& item) {
    std::string out = "event text=" + Quoted(item.text);
    if (item.event == EventKind::ConsoleBreak) out += " console=" + std::to_string(item.console);
    return out + " tick=" + Tick(item.tick, item.record);
}

std::string DescribeComment(const DataItem& item) {
    return "comment text=" + Quoted(item.text) + " tick=" + Tick(item.tick, item.record);
}

std::string DescribeGpsSingle(const DataItem& item) { return "gps-other markers=X sentence=" + Quoted(item.text); }

std::string DescribeGpsGroup(const DataItem& item) {
    std::string out = item.firstMarker == TypeGpsPosition ? "gps-position" : "gps-rejected";
    out += " markers=" + EscapeBytes(&item.firstMarker, 1) + EscapeBytes(&item.nextMarker, 1) +
           " sentence=" + Quoted(item.text) + " records=" + std::to_string(item.recordCount);
    if (!item.complete) return out + " NO-TRAILER";
    // The trailer is the group's last record; its fields were decoded into
    // the item, and a bad field shows as the digit or tick it held.
    return out + " in-break=" + (item.consolesInBreak >= 0 ? std::to_string(item.consolesInBreak) : "?") +
           " tick=" + (item.tick.valid ? std::to_string(item.tick.value) : "?");
}

std::string DescribeSegment(const DataItem& item) {
    std::string out = "segment code=" + EscapeBytes(&item.segmentCode, 1);
    const std::string value = " value=" + Number(item.value, item.record, SegmentColumns::Value);
    if (item.segmentGroup == 0) return out + " open";
    if (item.segmentGroup > 0) return out + " group=" + std::to_string(item.segmentGroup) + value;
    return out + " UNKNOWN-CODE" + value;
}

std::string DescribeStrayGps(const DataItem& item) {
    return "STRAY-GPS-RECORD type=" + EscapeBytes(item.record, 1) + " record=" + RestOfRecord(item.record);
}

std::string DescribeUnknown(const DataItem& item) {
    return "UNKNOWN-TYPE type=" + EscapeBytes(item.record, 1) + " record=" + RestOfRecord(item.record);
}

// By ItemKind, in the order of its values.
std::string (*const Describers[])(const DataItem&) = {
    DescribeIdentification, DescribeSetup,   DescribeGeometry,  DescribeLine,      DescribeLineStart,
    DescribeLineDirection,  DescribeLineDate, DescribeClock,    DescribeReading,   DescribeStation,
    DescribeEvent,          DescribeComment, DescribeGpsSingle, DescribeGpsGroup,  DescribeSegment,
    DescribeStrayGps,       DescribeUnknown,
};
static_assert(sizeof Describers / sizeof Describers[0] == static_cast<size_t>(ItemKind::Unknown) + 1,
              "one describer per kind of item");

}  // namespace

std::string DescribeItem(const DataItem& item) {
    char head[32];
    std::snprintf(head, sizeof head, "%10llu ", static_cast<unsigned long long>(item.offset));
    return head + Describers[static_cast<size_t>(item.kind)](item);
}

}  // namespace tesselog
