// SPDX-License-Identifier: GPL-3.0-or-later
// The window layer's own bookkeeping, shared by its source files: window classes, the record kept for
// each window, menus as trees, and the hooks between the queue, the windows and the menu loop.
// Everything here belongs to the window thread unless a comment says otherwise.
#pragma once

#include "platform/surface/window_overlay.h"
#include "platform/win/window_system.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
struct InputEvent;

struct MenuItem {
    WORD flags = MF_STRING;
    WORD id = 0;
    std::string text;
    HMENU popup = nullptr;
};

struct HMENU__ {
    std::vector<MenuItem> items;
    // The window whose bar shows this menu, if any.
    HWND owner = nullptr;
};

struct WindowClass {
    std::string name;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
};

struct WindowRecord {
    SDL_Window* sdl = nullptr;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HMENU menu = nullptr;
    // Shared with the drawing device through the window's surface description.
    std::shared_ptr<WindowOverlay> overlay = std::make_shared<WindowOverlay>();
    // Size of the outer window (bar included) last reported, and what was reported to the window.
    int outerWidth = 0;
    int outerHeight = 0;
    bool paintPending = false;
    bool minimized = false;
    bool maximized = false;
    // A burst of SDL size or move events becomes one size-move loop once it settles.
    bool sizeMovePending = false;
    bool sizeMoveResized = false;
    bool sizeMoveMoved = false;
    std::uint32_t sizeMoveSettleAt = 0;
    // A size this layer asked for itself: its SDL event reports nothing new.
    int expectedWidth = -1;
    int expectedHeight = -1;
    // The menu bar's item under the pointer or open (-1 for none).
    int barHot = -1;
    // Whether the window covered the screen when its last event came.
    bool wasFullScreen = false;
};

// Window records by handle; null for a handle that names no live window of this layer.
WindowRecord* FindWindowRecord(HWND window);
// The record of the SDL window with this id, or null.
WindowRecord* FindWindowRecordById(std::uint32_t windowId);
HWND HandleOf(const WindowRecord& record);
int WindowCount();
// The first live window (for calls that take no window, such as the cursor's).
HWND FirstWindow();
// Visits every live window; visit must not create or destroy windows.
void ForEachWindowRecord(void (*visit)(WindowRecord&, void*), void* data);

// Height of the strip above the client area: the bar when a menu is attached and the window is not
// full-screen.
int BarHeightOf(const WindowRecord& record);
// Shows the style's decorations and resizability; force re-sends them (after the window left full
// screen, where the window manager dropped them).
void ApplyWindowStyle(WindowRecord& record, bool force);
// Re-reads the window's size and refreshes the bar image and the overlay's strip height.
void RefreshMenuBar(WindowRecord& record);
// Client size of the window from its current outer size.
void ClientSizeOf(const WindowRecord& record, int* width, int* height);

// The seam's bookkeeping (window_surface.cpp): the device's preparation runs before a window is made,
// and a window's record is found from its SDL window while it lives.
void PrepareWindowSurface();
void AttachWindowSurface(WindowRecord& record);
void DetachWindowSurface(WindowRecord& record);

// Initialises SDL video (and the event kinds the queue uses) once; false when no display can be used.
bool EnsureVideo();
// The SDL event type that wakes the queue for a posted message.
std::uint32_t WakeEventType();

// Turns one event from the pump into messages (message_translation.cpp).
void TranslateInputEvent(const InputEvent& event);
// Ends the size-move loops whose bursts have settled; returns the ticks until the next one is due
// (or -1 when none is pending).
int SettleSizeMoves();

// The pointer's position on the screen.
POINT CursorScreenPoint();
// Appends WM_QUIT, as the end of SDL's last window does.
void QueueQuitMessage();
// Appends a message made by the window thread (input, window changes) to the queue.
void QueueInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops queued messages for a window that is going away.
void ForgetQueuedMessages(HWND window);
// Whether a WM_CLOSE for the window or a WM_QUIT waits in the queue: a menu loop ends for it.
bool ClosingQueued(HWND window);
// True once after Alt was pressed and released with nothing else pressed in between.
bool AltReleasedAlone();
// The release of a key whose press closed a menu belongs to the menu: it reaches no window.
void SwallowNextKeyUp(int virtualKey);
// Records a key's new state as the queue sees it.
void NoteKeyState(int virtualKey, bool down);

// The pointer's shape around WM_SETCURSOR (cursor.cpp): the class arrow comes back before the message,
// and whatever the window chose applies after it.
void RestoreClassCursor();
void ApplyCursor();

// Menu drawing and the modal loops (menu_loop.cpp).
// Opens the bar's popup at item index and runs the loop; keyboard true highlights its first item.
void RunMenuBarLoop(HWND window, int item, bool keyboard);
// Handles a left press on the bar strip (window pixels); true when it hit an item.
bool PressMenuBar(HWND window, int x, int y);
// Builds the bar image of the window's menu at its current width.
void PaintMenuBar(WindowRecord& record);
// Highlights the bar title under the pointer (window pixels; a point off the bar clears it).
void HoverMenuBar(WindowRecord& record, int x, int y);
