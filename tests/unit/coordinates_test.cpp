#include "core/gps/coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "support/test_support.h"

namespace tesselog {
namespace {

// The zone is floored and held to 1..60; the equator (and -0) counts as
// north, any latitude below it gets the false northing.
TEST(GeodeticToUtm, ZoneAndHemisphereBoundaries) {
    int zone = 0;
    double northing = 0, easting = 0;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> zones[] = {{-0.5, 30},  {0.0, 31},    {-6.0, 30},   {5.999, 31}, {6.0, 32},
                                            {179.9, 60}, {180.0, 60},  {-180.0, 1},  {-200.0, 1}, {400.0, 60},
                                            {nan, 1},    {inf, 60},    {-inf, 1}};
    for (const auto& [longitude, expected] : zones) {
        zone = -9;
        GeodeticToUtm(10.0, longitude, zone, northing, easting, 0);
        EXPECT_EQ(zone, expected) << "longitude " << longitude;
    }
    for (const auto& [latitude, expected] : {std::pair{0.0, 0.0}, {-0.0, 0.0}, {-1e-9, 10000000.0}}) {
        GeodeticToUtm(latitude, 10.0, zone, northing, easting, 0);
        EXPECT_NEAR(northing, expected, 0.001) << latitude;
    }
}

// A survey kept in zone 60 that crosses the date line: a fix at -179.9 lies
// 3.1 degrees east of the central meridian 177, the mirror of one at 173.9.
TEST(GeodeticToUtm, KeptZoneAcrossTheDateLine) {
    int zone = 60;
    double northing = 0, easting = 0, mirrorNorthing = 0, mirrorEasting = 0;
    GeodeticToUtm(-17.0, -179.9, zone, northing, easting, 1);
    GeodeticToUtm(-17.0, 173.9, zone, mirrorNorthing, mirrorEasting, 1);
    EXPECT_EQ(zone, 60);
    EXPECT_NEAR(easting, 1000000.0 - mirrorEasting, 0.001);
    EXPECT_NEAR(northing, mirrorNorthing, 0.001);
}

TEST(DisplayTexts, GeodeticDegreesMinutesSeconds) {
    const struct {
        char hemisphere;
        const char* field;
        const char* text;
    } cases[] = {
        {'S', "4300.1000", "S43\xB0" "00'06.0000\""},  // 0.1 minute is 6 seconds, two digits like 35.6400
        {'N', "4336", "N43\xB0" "36'00.0000\""},       // no fraction
        {'N', "5.25", "N\xB0" "5'15.0000\""},          // too short for degrees
        {'E', "", "E\xB0" "'00.0000\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::Printable(GeodeticText(DecodeGeodeticDisplay(c.hemisphere, c.field))),
                  test::Printable(c.text))
            << c.field;
}

// The geodetic position texts are pinned through the position handler; the
// zone of one digit and grid data in feet are not.
TEST(DisplayTexts, ZoneAndGridPositionTexts) {
    EXPECT_EQ(GeodeticPositionTexts(1, {}, {}, 0, 0, 5).Zone, "5 ");

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
        {2, " 7.20 km/h", " 2.19 km/h"},  // 2 ft/s is 2.1946 km/h
        {3, " 4.47 mph", " 1.36 mph"},    // 4.4738 and 1.3636
        {9, " 2.00 m/s", " 0.61 m/s"},  // out of range: m/s
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedText(2.0, c.speedUnits, 0), c.metres) << c.speedUnits;
        EXPECT_EQ(SpeedText(2.0, c.speedUnits, 1), c.feet) << c.speedUnits;
        EXPECT_EQ(SpeedText(2.0, c.speedUnits, 2), c.feet) << c.speedUnits;
    }
    EXPECT_EQ(SpeedText(123.456, 0, 0), "123.46 m/s");  // width 5 is a minimum
}

// Agreement with PROJ's cs2cs (scripts/make-utm-reference.sh writes the table): 1 mm inside a zone; beyond it
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
