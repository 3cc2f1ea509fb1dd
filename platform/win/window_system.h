// SPDX-License-Identifier: GPL-3.0-or-later
// The window system as the show's code calls it: window classes and windows, the message queue of
// the window thread, menus and accelerators from the module's resources, message boxes, the cursor.
// Windows are SDL windows; their menu bar and popup menus are drawn by this layer inside the window,
// above the area the drawing device presents into (the client area).
// Threads: windows are made and messages retrieved on the process's main thread (the window thread);
// PostMessageA may be called from any thread.
#pragma once

#include "platform/win/resource_module.h"
#include "platform/base/win_types.h"
#include "platform/win/window_messages.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
struct HMENU__;
using HMENU = HMENU__*;
struct HACCEL__;
using HACCEL = HACCEL__*;
struct HICON__;
using HICON = HICON__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
using ATOM = WORD;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Resource identifiers travel as small integers in a name pointer.
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000u;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// SetWindowPos.
inline HWND const HWND_TOP = reinterpret_cast<HWND>(0);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_SHOWWINDOW = 0x0040;

// PeekMessageA.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// TrackPopupMenuEx.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RETURNCMD = 0x0100;
constexpr UINT TPM_VERTICAL = 0x0040;

// MessageBoxA.
constexpr UINT MB_OK = 0x00000000u;
constexpr UINT MB_ICONERROR = 0x00000010u;
constexpr UINT MB_ICONWARNING = 0x00000030u;
constexpr UINT MB_ICONINFORMATION = 0x00000040u;
constexpr int IDOK = 1;

// Stock objects and system cursors.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
inline LPCSTR const IDC_ARROW = MAKEINTRESOURCEA(32512);

// Window classes and windows.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
// The window is an SDL window made for OpenGL drawing; x, y may be CW_USEDEFAULT. Sends WM_GETMINMAXINFO
// (the minimum track size becomes the window's minimum size), WM_CREATE, and WM_SIZE once shown.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY, then the window and its menu bar are gone; the handle is invalid afterwards.
// An addition of this layer: takes over an existing native window (an X window id, such as a
// screensaver's) as a window of the class, for OpenGL drawing, without menu bar or decorations.
// Sends WM_CREATE and WM_SIZE; destroying it later leaves the native window to its owner.
HWND AdoptNativeWindowA(std::uint64_t nativeWindow, LPCSTR className);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// The default handling: WM_CLOSE destroys the window, WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE,
// SC_KEYMENU opens the menu bar; everything else answers 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG GetWindowLongA(HWND window, int index);
// GWL_STYLE: WS_CAPTION and WS_THICKFRAME give a decorated, resizable window; WS_POPUP without them a
// borderless one. Returns the previous value.
LONG SetWindowLongA(HWND window, int index, LONG value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// Outer rectangle for a client rectangle: the menu bar height is added when hasMenu is true; the frame
// drawn by the desktop's window manager is not part of a window here.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL hasMenu);
// Screen coordinates of the whole window (menu bar included).
BOOL GetWindowRect(HWND window, RECT* rect);
// The client area: (0, 0) to its size, below the menu bar.
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND window);

// The message queue of the window thread.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
// Blocks until a message arrives; FALSE for WM_QUIT, -1 for bad arguments.
BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
// Calls the window procedure at once, on the calling thread (the window thread).
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message for the window thread; safe from any thread, never waits for that thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Menus and accelerators, from the module's resource tables.
HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);
HMENU GetMenu(HWND window);
// Attaches a menu bar (null removes it); the client area shrinks or grows by the bar, the window's
// outer size stays.
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetSubMenu(HMENU menu, int position);
BOOL DestroyMenu(HMENU menu);
// Shows a popup at screen coordinates and runs its loop (WM_ENTERMENULOOP … WM_EXITMENULOOP); a chosen
// item is posted as WM_COMMAND, or returned with TPM_RETURNCMD.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window, const void* params);
HACCEL LoadAcceleratorsA(HINSTANCE instance, LPCSTR name);
// Key-downs matching the table become WM_COMMAND sent to the window; TRUE when consumed.
int TranslateAcceleratorA(HWND window, HACCEL table, MSG* message);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HBRUSH GetStockObject(int object);

// Message boxes. Every box of the program goes through here. When the environment variable
// FIREWORKS_MESSAGE_BOX is "stderr" (tests, or no display), caption and text go to standard error and
// the call returns IDOK at once.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// For a program no person watches (a screensaver's): from now on every box is one line on standard
// error, "prefix: text" with the text's line breaks made spaces, and never a window.
void MessageBoxesAsOneLine(const char* prefix);

// The cursor.
// Confines the pointer to a screen rectangle; null frees it.
BOOL ClipCursor(const RECT* rect);
// A null cursor hides the pointer over the window's client area.
HCURSOR SetCursor(HCURSOR cursor);
BOOL GetCursorPos(POINT* point);
int ShowCursor(BOOL show);

// Key state as the window thread last saw it (high bit set while down).
short GetKeyState(int virtualKey);
