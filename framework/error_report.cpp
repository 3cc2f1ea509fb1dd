// SPDX-License-Identifier: GPL-3.0-or-later
// Error boxes: the text for each result code, the severity's suffix and icon, and closing the
// window after a fatal error.
#include <cstdio>
#include <cstring>

#include "framework/app_framework.h"

namespace {

const char* ErrorText(HRESULT code)
{
    switch (code) {
    case E_OUTOFMEMORY:
        return "Not enough memory.";
    case D3DAPPERR_NODIRECT3D:
        return "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is "
               "correctly installed on your\nsystem.  Also make sure that this program\nwas compiled with "
               "header files that match\nthe installed DirectX DLLs.";
    case D3DAPPERR_NOCOMPATIBLEDEVICES:
        return "Could not find any compatible Direct3D\ndevices.";
    case D3DAPPERR_NOWINDOWABLEDEVICES:
        return "This sample cannot run in a desktop\nwindow with the current display settings.\nPlease change "
               "your desktop settings to a\n16- or 32-bit display mode and re-run this\nsample.";
    case D3DAPPERR_NOHARDWAREDEVICE:
        return "No hardware-accelerated Direct3D devices\nwere found.";
    case D3DAPPERR_HALNOTCOMPATIBLE:
        return "This sample requires functionality that is\nnot available on your Direct3D hardware\n"
               "accelerator.";
    case D3DAPPERR_NOWINDOWEDHAL:
        return "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while the app is "
               "running to see a\nlist of available devices and modes.";
    case D3DAPPERR_NODESKTOPHAL:
        return "Your Direct3D hardware accelerator cannot\nrender into a window with the current\ndesktop "
               "display settings.\nPress F2 while the app is running to see a\nlist of available devices "
               "and modes.";
    case D3DAPPERR_NOHALTHISMODE:
        return "This sample requires functionality that is\nnot available on your Direct3D hardware\n"
               "accelerator with the current desktop display\nsettings.\nPress F2 while the app is running "
               "to see a\nlist of available devices and modes.";
    case D3DAPPERR_NONZEROREFCOUNT:
        return "A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned up).";
    case D3DAPPERR_MEDIANOTFOUND:
        return "Could not load required media.";
    case D3DAPPERR_RESIZEFAILED:
        return "Could not reset the Direct3D device.";
    case D3DAPPERR_NULLREFDEVICE:
        return "Warning: Nothing will be rendered.\nThe reference rendering device was selected, but your\n"
               "computer only has a reduced-functionality reference device\ninstalled.  Install the DirectX "
               "SDK to get the full\nreference device.\n";
    case D3DERR_OUTOFVIDEOMEMORY:
        return "Not enough video memory.";
    default:
        return "Generic application error. Enable\ndebug output for detailed information.";
    }
}

} // namespace

HRESULT AppFramework::ReportError(HRESULT code, ErrorSeverity severity)
{
    char text[512];
    std::snprintf(text, sizeof(text), "%s", ErrorText(code));
    UINT icon = MB_ICONWARNING;
    switch (severity) {
    case ErrorSeverity::Warning:
        break;
    case ErrorSeverity::Fatal:
        std::strncat(text, "\n\nThis sample will now exit.", sizeof(text) - std::strlen(text) - 1);
        icon = MB_ICONERROR;
        break;
    case ErrorSeverity::FallingBackToReference:
        std::strncat(text,
                     "\n\nSwitching to the reference rasterizer,\na software device that implements the entire\n"
                     "Direct3D feature set, but runs very slowly.",
                     sizeof(text) - std::strlen(text) - 1);
        break;
    }
    // The application's detail follows the whole text, so the text itself stays as it is.
    char shown[sizeof(text) + sizeof(errorDetail) + 2];
    std::snprintf(shown, sizeof(shown), errorDetail[0] != '\0' ? "%s\n\n%s" : "%s", text, errorDetail);
    errorDetail[0] = '\0';
    MessageBoxA(nullptr, shown, title, icon);

    if (severity == ErrorSeverity::Fatal) {
        // The program now ends because of this error, whatever the message loop returns.
        endedByFailure = true;
        if (window != nullptr) {
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    return code;
}
