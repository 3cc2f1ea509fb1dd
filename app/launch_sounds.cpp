// SPDX-License-Identifier: GPL-3.0-or-later
// Which sounds each kind makes, and when and where they are heard.
#include "app/launch_sounds.h"

float RiseSeconds(const float launch[3], const float burst[3])
{
    const float rise = (burst[1] - launch[1]) * 0.5f;
    return rise > 0.0f ? rise : 0.0f;
}

Listener ListenerFromView(const D3DXMATRIX& view)
{
    Listener listener;
    const float right[3] = {view._11, view._21, view._31};
    const float up[3] = {view._12, view._22, view._32};
    const float look[3] = {view._13, view._23, view._33};
    for (int i = 0; i < 3; ++i) {
        listener.right[i] = right[i];
        listener.eye[i] = -(view._41 * right[i] + view._42 * up[i] + view._43 * look[i]);
    }
    return listener;
}

void LaunchSounds::SetListener(const Listener& listener)
{
    const std::lock_guard<std::mutex> hold(lock_);
    listener_ = listener;
}

void LaunchSounds::UseClock(double now)
{
    const std::lock_guard<std::mutex> hold(lock_);
    fixedNow_ = now;
}

void LaunchSounds::PostAt(SoundId sound, double flashTime, const float position[3], float gain)
{
    const HeardFrom heard = HearFrom(listener_, position);
    mixer_.Post({sound, flashTime + heard.delay, heard.gain * gain, heard.pan});
}

void LaunchSounds::Launched(FireworkKind kind, const float launch[3], const float burst[3], bool hasBurst,
                            bool sparks)
{
    const std::lock_guard<std::mutex> hold(lock_);
    const double now = fixedNow_ >= 0.0 ? fixedNow_ : mixer_.Clock();
    PostAt(SoundId::Thump, now, launch, 0.6f);
    // Spirals and bee swarms whistle on the way up; the whistle lasts about a climb.
    if (kind == FireworkKind::Spiral || kind == FireworkKind::Bee) {
        PostAt(SoundId::Whistle, now + 0.05, launch, 0.35f);
    }
    if (!hasBurst) {
        return;
    }
    const double flash = now + RiseSeconds(launch, burst);
    switch (kind) {
    case FireworkKind::Chrysanthemum:
    case FireworkKind::Peony:
        PostAt(SoundId::BoomLarge, flash, burst, 1.0f);
        break;
    case FireworkKind::Bee:
    case FireworkKind::Spiral:
        PostAt(SoundId::BoomMedium, flash, burst, 0.8f);
        break;
    case FireworkKind::Saturn:
    case FireworkKind::Ring:
        PostAt(SoundId::Crack, flash, burst, 0.9f);
        break;
    }
    if (kind == FireworkKind::Bee || sparks) {
        PostAt(SoundId::Crackle, flash + 0.4, burst, 0.5f);
    }
}
