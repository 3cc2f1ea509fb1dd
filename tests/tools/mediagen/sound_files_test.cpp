// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesised sounds: plausible lengths, full but unclipped levels, identical bytes every run.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/sound_names.h"
#include "sound/wav_file.h"
#include "tools/mediagen/media_set.h"

TEST(SoundFiles, EachIsMonoAtTheMixRateWithAPeakBelowFullScaleAndRepeatable)
{
    ASSERT_EQ(SoundFiles().size(), static_cast<std::size_t>(SoundCount));
    for (const MediaFile& file : SoundFiles()) {
        const std::vector<std::uint8_t> bytes = file.build();
        EXPECT_EQ(bytes, file.build()) << file.name;
        WavData wav;
        std::string error;
        ASSERT_TRUE(DecodeWav16(bytes, wav, error)) << file.name << ": " << error;
        EXPECT_EQ(wav.channels, 1);
        EXPECT_EQ(wav.sampleRate, SoundSampleRate);
        const double seconds = static_cast<double>(wav.samples.size()) / SoundSampleRate;
        EXPECT_GE(seconds, 0.2) << file.name;
        EXPECT_LE(seconds, 4.0) << file.name;
        float peak = 0.0f;
        for (float s : wav.samples) {
            peak = std::max(peak, std::fabs(s));
        }
        EXPECT_NEAR(peak, 0.9f, 0.01f) << file.name;
        // Faded out: no click at the end.
        EXPECT_LT(std::fabs(wav.samples.back()), 0.01f) << file.name;
    }
}
