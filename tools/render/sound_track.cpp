// SPDX-License-Identifier: GPL-3.0-or-later
// Mixing the render's sound track frame by frame and writing it out.
#include "tools/render/sound_track.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "sound/wav_file.h"

bool SoundTrack::Open(bool keepAll, std::string& error)
{
    keep = keepAll;
    return mixer.LoadSounds("", error);
}

void SoundTrack::SetMusic(std::vector<float> stereo)
{
    mixer.SetMusic(std::move(stereo));
    mixer.SetMusicPlaying(true);
}

void SoundTrack::LaunchAt(double time, const Listener& listener)
{
    sounds.SetListener(listener);
    sounds.UseClock(time);
}

void SoundTrack::MixTo(double time)
{
    const long long target = std::llround(time * SoundSampleRate);
    const long long frames = target > mixed ? target - mixed : 0;
    latest.resize(static_cast<std::size_t>(frames) * 2);
    if (frames > 0) {
        mixer.Mix(latest.data(), static_cast<int>(frames));
    }
    mixed += frames;
    if (keep) {
        all.insert(all.end(), latest.begin(), latest.end());
    }
}

bool SoundTrack::WriteWav(const std::string& path, std::string& error) const
{
    const std::vector<std::uint8_t> bytes = EncodeWav16(all, 2, SoundSampleRate);
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    return true;
}
