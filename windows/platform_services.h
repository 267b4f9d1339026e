// The Win32 implementations of the core's platform interfaces. Paths and texts
// are UTF-8 in the core and become UTF-16 only here, at the API boundary.
#pragma once

#include <windows.h>

#include <string>

#include "core/platform/clock.h"
#include "core/platform/file_dialogs.h"
#include "core/platform/file_system.h"
#include "core/platform/prompts.h"
#include "core/platform/sound.h"

namespace tesselog::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// Screen texts made by the core are 8-bit, one byte per character, as in the
// data and settings files (the degree sign of a latitude is the byte 0xB0):
// each byte becomes the character of the same code.
std::wstring WidenBytes(const std::string& bytes);

// CreateFileW without sharing, so a data file in use elsewhere cannot be
// opened (and counts as a free name when names are probed).
class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool SetCurrentDirectory(const std::string& path) override;
};

// GetTickCount and GetLocalTime.
class Win32Clock : public Clock {
public:
    uint32_t Tick() override;
    LocalTime Now() override;
};

// PlaySoundW of the wave resources, asynchronous, never interrupting a sound
// already playing.
class Win32SoundPlayer : public SoundPlayer {
public:
    void Play(SoundId sound) override;
};

// MessageBoxW owned by the window in front (set by the shell as screens change).
class Win32Prompts : public Prompts {
public:
    void ShowMessage(const std::string& text, const std::string& caption, PromptIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption, PromptIcon icon) override;
    HWND Owner = nullptr;
};

// GetSaveFileNameW / GetOpenFileNameW.
class Win32FileDialogs : public FileDialogs {
public:
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    HWND Owner = nullptr;
};

}  // namespace tesselog::win32
