// The Field Warnings dialog ("FIELDWARNINGS") as a form: a check box for each
// warning and for the warning sound, an edit for each threshold. Unlike the
// set-up dialogs it checks what is typed: a threshold that is not a number
// or lies outside its range keeps its old value, so no typing error can trip
// a warning at every reading or silence one for good.
#pragma once

#include "core/qc/qc_settings.h"
#include "core/settings/setup_dialogs.h"
#include "resources/qc_dialog_ids.h"

namespace tesselog {

DialogForm FieldWarningsForm(const QcSettings& settings);
// OK: every switch, and every threshold typed as a number within its range.
// True when anything changed (the caller saves the file and applies it).
bool StoreFieldWarnings(const DialogForm& form, QcSettings& settings);

}  // namespace tesselog
