// SPDX-License-Identifier: GPL-3.0-or-later
// The show with sound: the audio device, the listener at the camera and the sound commands.
#include <cstdio>
#include <utility>

#include "app/show_app.h"
#include "app/show_audio.h"
#include "app/show_trace.h"

namespace {

ShowAudio* Audio()
{
    return static_cast<ShowApp*>(AppFramework::Instance())->audio;
}

void SetMuted(bool muted)
{
    if (ShowAudio* audio = Audio()) {
        audio->mixer.SetMuted(muted);
        ShowTrace("sound %s", muted ? "off" : "on");
    }
}

void SoundToggleCommand()
{
    if (ShowAudio* audio = Audio()) {
        SetMuted(!audio->mixer.Muted());
    }
}

void SoundOnCommand()
{
    SetMuted(false);
}

void SoundOffCommand()
{
    SetMuted(true);
}

} // namespace

void ShowApp::EnableSound()
{
    static ShowAudio output;
    // Before the device opens: the mixer's callback reads the music from then on.
    output.mixer.SetMusic(std::move(pendingMusic));
    std::string error;
    if (!output.Open(error)) {
        std::fprintf(stderr, "fireworks: no sound (%s); the show goes on silent\n", error.c_str());
        return;
    }
    audio = &output;
    fireworkTypes.sounds = &output.sounds;
    const struct {
        const char* name;
        CommandHandler handler;
    } actions[] = {{"SoundToggle", &SoundToggleCommand}, {"SoundOn", &SoundOnCommand}, {"SoundOff", &SoundOffCommand}};
    for (const auto& action : actions) {
        commands.SetHandler(action.name, action.handler);
    }
    commands.BindKey('N', "SoundToggle");
}

void ShowApp::StopSound()
{
    if (audio != nullptr) {
        fireworkTypes.sounds = nullptr;
        audio->Close();
        audio = nullptr;
    }
}
