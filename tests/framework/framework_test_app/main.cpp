// SPDX-License-Identifier: GPL-3.0-or-later
// A small program on the framework for end-to-end tests: it clears to a colour that follows
// application time and prints one line per event on standard output:
//   reset W H | frame T | paint T | fullscreen on|off menu=0|1 | menu enter | menu exit | close
// Options: --fail-media (start-up fails as on a missing media file), --fail-frame N (the Nth frame fails).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "framework/app_entry.h"
#include "resources/program_resources.h"

namespace {

std::mutex outputLock;

void Say(const char* format, double a = 0.0, double b = 0.0)
{
    std::lock_guard<std::mutex> hold(outputLock);
    std::printf(format, a, b);
    std::printf("\n");
    std::fflush(stdout);
}

class TestApp : public AppFramework {
public:
    bool failMedia = false;
    long failFrame = -1;

    TestApp() { title = "Framework test"; }

    HRESULT CreateDeviceResources() override { return failMedia ? D3DAPPERR_MEDIANOTFOUND : S_OK; }

    HRESULT RestoreDeviceResources() override
    {
        Say("reset %.0f %.0f", backBufferDesc.Width, backBufferDesc.Height);
        return S_OK;
    }

    HRESULT DrawFrame() override
    {
        ++frames;
        if (frames == failFrame) {
            return E_FAIL;
        }
        const auto red = static_cast<DWORD>(128.0 + 127.0 * std::sin(time * 2.0));
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | (red << 16) | (160u << 8) | 80u, 1.0f, 0);
        Say(painting ? "paint %.4f" : "frame %.4f", time);
        return S_OK;
    }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_KEYUP:
            if (wParam == VK_F2) {
                SwitchFullScreen();
                Say(windowed ? "fullscreen off menu=%.0f" : "fullscreen on menu=%.0f",
                    GetMenu(window) != nullptr ? 1.0 : 0.0);
            }
            break;
        case WM_PAINT: {
            painting = true;
            const LRESULT result = AppFramework::HandleMessage(hwnd, message, wParam, lParam);
            painting = false;
            return result;
        }
        case WM_ENTERMENULOOP:
            Say("menu enter");
            break;
        case WM_EXITMENULOOP: {
            const LRESULT result = AppFramework::HandleMessage(hwnd, message, wParam, lParam);
            Say("menu exit");
            return result;
        }
        case WM_CLOSE:
            Say("close");
            break;
        default:
            break;
        }
        return AppFramework::HandleMessage(hwnd, message, wParam, lParam);
    }

private:
    long frames = 0;
    // Drawing from WM_PAINT on the window thread rather than from the render thread.
    Relaxed<bool> painting{false};
};

TestApp app;

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fail-media") == 0) {
            app.failMedia = true;
        } else if (std::strcmp(argv[i], "--fail-frame") == 0 && i + 1 < argc) {
            app.failFrame = std::strtol(argv[++i], nullptr, 10);
        }
    }
    return RunApplication(app, ProgramInstance());
}
