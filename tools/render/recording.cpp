// SPDX-License-Identifier: GPL-3.0-or-later
// Feeding a render's frames and sound to the video and the sound track.
#include "tools/render/recording.h"

#include <cstdio>

// The frame's sound and picture. The picture of frame k shows the show at (k + 1) steps, so the
// video's sound starts one step into the show and stays in step.
bool RecordFrame(OfflineShow& show, const RenderOptions& options, double time, int frame, SoundTrack& track,
                 VideoWriter& video, std::string& error)
{
    track.MixTo(time);
    if (options.video.empty()) {
        return true;
    }
    if (frame > 0 && !video.AddSound(track.Latest().data(), static_cast<int>(track.Latest().size() / 2), error)) {
        return false;
    }
    return video.AddFrame(show.Device(), error);
}

bool FinishRecording(const RenderOptions& options, double end, SoundTrack& track, VideoWriter& video,
                     std::string& error)
{
    if (!options.video.empty()) {
        // The sound of the last frame's time, so both streams last as long.
        track.MixTo(end + options.step);
        if (!video.AddSound(track.Latest().data(), static_cast<int>(track.Latest().size() / 2), error) ||
            !video.Close(error)) {
            return false;
        }
        std::printf("video with sound in %s\n", options.video.c_str());
    }
    if (!options.audio.empty()) {
        if (!track.WriteWav(options.audio, error)) {
            return false;
        }
        std::printf("sound track in %s\n", options.audio.c_str());
    }
    return true;
}

