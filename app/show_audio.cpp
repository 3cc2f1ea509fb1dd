// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the audio device and handing its callback to the mixer.
#include "app/show_audio.h"

#include <SDL.h>

#ifdef FIREWORKS_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace {

#ifdef FIREWORKS_HAVE_ALSA
// ALSA's library reports every step of a failed device search on standard error; the one line that
// says the show goes on silent is ours.
void IgnoreAlsaReport(const char*, int, const char*, int, const char*, ...)
{
}
#endif

void FillAudio(void* user, Uint8* stream, int length)
{
    // The device was opened for 32-bit float stereo, so a frame is eight bytes.
    static_cast<SoundMixer*>(user)->Mix(reinterpret_cast<float*>(stream), length / 8);
}

} // namespace

bool ShowAudio::Open(std::string& error)
{
    if (!mixer.LoadSounds("", error)) {
        return false;
    }
#ifdef FIREWORKS_HAVE_ALSA
    snd_lib_error_set_handler(&IgnoreAlsaReport);
#endif
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = SoundSampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = FillAudio;
    wanted.userdata = &mixer;
    SDL_AudioSpec got{};
    // No changes allowed: SDL converts to what the device really plays.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    if (device == 0) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void ShowAudio::Close()
{
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}
