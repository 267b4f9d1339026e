#include "tools/sim/nmea.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tesselog::sim {

namespace {

// Whole degrees and minutes in units of 10^-decimals minute, rounded once so
// that 59.999996' never prints as 60.00000'.
void FormatAngle(double degrees, int degree_digits, int decimals, char* out, size_t capacity)
{
    long long unit = 1;
    for (int i = 0; i < decimals; ++i) {
        unit *= 10;
    }
    const long long total = std::llround(std::fabs(degrees) * 60.0 * static_cast<double>(unit));
    const int whole = static_cast<int>(std::min(total / (60 * unit), 999LL));
    const long long rest = total % (60 * unit);
    std::snprintf(out, capacity, "%0*d%02lld.%0*lld", degree_digits, whole, rest / unit, decimals, rest % unit);
}

size_t Finish(int written, size_t capacity)
{
    return written > 0 && static_cast<size_t>(written) < capacity ? static_cast<size_t>(written) : 0;
}

// The fields every geodetic writer needs.
struct Geodetic {
    char Time[16], Lat[24], Lon[24];
    char Ns = 'N', Ew = 'E';

    Geodetic(const GpsFix& fix, int decimals)
    {
        FormatTimeOfDay(fix.SecondsOfDay, Time, sizeof Time);
        FormatLatitude(fix.Latitude, Lat, sizeof Lat, Ns, decimals);
        FormatLongitude(fix.Longitude, Lon, sizeof Lon, Ew, decimals);
    }
};

const GpsFormat kFormats[] = {
    {0, "GGA/GSA", true, {WriteGga, WriteGsa}},
    {1, "GGA", true, {WriteGga, nullptr}},
    {2, "POS", true, {WritePos, nullptr}},
    {3, "LLK", true, {WriteLlk, nullptr}},
    {4, "LLQ", true, {WriteLlq, nullptr}},
    {5, "GLL", true, {WriteGll, nullptr}},
    {6, "GGK", true, {WriteGgk, nullptr}},
    {7, "RTS pseudo GGA", false, {WriteTotalStationGga, nullptr}},
    {8, "Pseudo GLL", false, {WritePseudoGll, nullptr}},
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

void FormatLatitude(double degrees, char* out, size_t capacity, char& hemisphere, int decimals)
{
    hemisphere = degrees < 0.0 ? 'S' : 'N';
    FormatAngle(degrees, 2, decimals, out, capacity);
}

void FormatLongitude(double degrees, char* out, size_t capacity, char& hemisphere, int decimals)
{
    hemisphere = degrees < 0.0 ? 'W' : 'E';
    FormatAngle(degrees, 3, decimals, out, capacity);
}

void FormatTimeOfDay(double seconds, char* out, size_t capacity)
{
    const long long centis = std::llround(seconds * 100.0) % 8640000;
    std::snprintf(out, capacity, "%02lld%02lld%02lld.%02lld", centis / 360000, centis / 6000 % 60,
                  centis / 100 % 60, centis % 100);
}

size_t WriteGga(const GpsFix& fix, char* body, size_t capacity)
{
    const Geodetic g(fix, 5);
    char age[16] = "", station[8] = "";
    if (fix.Quality >= 2) {  // differential and RTK fixes name their correction age and station
        std::snprintf(age, sizeof age, "%.1f", fix.DiffAge);
        std::snprintf(station, sizeof station, "%04d", fix.Station % 10000);
    }
    const int n = std::snprintf(body, capacity, "GPGGA,%s,%s,%c,%s,%c,%d,%02d,%.1f,%.1f,M,%.1f,M,%s,%s", g.Time,
                                g.Lat, g.Ns, g.Lon, g.Ew, fix.Quality, fix.Satellites, fix.Hdop, fix.Altitude,
                                fix.GeoidSeparation, age, station);
    return Finish(n, capacity);
}

size_t WriteGsa(const GpsFix& fix, char* body, size_t capacity)
{
    // Fields: 2 selection mode, 3 fix type (1 = none, 3 = 3D), 4..15 satellites used, 16 PDOP, 17 HDOP, 18 VDOP.
    std::string text = fix.Quality == 0 ? "GPGSA,A,1" : "GPGSA,A,3";
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

size_t WritePos(const GpsFix& fix, char* body, size_t capacity)
{
    // Ashtech: 3 position mode (0 autonomous .. 3 RTK fixed, one less than the GGA quality; empty without a
    // position), 4 satellites, 5 time, 6..9 position, 10 altitude, 11 reserved, 12 course, 13 speed in knots,
    // 14 vertical velocity, 15 PDOP, 16 HDOP, 17 VDOP, 18 TDOP, 19 firmware.
    const Geodetic g(fix, 5);
    char mode[16] = "";
    if (fix.Quality >= 1) {
        std::snprintf(mode, sizeof mode, "%d", fix.Quality - 1);
    }
    const int n = std::snprintf(body, capacity,
                                "PASHR,POS,%s,%02d,%s,%s,%c,%s,%c,%+09.2f,,%06.2f,%06.2f,%+07.2f,%04.1f,%04.1f,"
                                "%04.1f,%04.1f,GW00",
                                mode, fix.Satellites, g.Time, g.Lat, g.Ns, g.Lon, g.Ew, fix.Altitude, fix.Course,
                                fix.Speed * 1.943844, 0.0, fix.Pdop, fix.Hdop, fix.Vdop, fix.Tdop);
    return Finish(n, capacity);
}

namespace {

// Leica's local-grid sentences: 2 time, 3 date (mmddyy), 4 easting, 5 unit, 6 northing, 7 unit, 8 quality,
// 9 satellites, 10 GDOP (LLK) or position quality in metres (LLQ), 11 height, 12 unit.
size_t WriteLeicaGrid(const char* name, double dilution, const GpsFix& fix, char* body, size_t capacity)
{
    char time[16];
    FormatTimeOfDay(fix.SecondsOfDay, time, sizeof time);
    const int n = std::snprintf(body, capacity, "GP%s,%s,%02d%02d%02d,%.3f,M,%.3f,M,%d,%02d,%.3f,%.3f,M", name, time,
                                fix.Month, fix.Day, fix.Year, fix.Easting, fix.Northing, fix.Quality, fix.Satellites,
                                dilution, fix.Altitude + fix.GeoidSeparation);
    return Finish(n, capacity);
}

}  // namespace

size_t WriteLlk(const GpsFix& fix, char* body, size_t capacity)
{
    return WriteLeicaGrid("LLK", fix.Gdop, fix, body, capacity);
}

size_t WriteLlq(const GpsFix& fix, char* body, size_t capacity)
{
    return WriteLeicaGrid("LLQ", fix.PositionQuality, fix, body, capacity);
}

size_t WriteGll(const GpsFix& fix, char* body, size_t capacity)
{
    // 2..5 position, 6 time, 7 status (A valid, V not), 8 mode (A autonomous, D differential, N not valid).
    const Geodetic g(fix, 5);
    const char mode = fix.Quality == 0 ? 'N' : fix.Quality == 1 ? 'A' : 'D';
    const int n = std::snprintf(body, capacity, "GPGLL,%s,%c,%s,%c,%s,%c,%c", g.Lat, g.Ns, g.Lon, g.Ew, g.Time,
                                fix.Quality == 0 ? 'V' : 'A', mode);
    return Finish(n, capacity);
}

size_t WriteGgk(const GpsFix& fix, char* body, size_t capacity)
{
    // Trimble: 3 time, 4 date (mmddyy), 5..8 position with seven decimals of minutes (more than the program
    // reads), 9 quality, 10 satellites, 11 DOP, 12 ellipsoidal height "EHT", 13 unit.
    const Geodetic g(fix, 7);
    const int n = std::snprintf(body, capacity, "PTNL,GGK,%s,%02d%02d%02d,%s,%c,%s,%c,%d,%02d,%.1f,EHT%.3f,M", g.Time,
                                fix.Month, fix.Day, fix.Year, g.Lat, g.Ns, g.Lon, g.Ew, fix.Quality, fix.Satellites,
                                fix.Pdop, fix.Altitude + fix.GeoidSeparation);
    return Finish(n, capacity);
}

size_t WriteTotalStationGga(const GpsFix& fix, char* body, size_t capacity)
{
    // GGA-shaped: 3 northing and 5 easting where a GGA has latitude and longitude, 10 height, 11 their unit
    // (M or F) where a GGA has the altitude unit.
    char time[16];
    FormatTimeOfDay(fix.SecondsOfDay, time, sizeof time);
    const double scale = fix.GridFeet ? 1.0 / 0.3048 : 1.0;
    const char unit = fix.GridFeet ? 'F' : 'M';
    const int n = std::snprintf(body, capacity, "GPGGA,%s,%.3f,N,%.3f,E,%d,%02d,%.1f,%.3f,%c,0.000,%c,,", time,
                                fix.Northing * scale, fix.Easting * scale, fix.Quality, fix.Satellites, fix.Hdop,
                                (fix.Altitude + fix.GeoidSeparation) * scale, unit, unit);
    return Finish(n, capacity);
}

size_t WritePseudoGll(const GpsFix& fix, char* body, size_t capacity)
{
    // An old-style GLL: position, time and status, no mode field and no checksum.
    const Geodetic g(fix, 5);
    const int n = std::snprintf(body, capacity, "GPGLL,%s,%c,%s,%c,%s,%c", g.Lat, g.Ns, g.Lon, g.Ew, g.Time,
                                fix.Quality == 0 ? 'V' : 'A');
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
