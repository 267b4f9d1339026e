// Any text through GetField and through the decoder of every mode. Aborts when
// the fields do not put the text back together, when a field lies outside the
// text, or when a decoded fix holds a number that is not finite or breaks the
// validity rules that can be seen from outside.
//
// Input: byte 0 the display unit and the field asked for, the rest the text.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/gps/gps_decoder.h"
#include "core/gps/gps_framer.h"

using namespace tesselog;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string_view FieldOfSlot(std::string_view sentence, const NmeaModeTable& table, int32_t slot) {
    std::string_view field;
    for (int i = 0; i < table.GpsFieldCount; ++i)
        if (table.GpsFieldSlot[i] == slot) GetField(sentence, table.GpsFieldNumber[i], ',', field);
    return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int32_t displayUnits = data[0] % 4 - 1;  // -1..2: one out of range
    const int asked = static_cast<int>(data[0] >> 2) - 2;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    // Fields 1.. joined by commas give the text back; the one after the last is missing.
    std::string joined;
    std::string_view field;
    int n = 1;
    for (; GetField(text, n, ',', field); ++n) {
        Check(field.data() >= text.data() && field.data() + field.size() <= text.data() + text.size());
        if (n > 1) joined += ',';
        joined += field;
    }
    Check(joined == text);
    Check(n - 1 == 1 + static_cast<int>(std::count(text.begin(), text.end(), ',')));
    char buffer[8] = "unset";
    const int present = GetField(text, asked, ',', buffer, sizeof buffer);
    Check(present == (asked >= 1 && asked < n));
    if (!present) Check(std::string(buffer) == "unset");

    // Sentences reach the decoder from a 128-byte slot; a text cut there is what it sees.
    const std::string_view sentence = text.substr(0, GpsSentenceSize - 1);
    for (int32_t mode = -1; mode <= NmeaModeCount; ++mode) {
        const NmeaModeTable table = ApplyNmeaMode(mode);
        GpsFix previous;
        previous.Dilution = 2.5;
        const GpsFix fix = DecodeGpsFix(sentence, table, displayUnits, previous);
        Check(fix.Valid == 0 || fix.Valid == 1);
        Check(std::isfinite(fix.Dilution) && std::isfinite(fix.Latitude) && std::isfinite(fix.Longitude));
        Check(std::isfinite(fix.Northing) && std::isfinite(fix.Easting) && std::isfinite(fix.TimeOfDay));
        if (fix.Valid && !IsGridMode(table.NmeaMode)) {
            Check(fix.LatitudeSign == 1 || fix.LatitudeSign == -1);
            Check(fix.LongitudeSign == 1 || fix.LongitudeSign == -1);
            Check(fix.Latitude ==
                  GpsDegreesOf(FieldOfSlot(sentence, table, GpsSlotLatitude)) * fix.LatitudeSign);
        }
        if (fix.Valid && table.GpsFieldSlot[0] == GpsSlotSatellites) Check(fix.Satellites >= 2);
    }
    double dilution = 0.0;
    DecodeGsaDilution(sentence, dilution);
    Check(std::isfinite(dilution));
    return 0;
}
