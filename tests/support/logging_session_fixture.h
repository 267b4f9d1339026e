// A logging session on in-memory services, for the logging command and
// start/stop tests: every interface records what it was asked to do.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/common/eight_bit_text.h"
#include "core/logscreen/logging_session.h"
#include "core/platform/memory_file_system.h"
#include "core/settings/settings_file.h"

namespace tesselog::test {

struct RecordingSoundPlayer : SoundPlayer {
    void Play(SoundId sound) override { Played.push_back(sound); }
    std::vector<SoundId> Played;
};

// Prompts and controls that call Watch at every box and repaint, so a test
// can look at the session's state while they are up.
struct WatchedPrompts : RecordingPrompts {
    void ShowMessage(const std::string& text, const std::string& caption, PromptIcon icon) override {
        if (Watch) Watch();
        RecordingPrompts::ShowMessage(text, caption, icon);
    }
    bool AskYesNo(const std::string& text, const std::string& caption, PromptIcon icon) override {
        if (Watch) Watch();
        return RecordingPrompts::AskYesNo(text, caption, icon);
    }
    std::function<void()> Watch;
};
struct WatchedControls : RecordingScreenControls {
    void RepaintScreen() override {
        if (Watch) Watch();
        RecordingScreenControls::RepaintScreen();
    }
    std::function<void()> Watch;
};
// A map whose track fits a map size or not, and whose appended file scans
// as the test says.
// The navigation codes it was given, the review's entry as 128 and its
// exit as 129.
struct FittingMap : IdleLoggingMap {
    bool TrackFits() override { return Fits; }
    ExtentScan ScanFileExtent() override { return Scan; }
    void Navigate(int code) override { Navigated.push_back(code); }
    void EnterReview() override { Navigated.push_back(128); }
    void ExitReview() override { Navigated.push_back(129); }
    bool Fits = true;
    ExtentScan Scan;
    std::vector<int> Navigated;
};
// The check of an old file: refused (silently) unless told otherwise.
struct AnsweringValidation : AppendValidation {
    bool Validate(DataFile&, const Settings&) override { return Accept; }
    bool Accept = false;
};
// Background files that only count.
struct CountedBackground : NoBackgroundFiles {
    int Count() override { return Loaded; }
    int Loaded = 0;
};

inline bool Logged(const std::vector<std::string>& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

struct SessionHarness {
    static constexpr const char* DataFile = "C:\\261204_000.mgr";

    SessionHarness() {
        clock.CurrentTick = 100000;
        clock.CurrentTime = LocalTime{2026, 12, 4, 10, 30, 0, 0};
        ports.OnWait = [this](uint32_t ms) { clock.CurrentTick += ms; };
        files.Directories.insert("C:\\");
    }

    std::string& Data() { return files.Files[DataFile]; }
    // The 27-byte records of the data file that start with `start`.
    // Looking does not make the file (an empty file would be taken as one
    // to append to).
    int CountRecords(const std::string& start) const {
        const auto found = files.Files.find(DataFile);
        if (found == files.Files.end()) return 0;
        const std::string& bytes = found->second;
        int n = 0;
        for (size_t at = 0; at + 27 <= bytes.size(); at += 27) n += bytes.compare(at, start.size(), start) == 0;
        return n;
    }
    // Start and "&File" (to `path` when the save dialog is shown), then
    // `state` 0 (no file), -1 (Stand By) or 1 (logging).
    void StartIn(int32_t state, const std::string& path = DataFile) {
        session.StartLogging();
        if (state == 0) return;
        fileDialogs.Answers.push_back(From8Bit(path));
        session.PressButton(0);
        if (state == 1) session.PressButton(0);
    }
    void Key(uint32_t key) { session.OnCommand(LogInput::KeyDown, key); }
    void Click(int id) { session.OnCommand(LogInput::Command, static_cast<uint64_t>(id)); }

    Settings settings;
    MemoryFileSystem files;
    ManualClock clock;
    RecordingSoundPlayer sound;
    WatchedPrompts prompts;
    ScriptedFileDialogs fileDialogs;
    WatchedControls controls;
    ScriptedLoggingDialogs dialogs;
    RecordingLoggingPorts ports;
    FittingMap map;
    AnsweringValidation validation;
    CountedBackground background;
    int32_t screenMode = 0;
    int saves = 0;
    std::string saved;  // the settings file as last saved
    RecordingState recording{files, settings, clock};
    LoggingServices services{files,    clock,      sound, prompts,    fileDialogs, controls, dialogs,
                             ports,    map,        validation, background, screenMode,
                             [this] {
                                 ++saves;
                                 saved = FormatSettingsFile(settings);
                             }};
    LoggingSession session{settings, services, recording};
};

}  // namespace tesselog::test
