// SPDX-License-Identifier: GPL-3.0-or-later
// The resource tables of the program and its icon, a small firework burst drawn when first needed.
#include "resources/program_resources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "platform/win/window_messages.h"

namespace {

constexpr int IconSize = 32;

const MenuItemResource MainMenuItems[] = {
    {MF_POPUP, 0, "&File", true},
    {MF_SEPARATOR, 0, nullptr, false},
    {MF_STRING, IDM_EXIT, "E&xit\tESC", true},
};

const MenuItemResource PopupMenuItems[] = {
    {MF_POPUP, 0, "Popup", true},
    {MF_STRING, IDM_TOGGLESTART, "&Go/stop", false},
    {MF_STRING, IDM_SINGLESTEP, "&Single step", false},
    {MF_SEPARATOR, 0, nullptr, false},
    {MF_STRING, IDM_CHANGEDEVICE, "&Change device...", false},
    {MF_SEPARATOR, 0, nullptr, false},
    {MF_STRING, IDM_EXIT, "E&xit", true},
};

const MenuResource Menus[] = {
    {IDR_MENU, MainMenuItems, std::size(MainMenuItems)},
    {IDR_POPUP, PopupMenuItems, std::size(PopupMenuItems)},
};

const ACCEL MainAccelerators[] = {
    {FVIRTKEY, VK_ESCAPE, IDM_EXIT},
    {FVIRTKEY, VK_F2, IDM_CHANGEDEVICE},
    {FVIRTKEY, VK_RETURN, IDM_TOGGLESTART},
    {FVIRTKEY | FALT, VK_RETURN, IDM_TOGGLEFULLSCREEN},
    {FVIRTKEY, VK_SPACE, IDM_SINGLESTEP},
    {FVIRTKEY | FALT, 'X', IDM_EXIT},
};

const AcceleratorResource Accelerators[] = {
    {IDR_MAIN_ACCEL, MainAccelerators, std::size(MainAccelerators)},
};

// Pixels are R, G, B, A bytes in memory order.
std::uint32_t Pack(float r, float g, float b, float a)
{
    auto byte = [](float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    const std::uint8_t bytes[4] = {byte(r), byte(g), byte(b), byte(a)};
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, bytes, sizeof(pixel));
    return pixel;
}

// A night-blue disc with eight golden rays, sparks at their tips and a white-hot centre.
std::array<std::uint32_t, IconSize * IconSize> DrawIcon()
{
    std::array<std::uint32_t, IconSize * IconSize> pixels{};
    constexpr float Centre = (IconSize - 1) * 0.5f;
    for (int y = 0; y < IconSize; ++y) {
        for (int x = 0; x < IconSize; ++x) {
            const float dx = x - Centre;
            const float dy = y - Centre;
            const float radius = std::sqrt(dx * dx + dy * dy) / (IconSize * 0.5f);
            const float angle = std::atan2(dy, dx);
            // Rays narrow with distance; sparks sit at their tips.
            const float ray = std::pow(std::max(0.0f, std::cos(angle * 8.0f)), 6.0f * radius + 1.0f);
            const float tip = std::exp(-std::pow((radius - 0.72f) * 7.0f, 2.0f)) * std::sqrt(ray) * 1.5f;
            const float glow = std::exp(-radius * radius * 18.0f);
            const float burst = std::min(1.0f, ray * (1.0f - radius) * 1.6f + tip + glow);
            const float disc = radius < 1.0f ? std::min(1.0f, (1.0f - radius) * 8.0f) : 0.0f;
            const float r = 0.05f + burst * 1.0f + glow;
            const float g = 0.06f + burst * 0.75f + glow;
            const float b = 0.20f + burst * 0.25f + glow;
            pixels[static_cast<std::size_t>(y * IconSize + x)] = Pack(r, g, b, disc);
        }
    }
    return pixels;
}

} // namespace

HINSTANCE ProgramInstance()
{
    static const std::array<std::uint32_t, IconSize * IconSize> iconPixels = DrawIcon();
    static const IconResource icons[] = {{IDI_MAIN_ICON, IconSize, IconSize, iconPixels.data()}};
    static const ResourceModule module = {
        Menus, std::size(Menus), Accelerators, std::size(Accelerators), icons, std::size(icons),
    };
    return HinstanceFromModule(&module);
}
