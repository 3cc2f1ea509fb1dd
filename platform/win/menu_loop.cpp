// SPDX-License-Identifier: GPL-3.0-or-later
// The modal menu loops: a popup opened from the bar (by click or keyboard) or at a point (context
// menus). The loop takes the event pump's decoded events until an item is chosen or the menu is
// dismissed; the window hears WM_ENTERMENULOOP first, WM_PAINT whenever the picture changes, WM_EXITMENULOOP last.
#include "platform/win/event_pump.h"
#include "platform/win/menu_layout.h"
#include "platform/win/menu_painter.h"
#include "platform/win/window_record.h"

#include <SDL.h>

#include <cctype>

namespace {

// One open menu: the popup, where it sits (window pixels) and the bar title it hangs from, if any.
struct OpenMenu {
    HWND window = nullptr;
    HMENU bar = nullptr;
    int barItem = -1;
    HMENU popup = nullptr;
    PopupLayout layout;
    int x = 0;
    int y = 0;
    int hot = -1;
};

enum class LoopEnd { Running, Chosen, Cancelled };

void ShowPopup(OpenMenu& open)
{
    WindowRecord* record = FindWindowRecord(open.window);
    if (record == nullptr || open.popup == nullptr) {
        return;
    }
    record->overlay->Show(WindowOverlay::Popup, open.x, open.y, open.layout.width, open.layout.height,
                         PaintPopupImage(*open.popup, open.layout, open.hot));
}

void ShowBar(WindowRecord& record, int hot)
{
    record.barHot = hot;
    PaintMenuBar(record);
}

// Opens a popup with its top-left wanted at (x, y) in window pixels.
void OpenPopup(OpenMenu& open, HMENU popup, int x, int y, bool keyboard)
{
    WindowRecord* record = FindWindowRecord(open.window);
    if (record == nullptr) {
        return;
    }
    open.popup = popup;
    open.layout = LayoutPopup(*popup, MenuTextWidthOf);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(record->sdl, &width, &height);
    const POINT placed = PlacePopup(x, y, open.layout.width, open.layout.height, width, height);
    open.x = placed.x;
    open.y = placed.y;
    open.hot = keyboard ? NextSelectableItem(*popup, -1, 1) : -1;
    ShowPopup(open);
}

// Opens the popup of bar title index below it; false when the title has no popup.
bool OpenBarItem(OpenMenu& open, int index, bool keyboard)
{
    WindowRecord* record = FindWindowRecord(open.window);
    if (record == nullptr || open.bar == nullptr || index < 0 ||
        index >= static_cast<int>(open.bar->items.size())) {
        return false;
    }
    HMENU popup = open.bar->items[static_cast<std::size_t>(index)].popup;
    if (popup == nullptr) {
        return false;
    }
    const std::vector<RECT> titles = LayoutBar(*open.bar, MenuTextWidthOf, BarHeightOf(*record));
    open.barItem = index;
    ShowBar(*record, index);
    OpenPopup(open, popup, titles[static_cast<std::size_t>(index)].left, BarHeightOf(*record), keyboard);
    return true;
}

void Repaint(HWND window) { SendMessageA(window, WM_PAINT, 0, 0); }

bool Selectable(const HMENU__& menu, int index)
{
    return index >= 0 && index < static_cast<int>(menu.items.size()) &&
           (menu.items[static_cast<std::size_t>(index)].flags & (MF_SEPARATOR | MF_GRAYED)) == 0;
}

int BarTitleAt(const OpenMenu& open, const WindowRecord& record, int x, int y)
{
    if (open.bar == nullptr || y < 0 || y >= BarHeightOf(record)) {
        return -1;
    }
    return HitMenuItem(LayoutBar(*open.bar, MenuTextWidthOf, BarHeightOf(record)), x, y);
}

// The item under a window point, or -1 outside the popup.
int ItemAt(const OpenMenu& open, int x, int y)
{
    return HitMenuItem(open.layout.items, x - open.x, y - open.y);
}

bool InsidePopup(const OpenMenu& open, int x, int y)
{
    return x >= open.x && y >= open.y && x < open.x + open.layout.width && y < open.y + open.layout.height;
}

// A button's release inside the popup chooses the item under it.
LoopEnd ReleaseButton(const OpenMenu& open, const InputEvent& event, bool ours, int* chosen)
{
    if (!ours || !InsidePopup(open, event.x, event.y)) {
        return LoopEnd::Running;
    }
    const int item = ItemAt(open, event.x, event.y);
    if (Selectable(*open.popup, item) && open.popup->items[static_cast<std::size_t>(item)].popup == nullptr) {
        *chosen = item;
        return LoopEnd::Chosen;
    }
    return LoopEnd::Running;
}

// Handles one event; *chosen gets the item chosen.
LoopEnd HandleEvent(OpenMenu& open, const InputEvent& event, int* chosen)
{
    WindowRecord* record = FindWindowRecord(open.window);
    if (record == nullptr) {
        return LoopEnd::Cancelled;
    }
    const bool ours = event.windowId == SDL_GetWindowID(record->sdl);
    switch (event.kind) {
    case InputEvent::Kind::Motion: {
        if (!ours) {
            break;
        }
        const int title = BarTitleAt(open, *record, event.x, event.y);
        if (title >= 0 && title != open.barItem) {
            OpenBarItem(open, title, false);
            Repaint(open.window);
            break;
        }
        const int item = ItemAt(open, event.x, event.y);
        const int hot = Selectable(*open.popup, item) ? item : -1;
        if (hot != open.hot && (InsidePopup(open, event.x, event.y) || open.hot >= 0)) {
            open.hot = hot;
            ShowPopup(open);
            Repaint(open.window);
        }
        break;
    }
    case InputEvent::Kind::Button: {
        if (!event.down) {
            return ReleaseButton(open, event, ours, chosen);
        }
        if (!ours) {
            return LoopEnd::Cancelled;
        }
        const int x = event.x;
        const int y = event.y;
        if (InsidePopup(open, x, y)) {
            break;
        }
        const int title = BarTitleAt(open, *record, x, y);
        if (title >= 0 && title != open.barItem) {
            OpenBarItem(open, title, false);
            Repaint(open.window);
            break;
        }
        // A press on the open title or anywhere else closes the menu.
        return LoopEnd::Cancelled;
    }
    case InputEvent::Kind::Key: {
        if (!event.down) {
            NoteKeyState(event.virtualKey, false);
            break;
        }
        const int vk = event.virtualKey;
        NoteKeyState(vk, true);
        switch (vk) {
        case VK_ESCAPE:
        case VK_MENU:
        case VK_F10:
            // Esc dismisses the menu; its release must not reach the window (the show quits on it).
            SwallowNextKeyUp(vk);
            return LoopEnd::Cancelled;
        case VK_UP:
        case VK_DOWN: {
            const int next = NextSelectableItem(*open.popup, open.hot, vk == VK_DOWN ? 1 : -1);
            if (next != open.hot) {
                open.hot = next;
                ShowPopup(open);
                Repaint(open.window);
            }
            break;
        }
        case VK_LEFT:
        case VK_RIGHT:
            if (open.bar != nullptr && open.bar->items.size() > 1) {
                const int count = static_cast<int>(open.bar->items.size());
                const int step = vk == VK_RIGHT ? 1 : -1;
                for (int tried = 1; tried < count; ++tried) {
                    if (OpenBarItem(open, (open.barItem + step * tried + count * tried) % count, true)) {
                        Repaint(open.window);
                        break;
                    }
                }
            }
            break;
        case VK_RETURN:
        case VK_SPACE:
            if (Selectable(*open.popup, open.hot)) {
                SwallowNextKeyUp(vk);
                *chosen = open.hot;
                return LoopEnd::Chosen;
            }
            break;
        default: {
            // A mnemonic letter chooses its item at once.
            for (std::size_t i = 0; i < open.popup->items.size(); ++i) {
                const MenuText text = ParseMenuText(open.popup->items[i].text);
                if (text.mnemonic >= 0 && Selectable(*open.popup, static_cast<int>(i)) &&
                    std::toupper(static_cast<unsigned char>(text.label[static_cast<std::size_t>(text.mnemonic)])) ==
                        vk) {
                    SwallowNextKeyUp(vk);
                    *chosen = static_cast<int>(i);
                    return LoopEnd::Chosen;
                }
            }
            break;
        }
        }
        break;
    }
    case InputEvent::Kind::Window:
        if (!ours) {
            break;
        }
        switch (event.change) {
        case InputEvent::Change::Close:
            // The close request waits in the queue for after the menu.
            QueueInputMessage(open.window, WM_CLOSE, 0, 0);
            return LoopEnd::Cancelled;
        case InputEvent::Change::FocusLost:
        case InputEvent::Change::Minimized:
        case InputEvent::Change::SizeChanged:
            return LoopEnd::Cancelled;
        case InputEvent::Change::Exposed:
            Repaint(open.window);
            break;
        default:
            break;
        }
        break;
    case InputEvent::Kind::Quit:
        return LoopEnd::Cancelled;
    default:
        break;
    }
    return LoopEnd::Running;
}

// Runs the loop on an opened menu; returns the chosen command or 0.
WORD RunLoop(OpenMenu& open)
{
    Repaint(open.window);
    int chosen = -1;
    LoopEnd end = LoopEnd::Running;
    while (end == LoopEnd::Running) {
        // A close request queued before the menu opened (the window manager's Alt+F4 arrives while
        // Alt's release opens the bar), or posted since, ends the menu instead of waiting behind it.
        if (ClosingQueued(open.window)) {
            end = LoopEnd::Cancelled;
            break;
        }
        InputEvent event;
        if (!WaitInputEvent(&event, -1)) {
            end = LoopEnd::Cancelled;
            break;
        }
        end = HandleEvent(open, event, &chosen);
    }
    WORD command = 0;
    if (end == LoopEnd::Chosen && open.popup != nullptr && chosen >= 0) {
        command = open.popup->items[static_cast<std::size_t>(chosen)].id;
    }
    if (WindowRecord* record = FindWindowRecord(open.window)) {
        record->overlay->Hide(WindowOverlay::Popup);
        if (open.bar != nullptr) {
            ShowBar(*record, -1);
        }
        record->paintPending = true;
    }
    return command;
}

} // namespace

void PaintMenuBar(WindowRecord& record)
{
    const int bar = BarHeightOf(record);
    if (record.menu == nullptr || bar <= 0 || record.outerWidth <= 0) {
        record.overlay->Hide(WindowOverlay::MenuBar);
        return;
    }
    const std::vector<RECT> titles = LayoutBar(*record.menu, MenuTextWidthOf, bar);
    record.overlay->Show(WindowOverlay::MenuBar, 0, 0, record.outerWidth, bar,
                        PaintMenuBarImage(*record.menu, titles, record.outerWidth, bar, record.barHot));
}

void HoverMenuBar(WindowRecord& record, int x, int y)
{
    int hot = -1;
    if (record.menu != nullptr && y >= 0 && y < BarHeightOf(record)) {
        hot = HitMenuItem(LayoutBar(*record.menu, MenuTextWidthOf, BarHeightOf(record)), x, y);
    }
    if (hot != record.barHot) {
        ShowBar(record, hot);
    }
}

void RunMenuBarLoop(HWND window, int item, bool keyboard)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr || record->menu == nullptr || BarHeightOf(*record) <= 0) {
        return;
    }
    HMENU bar = record->menu;
    if (item < 0 || item >= static_cast<int>(bar->items.size())) {
        return;
    }
    // A title without a popup is a command of its own.
    if (bar->items[static_cast<std::size_t>(item)].popup == nullptr) {
        if ((bar->items[static_cast<std::size_t>(item)].flags & MF_GRAYED) == 0) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(bar->items[static_cast<std::size_t>(item)].id, 0), 0);
        }
        return;
    }
    SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
    OpenMenu open;
    open.window = window;
    open.bar = bar;
    WORD command = 0;
    if (OpenBarItem(open, item, keyboard)) {
        command = RunLoop(open);
    }
    SendMessageA(window, WM_EXITMENULOOP, FALSE, 0);
    if (command != 0) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
}

bool PressMenuBar(HWND window, int x, int y)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr || record->menu == nullptr) {
        return false;
    }
    const int title = HitMenuItem(LayoutBar(*record->menu, MenuTextWidthOf, BarHeightOf(*record)), x, y);
    if (title < 0) {
        return false;
    }
    RunMenuBarLoop(window, title, false);
    return true;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window, const void*)
{
    WindowRecord* record = FindWindowRecord(window);
    if (menu == nullptr || record == nullptr || menu->items.empty()) {
        return FALSE;
    }
    SendMessageA(window, WM_ENTERMENULOOP, TRUE, 0);
    OpenMenu open;
    open.window = window;
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(record->sdl, &left, &top);
    OpenPopup(open, menu, x - left, y - top, false);
    const WORD command = RunLoop(open);
    SendMessageA(window, WM_EXITMENULOOP, TRUE, 0);
    if (flags & TPM_RETURNCMD) {
        return command;
    }
    if (command != 0) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    return command != 0 ? TRUE : FALSE;
}
