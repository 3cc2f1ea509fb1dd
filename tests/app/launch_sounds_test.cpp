// SPDX-License-Identifier: GPL-3.0-or-later
// The launch path's sounds: the listener taken from the camera, and a launched shell heard at its
// burst after the climb and the sound's travel.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "app/launch_sounds.h"

TEST(LaunchSounds, ListenerSitsAtTheEyeWithItsRightHand)
{
    const D3DXVECTOR3 eye(3.0f, 2.0f, -10.0f);
    const D3DXVECTOR3 at(3.0f, 2.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const Listener listener = ListenerFromView(view);
    EXPECT_NEAR(listener.eye[0], 3.0f, 1e-4f);
    EXPECT_NEAR(listener.eye[1], 2.0f, 1e-4f);
    EXPECT_NEAR(listener.eye[2], -10.0f, 1e-4f);
    EXPECT_NEAR(listener.right[0], 1.0f, 1e-4f);
    EXPECT_NEAR(listener.right[2], 0.0f, 1e-4f);
}

TEST(LaunchSounds, ALaunchedShellIsHeardAtItsBurstAfterClimbAndTravel)
{
    SoundMixer mixer;
    // Silent sounds but the large boom, a single sample, so its onset is exact.
    for (int i = 0; i < SoundCount; ++i) {
        std::vector<float> sound(10, 0.0f);
        sound[0] = static_cast<SoundId>(i) == SoundId::BoomLarge ? 1.0f : 0.0f;
        mixer.SetSound(static_cast<SoundId>(i), sound);
    }
    LaunchSounds sounds(mixer);
    Listener listener;
    listener.eye[2] = -10.0f;
    sounds.SetListener(listener);
    sounds.UseClock(1.0);
    FireworkTypeRegistry registry;
    RegisterFireworkKinds(registry);
    registry.sounds = &sounds;
    LaunchChrysanthemum(registry, 1003, 0.0f, 0.0f, 0.0f, 0.0f, 4.0f, 0.0f);

    const double expected = 1.0 + 2.0 + std::sqrt(16.0 + 100.0) / SpeedOfSoundUnits;
    std::vector<float> out(static_cast<std::size_t>((expected + 0.1) * SoundSampleRate) * 2);
    mixer.Mix(out.data(), static_cast<int>(out.size() / 2));
    long onset = -1;
    for (std::size_t i = 0; i < out.size() && onset < 0; ++i) {
        onset = std::fabs(out[i]) > 1e-4f ? static_cast<long>(i / 2) : -1;
    }
    EXPECT_NEAR(onset, expected * SoundSampleRate, 1.0);
}
