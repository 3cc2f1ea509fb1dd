// SPDX-License-Identifier: GPL-3.0-or-later
// Window classes and windows over SDL: creation, styles, geometry, the default window procedure.
#include "platform/win/display_loss.h"
#include "platform/win/native_window.h"
#include "platform/surface/sdl_window_handle.h"
#include "platform/win/window_geometry.h"
#include "platform/win/window_record.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

struct WindowTables {
    std::vector<WindowClass> classes;
    std::vector<std::unique_ptr<WindowRecord>> windows;
};

WindowTables& Tables()
{
    static WindowTables tables;
    return tables;
}

WindowClass* FindClass(LPCSTR name)
{
    if (name == nullptr || IS_INTRESOURCE(name)) {
        return nullptr;
    }
    for (WindowClass& windowClass : Tables().classes) {
        if (windowClass.name == name) {
            return &windowClass;
        }
    }
    return nullptr;
}

// Sentinel handles for the stock objects and system cursors: only their identity matters.
char stockObjects[8];
char arrowCursor;

void SetIcon(SDL_Window* window, HICON icon)
{
    const auto* resource = reinterpret_cast<const IconResource*>(icon);
    if (resource == nullptr || resource->pixels == nullptr || resource->width <= 0 || resource->height <= 0) {
        return;
    }
    // The resource's pixels are R, G, B, A bytes in memory order.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(resource->pixels), resource->width, resource->height, 32, resource->width * 4,
        SDL_PIXELFORMAT_RGBA32);
    if (surface != nullptr) {
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
    }
}

} // namespace

void ApplyWindowStyle(WindowRecord& record, bool force)
{
    const bool decorated = (record.style & WS_CAPTION) != 0 || (record.style & WS_POPUP) == 0;
    const bool resizable = (record.style & WS_THICKFRAME) != 0;
    if (force) {
        // SDL skips a change to what it believes is set; flip first so the window manager hears it.
        SDL_SetWindowBordered(record.sdl, decorated ? SDL_FALSE : SDL_TRUE);
        SDL_SetWindowResizable(record.sdl, resizable ? SDL_FALSE : SDL_TRUE);
    }
    SDL_SetWindowBordered(record.sdl, decorated ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(record.sdl, resizable ? SDL_TRUE : SDL_FALSE);
    if (record.style & WS_VISIBLE) {
        SDL_ShowWindow(record.sdl);
    } else {
        SDL_HideWindow(record.sdl);
    }
}

WindowRecord* FindWindowRecord(HWND window)
{
    if (window == nullptr) {
        return nullptr;
    }
    for (const auto& record : Tables().windows) {
        if (HandleOf(*record) == window) {
            return record.get();
        }
    }
    return nullptr;
}

WindowRecord* FindWindowRecordById(std::uint32_t windowId)
{
    for (const auto& record : Tables().windows) {
        if (SDL_GetWindowID(record->sdl) == windowId) {
            return record.get();
        }
    }
    return nullptr;
}

HWND HandleOf(const WindowRecord& record) { return HwndFromSdlWindow(record.sdl); }

int WindowCount() { return static_cast<int>(Tables().windows.size()); }

HWND FirstWindow() { return Tables().windows.empty() ? nullptr : HandleOf(*Tables().windows.front()); }

void ForEachWindowRecord(void (*visit)(WindowRecord&, void*), void* data)
{
    for (const auto& record : Tables().windows) {
        visit(*record, data);
    }
}

int BarHeightOf(const WindowRecord& record)
{
    return MenuBarStripOf(record.menu != nullptr, (SDL_GetWindowFlags(record.sdl) & SDL_WINDOW_FULLSCREEN) != 0);
}

void ClientSizeOf(const WindowRecord& record, int* width, int* height)
{
    int outerWidth = 0;
    int outerHeight = 0;
    SDL_GetWindowSize(record.sdl, &outerWidth, &outerHeight);
    const RECT client = ClientRectOf(outerWidth, outerHeight, BarHeightOf(record));
    *width = client.right;
    *height = client.bottom;
}

void RefreshMenuBar(WindowRecord& record)
{
    SDL_GetWindowSize(record.sdl, &record.outerWidth, &record.outerHeight);
    const int bar = BarHeightOf(record);
    record.overlay->SetBarHeight(bar);
    if (bar > 0) {
        PaintMenuBar(record);
    } else {
        record.overlay->Hide(WindowOverlay::MenuBar);
    }
}

bool EnsureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    // Characters come from TranslateMessage, not from SDL's text input.
    SDL_EventState(SDL_TEXTINPUT, SDL_DISABLE);
    SDL_EventState(SDL_TEXTEDITING, SDL_DISABLE);
    EndProcessWhenDisplayIsLost();
    return true;
}

ATOM RegisterClassA(const WNDCLASSA* windowClass)
{
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        IS_INTRESOURCE(windowClass->lpszClassName) || FindClass(windowClass->lpszClassName) != nullptr) {
        return 0;
    }
    WindowClass added;
    added.name = windowClass->lpszClassName;
    added.procedure = windowClass->lpfnWndProc;
    added.instance = windowClass->hInstance;
    added.icon = windowClass->hIcon;
    Tables().classes.push_back(std::move(added));
    return static_cast<ATOM>(0xC000 + Tables().classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU menu, HINSTANCE, LPVOID)
{
    const WindowClass* windowClass = FindClass(className);
    if (windowClass == nullptr || !EnsureVideo()) {
        return nullptr;
    }
    PrepareWindowSurface();
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    if ((style & WS_POPUP) != 0 && (style & WS_CAPTION) == 0) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if (width == CW_USEDEFAULT || width <= 0 || height <= 0) {
        width = 640;
        height = 480 + (menu != nullptr ? MenuBarHeight : 0);
    }
    const int left = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : x;
    const int top = x == CW_USEDEFAULT || y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : y;
    SDL_Window* sdl = SDL_CreateWindow(windowName != nullptr ? windowName : "", left, top, width, height, flags);
    if (sdl == nullptr) {
        return nullptr;
    }
    auto record = std::make_unique<WindowRecord>();
    record->sdl = sdl;
    record->procedure = windowClass->procedure;
    record->style = style;
    record->exStyle = exStyle;
    record->menu = menu;
    AttachWindowSurface(*record);
    WindowRecord& created = *record;
    Tables().windows.push_back(std::move(record));
    const HWND window = HandleOf(created);
    if (menu != nullptr) {
        menu->owner = window;
    }
    SetIcon(sdl, windowClass->icon);

    MINMAXINFO limits{};
    limits.ptMinTrackSize = {1, 1};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    if (FindWindowRecord(window) == nullptr) {
        return nullptr;
    }
    if (limits.ptMinTrackSize.x > 1 || limits.ptMinTrackSize.y > 1) {
        SDL_SetWindowMinimumSize(sdl, std::max<int>(1, limits.ptMinTrackSize.x),
                                 std::max<int>(1, limits.ptMinTrackSize.y));
    }
    RefreshMenuBar(created);
    if (SendMessageA(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (style & WS_VISIBLE) {
        SDL_ShowWindow(sdl);
        RefreshMenuBar(created);
        int clientWidth = 0;
        int clientHeight = 0;
        ClientSizeOf(created, &clientWidth, &clientHeight);
        created.paintPending = true;
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    }
    return window;
}

HWND AdoptNativeWindowA(std::uint64_t nativeWindow, LPCSTR className)
{
    const WindowClass* windowClass = FindClass(className);
    if (windowClass == nullptr || nativeWindow == 0 || !EnsureVideo() || !NativeWindowExists(nativeWindow)) {
        return nullptr;
    }
    PrepareWindowSurface();
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    const std::uint64_t drawn = NativeDrawingWindow(nativeWindow);
    if (drawn == 0) {
        return nullptr;
    }
    SDL_Window* sdl = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(drawn)));
    if (sdl == nullptr) {
        return nullptr;
    }
    FollowNativeWindowSize(sdl);
    auto record = std::make_unique<WindowRecord>();
    record->sdl = sdl;
    record->procedure = windowClass->procedure;
    record->style = WS_POPUP | WS_VISIBLE;
    AttachWindowSurface(*record);
    WindowRecord& adopted = *record;
    Tables().windows.push_back(std::move(record));
    const HWND window = HandleOf(adopted);
    RefreshMenuBar(adopted);
    if (SendMessageA(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    int clientWidth = 0;
    int clientHeight = 0;
    ClientSizeOf(adopted, &clientWidth, &clientHeight);
    adopted.paintPending = true;
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    return window;
}

BOOL DestroyWindow(HWND window)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    SendMessageA(window, WM_DESTROY, 0, 0);
    record = FindWindowRecord(window);
    if (record == nullptr) {
        return TRUE;
    }
    // The attached bar goes with its window.
    if (record->menu != nullptr) {
        HMENU menu = record->menu;
        record->menu = nullptr;
        menu->owner = nullptr;
        DestroyMenu(menu);
    }
    ForgetQueuedMessages(window);
    SDL_Window* sdl = record->sdl;
    DetachWindowSurface(*record);
    auto& windows = Tables().windows;
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [&](const std::unique_ptr<WindowRecord>& r) { return r.get() == record; }),
                  windows.end());
    SDL_DestroyWindow(sdl);
    return TRUE;
}

BOOL IsWindow(HWND window) { return FindWindowRecord(window) != nullptr ? TRUE : FALSE; }

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0u) {
        case SC_CLOSE:
            SendMessageA(window, WM_CLOSE, 0, 0);
            break;
        case SC_KEYMENU:
            if (record->menu != nullptr && BarHeightOf(*record) > 0) {
                RunMenuBarLoop(window, 0, true);
            }
            break;
        case SC_MINIMIZE:
            SDL_MinimizeWindow(record->sdl);
            break;
        case SC_MAXIMIZE:
            SDL_MaximizeWindow(record->sdl);
            break;
        case SC_RESTORE:
            SDL_RestoreWindow(record->sdl);
            break;
        default:
            break;
        }
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT) != 0) {
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (wParam == VK_F10) {
            SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_SYSKEYUP:
        if (wParam == VK_MENU && AltReleasedAlone()) {
            SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_NCLBUTTONDOWN:
        if (wParam == static_cast<WPARAM>(HTMENU)) {
            int x = 0;
            int y = 0;
            SDL_GetWindowPosition(record->sdl, &x, &y);
            PressMenuBar(window, GET_X_LPARAM(lParam) - x, GET_Y_LPARAM(lParam) - y);
        }
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    default:
        return 0;
    }
}

LONG GetWindowLongA(HWND window, int index)
{
    const WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    if (index == GWL_STYLE) {
        return static_cast<LONG>(record->style);
    }
    if (index == GWL_EXSTYLE) {
        return static_cast<LONG>(record->exStyle);
    }
    return 0;
}

LONG SetWindowLongA(HWND window, int index, LONG value)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    if (index == GWL_EXSTYLE) {
        const LONG previous = static_cast<LONG>(record->exStyle);
        record->exStyle = static_cast<DWORD>(value);
        return previous;
    }
    if (index != GWL_STYLE) {
        return 0;
    }
    const LONG previous = static_cast<LONG>(record->style);
    record->style = static_cast<DWORD>(value);
    ApplyWindowStyle(*record, false);
    RefreshMenuBar(*record);
    return previous;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    if ((flags & SWP_NOMOVE) == 0) {
        SDL_SetWindowPosition(record->sdl, x, y);
    }
    if ((flags & SWP_NOSIZE) == 0 && width > 0 && height > 0) {
        int oldWidth = 0;
        int oldHeight = 0;
        SDL_GetWindowSize(record->sdl, &oldWidth, &oldHeight);
        if (oldWidth != width || oldHeight != height) {
            // The size was asked for here: its SDL event brings no size-move loop.
            record->expectedWidth = width;
            record->expectedHeight = height;
            SDL_SetWindowSize(record->sdl, width, height);
            RefreshMenuBar(*record);
            int clientWidth = 0;
            int clientHeight = 0;
            ClientSizeOf(*record, &clientWidth, &clientHeight);
            SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
        }
    }
    if (flags & SWP_SHOWWINDOW) {
        record = FindWindowRecord(window);
        if (record != nullptr) {
            record->style |= WS_VISIBLE;
            SDL_ShowWindow(record->sdl);
        }
    }
    return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD, BOOL hasMenu)
{
    if (rect == nullptr) {
        return FALSE;
    }
    if (hasMenu) {
        rect->top -= MenuBarHeight;
    }
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    const WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr || rect == nullptr) {
        return FALSE;
    }
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(record->sdl, &x, &y);
    SDL_GetWindowSize(record->sdl, &width, &height);
    *rect = RECT{x, y, x + width, y + height};
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    const WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr || rect == nullptr) {
        return FALSE;
    }
    int width = 0;
    int height = 0;
    ClientSizeOf(*record, &width, &height);
    *rect = RECT{0, 0, width, height};
    return TRUE;
}

namespace {

// Moves a point between screen and client coordinates: direction +1 adds the client origin, -1 takes it away.
BOOL ShiftByClientOrigin(HWND window, POINT* point, int direction)
{
    const WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr || point == nullptr) {
        return FALSE;
    }
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(record->sdl, &x, &y);
    const POINT origin = ClientOriginOf(x, y, BarHeightOf(*record));
    point->x += direction * origin.x;
    point->y += direction * origin.y;
    return TRUE;
}

} // namespace

BOOL ScreenToClient(HWND window, POINT* point) { return ShiftByClientOrigin(window, point, -1); }

BOOL ClientToScreen(HWND window, POINT* point) { return ShiftByClientOrigin(window, point, +1); }

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    const WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    SDL_SetWindowTitle(record->sdl, text != nullptr ? text : "");
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL)
{
    if (window == nullptr) {
        for (const auto& record : Tables().windows) {
            record->paintPending = true;
        }
        return TRUE;
    }
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    record->paintPending = true;
    return TRUE;
}

BOOL UpdateWindow(HWND window)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    if (record->paintPending) {
        record->paintPending = false;
        SendMessageA(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr || record->procedure == nullptr) {
        return 0;
    }
    return record->procedure(window, message, wParam, lParam);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name)
{
    const ResourceModule* module = ModuleFromHinstance(instance);
    if (module == nullptr || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    for (std::size_t i = 0; i < module->iconCount; ++i) {
        if (module->icons[i].id == id) {
            return reinterpret_cast<HICON>(const_cast<IconResource*>(&module->icons[i]));
        }
    }
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    // Only the system's arrow exists; the pointer is the desktop's own.
    if (instance == nullptr && name == IDC_ARROW) {
        return reinterpret_cast<HCURSOR>(&arrowCursor);
    }
    return nullptr;
}

HBRUSH GetStockObject(int object)
{
    if (object < 0 || object >= static_cast<int>(sizeof stockObjects)) {
        return nullptr;
    }
    return reinterpret_cast<HBRUSH>(&stockObjects[object]);
}
