// SPDX-License-Identifier: GPL-3.0-or-later
// The show with music: the music follows the show's clock (paused with it, moved back in step when the
// audio device drifts), and a show planned on the music ends with it.
#include <cmath>
#include <utility>

#include "app/show_app.h"
#include "app/show_audio.h"
#include "app/show_trace.h"

namespace {

// The audio device's clock may wander from the show's; beyond this the music is moved back in step.
constexpr double kMusicDrift = 0.1;

} // namespace

void ShowApp::SetMusic(std::vector<float> stereo, double seconds, bool planned)
{
    pendingMusic = std::move(stereo);
    musicSeconds = seconds;
    musicPlanned = planned;
}

void ShowApp::FollowMusic(double showTime)
{
    if (!(musicSeconds > 0.0) || musicEnded || !showStarted) {
        return;
    }
    if (!musicStarted) {
        musicStarted = true;
        // The plan is the show while the music plays: no random launches over it.
        if (musicPlanned) {
            autoShow.enabled = false;
        }
        ShowTrace("music start");
    }
    const double at = showTime - player.start;
    const bool playingNow = !paused && at < musicSeconds;
    if (audio != nullptr) {
        audio->mixer.SetMusicPlaying(playingNow);
        if (playingNow && std::fabs(audio->mixer.MusicClock() - at) > kMusicDrift) {
            audio->mixer.SeekMusic(at);
        }
    }
    if (at >= musicSeconds) {
        musicEnded = true;
        ShowTrace("music end");
    }
}
