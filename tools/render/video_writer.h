// SPDX-License-Identifier: GPL-3.0-or-later
// A video file with a sound track through FFmpeg's libraries: H.264 and AAC in .mp4, VP9 and Opus in
// .webm, chosen by the file's extension. Frames come from the device's back buffer, sound as
// interleaved stereo floats at the mix's rate.
#pragma once

#include <memory>
#include <string>

#include "platform/d3d8/d3d8.h"

class VideoWriter {
public:
    VideoWriter();
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // False with a reason for an unknown extension, a missing encoder or a file that cannot be made.
    bool Open(const std::string& path, int width, int height, int framesPerSecond, std::string& error);
    // The next frame, read from the back buffer.
    bool AddFrame(IDirect3DDevice8* device, std::string& error);
    // The next frames of sound.
    bool AddSound(const float* stereo, int frames, std::string& error);
    // Flushes the encoders and writes the file's index; false when any of it fails.
    bool Close(std::string& error);

private:
    struct State;
    std::unique_ptr<State> state;
};
