#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "core/settings/settings.h"

using namespace tesselog;

TEST(SettingsModel, ArrayGeometry) {
    struct Case {
        const char* name;
        int32_t consoles;
        int32_t types[3];
        double unit, console, offsetX;
        int32_t displayUnits;
        int32_t sensors, twoSensor;
        double width, minSep, nearEdge, farEdge;
    };
    const double ft = 0.3048, usft = 1200.0 / 3937.0;
    const Case cases[] = {
        {"types 1,1,0", 3, {1, 1, 0}, 1.0, 0.5, 0.0, 0, 5, 2, 3.0, 0.5, 0.25, 3.25},
        {"one console adds 0.25", 1, {1, 1, 1}, 1.0, 1.0, 2.5, 0, 2, 1, 1.0, 1.0, 2.75, -1.25},
        {"feet", 3, {1, 1, 1}, 1.0, 1.0, 2.5, 1, 6, 3, 5.0 / ft, 1.0 / ft, 3.0 / ft, 3.0 / ft},
        {"US survey feet", 1, {0, 1, 1}, 1.0, 1.0, 1.0, 2, 1, 0, 0.0, 1.0 / usft, 1.25 / usft, -0.75 / usft},
        {"unused types ignored", 2, {0, 0, 1}, 1.0, 2.0, 0.0, 0, 2, 0, 2.0, 1.0, 0.5, 2.5},
    };
    for (const Case& c : cases) {
        Settings s;
        s.ConsoleCount = c.consoles;
        for (int i = 0; i < 3; ++i) s.ConsoleType[i] = c.types[i];
        s.UnitSensorSeparation = c.unit;
        s.ConsoleSeparation = c.console;
        s.GpsOffsetX = c.offsetX;
        s.DisplayUnits = c.displayUnits;
        s.RecomputeSensorCounts();
        s.RecomputeArrayGeometry();
        EXPECT_EQ(s.SensorTotal(), c.sensors) << c.name;
        EXPECT_EQ(s.TwoSensorConsoleCount, c.twoSensor) << c.name;
        EXPECT_NEAR(s.ArrayWidth, c.width, 1e-12) << c.name;
        EXPECT_NEAR(s.MinSeparation, c.minSep, 1e-12) << c.name;
        EXPECT_NEAR(s.SwathEdgeNear, c.nearEdge, 1e-12) << c.name;
        EXPECT_NEAR(s.SwathEdgeFar, c.farEdge, 1e-12) << c.name;
    }
    EXPECT_EQ(Settings().SensorTotal(), 6);  // the constructor derives too
}

TEST(SettingsModel, PixelSizes) {
    Settings s;
    s.CursorSize = 0;  // size 5 is a case of its own, checked with the map options
    s.RecomputeCursorPixels();
    EXPECT_EQ(s.CursorOuterPixels, 7);
    EXPECT_EQ(s.CursorInnerPixels, 3);
    s.MapSizePixels = 401;
    for (auto [band, pixels] : {std::pair{0, 40}, {1, 60}, {6, 160}}) {
        s.CursorBand = band;
        s.RecomputeCursorBandPixels();
        EXPECT_EQ(s.CursorBandPixels, pixels) << band;  // truncated, not rounded
    }
    s.ProfilePaneHeight = 250;
    s.ReadingsScaleMin = -100.0;
    s.ReadingsScaleMax = 400.0;
    s.RecomputePixelsPerUnit();
    EXPECT_DOUBLE_EQ(s.ReadingsPixelsPerUnit, 0.5);
    s.ReadingsScaleMax = s.ReadingsScaleMin;  // empty scale: no division by zero
    s.RecomputePixelsPerUnit();
    EXPECT_EQ(s.ReadingsPixelsPerUnit, 0.0);
}

TEST(SettingsModel, LeadingPointAndMapSizeLimits) {
    Settings s;
    s.ConsoleType[2] = 0;  // 5 sensors
    s.LeadingPoint = 5;
    s.ForceLeadingPointInRange();
    EXPECT_EQ(s.LeadingPoint, 5);
    s.ConsoleType[1] = 0;  // 4 sensors
    s.ForceLeadingPointInRange();
    EXPECT_EQ(s.LeadingPoint, 0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (auto [typed, stored] : {std::pair{0.0, 1}, {-5.0, 1}, {120.9, 120}, {nan, 1}, {1e12, INT32_MAX}})
        EXPECT_EQ(Settings::MapSizeFromEntry(typed), stored) << typed;
}

TEST(SettingsModel, TextToNumbers) {
    for (auto [text, value] : std::initializer_list<std::pair<const char*, int32_t>>{
             {"42", 42}, {"  -7\r", -7}, {"+3x", 3}, {"12.9", 12}, {"x1", 0}, {"", 0}, {"-", 0},
             {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}, {"2147483648", INT32_MAX}})
        EXPECT_EQ(TextToInt32(text), value) << text;
    for (auto [text, value] : std::initializer_list<std::pair<const char*, double>>{
             {"500.000000", 500.0}, {" -60.5", -60.5}, {".5", 0.5}, {"5.", 5.0}, {"1e3", 1000.0}, {"1e", 1.0},
             {"inf", 0.0}, {"nan", 0.0}, {"0x10", 0.0}, {"1e999", 0.0}, {"abc", 0.0}, {".", 0.0}})
        EXPECT_EQ(TextToDouble(text), value) << text;
}

TEST(SettingsModel, ValuesOutsideTheirListsGetTheirDefaults) {
#define FIELD(f) [](Settings& s) -> int32_t& { return s.f; }
    const struct {
        std::function<int32_t&(Settings&)> field;
        int32_t bad, restored;
    } cases[] = {
        {FIELD(ConsoleCount), 10, 3},      {FIELD(ConsoleCount), 0, 0},  // 0 is GPS-only logging
        {FIELD(ConsoleType[8]), 2, 1},     {FIELD(ConsolePort[4]), 48, 4},
        {FIELD(NmeaMode), -1, 0},          {FIELD(GpsInput), 6, 6},
        {FIELD(GpsMaskSatellites), 0, 5},  {FIELD(ProfileThickness[1]), 0, 3},
        {FIELD(CursorColor), 0x1000000, 0}, {FIELD(MapSize), -3, 1},
        {FIELD(LeadingPoint), 7, 0},
    };
#undef FIELD
    for (const auto& c : cases) {
        Settings s;
        c.field(s) = c.bad;
        s.ResetValuesOutOfRange();
        EXPECT_EQ(c.field(s), c.restored) << "case " << &c - cases;
    }
    Settings s;
    s.GridLinesInterval = 0.0;
    s.StartLineText = "123456789012";
    s.ResetValuesOutOfRange();
    EXPECT_EQ(s.GridLinesInterval, 0.5);
    EXPECT_EQ(s.StartLineText, "12345678901");
}
