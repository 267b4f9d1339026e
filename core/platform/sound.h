// The four alarm sounds and the system's information beep. They play asynchronously and never interrupt a
// sound already playing; the Win32 layer plays the wave resources.
#pragma once

namespace tesselog {

enum class SoundId {
    Result,      // "SOUND_RESULT": the audio tick of console-1 readings
    Ring,        // "SOUND_RING": connection breaks and refusals
    GpsWarning,  // "SOUND_GPSWARNING": the GPS warning mask is not met
    FieldWarning, // "SOUND_FIELDWARNING": a field warning has come up
    Information, // the system's information beep: a map size change is done
};

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(SoundId sound) = 0;
};

class SilentSoundPlayer : public SoundPlayer {
public:
    void Play(SoundId) override {}
};

}  // namespace tesselog
