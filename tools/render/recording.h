// SPDX-License-Identifier: GPL-3.0-or-later
// A render's sound track and video: what each frame adds to them, and finishing them at the end.
#pragma once

#include <string>

#include "tools/render/offline_show.h"
#include "tools/render/render_options.h"
#include "tools/render/sound_track.h"
#include "tools/render/video_writer.h"

// After the frame at time (the frame-th, from 0) is drawn: its sound, and its picture for a video.
bool RecordFrame(OfflineShow& show, const RenderOptions& options, double time, int frame, SoundTrack& track,
                 VideoWriter& video, std::string& error);

// After the last frame, drawn at end: closes the video and writes the sound track, each when asked for.
bool FinishRecording(const RenderOptions& options, double end, SoundTrack& track, VideoWriter& video,
                     std::string& error);
