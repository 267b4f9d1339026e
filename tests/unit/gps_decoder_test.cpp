#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/gps/gps_decoder.h"

namespace tesselog {
namespace {

const double Lat43 = 43 + 36.594 / 60;
const double Lon79 = 79 + 36.6403 / 60;

// One sentence per mode, in table order. What each mode reads from its
// sentences is pinned by the handler replays of a simulator capture per mode.
const std::string Samples[NmeaModeCount] = {
    "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70",
    "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70",
    "$PASHR,POS,1,09,173524.50,4336.5940,S,07936.6403,E,142.5,,0.0,0.0,0.0,1.8,1.0,1.5,0.9*06",
    "$GPLLK,173524.00,080407,512345.678,M,4823456.789,M,3,07,1.4,142.5,M*1C",
    "$GPLLQ,173524.00,080407,512345.678,M,4823456.789,M,0,07,0.012,142.5,M*03",
    "$GPGLL,4336.5940,N,07936.6403,W,173524.00,A*10",
    "$PTNL,GGK,173524.00,080407,4336.5940,N,07936.6403,W,3,10,1.2,EHT142.5,M*60",
    "$GPGGA,173524,1000.25,N,2000.5,E,1,00,,,M",
    "$GPGLL,4336.5940,S,07936.6403,E,173524.00",
};

TEST(GpsFields, GetFieldNumbering) {
    const struct {
        std::string text;
        int n, present;
        std::string field;
    } cases[] = {
        {"$GPGGA,173524,,N*70", 1, 1, "$GPGGA"}, {"$GPGGA,173524,,N*70", 3, 1, ""},
        {"$GPGGA,173524,,N*70", 4, 1, "N*70"},   {"$GPGGA,173524,,N*70", 5, 0, "?"},
        {"$GPGGA,173524,,N*70", 0, 0, "?"},      {"$GPGGA", 1, 1, "$GPGGA"},
        {"$GPGGA", 2, 0, "?"},                   {"", 1, 1, ""},
        {",", 2, 1, ""},                         {",", 3, 0, "?"},
    };
    for (const auto& c : cases) {
        std::string_view out = "?";
        char buffer[5] = "????";
        EXPECT_EQ(GetField(c.text, c.n, ',', out), c.present) << c.text << " " << c.n;
        EXPECT_EQ(GetField(c.text, c.n, ',', buffer, sizeof buffer), c.present);
        EXPECT_EQ(std::string(out), c.field) << c.text << " " << c.n;
        EXPECT_EQ(std::string(buffer), c.present ? c.field.substr(0, 4) : "????") << c.text << " " << c.n;
    }
}

TEST(GpsDecoder, LatitudeLongitudeAndTimeTexts) {
    const struct {
        std::string field;
        double degrees;
    } cases[] = {
        // Whole fields are pinned by the capture replays.
        {"6.5", 6.5 / 60}, {"4336", 43.6}, {"", 0}, {"ab12.x", 0.2},
        {"1e99912.5", 12.5 / 60},  // an infinite degree text reads as 0
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(GpsDegreesOf(c.field), c.degrees) << c.field;

    GpsFix f = DecodeGpsFix("$GPGGA,1,4336.5940,S,07936.6403,W,1,05,1.0", ApplyNmeaMode(1), 0, {});
    EXPECT_DOUBLE_EQ(f.Latitude, -Lat43);
    EXPECT_DOUBLE_EQ(f.Longitude, -Lon79);
    EXPECT_EQ(f.LatitudeDisplay.Prefix, "S43\xB0" "36'");
    EXPECT_EQ(f.LongitudeDisplay.Prefix, "W079\xB0" "36'");
    EXPECT_NEAR(f.LongitudeDisplay.Seconds, 38.418, 1e-9);

    EXPECT_DOUBLE_EQ(GpsTimeOfDay("1"), 3600);
    EXPECT_DOUBLE_EQ(GpsTimeOfDay("ab1234"), 754);
    EXPECT_FALSE(DecodeGpsFix("$GPGGA", ApplyNmeaMode(1), 0, {}).TimePresent);
    EXPECT_EQ(ApplyNmeaMode(9).NmeaMode, 0);  // a setting out of range reads as the default
}

TEST(GpsDecoder, ValidityRulesAndOddFields) {
    const struct {
        int32_t mode;
        std::string sentence;
        int32_t valid;
    } cases[] = {
        {1, "$GPGGA,1,4336.5,N,07936.6,W,0,11,2.0", 0},   // quality 0 in GGA
        {0, "$GPGGA,1,4336.5,N,07936.6,W,0,11,2.0", 0},
        {1, "$GPGGA,1,4336.5,N,07936.6,W,1,1,2.0", 0},    // one satellite
        {1, "$GPGGA,1,4336.5,N,07936.6,W,1,02,2.0", 1},
        {1, "$GPGGA,1,4336.5,n,07936.6,W,1,11,2.0", 0},   // hemisphere letters are upper case
        {1, "$GPGGA,1,4336.5,N,07936.6,X,1,11,2.0", 0},
        {1, "$GPGGA,1,4336.5,NORTH,07936.6,WEST,1,11", 1},  // the first character counts
        {1, "$GPGGA,1,xx,N,yy,W,1,11,2.0", 1},            // not a number: 0 degrees
        {1, "$GPGGA,1,4336.5,N,07936.6,W,x,ab,2.0", 0},   // not numbers: quality and satellites 0
        {2, "$PASHR,POS,0,05,1,4336.5,N,07936.6,W", 1},   // POS quality 0 + 1
        {3, "$GPLLK,1,2,512345.6,M,4823456.7,M,0,01,0.01", 0},
        {4, "$GPLLQ,1,2,512345.6,M,4823456.7,M,0,07,0.01", 1},   // LLQ: quality 0 stays valid
        {5, "$GPGLL,,,,,173524.00,V", 0},                 // GLL without a fix
        {7, "$GPGGA,1,100.0,N,200.0,E,0,00", 1},          // no quality or satellite rule in mode 7
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeGpsFix(c.sentence, ApplyNmeaMode(c.mode), 0, {}).Valid, c.valid) << c.sentence;

    // Numbers too large: saturated integers, non-finite reals read as 0.
    GpsFix f = DecodeGpsFix("$GPGGA,1,4336.5,N,07936.6,W,1,99999999999999,1e999", ApplyNmeaMode(1), 0, {});
    EXPECT_EQ(f.Satellites, 999999999);
    EXPECT_EQ(f.Dilution, 0.0);

    double pdop = 9.0;
    EXPECT_TRUE(DecodeGsaDilution("$GPGSA,A,3,02,05,11,12,18,20,25,29,,,,,1.4,1.1,0.9*3D", pdop));
    EXPECT_DOUBLE_EQ(pdop, 1.4);
    EXPECT_FALSE(DecodeGsaDilution("$GPGSA,A,1,,,", pdop));
    EXPECT_DOUBLE_EQ(pdop, 1.4);
}

TEST(GpsDecoder, GridUnits) {
    const struct {
        int32_t mode;
        std::string unit;  // mode 7: field 11
        int32_t displayUnits;
        double factor;
    } cases[] = {
        {7, "F", 0, 0.3048},     {7, "M", 0, 1.0},        {7, "", 0, 1.0},  {7, "F", 1, 1.0},
        {7, "M", 1, 3.28084},    {7, "f", 2, 3.28084},    {7, "F", 2, 1.0}, {3, "", 0, 1.0},
        {3, "", 1, 1 / 0.3048},  {4, "", 2, 1 / 0.304800609601219},        {3, "", 7, 1.0},  // out of range: metres
    };
    for (const auto& c : cases) {
        const std::string sentence = c.mode == 7 ? "$GPGGA,1,1000.0,N,2000.0,E,1,5,1.0,10.0," + c.unit + ",0,M*00"
                                                 : "$GPLLQ,1,2,2000.0,M,1000.0,M,1,05,0.1";
        const GpsFix f = DecodeGpsFix(sentence, ApplyNmeaMode(c.mode), c.displayUnits, {});
        EXPECT_NEAR(f.Northing, 1000.0 * c.factor, 1e-9) << c.mode << c.unit << c.displayUnits;
        EXPECT_NEAR(f.Easting, 2000.0 * c.factor, 1e-9) << c.mode << c.unit << c.displayUnits;
    }
    // A grid value that the display unit takes past the largest number: no
    // position, rather than an infinite one (found by fuzzing).
    for (int32_t displayUnits : {0, 1, 2}) {
        const GpsFix f = DecodeGpsFix("$GPGGA,1,1000.0,N,1e308,E,1,5,1.0,10.0,M,0,M*00", ApplyNmeaMode(7),
                                      displayUnits, {});
        EXPECT_EQ(f.Valid, displayUnits == 0 ? 1 : 0) << displayUnits;
        EXPECT_TRUE(std::isfinite(f.Easting)) << displayUnits;
    }
}

// Every slot of every mode with its field emptied, and with the sentence cut
// just before it: the fix is invalid exactly where the rules say, and a
// dilution is replaced by an empty field but kept when the field is missing.
TEST(GpsDecoder, EmptyAndMissingFieldsInEverySlot) {
    for (int32_t mode = 0; mode < NmeaModeCount; ++mode) {
        const NmeaModeTable table = ApplyNmeaMode(mode);
        const std::string& sample = Samples[mode];
        for (int i = 0; i < table.GpsFieldCount; ++i) {
            const int32_t slot = table.GpsFieldSlot[i];
            std::string_view field;
            ASSERT_TRUE(GetField(sample, table.GpsFieldNumber[i], ',', field));
            const size_t at = static_cast<size_t>(field.data() - sample.data());
            const std::string emptied = sample.substr(0, at) + sample.substr(at + field.size());
            const std::string cut = sample.substr(0, at - 1);
            const bool emptyInvalidates = slot == GpsSlotSatellites || slot == GpsSlotLatitudeHemisphere ||
                                          slot == GpsSlotLongitudeHemisphere || (slot == GpsSlotQuality && mode <= 1);
            const bool dilution = slot == GpsSlotDilution || slot == GpsSlotDilution2 || slot == GpsSlotDilution3;
            GpsFix previous;
            previous.Dilution = 5.0;
            SCOPED_TRACE(::testing::Message() << "mode " << mode << " slot " << slot);
            const GpsFix e = DecodeGpsFix(emptied, table, 0, previous);
            const GpsFix m = DecodeGpsFix(cut, table, 0, previous);
            EXPECT_EQ(e.Valid, emptyInvalidates ? 0 : 1);
            if (dilution) {
                EXPECT_EQ(e.Dilution, 0.0);
                EXPECT_EQ(m.Dilution, 5.0);
            } else {
                EXPECT_EQ(m.Valid, 0);
            }
        }
    }
}

}  // namespace
}  // namespace tesselog
