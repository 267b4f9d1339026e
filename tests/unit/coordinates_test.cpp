#include "core/gps/coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "support/test_support.h"

namespace tesselog {
namespace {

TEST(GeodeticToUtm, ZoneIsFlooredAndLimited) {
    int zone = -9;
    double northing = 0, easting = 0;
    GeodeticToUtm(51.5, -0.12, zone, northing, easting, 0);  // the zone found, then used
    EXPECT_EQ(zone, 30);
    EXPECT_NEAR(northing, 5709362.293, 0.0005);
    EXPECT_NEAR(easting, 699889.807, 0.0005);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> cases[] = {{-0.5, 30},  {0.0, 31},    {-6.0, 30},   {5.999, 31}, {6.0, 32},
                                            {179.9, 60}, {180.0, 60},  {-180.0, 1},  {-200.0, 1}, {400.0, 60},
                                            {nan, 1},    {inf, 60},    {-inf, 1}};
    for (const auto& [longitude, expected] : cases) {
        zone = -9;
        GeodeticToUtm(10.0, longitude, zone, northing, easting, 0);
        EXPECT_EQ(zone, expected) << "longitude " << longitude;
    }
}

TEST(GeodeticToUtm, EquatorIsNorthAndAnySouthernLatitudeGetsTheFalseNorthing) {
    const std::pair<double, double> cases[] = {{0.0, 0.0}, {-0.0, 0.0}, {-1e-9, 10000000.0}};  // -0 is not below 0
    for (const auto& [latitude, expected] : cases) {
        int zone = 0;
        double northing = -1, easting = 0;
        GeodeticToUtm(latitude, 10.0, zone, northing, easting, 0);
        EXPECT_NEAR(northing, expected, 0.001) << latitude;
    }
}

TEST(UtmZoneState, FirstFixFixesTheZoneAndLaterFixesKeepIt) {
    UtmZoneState state;
    EXPECT_EQ(state.UtmZone, -9);
    double northing = 0, easting = 0;
    ProjectGeodeticFix(state, 45.0, -72.1, northing, easting);
    EXPECT_TRUE(state.UtmZone == 18 && state.UtmZoneOfFile == 18);
    EXPECT_TRUE(state.FirstFixLatitude == 45.0 && state.FirstFixLongitude == -72.1);

    // Across the border into zone 19: still zone 18's plane, east of its edge.
    ProjectGeodeticFix(state, 45.0, -71.9, northing, easting);
    EXPECT_TRUE(state.UtmZone == 18 && state.FirstFixLongitude == -72.1);
    int zone = 0;
    double edgeNorthing = 0, edgeEasting = 0;
    GeodeticToUtm(45.0, -72.0 - 1e-9, zone, edgeNorthing, edgeEasting, 0);
    ASSERT_EQ(zone, 18);
    EXPECT_GT(easting, edgeEasting);
}

TEST(Units, DisplayUnitConversions) {
    EXPECT_NEAR(MetresToDisplayUnits(1000.0, 2), 3280.8333, 0.00005);
    EXPECT_NEAR(MetresToDisplayUnits(1000.0, 1), 3280.8399, 0.00005);
    EXPECT_EQ(MetresToDisplayUnits(1000.0, 7), 1000.0);  // out of range: metres

    // Total-station data: only a unit that differs from the display is scaled.
    EXPECT_DOUBLE_EQ(TotalStationToDisplayUnits(100.0, 'F', 0), 30.48);
    EXPECT_DOUBLE_EQ(TotalStationToDisplayUnits(100.0, 'M', 0), 100.0);
    EXPECT_DOUBLE_EQ(TotalStationToDisplayUnits(100.0, 'M', 1), 328.084);
    EXPECT_DOUBLE_EQ(TotalStationToDisplayUnits(100.0, 'M', 2), 328.084);
    EXPECT_DOUBLE_EQ(TotalStationToDisplayUnits(100.0, 'F', 2), 100.0);
}

TEST(DisplayTexts, GeodeticDegreesMinutesSeconds) {
    const struct {
        char hemisphere;
        const char* field;
        const char* text;
    } cases[] = {
        {'N', "4336.5940", "N43\xB0" "36'35.6400\""},
        {'W', "07936.6403", "W079\xB0" "36'38.4180\""},
        {'S', "4300.1000", "S43\xB0" "00'6.0000 \""},  // "%-07.4f" pads on the right
        {'N', "4336", "N43\xB0" "36'0.0000 \""},       // no fraction
        {'N', "5.25", "N\xB0" "5'15.0000\""},          // too short for degrees
        {'E', "", "E\xB0" "'0.0000 \""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::Printable(GeodeticText(DecodeGeodeticDisplay(c.hemisphere, c.field))),
                  test::Printable(c.text))
            << c.field;
}

TEST(DisplayTexts, PositionFieldsByCoordinateDisplay) {
    GeodeticDisplayParts latitude = DecodeGeodeticDisplay('N', "5130.0000");
    GeodeticDisplayParts longitude = DecodeGeodeticDisplay('W', "00007.2000");
    const struct {
        int32_t display;
        const char *first, *second, *zone;
    } geodetic[] = {
        {0, "N51\xB0" "30'0.0000 \"", "W000\xB0" "07'12.0000\"", nullptr},
        {1, "  5709362.29 m", "   699889.81 m", "30"},
        {2, " 18731503.59 ft", "  2296226.40 ft", "30"},
        {3, " 18731466.12 USft", "  2296221.81 USft", "30"},
    };
    for (const auto& c : geodetic) {
        PositionTexts texts = GeodeticPositionTexts(c.display, latitude, longitude, 5709362.293, 699889.807, 30);
        EXPECT_EQ(test::Printable(texts.First), test::Printable(c.first)) << c.display;
        EXPECT_EQ(texts.Second, c.second) << c.display;
        EXPECT_EQ(texts.ZoneChanged, c.zone != nullptr) << c.display;
        if (c.zone) {
            EXPECT_EQ(texts.Zone, c.zone);
        }
    }
    EXPECT_EQ(GeodeticPositionTexts(1, latitude, longitude, 0, 0, 5).Zone, "5 ");

    // Grid data in feet: 1000000 ft is 304800 m, whatever is shown.
    const struct {
        int32_t display;
        const char *first, *second;
    } grid[] = {
        {0, "N/A  for  selected", "NMEA  Data "},
        {1, "   304800.00 m", "   609600.00 m"},
        {2, "  1000000.00 ft", "  2000000.00 ft"},
        {3, "   999998.00 USft", "  1999996.00 USft"},
    };
    for (const auto& c : grid) {
        PositionTexts texts = GridPositionTexts(c.display, 1, 1000000.0, 2000000.0);
        EXPECT_EQ(texts.First, c.first) << c.display;
        EXPECT_EQ(texts.Second, c.second) << c.display;
        EXPECT_TRUE(texts.ZoneChanged);
        EXPECT_EQ(texts.Zone, "na");
    }
}

TEST(DisplayTexts, SpeedFactorsAndFormats) {
    // 2 display units per second, in every speed unit, with metres and with
    // either kind of feet on the display.
    const struct {
        int32_t speedUnits;
        const char *metres, *feet;
    } cases[] = {
        {0, " 2.00 m/s", " 0.61 m/s"},
        {1, " 6.56 ft/s", " 2.00 ft/s"},
        {2, " 7.20 km/h", " 2.19 km/h"},
        {3, " 4.47 mph", " 1.36 mph"},
        {9, " 2.00 m/s", " 0.61 m/s"},  // out of range: m/s
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedText(2.0, c.speedUnits, 0), c.metres) << c.speedUnits;
        EXPECT_EQ(SpeedText(2.0, c.speedUnits, 1), c.feet) << c.speedUnits;
        EXPECT_EQ(SpeedText(2.0, c.speedUnits, 2), c.feet) << c.speedUnits;
    }
    EXPECT_EQ(SpeedText(123.456, 0, 0), "123.46 m/s");  // width 5 is a minimum
}

// Agreement with PROJ's cs2cs (tests/tools/utm_reference.sh writes the table): 1 mm inside a zone; beyond it
// the terms the series leaves out grow about with the seventh power of the longitude difference, and so does
// the allowance.
TEST(GeodeticToUtm, AgreesWithCs2cs) {
    std::istringstream table(test::ReadFileBytes(test::TestDataPath("data/utm/reference.txt")));
    std::string line;
    int inside = 0, beyond = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        double latitude, longitude, northing, easting;
        int zone;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %d %lf %lf", &latitude, &longitude, &zone, &northing, &easting),
                  5)
            << line;
        int z = zone;
        double ourNorthing = 0, ourEasting = 0;
        GeodeticToUtm(latitude, longitude, z, ourNorthing, ourEasting, 1);
        const double offset = std::fabs(longitude - (6.0 * zone - 183.0));
        const double error = std::max(std::fabs(ourNorthing - northing), std::fabs(ourEasting - easting));
        const bool inZone = offset <= 3.0 + 1e-9;
        const double tolerance = inZone ? 0.001 : 0.001 * std::pow(offset / 3.0, 7);
        EXPECT_LE(error, tolerance) << line << ": ours " << ourNorthing << " " << ourEasting;
        (inZone ? inside : beyond)++;
    }
    EXPECT_GE(inside, 400);  // the whole table was read
    EXPECT_GE(beyond, 100);
}

}  // namespace
}  // namespace tesselog
