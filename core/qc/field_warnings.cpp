#include "core/qc/field_warnings.h"

namespace tesselog {
namespace {

const std::string Empty;
// Events nobody took: the oldest go first.
constexpr size_t MaxQueuedEvents = 256;

constexpr WarningKind SensorKinds[4] = {WarningKind::SensorField, WarningKind::SensorSaturated,
                                        WarningKind::SensorFrozen, WarningKind::SensorNoisy};

int SensorRow(WarningKind kind) { return static_cast<int>(kind) - static_cast<int>(WarningKind::SensorField); }

}  // namespace

bool IsSensorWarning(WarningKind kind) { return SensorRow(kind) >= 0 && SensorRow(kind) < 4; }

const char* SensorReasonWord(WarningKind kind) {
    switch (kind) {
    case WarningKind::SensorField: return "no value";
    case WarningKind::SensorSaturated: return "saturated";
    case WarningKind::SensorFrozen: return "frozen";
    case WarningKind::SensorNoisy: return "noisy";
    default: return "";
    }
}

FieldWarnings::Slot& FieldWarnings::SlotOf(WarningKind kind, int sensor) {
    if (IsSensorWarning(kind)) return sensors_[SensorRow(kind)][sensor];
    return others_[static_cast<int>(kind)];
}

const FieldWarnings::Slot* FieldWarnings::Find(WarningKind kind, int sensor) const {
    if (static_cast<int>(kind) >= WarningKindCount) return nullptr;
    if (!IsSensorWarning(kind)) return &others_[static_cast<int>(kind)];
    if (sensor < 0 || sensor >= MaxSensors) return nullptr;
    return &sensors_[SensorRow(kind)][sensor];
}

void FieldWarnings::Raise(WarningKind kind, int sensor, const std::string& text, bool again) {
    if (Find(kind, sensor) == nullptr) return;
    if (!IsSensorWarning(kind)) sensor = -1;
    Slot& slot = SlotOf(kind, sensor);
    const bool onset = !slot.Active || again;
    slot.Active = true;
    slot.Text = text;
    if (!onset) return;
    if (events_.size() >= MaxQueuedEvents) events_.erase(events_.begin());
    events_.push_back({kind, sensor, true, text});
    soundDue_ = true;
}

void FieldWarnings::Clear(WarningKind kind, int sensor) {
    if (Find(kind, sensor) == nullptr) return;
    if (!IsSensorWarning(kind)) sensor = -1;
    Slot& slot = SlotOf(kind, sensor);
    if (!slot.Active) return;
    slot.Active = false;
    if (events_.size() >= MaxQueuedEvents) events_.erase(events_.begin());
    events_.push_back({kind, sensor, false, slot.Text});
}

bool FieldWarnings::Active(WarningKind kind, int sensor) const {
    const Slot* slot = Find(kind, sensor);
    return slot != nullptr && slot->Active;
}

const std::string& FieldWarnings::Text(WarningKind kind, int sensor) const {
    const Slot* slot = Find(kind, sensor);
    return slot != nullptr && slot->Active ? slot->Text : Empty;
}

std::vector<ActiveWarning> FieldWarnings::ActiveTexts() const {
    std::vector<ActiveWarning> list;
    for (int k = 0; k < WarningKindCount; ++k) {
        const WarningKind kind = static_cast<WarningKind>(k);
        if (!IsSensorWarning(kind)) {
            if (others_[k].Active) list.push_back({kind, -1, &others_[k].Text});
            continue;
        }
        for (int s = 0; s < MaxSensors; ++s) {
            const Slot& slot = sensors_[SensorRow(kind)][s];
            if (slot.Active) list.push_back({kind, s, &slot.Text});
        }
    }
    return list;
}

std::string FieldWarnings::ConsoleRowReason(int firstSensor, int sensorCount) const {
    std::string reason;
    for (int i = 0; i < sensorCount && i < 2; ++i) {
        for (WarningKind kind : SensorKinds) {
            if (!Active(kind, firstSensor + i)) continue;
            if (!reason.empty()) reason += ", ";
            if (sensorCount == 2) reason += i == 0 ? "L " : "R ";
            reason += SensorReasonWord(kind);
            break;  // the most important reason of this sensor
        }
    }
    return reason;
}

std::vector<WarningEvent> FieldWarnings::TakeEvents() {
    std::vector<WarningEvent> events;
    events.swap(events_);
    return events;
}

bool FieldWarnings::TakeSoundDue() {
    const bool due = soundDue_;
    soundDue_ = false;
    return due;
}

}  // namespace tesselog
