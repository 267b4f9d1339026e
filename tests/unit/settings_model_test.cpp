#include <gtest/gtest.h>
#include "core/settings/settings.h"
using tesselog::Settings;
TEST(SettingsModel, DefaultsGiveSixSensors) {
    Settings s;
    EXPECT_EQ(s.SensorTotal(), 6);
}
