// SPDX-License-Identifier: GPL-3.0-or-later
// Presentation into a real window on an X display: the windowed back buffer fills the client area
// under the menu bar the window layer draws, and a full-screen back buffer of another aspect is
// letterboxed over the whole screen. The window's pixels are read from a screenshot after Present.
#include "framework/window_device_link.h"
#include "platform/d3d8/gl/gl_device.h"
#include "platform/surface/sdl_window_handle.h"
#include "platform/win/window_geometry.h"
#include "platform/win/window_system.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr MenuItemResource kBarItems[] = {
    {MF_POPUP, 0, "&File", true},
    {MF_STRING, 40006, "E&xit\tESC", true},
};
constexpr MenuResource kMenus[] = {{141, kBarItems, 2}};
constexpr ResourceModule kModule{kMenus, 1, nullptr, 0, nullptr, 0};

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

struct Rgb {
    int r, g, b;
};

// The screen as the display shows it, three bytes per pixel, rows top first.
std::vector<unsigned char> Screenshot(int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    FILE* pipe = popen("import -window root -depth 8 rgb:-", "r");
    if (pipe == nullptr) {
        return {};
    }
    const std::size_t got = std::fread(pixels.data(), 1, pixels.size(), pipe);
    pclose(pipe);
    if (got != pixels.size()) {
        return {};
    }
    return pixels;
}

// A pixel of what the window shows (window pixels, top-left origin).
Rgb WindowPixel(SDL_Window* window, int x, int y)
{
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(window, &left, &top);
    static std::vector<unsigned char> screen;
    screen = Screenshot(1024, 768);
    const int sx = left + x;
    const int sy = top + y;
    if (screen.empty() || sx < 0 || sy < 0 || sx >= 1024 || sy >= 768) {
        return Rgb{-1, -1, -1};
    }
    const unsigned char* p = &screen[(static_cast<std::size_t>(sy) * 1024 + sx) * 3];
    return Rgb{p[0], p[1], p[2]};
}

bool Near(const Rgb& pixel, int r, int g, int b)
{
    const auto close = [](int a, int e) { return a >= e - 8 && a <= e + 8; };
    return close(pixel.r, r) && close(pixel.g, g) && close(pixel.b, b);
}

} // namespace

TEST(WindowPresentation, ClientAreaUnderTheBarAndLetterboxedFullScreen)
{
    // As the program does: the window gets the context attributes, the device its menu overlay.
    LinkWindowsToDevice();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.lpszClassName = "Present Window";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    const HINSTANCE instance = HinstanceFromModule(&kModule);
    RECT outer{0, 0, 320, 240};
    AdjustWindowRect(&outer, 0x10CE0000u, TRUE);
    const HWND window = CreateWindowExA(0, "Present Window", "present", 0x10CE0000u, CW_USEDEFAULT, CW_USEDEFAULT,
                                        outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                        LoadMenuA(instance, MAKEINTRESOURCEA(141)), instance, nullptr);
    ASSERT_NE(window, nullptr);
    Pump(300);

    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &parameters, &device),
              D3D_OK);
    // A windowed back buffer of unspecified size takes the client area's.
    EXPECT_EQ(parameters.BackBufferWidth, 320u);
    EXPECT_EQ(parameters.BackBufferHeight, 240u);
    SDL_Window* sdl = SdlWindowFromHwnd(window);

    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    Pump(100);
    const Rgb bar = WindowPixel(sdl, 150, MenuBarHeight / 2);
    EXPECT_GT(bar.r, 200);
    EXPECT_GT(bar.b, 200);
    EXPECT_TRUE(Near(WindowPixel(sdl, 5, MenuBarHeight + 2), 255, 0, 0));
    EXPECT_TRUE(Near(WindowPixel(sdl, 315, MenuBarHeight + 235), 255, 0, 0));
    // The device cursor is the device's own: the desktop pointer stays where it was.
    int before[2] = {};
    SDL_GetGlobalMouseState(&before[0], &before[1]);
    device->SetCursorPosition(before[0] + 40, before[1] + 30, 0);
    EXPECT_EQ(static_cast<GlDevice*>(device)->CursorPosition().x, before[0] + 40);
    Pump(50);
    int after[2] = {};
    SDL_GetGlobalMouseState(&after[0], &after[1]);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[1]);

    // Full screen with an 800 × 480 back buffer on the 1024 × 768 screen: 1024 × 614, bars above and below.
    HMENU menuBar = GetMenu(window);
    SetMenu(window, nullptr);
    D3DPRESENT_PARAMETERS full = parameters;
    full.Windowed = FALSE;
    full.BackBufferWidth = 800;
    full.BackBufferHeight = 480;
    full.BackBufferFormat = D3DFMT_X8R8G8B8;
    ASSERT_EQ(device->Reset(&full), D3D_OK);
    Pump(500);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(sdl, &width, &height);
    ASSERT_EQ(width, 1024);
    ASSERT_EQ(height, 768);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    Pump(100);
    EXPECT_TRUE(Near(WindowPixel(sdl, 512, 70), 0, 0, 0));
    EXPECT_TRUE(Near(WindowPixel(sdl, 512, 80), 0, 255, 0));
    EXPECT_TRUE(Near(WindowPixel(sdl, 2, 384), 0, 255, 0));
    EXPECT_TRUE(Near(WindowPixel(sdl, 512, 688), 0, 255, 0));
    EXPECT_TRUE(Near(WindowPixel(sdl, 512, 700), 0, 0, 0));
    // Reading the back buffer still gives the drawn pixels at the back buffer's own size.
    IDirect3DSurface8* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* row = static_cast<const BYTE*>(locked.pBits) + 479 * locked.Pitch;
    EXPECT_EQ(row[4 * 799 + 1], 255);
    backBuffer->UnlockRect();
    backBuffer->Release();

    EXPECT_EQ(device->Release(), 0u);
    d3d->Release();
    DestroyWindow(window);
    DestroyMenu(menuBar);
}
