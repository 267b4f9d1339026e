#include "core/qc/qc_dialog.h"

namespace tesselog {

DialogForm FieldWarningsForm(const QcSettings& settings) {
    DialogForm form;
    for (size_t i = 0; i < QcFieldCount; ++i) {
        const QcField& field = QcFields[i];
        if (field.Kind == QcValueKind::Switch) {
            form.Checks.push_back({field.ControlId, settings.*field.Integer == 1});
        } else {
            form.Edits.push_back({field.ControlId, QcValueText(settings, field), 16});
        }
    }
    return form;
}

bool StoreFieldWarnings(const DialogForm& form, QcSettings& settings) {
    QcSettings stored = settings;
    for (size_t i = 0; i < QcFieldCount; ++i) {
        const QcField& field = QcFields[i];
        if (field.Kind == QcValueKind::Switch) {
            stored.*field.Integer = form.Check(field.ControlId).Checked ? 1 : 0;
        } else {
            QcTakeValue(stored, field, form.Edit(field.ControlId).Text);
        }
    }
    // Pairs that would cross keep their old values.
    if (!(stored.SaturationLow < stored.SaturationHigh)) {
        stored.SaturationLow = settings.SaturationLow;
        stored.SaturationHigh = settings.SaturationHigh;
    }
    if (!(stored.BatteryLastPercent < stored.BatteryFirstPercent)) {
        stored.BatteryFirstPercent = settings.BatteryFirstPercent;
        stored.BatteryLastPercent = settings.BatteryLastPercent;
    }
    const bool changed = FormatQcSettingsFile(stored) != FormatQcSettingsFile(settings);
    settings = stored;
    return changed;
}

}  // namespace tesselog
