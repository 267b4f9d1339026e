// The background-file dialogs of the logging screen: "BACKGROUNDFILELOAD"
// and "BACKGROUNDFILEREMOVE". What they show and store is decided in
// core/settings/background_dialogs; what is done with the choice, in
// core/existing/background_layer.
#pragma once

#include <windows.h>

#include <functional>

#include "core/logscreen/background_layer.h"

namespace tesselog::win32 {

class Win32BackgroundDialogs : public BackgroundDialogs {
public:
    // saveSettings rewrites the settings file after the load dialog's OK.
    explicit Win32BackgroundDialogs(std::function<void()> saveSettings) : saveSettings_(std::move(saveSettings)) {}

    bool Load(Settings& settings, int32_t loadedCount) override;
    bool Remove(const std::vector<std::string>& names, std::vector<bool>& marks) override;

    HWND Owner = nullptr;

private:
    std::function<void()> saveSettings_;
};

}  // namespace tesselog::win32
