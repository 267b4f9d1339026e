#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/platform/battery.h"
#include "core/platform/clock.h"
#include "core/platform/disk_space.h"
#include "core/qc/field_qc.h"

using namespace tesselog;

namespace {

std::vector<std::string> StatusTexts(const FieldWarnings& warnings) {
    std::vector<std::string> texts;
    for (const ActiveWarning& w : warnings.ActiveTexts()) texts.push_back(*w.Text);
    return texts;
}

// The defaults: three two-sensor consoles, 1 m separations, metres.
struct Session {
    Settings settings;
    QcSettings qc;
    FieldWarnings warnings;
    FieldQc field{warnings};
    ManualClock clock;
    FixedDiskSpace disk{2000 * Megabyte};
    Session() { field.Open(settings, qc); }

    // Console k sends `sentence` every 100 ms for `seconds`.
    void Send(int k, const char* sentence, double seconds) {
        for (int i = 0; i < static_cast<int>(seconds * 10); ++i) {
            clock.CurrentTick += 100;
            const double value = 60.0 + clock.CurrentTick / 100 % 3;  // alive: never frozen, never noisy
            field.Reading(k, clock.CurrentTick, value, value + 1.0, sentence, std::strlen(sentence));
        }
    }
};

}  // namespace

TEST(FieldWarnings, OnsetsClearsOrderAndRows) {
    FieldWarnings w;
    w.Raise(WarningKind::SensorNoisy, 4, "Sensor 5 noisy");
    w.Raise(WarningKind::SensorFrozen, 5, "Sensor 6 frozen");
    w.Raise(WarningKind::SensorNoisy, 5, "Sensor 6 noisy");
    w.Raise(WarningKind::Battery, -1, "Battery 18% - data saved, plug in the charger");
    w.Raise(WarningKind::Battery, -1, "Battery 17% - data saved, plug in the charger");  // a new text only
    EXPECT_TRUE(w.TakeSoundDue());
    EXPECT_FALSE(w.TakeSoundDue());
    EXPECT_EQ(StatusTexts(w), (std::vector<std::string>{"Battery 17% - data saved, plug in the charger",
                                                        "Sensor 6 frozen", "Sensor 5 noisy", "Sensor 6 noisy"}));
    EXPECT_EQ(w.ConsoleRowReason(4, 2), "L noisy, R frozen");
    EXPECT_EQ(w.ConsoleRowReason(0, 2), "");
    EXPECT_EQ(w.ConsoleRowReason(5, 1), "frozen");

    w.Raise(WarningKind::Battery, -1, "Battery 9% - data saved, change the battery now", true);  // a further stage
    w.Clear(WarningKind::SensorFrozen, 5);
    w.Clear(WarningKind::SensorFrozen, 5);  // already clear: nothing
    std::vector<WarningEvent> events = w.TakeEvents();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[3].Text, "Battery 18% - data saved, plug in the charger");
    EXPECT_TRUE(events[4].Onset);
    EXPECT_EQ(events[4].Kind, WarningKind::Battery);
    EXPECT_FALSE(events[5].Onset);
    EXPECT_EQ(events[5].Sensor, 5);
    EXPECT_TRUE(w.TakeEvents().empty());
}

TEST(FieldQc, SensorWarningsFromTheSentencesAndTheirSwitch) {
    Session s;
    // Console 2's second field empty: sensor 4 (the fourth across the array).
    s.Send(1, "$PBAR,0060,", 2.1);
    EXPECT_EQ(StatusTexts(s.warnings), std::vector<std::string>{"Sensor 4 value missing"});
    EXPECT_EQ(s.warnings.ConsoleRowReason(2, 2), "R no value");
    // A second of good fields is not enough while over a twentieth of the
    // last 5 s were bad: 21 of the 32 readings after a second, none after 5 s.
    s.Send(1, "$PBAR,0060,0061", 1.1);
    EXPECT_EQ(StatusTexts(s.warnings), std::vector<std::string>{"Sensor 4 value missing"});
    s.Send(1, "$PBAR,0060,0061", 4.0);
    EXPECT_TRUE(StatusTexts(s.warnings).empty());

    s.Send(2, "$PBAR,0060,ERR", 2.1);
    EXPECT_EQ(StatusTexts(s.warnings), std::vector<std::string>{"Sensor 6 value garbled"});
    EXPECT_TRUE(s.field.TakeSound());
    EXPECT_FALSE(s.field.TakeSound());  // once
    s.qc.FieldOn = 0;  // switched off in the dialog: cleared at once
    s.field.Apply(s.settings, s.qc);
    EXPECT_TRUE(StatusTexts(s.warnings).empty());
    s.qc.FieldOn = 1;  // on again, the sound off
    s.qc.SoundOn = 0;
    s.field.Apply(s.settings, s.qc);
    s.Send(1, "$PBAR,0060,", 2.1);
    EXPECT_EQ(StatusTexts(s.warnings), std::vector<std::string>{"Sensor 4 value missing"});
    EXPECT_FALSE(s.field.TakeSound());
}

// Positions, the clock, the speed and the gaps reach the status through the
// same rules in the simulator's field check.
TEST(FieldQc, DiskAndBatteryWatch) {
    Session s;
    // 40 MB free, a battery at 21% losing 1% a minute: the disk at once, the
    // battery's 20% a minute later, with a flush.
    FixedDiskSpace full(40 * Megabyte);
    DrainingBattery battery(s.clock, 21, 1.0);
    EXPECT_FALSE(s.field.Watch(s.clock.CurrentTick, true, full, "D:\\DATA\\240615_001.MGR", 0, battery));
    EXPECT_EQ(s.warnings.Text(WarningKind::DiskSpace), "Disk: 40 MB free");
    s.clock.CurrentTick += 60000;
    EXPECT_TRUE(s.field.Watch(s.clock.CurrentTick, true, full, "D:\\DATA\\240615_001.MGR", 0, battery));
    EXPECT_EQ(s.warnings.Text(WarningKind::Battery), "Battery 20% - data saved, plug in the charger");
    battery.OnBattery = false;
    s.field.Watch(s.clock.CurrentTick, false, full, "", 0, battery);  // on mains, and the file closed
    EXPECT_FALSE(s.warnings.Active(WarningKind::Battery));
    EXPECT_FALSE(s.warnings.Active(WarningKind::DiskSpace));
}
