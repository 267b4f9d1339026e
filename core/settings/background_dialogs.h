// What the two background-file dialogs show and store. Load BackGround File
// edits the six background settings; its four text-file controls (and the
// datum note) are enabled only while the type is a column-delimited text
// file. Remove BackGround Files shows one check box and name per loaded file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/settings.h"
#include "core/settings/setup_dialogs.h"
#include "resources/background_dialog_ids.h"

namespace tesselog {

constexpr int32_t BackgroundAsciiType = 1;  // BackgroundFileType of a column-delimited text file
// Both dialogs open centred over their owner, their top one tenth of the
// free height below the owner's top.
constexpr int32_t BackgroundDialogPlacementDivisor = 10;

// The load dialog's form for `loadedCount` files already loaded.
DialogForm BackgroundLoadForm(const Settings& settings, int32_t loadedCount);
// After the type combo changed: the text-file combos enabled or not, and
// the list of file types under the combo. True when the text files' controls
// are in use (the caller shows the datum note then).
bool BackgroundLoadTypeChanged(DialogForm& form);
// OK: the six fields. The caller saves.
void StoreBackgroundLoad(const DialogForm& form, Settings& settings);

// The caption of the remove dialog's check box of file i (0..9): "  1." .. " 10.".
std::string BackgroundRemoveMarkCaption(int index);

}  // namespace tesselog
