#include "windows/platform_services.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <cstdio>
#include <vector>

#include "windows/replay_timing.h"

namespace tesselog::win32 {

std::wstring WidenBytes(const std::string& bytes) {
    std::u16string wide = From8Bit(bytes);
    return std::wstring(wide.begin(), wide.end());
}

std::string NarrowToBytes(const std::wstring& wide) { return To8Bit(CodeUnits(wide)); }

std::u16string CodeUnits(const std::wstring& wide) { return std::u16string(wide.begin(), wide.end()); }

namespace {

// ReadFile and WriteFile take a DWORD count; larger requests go in pieces.
constexpr DWORD MaxChunk = 1u << 30;

class Win32File : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { CloseHandle(handle_); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    size_t Read(void* buffer, size_t n) override {
        auto* at = static_cast<char*>(buffer);
        size_t total = 0;
        while (total < n) {
            DWORD want = static_cast<DWORD>(n - total < MaxChunk ? n - total : MaxChunk);
            DWORD got = 0;
            if (!ReadFile(handle_, at + total, want, &got, nullptr) || got == 0) break;
            total += got;
        }
        return total;
    }

    bool Write(const void* data, size_t n) override {
        const auto* at = static_cast<const char*>(data);
        size_t total = 0;
        while (total < n) {
            DWORD want = static_cast<DWORD>(n - total < MaxChunk ? n - total : MaxChunk);
            DWORD put = 0;
            if (!WriteFile(handle_, at + total, want, &put, nullptr) || put == 0) return false;
            total += put;
        }
        return true;
    }

    bool SeekToStart() override { return Seek(FILE_BEGIN); }
    bool SeekToEnd() override { return Seek(FILE_END); }
    uint64_t Position() override {
        LARGE_INTEGER zero{};
        LARGE_INTEGER at{};
        if (!SetFilePointerEx(handle_, zero, &at, FILE_CURRENT)) return 0;
        return static_cast<uint64_t>(at.QuadPart);
    }
    bool SeekTo(uint64_t offset) override { return Seek(FILE_BEGIN, offset); }
    bool Flush() override { return FlushFileBuffers(handle_) != 0; }
    bool Truncate(uint64_t length) override { return Seek(FILE_BEGIN, length) && SetEndOfFile(handle_) != 0; }

private:
    bool Seek(DWORD method, uint64_t offset = 0) {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_, to, nullptr, method) != 0;
    }
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<File> Win32FileSystem::Open(const std::string& path, OpenMode mode) {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case OpenMode::ReadExisting: access = GENERIC_READ; disposition = OPEN_EXISTING; break;
    case OpenMode::CreateTruncate: access = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case OpenMode::ReadWriteExisting: disposition = OPEN_EXISTING; break;
    case OpenMode::ReadWriteAlways: disposition = OPEN_ALWAYS; break;
    }
    // Share mode 0: a file open here cannot be opened again, here or elsewhere.
    HANDLE handle =
        CreateFileW(WidenBytes(path).c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(handle);
}

bool Win32FileSystem::Exists(const std::string& path) {
    return GetFileAttributesW(WidenBytes(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::Remove(const std::string& path) { return DeleteFileW(WidenBytes(path).c_str()) != 0; }

bool Win32FileSystem::MakeDirectory(const std::string& path) {
    std::wstring wide = WidenBytes(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // A file of that name also reports "already exists".
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::SetCurrentDirectory(const std::string& path) {
    // Inside this member the unqualified name would find the member itself
    // (<windows.h> maps SetCurrentDirectory to SetCurrentDirectoryW).
    return ::SetCurrentDirectoryW(WidenBytes(path).c_str()) != 0;
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to) {
    // NTFS journals the rename: after a power cut the name holds the old
    // file or the new one. Write-through: the call returns once it is on
    // the disk.
    return MoveFileExW(WidenBytes(from).c_str(), WidenBytes(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

uint32_t Win32Clock::Tick() { return static_cast<uint32_t>(GetTickCount()); }

LocalTime Win32Clock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime t;
    t.Year = st.wYear;
    t.Month = st.wMonth;
    t.Day = st.wDay;
    t.Hour = st.wHour;
    t.Minute = st.wMinute;
    t.Second = st.wSecond;
    t.Millisecond = st.wMilliseconds;
    return t;
}

int32_t Win32Clock::UtcMillisecondOfDay() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000 + st.wMilliseconds;
}

bool Win32DiskSpace::FreeBytes(const std::string& path, uint64_t& bytes) {
    std::string folder = path;
    const size_t slash = folder.find_last_of("\\/");
    if (slash != std::string::npos) folder.resize(slash + 1);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(WidenBytes(folder).c_str(), &available, nullptr, nullptr)) return false;
    bytes = available.QuadPart;
    return true;
}

void Win32KeepAwake::Hold(bool on) {
    const EXECUTION_STATE wanted = on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS;
    const EXECUTION_STATE before = SetThreadExecutionState(wanted);
    if (ReplayTimingTarget()) {
        char line[64];
        std::snprintf(line, sizeof line, "keep awake %s (before 0x%08lx)", on ? "on" : "off",
                      static_cast<unsigned long>(before));
        ReplayTimingTarget()(line);
    }
}

PowerStatus Win32PowerSource::Status() {
    SYSTEM_POWER_STATUS system{};
    PowerStatus status;
    if (!GetSystemPowerStatus(&system)) return status;
    // 128: no battery; 255: the system cannot tell.
    if (system.BatteryFlag == 128 || system.BatteryFlag == 255 || system.BatteryLifePercent > 100) return status;
    status.Known = true;
    status.OnBattery = system.ACLineStatus == 0;
    status.Percent = system.BatteryLifePercent;
    return status;
}

void Win32SoundPlayer::Play(SoundId sound) {
    const wchar_t* name = L"SOUND_RESULT";
    switch (sound) {
    case SoundId::Result: name = L"SOUND_RESULT"; break;
    case SoundId::Ring: name = L"SOUND_RING"; break;
    case SoundId::GpsWarning: name = L"SOUND_GPSWARNING"; break;
    case SoundId::FieldWarning: name = L"SOUND_FIELDWARNING"; break;
    case SoundId::Information: MessageBeep(MB_ICONINFORMATION); return;
    }
    // SND_NOSTOP: a sound already playing is not cut off; this one is dropped.
    PlaySoundW(name, GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC | SND_NOSTOP | SND_NODEFAULT);
}

namespace {

UINT IconFlag(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::None: return 0;
    case PromptIcon::Information: return MB_ICONINFORMATION;
    case PromptIcon::Exclamation: return MB_ICONEXCLAMATION;
    case PromptIcon::Question: return MB_ICONQUESTION;
    case PromptIcon::Error: return MB_ICONERROR;
    }
    return 0;
}

}  // namespace

namespace {
PromptObserver TheObserver = nullptr;
void Observe(const std::string& caption, const std::string& text) {
    if (TheObserver) TheObserver(caption, text);
}
}  // namespace

void SetPromptObserver(PromptObserver observer) { TheObserver = observer; }

void Win32Prompts::ShowMessage(const std::string& text, const std::string& caption, PromptIcon icon) {
    Observe(caption, text);
    MessageBoxW(Owner, WidenBytes(text).c_str(), WidenBytes(caption).c_str(), MB_OK | IconFlag(icon));
}

bool Win32Prompts::AskYesNo(const std::string& text, const std::string& caption, PromptIcon icon) {
    Observe(caption, text);
    return MessageBoxW(Owner, WidenBytes(text).c_str(), WidenBytes(caption).c_str(), MB_YESNO | IconFlag(icon)) ==
           IDYES;
}

// The program's paths are 8-bit text. A folder that 8-bit text cannot name
// (under a user name of Polish, Greek or Chinese letters: C:\Users\Łukasz)
// is taken by its short (8.3) name, which is plain ASCII, where the volume
// gives one; otherwise the path goes on as chosen and the core refuses it
// with its warning.
std::wstring WithShortFolder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return path;
    const std::wstring folder = path.substr(0, slash);
    if (FirstNon8BitCharacter(CodeUnits(folder)) == AllCharactersFit) return path;
    std::vector<wchar_t> shortName(folder.size() + 1);
    DWORD n = GetShortPathNameW(folder.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (n >= shortName.size()) {
        shortName.resize(n + 1);
        n = GetShortPathNameW(folder.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    }
    if (n == 0 || n >= shortName.size()) return path;
    const std::wstring shortFolder(shortName.data(), n);
    if (FirstNon8BitCharacter(CodeUnits(shortFolder)) != AllCharactersFit) return path;
    return shortFolder + path.substr(slash);
}

namespace {

// "Description\0Pattern\0...\0\0", the filter list of the common dialogs.
std::wstring FilterList(const std::vector<FileTypeFilter>& filters) {
    std::wstring list;
    for (const FileTypeFilter& f : filters) {
        list += WidenBytes(f.Description);
        list += L'\0';
        list += WidenBytes(f.Pattern);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

std::optional<std::u16string> RunFileDialog(HWND owner, const FileDialogRequest& request, bool save) {
    wchar_t path[FileDialogMaxPath] = {};
    wchar_t title[FileDialogMaxPath] = {};
    std::wstring initialName = WidenBytes(request.InitialName);
    initialName.copy(path, FileDialogMaxPath - 1);  // stays NUL-terminated

    std::wstring filters = FilterList(request.Filters);
    std::wstring folder = WidenBytes(request.InitialFolder);
    std::wstring dialogTitle = WidenBytes(request.Title);
    std::wstring extension = WidenBytes(request.DefaultExtension);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = request.Filters.empty() ? nullptr : filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = FileDialogMaxPath;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = FileDialogMaxPath;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = dialogTitle.empty() ? nullptr : dialogTitle.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = request.MustExist ? OFN_FILEMUSTEXIST : 0;

    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return std::nullopt;
    return CodeUnits(WithShortFolder(path));
}

}  // namespace

std::optional<std::u16string> Win32FileDialogs::ChooseSaveFile(const FileDialogRequest& request) {
    return RunFileDialog(Owner, request, true);
}

std::optional<std::u16string> Win32FileDialogs::ChooseOpenFile(const FileDialogRequest& request) {
    return RunFileDialog(Owner, request, false);
}

}  // namespace tesselog::win32
