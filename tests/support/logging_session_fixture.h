// A logging session on in-memory services, for the logging command and
// start/stop tests: every interface records what it was asked to do.
#pragma once

#include <string>
#include <vector>

#include "core/logscreen/logging_session.h"
#include "core/platform/memory_file_system.h"

namespace tesselog::test {

class CountingSoundPlayer : public SoundPlayer {
public:
    void Play(SoundId sound) override { Played.push_back(sound); }
    int Count(SoundId sound) const {
        int n = 0;
        for (SoundId s : Played) n += s == sound;
        return n;
    }
    std::vector<SoundId> Played;
};

struct SessionHarness {
    SessionHarness() {
        clock.CurrentTick = 100000;
        clock.CurrentTime = LocalTime{2026, 12, 4, 10, 30, 0, 0};
        ports.OnWait = [this](uint32_t ms) { clock.CurrentTick += ms; };
        files.Directories.insert("C:\\");
    }

    // The path of the next file the save dialog answers with.
    void ChooseFile(const std::string& path) { fileDialogs.Answers.push_back(path); }
    // The data file as it is in memory now.
    const std::string& FileBytes(const std::string& path = "C:\\261204_000.mgr") { return files.Files[path]; }
    // The 27-byte records whose bytes 0..n match `start`.
    int CountRecords(const std::string& start, const std::string& path = "C:\\261204_000.mgr") {
        const std::string& bytes = FileBytes(path);
        int n = 0;
        for (size_t at = 0; at + 27 <= bytes.size(); at += 27) n += bytes.compare(at, start.size(), start) == 0;
        return n;
    }
    // Start, "&File" with the proposed name; the session is then in Stand By.
    void StartWithFile() {
        session.StartLogging();
        ChooseFile("C:\\261204_000.mgr");
        session.PressButton(0);
    }
    void Key(uint32_t key) { session.OnCommand(LogInput::KeyDown, key); }
    void Click(int id) { session.OnCommand(LogInput::Command, static_cast<uint64_t>(id)); }

    Settings settings;
    MemoryFileSystem files;
    ManualClock clock;
    CountingSoundPlayer sound;
    RecordingPrompts prompts;
    ScriptedFileDialogs fileDialogs;
    RecordingScreenControls controls;
    ScriptedLoggingDialogs dialogs;
    RecordingLoggingPorts ports;
    LoggingMap map;
    AppendValidation validation;
    BackgroundFiles background;
    int32_t screenMode = 0;
    int saves = 0;
    LoggingServices services{files,    clock,      sound, prompts,    fileDialogs, controls, dialogs,
                             ports,    map,        validation, background, screenMode,
                             [this] { ++saves; }};
    LoggingSession session{settings, services};
};

}  // namespace tesselog::test
