// The Win32 implementations of the core's platform interfaces. Texts and
// paths are 8-bit in the core (core/common/eight_bit_text.h) and become wide
// only here, at the API boundary, one byte to one character: a folder whose
// name has an e acute is held in the settings with the byte 0xE9 and names
// the same folder in every Win32 call.
#pragma once

#include <windows.h>

#include <string>

#include "core/common/eight_bit_text.h"

#include "core/platform/battery.h"
#include "core/platform/clock.h"
#include "core/platform/disk_space.h"
#include "core/platform/file_dialogs.h"
#include "core/platform/file_system.h"
#include "core/platform/keep_awake.h"
#include "core/platform/prompts.h"
#include "core/platform/sound.h"

namespace tesselog::win32 {

// The core's To8Bit and From8Bit on the API's wide text (wchar_t is 16 bits
// here). Every text from the core is widened so, the degree sign of a
// latitude (0xB0) as much as a path; NarrowToBytes turns a character that
// does not fit into '?'.
std::wstring WidenBytes(const std::string& bytes);
std::string NarrowToBytes(const std::wstring& wide);
std::u16string CodeUnits(const std::wstring& wide);

// A path whose folder 8-bit text cannot name, with the folder's short (8.3)
// name where the volume has one; else the path as it is.
std::wstring WithShortFolder(const std::wstring& path);

// CreateFileW without sharing, so a data file in use elsewhere cannot be
// opened (and counts as a free name when names are probed).
class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool SetCurrentDirectory(const std::string& path) override;
    // MoveFileExW, replacing and written through.
    bool Replace(const std::string& from, const std::string& to) override;
};

// GetTickCount, GetLocalTime and GetSystemTime.
class Win32Clock : public Clock {
public:
    uint32_t Tick() override;
    LocalTime Now() override;
    int32_t UtcMillisecondOfDay() override;
};

// GetDiskFreeSpaceExW on the folder of the path (the bytes free to this
// user, quotas counted).
class Win32DiskSpace : public DiskSpace {
public:
    bool FreeBytes(const std::string& path, uint64_t& bytes) override;
};

// GetSystemPowerStatus.
class Win32PowerSource : public PowerSource {
public:
    PowerStatus Status() override;
};

// SetThreadExecutionState on the user-interface thread, which lives as long
// as the program: the system and the display required while held. The
// request ends with the thread at the latest. Every change is reported to
// the test build's draw log ("keep awake on" / "keep awake off") with the
// state the system had before it.
class Win32KeepAwake : public KeepAwake {
public:
    void Hold(bool on) override;
};

// PlaySoundW of the wave resources, asynchronous, never interrupting a sound
// already playing.
class Win32SoundPlayer : public SoundPlayer {
public:
    void Play(SoundId sound) override;
};

// The test build's window on the message boxes: called with the caption and
// the text of every box before it shows, so an end-to-end test can read what
// the operator was told (a box's text is not an X window that xdotool sees).
using PromptObserver = void (*)(const std::string& caption, const std::string& text);
void SetPromptObserver(PromptObserver observer);

// MessageBoxW owned by the window in front (set by the shell as screens change).
class Win32Prompts : public Prompts {
public:
    void ShowMessage(const std::string& text, const std::string& caption, PromptIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption, PromptIcon icon) override;
    HWND Owner = nullptr;
};

// GetSaveFileNameW / GetOpenFileNameW. The chosen path goes back wide, as
// the dialog gave it: whether 8-bit text can hold it is the caller's to say.
class Win32FileDialogs : public FileDialogs {
public:
    std::optional<std::u16string> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::u16string> ChooseOpenFile(const FileDialogRequest& request) override;
    HWND Owner = nullptr;
};

}  // namespace tesselog::win32
