// SPDX-License-Identifier: GPL-3.0-or-later
// The show's sound on the audio device: the mixer fed to SDL's audio callback, and the launch
// sounds that the firework registry posts to it.
#pragma once

#include <cstdint>
#include <string>

#include "app/launch_sounds.h"
#include "sound/sound_mixer.h"

class ShowAudio {
public:
    ShowAudio() = default;
    ~ShowAudio() { Close(); }
    ShowAudio(const ShowAudio&) = delete;
    ShowAudio& operator=(const ShowAudio&) = delete;

    // Loads the sounds from the current folder and starts the default audio device; false with a
    // reason when either fails, and then nothing plays.
    bool Open(std::string& error);
    void Close();

    SoundMixer mixer;
    LaunchSounds sounds{mixer};

private:
    std::uint32_t device = 0;
};
