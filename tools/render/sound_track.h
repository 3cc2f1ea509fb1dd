// SPDX-License-Identifier: GPL-3.0-or-later
// The show's sound in a render: the same mixer as the live show, fed by the launches and mixed on the
// frames' fixed clock, so the track is the same on every run and in step with the pictures.
#pragma once

#include <string>
#include <vector>

#include "app/launch_sounds.h"
#include "sound/sound_mixer.h"

class SoundTrack {
public:
    // Loads the sounds from the current folder; keepAll keeps every sample for WriteWav.
    bool Open(bool keepAll, std::string& error);

    LaunchSounds& Sounds() { return sounds; }
    // Music under the show's sounds from the track's start (interleaved stereo at the mix's rate).
    void SetMusic(std::vector<float> stereo);
    // The launches about to be made happen at time, heard from listener.
    void LaunchAt(double time, const Listener& listener);
    // Mixes on to time; Latest() holds what was added, interleaved stereo.
    void MixTo(double time);
    const std::vector<float>& Latest() const { return latest; }
    // The whole track as a 16-bit stereo WAV file.
    bool WriteWav(const std::string& path, std::string& error) const;

private:
    SoundMixer mixer;
    LaunchSounds sounds{mixer};
    long long mixed = 0;
    bool keep = false;
    std::vector<float> latest;
    std::vector<float> all;
};
