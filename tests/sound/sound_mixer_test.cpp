// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer on its own clock: when an event is heard, how loud, on which side, and a crowd of them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/sound_mixer.h"
#include "sound/wav_file.h"
#include "tools/support/allocation_counter.h"

namespace {

// A mixer whose every sound is a single full-scale sample followed by silence, so onsets are exact.
void LoadClicks(SoundMixer& mixer)
{
    for (int i = 0; i < SoundCount; ++i) {
        std::vector<float> click(100, 0.0f);
        click[0] = 1.0f;
        mixer.SetSound(static_cast<SoundId>(i), click);
    }
}

// Mixes seconds of sound in callback-sized blocks and returns it interleaved.
std::vector<float> MixFor(SoundMixer& mixer, double seconds)
{
    std::vector<float> out(static_cast<std::size_t>(seconds * SoundSampleRate) * 2);
    for (std::size_t at = 0; at < out.size(); at += 2 * 512) {
        mixer.Mix(out.data() + at, static_cast<int>(std::min<std::size_t>(512, (out.size() - at) / 2)));
    }
    return out;
}

// The first frame whose left or right level passes threshold, or -1.
long FirstOnset(const std::vector<float>& stereo, float threshold = 1e-3f)
{
    for (std::size_t i = 0; i < stereo.size(); ++i) {
        if (!(std::fabs(stereo[i]) <= threshold)) {  // a NaN counts as sound
            return static_cast<long>(i / 2);
        }
    }
    return -1;
}

struct Heard {
    long onset;
    float left;
    float right;
};

// A burst flashing at flashTime at position, heard by a listener at the origin looking down -z.
Heard HearBurst(const float position[3], double flashTime)
{
    SoundMixer mixer;
    LoadClicks(mixer);
    Listener listener;
    const HeardFrom heard = HearFrom(listener, position);
    EXPECT_TRUE(mixer.Post({SoundId::BoomLarge, flashTime + heard.delay, heard.gain, heard.pan}));
    const std::vector<float> out = MixFor(mixer, flashTime + heard.delay + 0.5);
    const long onset = FirstOnset(out);
    if (onset < 0) {
        return {onset, 0.0f, 0.0f};
    }
    return {onset, out[2 * onset], out[2 * onset + 1]};
}

} // namespace

TEST(SoundMixer, BurstIsHeardAfterTravelTimeQuieterFartherAndOnItsSide)
{
    const float near[3] = {-8.0f, 0.0f, 0.0f};
    const float far[3] = {0.0f, 0.0f, -30.0f};
    const float right[3] = {20.0f, 0.0f, 0.0f};
    const Heard a = HearBurst(near, 1.0);
    const Heard b = HearBurst(far, 1.0);
    const Heard c = HearBurst(right, 0.25);

    // d / c seconds after the flash, to the sample.
    EXPECT_EQ(a.onset, std::lround((1.0 + 8.0 / SpeedOfSoundUnits) * SoundSampleRate));
    EXPECT_EQ(b.onset, std::lround((1.0 + 30.0 / SpeedOfSoundUnits) * SoundSampleRate));
    EXPECT_EQ(c.onset, std::lround((0.25 + 20.0 / SpeedOfSoundUnits) * SoundSampleRate));

    EXPECT_GT(a.left + a.right, b.left + b.right);
    EXPECT_GT(a.left, 10.0f * a.right);
    EXPECT_GT(c.right, 10.0f * c.left);
    EXPECT_NEAR(b.left, b.right, 1e-4f);
}

TEST(SoundMixer, AThousandEventsAtOnceNeitherClipNorAllocate)
{
    SoundMixer mixer;
    for (int i = 0; i < SoundCount; ++i) {
        mixer.SetSound(static_cast<SoundId>(i), std::vector<float>(4800, 0.9f));
    }
    for (int i = 0; i < 1000; ++i) {
        mixer.Post({static_cast<SoundId>(i % SoundCount), 0.01, 1.0f, (i % 3) - 1.0f});
    }
    std::vector<float> block(2 * 1024);
    const auto before = HeapAllocationCount();
    float peak = 0.0f;
    for (int b = 0; b < 10; ++b) {
        mixer.Mix(block.data(), 1024);
        for (float s : block) {
            EXPECT_TRUE(std::isfinite(s));
            peak = std::max(peak, std::fabs(s));
        }
    }
    EXPECT_EQ(HeapAllocationCount(), before);
    EXPECT_GT(peak, 0.8f);
    EXPECT_LT(peak, 1.0f);
}

TEST(SoundMixer, MutedOrMeaninglessEventsStaySilentButTheClockRuns)
{
    SoundMixer mixer;
    LoadClicks(mixer);
    mixer.SetMuted(true);
    mixer.Post({SoundId::Crack, 0.0, 1.0f, 0.0f});
    EXPECT_EQ(FirstOnset(MixFor(mixer, 0.1)), -1);
    EXPECT_NEAR(mixer.Clock(), 0.1, 1e-9);

    mixer.SetMuted(false);
    const float nan = std::nanf("");
    mixer.Post({SoundId::Crack, std::nan(""), 1.0f, 0.0f});
    mixer.Post({SoundId::Crack, 0.1, nan, 0.0f});
    mixer.Post({SoundId::Crack, 0.1, 1.0f, nan});
    mixer.Post({static_cast<SoundId>(99), 0.1, 1.0f, 0.0f});
    EXPECT_EQ(FirstOnset(MixFor(mixer, 0.1)), -1);
}

TEST(WavFile, RoundTripsAndRefusesTruncatedFiles)
{
    const std::vector<float> samples = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 2.0f};
    std::vector<std::uint8_t> bytes = EncodeWav16(samples, 2, 48000);
    WavData wav;
    std::string error;
    ASSERT_TRUE(DecodeWav16(bytes, wav, error)) << error;
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.sampleRate, 48000);
    ASSERT_EQ(wav.samples.size(), samples.size());
    EXPECT_NEAR(wav.samples[1], 0.5f, 1e-4f);
    EXPECT_NEAR(wav.samples[5], 1.0f, 1e-4f);  // clamped on the way out
    bytes.resize(bytes.size() - 4);
    EXPECT_FALSE(DecodeWav16(bytes, wav, error));
}

TEST(SoundMixer, MusicPlaysOnlyWhilePlayingFromWhereItStoodUnderDuckedSounds)
{
    SoundMixer mixer;
    LoadClicks(mixer);
    // Music whose every sample tells its own position: sample n is n / 1e6 on the left, 0.25 on the right.
    std::vector<float> music(2 * SoundSampleRate);
    for (std::size_t n = 0; n < music.size() / 2; ++n) {
        music[2 * n] = static_cast<float>(n) * 1e-6f;
        music[2 * n + 1] = 0.25f;
    }
    mixer.SetMusic(music);
    EXPECT_EQ(FirstOnset(MixFor(mixer, 0.1)), -1);

    mixer.SetMusicPlaying(true);
    std::vector<float> out = MixFor(mixer, 0.1);
    EXPECT_NEAR(out[1], 0.25f, 1e-6f);
    EXPECT_NEAR(out[2 * 100], 100e-6f, 1e-7f);
    EXPECT_NEAR(mixer.MusicClock(), 0.1, 1e-9);

    // Paused, it is silent and stands still; played again, it goes on from there.
    mixer.SetMusicPlaying(false);
    EXPECT_EQ(FirstOnset(MixFor(mixer, 0.1)), -1);
    mixer.SetMusicPlaying(true);
    out = MixFor(mixer, 0.1);
    EXPECT_NEAR(out[0], 4800e-6f, 1e-7f);

    // Moved to 0.5 s; an event on top of it is turned down to MusicDuck.
    mixer.SeekMusic(0.5);
    mixer.Post({SoundId::Crack, mixer.Clock() + 0.01, 0.5f, 0.0f});
    out = MixFor(mixer, 0.05);
    EXPECT_NEAR(out[0], 24000e-6f, 1e-6f);
    const std::size_t hit = static_cast<std::size_t>(0.01 * SoundSampleRate);
    EXPECT_NEAR(out[2 * hit + 1] - 0.25f, 0.5f * MusicDuck * std::sin(3.14159265f / 4.0f), 1e-4f);

    // At its end the music stops and the sounds are whole again.
    mixer.SeekMusic(2.0);
    mixer.Post({SoundId::Crack, mixer.Clock() + 0.01, 0.5f, 0.0f});
    out = MixFor(mixer, 0.05);
    EXPECT_NEAR(out[2 * hit + 1], 0.5f * std::sin(3.14159265f / 4.0f), 1e-4f);
    EXPECT_NEAR(mixer.MusicClock(), 2.0, 1e-9);
}
