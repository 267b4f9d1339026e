#include "tools/sim/nmea.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tesselog::sim {

namespace {

// Whole degrees and minutes in units of 1e-5 minute, rounded once so that
// 59.999996' never prints as 60.00000'.
void FormatAngle(double degrees, int degree_digits, char* out, size_t capacity)
{
    const long long total = std::llround(std::fabs(degrees) * 60.0 * 100000.0);
    const int whole = static_cast<int>(std::min(total / 6000000, 999LL));
    const int rest = static_cast<int>(total % 6000000);
    std::snprintf(out, capacity, "%0*d%02d.%05d", degree_digits, whole, rest / 100000, rest % 100000);
}

size_t Finish(int written, size_t capacity)
{
    return written > 0 && static_cast<size_t>(written) < capacity ? static_cast<size_t>(written) : 0;
}

const GpsFormat kFormats[] = {
    {0, "GGA/GSA", true, {WriteGga, WriteGsa}},
    {1, "GGA", true, {WriteGga, nullptr}},
    // Not simulated yet: a writer per sentence completes a row.
    {2, "POS", true, {nullptr, nullptr}},
    {3, "LLK", true, {nullptr, nullptr}},
    {4, "LLQ", true, {nullptr, nullptr}},
    {5, "GLL", true, {nullptr, nullptr}},
    {6, "GGK", true, {nullptr, nullptr}},
    {7, "RTS pseudo GGA", false, {nullptr, nullptr}},
    {8, "Pseudo GLL", false, {nullptr, nullptr}},
};

}  // namespace

const GpsFormat* FindGpsFormat(int mode)
{
    for (const GpsFormat& format : kFormats) {
        if (format.Mode == mode) {
            return &format;
        }
    }
    return nullptr;
}

bool IsSimulated(const GpsFormat& format) { return format.Writers[0] != nullptr; }

void FormatLatitude(double degrees, char* out, size_t capacity, char& hemisphere)
{
    hemisphere = degrees < 0.0 ? 'S' : 'N';
    FormatAngle(degrees, 2, out, capacity);
}

void FormatLongitude(double degrees, char* out, size_t capacity, char& hemisphere)
{
    hemisphere = degrees < 0.0 ? 'W' : 'E';
    FormatAngle(degrees, 3, out, capacity);
}

void FormatTimeOfDay(double seconds, char* out, size_t capacity)
{
    const long long centis = std::llround(seconds * 100.0) % 8640000;
    std::snprintf(out, capacity, "%02lld%02lld%02lld.%02lld", centis / 360000, centis / 6000 % 60,
                  centis / 100 % 60, centis % 100);
}

size_t WriteGga(const GpsFix& fix, char* body, size_t capacity)
{
    char time[16], lat[16], lon[16], age[16] = "", station[8] = "";
    char ns = 'N', ew = 'E';
    FormatTimeOfDay(fix.SecondsOfDay, time, sizeof time);
    FormatLatitude(fix.Latitude, lat, sizeof lat, ns);
    FormatLongitude(fix.Longitude, lon, sizeof lon, ew);
    if (fix.Quality >= 2) {  // differential and RTK fixes name their correction age and station
        std::snprintf(age, sizeof age, "%.1f", fix.DiffAge);
        std::snprintf(station, sizeof station, "%04d", fix.Station % 10000);
    }
    const int n = std::snprintf(body, capacity, "GPGGA,%s,%s,%c,%s,%c,%d,%02d,%.1f,%.1f,M,%.1f,M,%s,%s", time, lat,
                                ns, lon, ew, fix.Quality, fix.Satellites, fix.Hdop, fix.Altitude,
                                fix.GeoidSeparation, age, station);
    return Finish(n, capacity);
}

size_t WriteGsa(const GpsFix& fix, char* body, size_t capacity)
{
    // Fields: 2 selection mode, 3 fix type (3 = 3D), 4..15 satellites used, 16 PDOP, 17 HDOP, 18 VDOP.
    std::string text = "GPGSA,A,3";
    const int used = std::clamp(fix.Satellites, 0, 12);
    char field[16];
    for (int i = 0; i < 12; ++i) {
        text += ',';
        if (i < used) {
            std::snprintf(field, sizeof field, "%02d", fix.Prns[i]);
            text += field;
        }
    }
    std::snprintf(field, sizeof field, ",%.1f", fix.Pdop);
    text += field;
    std::snprintf(field, sizeof field, ",%.1f", fix.Hdop);
    text += field;
    std::snprintf(field, sizeof field, ",%.1f", fix.Vdop);
    text += field;
    const int n = std::snprintf(body, capacity, "%s", text.c_str());
    return Finish(n, capacity);
}

uint8_t NmeaChecksum(const char* text, size_t length)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        sum ^= static_cast<uint8_t>(text[i]);
    }
    return sum;
}

void AppendSentence(std::string& out, const char* body, size_t length, bool checksum, uint8_t spoil)
{
    out += '$';
    out.append(body, length);
    if (checksum) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "*%02X", static_cast<unsigned>(NmeaChecksum(body, length) ^ spoil));
        out += suffix;
    }
    out += "\r\n";
}

}  // namespace tesselog::sim
