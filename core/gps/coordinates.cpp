#include "core/gps/coordinates.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tesselog {

namespace {

// WGS 84.
constexpr double SemiMajorAxis = 6378137.0;
constexpr double Flattening = 0.0033528106647474805;  // 1/298.257223563
constexpr double ScaleFactor = 0.9996;
constexpr double FalseEasting = 500000.0;
constexpr double FalseNorthingSouth = 10000000.0;
// The input angles use this rounded constant, the central meridian uses
// atan(1)/45. They differ in the last digits; both stay, so that a position
// projects to the same doubles on every run and in every build.
constexpr double InputDegreesToRadians = 0.0174532925199433;

// Large enough for any double printed with "%.2f" or "%.4f" (DBL_MAX has
// 309 integer digits) plus a unit.
constexpr size_t NumberTextSize = 400;

std::string MetresText(double metres, int32_t coordinateDisplay) {
    char text[NumberTextSize];
    switch (coordinateDisplay) {
    case 2:
        std::snprintf(text, sizeof text, "%12.2f ft", metres / InternationalFoot);
        break;
    case 3:
        std::snprintf(text, sizeof text, "%12.2f USft", metres / UsSurveyFoot);
        break;
    default:
        std::snprintf(text, sizeof text, "%12.2f m", metres);
        break;
    }
    return text;
}

}  // namespace

void UtmToGeodetic(int zone, int hemisphere, double northing, double easting, double& latitude, double& longitude) {
    const double north = northing - (hemisphere < 0 ? FalseNorthingSouth : 0.0);
    // A start within a kilometre or so: degrees of a sphere of the mean radius.
    latitude = north / 111132.95;
    const double cosine = std::cos(latitude * InputDegreesToRadians);
    longitude = (6.0 * zone - 183.0) + (easting - FalseEasting) / (111319.49 * (cosine > 0.01 ? cosine : 0.01));
    // Newton's steps on the projection itself, its derivatives by differences.
    const double h = 1e-7;
    for (int step = 0; step < 8; ++step) {
        int z = zone;
        double n0 = 0.0, e0 = 0.0, n1 = 0.0, e1 = 0.0, n2 = 0.0, e2 = 0.0;
        GeodeticToUtm(latitude, longitude, z, n0, e0, 1);
        const double dn = northing - n0, de = easting - e0;
        if (std::fabs(dn) < 1e-4 && std::fabs(de) < 1e-4) break;
        GeodeticToUtm(latitude + h, longitude, z, n1, e1, 1);
        GeodeticToUtm(latitude, longitude + h, z, n2, e2, 1);
        const double a = (n1 - n0) / h, b = (n2 - n0) / h, c = (e1 - e0) / h, d = (e2 - e0) / h;
        const double det = a * d - b * c;
        if (det == 0.0) break;
        latitude += (d * dn - b * de) / det;
        longitude += (a * de - c * dn) / det;
    }
}

int UtmZoneOfLongitude(double longitude) {
    double zone = std::floor(longitude / 6.0) + 31.0;
    // Limited in floating point, so that any longitude (even inf or NaN,
    // which lands in zone 1) gives a valid int.
    if (zone > 60.0) return 60;
    if (zone >= 1.0) return static_cast<int>(zone);
    return 1;
}

void GeodeticToUtm(double latitude, double longitude, int& zone, double& northing, double& easting,
                   int keepZone) {
    const double a = SemiMajorAxis;
    const double f = Flattening;
    const double phi = latitude * InputDegreesToRadians;
    const double lambda = longitude * InputDegreesToRadians;

    const double b = (1.0 / f - 1.0) * a / (1.0 / f);
    const double e2 = (a * a - b * b) / (a * a);
    const double ep2 = (a * a - b * b) / (b * b);
    const double n = (a - b) / (a + b);
    const double n2 = n * n;
    const double n3 = n2 * n;
    const double n4 = n3 * n;
    const double n5 = n4 * n;

    // Meridian arc (Helmert's series in n).
    const double A = a * (1.0 - n + 5.0 / 4.0 * (n2 - n3) + 81.0 / 64.0 * (n4 - n5));
    const double B = 3.0 / 2.0 * a * (n - n2 + 7.0 / 8.0 * (n3 - n4) + 55.0 / 64.0 * n5);
    const double C = 15.0 / 16.0 * a * (n2 - n3 + 3.0 / 4.0 * (n4 - n5));
    const double D = 35.0 / 48.0 * a * (n3 - n4 + 11.0 / 16.0 * n5);
    const double E = 315.0 / 512.0 * a * (n4 - n5);
    const double S = A * phi - B * std::sin(2.0 * phi) + C * std::sin(4.0 * phi) - D * std::sin(6.0 * phi) +
                     E * std::sin(8.0 * phi);

    if (keepZone == 0) zone = UtmZoneOfLongitude(longitude);

    // In floating point so that no zone passed in can overflow an int.
    const double lambda0 = (6.0 * zone - 183.0) * (std::atan(1.0) / 45.0);
    // The longitude difference is taken the short way round: zones 60 and 1
    // meet at the date line, and a survey kept in one of them crosses it.
    const double pi = 4.0 * std::atan(1.0);
    double p = lambda - lambda0;
    if (p > pi) p -= 2.0 * pi;
    if (p < -pi) p += 2.0 * pi;

    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double nu = a / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
    const double t = std::tan(phi);
    const double t2 = t * t;
    const double t4 = t2 * t2;
    const double t6 = t4 * t2;
    const double eta2 = ep2 * cosPhi * cosPhi;
    const double eta4 = eta2 * eta2;
    const double eta6 = eta4 * eta2;
    const double eta8 = eta4 * eta4;
    const double cos3 = cosPhi * cosPhi * cosPhi;
    const double cos5 = cos3 * cosPhi * cosPhi;
    const double cos7 = cos5 * cosPhi * cosPhi;
    const double k0 = ScaleFactor;

    const double T1 = S * k0;
    const double T2 = nu * sinPhi * cosPhi * k0 / 2.0;
    const double T3 = nu * sinPhi * cos3 * k0 * (5.0 - t2 + 9.0 * eta2 + 4.0 * eta4) / 24.0;
    const double T4 = nu * sinPhi * cos5 * k0 *
                      (61.0 - 58.0 * t2 + t4 + 270.0 * eta2 - 330.0 * t2 * eta2 + 445.0 * eta4 + 324.0 * eta6 -
                       680.0 * t2 * eta4 + 88.0 * eta8 - 600.0 * t2 * eta6 - 192.0 * t2 * eta8) /
                      720.0;
    const double T5 = nu * sinPhi * cos7 * k0 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6) / 40320.0;
    const double T6 = nu * cosPhi * k0;
    const double T7 = nu * cos3 * k0 * (1.0 - t2 + eta2) / 6.0;
    const double T8 = nu * cos5 * k0 *
                      (5.0 - 18.0 * t2 + t4 + 14.0 * eta2 - 58.0 * t2 * eta2 + 13.0 * eta4 + 4.0 * eta6 -
                       64.0 * t2 * eta4 - 24.0 * t2 * eta6) /
                      120.0;
    const double T9 = nu * cos7 * k0 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6) / 5040.0;

    const double p2 = p * p;
    const double p3 = p2 * p;
    const double p4 = p2 * p2;
    const double p5 = p4 * p;
    const double p6 = p4 * p2;
    const double p7 = p6 * p;
    const double p8 = p4 * p4;

    // The equator counts as north.
    const double falseNorthing = latitude < 0.0 ? FalseNorthingSouth : 0.0;
    northing = falseNorthing + T1 + p2 * T2 + p4 * T3 + p6 * T4 + p8 * T5;
    easting = FalseEasting + p * T6 + p3 * T7 + p5 * T8 + p7 * T9;
}

void ProjectGeodeticFix(UtmZoneState& state, double latitude, double longitude, double& northing,
                        double& easting) {
    if (state.UtmZone == UtmZoneNotFixed) {
        int zone = 0;
        GeodeticToUtm(latitude, longitude, zone, northing, easting, 0);
        state.UtmZone = zone;
        state.UtmZoneOfFile = zone;
        state.FirstFixLatitude = latitude;
        state.FirstFixLongitude = longitude;
        return;
    }
    int zone = state.UtmZone;
    GeodeticToUtm(latitude, longitude, zone, northing, easting, 1);
}

GeodeticDisplayParts DecodeGeodeticDisplay(char hemisphere, const std::string& field) {
    // The whole minutes are the two characters in front of the first '.',
    // the degrees everything before them. A field without '.' is read as if
    // the '.' followed it; a short field gives fewer digits, never an index
    // outside the text.
    size_t dot = field.find('.');
    if (dot == std::string::npos) dot = field.size();
    const size_t minutesStart = dot >= 2 ? dot - 2 : 0;

    GeodeticDisplayParts parts;
    parts.Prefix.reserve(dot + 3);
    parts.Prefix += hemisphere;
    parts.Prefix.append(field, 0, minutesStart);
    parts.Prefix += DegreeSign;
    parts.Prefix.append(field, minutesStart, dot - minutesStart);
    parts.Prefix += '\'';
    if (dot < field.size()) parts.Seconds = std::strtod(field.c_str() + dot, nullptr) * 60.0;
    return parts;
}

std::string GeodeticText(const GeodeticDisplayParts& parts) {
    // The prefix, the seconds and '"'. The seconds take two digits before
    // the point, as the minutes do, so that a latitude and a longitude end
    // alike: padded on the right, below ten seconds would give "6.0000 \""
    // with a blank before the quote.
    char seconds[NumberTextSize];
    std::snprintf(seconds, sizeof seconds, "%07.4f", parts.Seconds);
    return parts.Prefix + seconds + '"';
}

PositionTexts GeodeticPositionTexts(int32_t coordinateDisplay, const GeodeticDisplayParts& latitude,
                                    const GeodeticDisplayParts& longitude, double northingMetres,
                                    double eastingMetres, int32_t zone) {
    PositionTexts texts;
    if (coordinateDisplay == 0) {
        texts.First = GeodeticText(latitude);
        texts.Second = GeodeticText(longitude);
        return texts;
    }
    texts.First = MetresText(northingMetres, coordinateDisplay);
    texts.Second = MetresText(eastingMetres, coordinateDisplay);
    char zoneText[16];
    std::snprintf(zoneText, sizeof zoneText, "%-2d", static_cast<int>(zone));
    texts.Zone = zoneText;
    texts.ZoneChanged = true;
    return texts;
}

PositionTexts GridPositionTexts(int32_t coordinateDisplay, int32_t displayUnits, double northing,
                                double easting) {
    PositionTexts texts;
    texts.Zone = "na";
    texts.ZoneChanged = true;
    if (coordinateDisplay == 0) {
        texts.First = "N/A  for  selected";
        texts.Second = "NMEA  Data ";
        return texts;
    }
    texts.First = MetresText(DisplayUnitsToMetres(northing, displayUnits), coordinateDisplay);
    texts.Second = MetresText(DisplayUnitsToMetres(easting, displayUnits), coordinateDisplay);
    return texts;
}

double SpeedFactor(int32_t speedUnits, int32_t displayUnits) {
    const bool feet = displayUnits == 1 || displayUnits == 2;
    switch (speedUnits) {
    case 1:
        return feet ? 1.0 : FeetPerMetre;
    case 2:
        return feet ? 1.0973 : 3.6;
    case 3:
        return feet ? 0.6818 : 2.2369;
    default:
        return feet ? 0.3048 : 1.0;
    }
}

std::string SpeedText(double speedDisplayUnitsPerSecond, int32_t speedUnits, int32_t displayUnits) {
    const double speed = speedDisplayUnitsPerSecond * SpeedFactor(speedUnits, displayUnits);
    char text[NumberTextSize];
    switch (speedUnits) {
    case 1:
        std::snprintf(text, sizeof text, "%5.2f ft/s", speed);
        break;
    case 2:
        std::snprintf(text, sizeof text, "%5.2f km/h", speed);
        break;
    case 3:
        std::snprintf(text, sizeof text, "%5.2f mph", speed);
        break;
    default:
        std::snprintf(text, sizeof text, "%5.2f m/s", speed);
        break;
    }
    return text;
}

}  // namespace tesselog
