// SPDX-License-Identifier: GPL-3.0-or-later
// The ways to watch without clicking: the automatic show with its commands, and a played show file.
#include "app/show_app.h"

#include <utility>

#include "app/show_trace.h"

namespace {

ShowApp& Show()
{
    return *static_cast<ShowApp*>(AppFramework::Instance());
}

// The automatic show's commands.
void SetAuto(bool on)
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    show.autoShow.enabled = on;
    LeaveCriticalSection(&show.RenderLock);
    ShowTrace("auto %s", on ? "on" : "off");
}

void AutoToggleCommand()
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    const bool on = !show.autoShow.enabled;
    LeaveCriticalSection(&show.RenderLock);
    SetAuto(on);
}

void AutoOnCommand()
{
    SetAuto(true);
}

void AutoOffCommand()
{
    SetAuto(false);
}

void ChangeRate(bool faster)
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    ChangeAutoRate(show.autoShow, faster);
    const float rate = show.autoShow.rate;
    LeaveCriticalSection(&show.RenderLock);
    ShowTrace("launch rate %.2f", static_cast<double>(rate));
}

void LaunchRateUpCommand()
{
    ChangeRate(true);
}

void LaunchRateDownCommand()
{
    ChangeRate(false);
}

void PauseCommand()
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    show.paused = !show.paused;
    const bool paused = show.paused;
    LeaveCriticalSection(&show.RenderLock);
    ShowTrace("pause %s", paused ? "on" : "off");
}

} // namespace

void ShowApp::EnableAutoShow()
{
    autoMode = true;
    // The picture alone for whoever watches; T shows the status text.
    statusVisible = false;
    const struct {
        const char* name;
        CommandHandler handler;
        std::int32_t keys[2];
    } actions[] = {
        {"AutoToggle", &AutoToggleCommand, {'O', 0}},
        {"AutoOn", &AutoOnCommand, {'I', 0}},
        {"AutoOff", &AutoOffCommand, {'K', 0}},
        {"LaunchRateUp", &LaunchRateUpCommand, {VK_OEM_PLUS, VK_ADD}},
        {"LaunchRateDown", &LaunchRateDownCommand, {VK_OEM_MINUS, VK_SUBTRACT}},
        {"Pause", &PauseCommand, {'P', VK_PAUSE}},
    };
    for (const auto& action : actions) {
        commands.SetHandler(action.name, action.handler);
        for (std::int32_t key : action.keys) {
            if (key != 0) {
                commands.BindKey(key, action.name);
            }
        }
    }
}

void ShowApp::PlayShow(RenderScript script, bool loop)
{
    showScript = std::move(script);
    player.loop = loop;
    playing = true;
}

void ShowApp::SetSeed(std::uint32_t value)
{
    seeded = true;
    seed = value;
}

void ShowApp::LaunchDue(double showTime)
{
    if (playing) {
        while (const ScriptEvent* event = TakeDueEvent(player, showScript, showTime)) {
            if (event->kind == ScriptEvent::Kind::Click) {
                fireworkTypes.LaunchRandomFirework();
            } else {
                fireworkTypes.LaunchById(event->typeId, event->launch[0], event->launch[1], event->launch[2],
                                         event->burst[0], event->burst[1], event->burst[2]);
            }
            ShowTrace("show launch line %d", event->line);
        }
    }
    if (autoMode) {
        int count = 0;
        while ((count = StepAutoShow(autoShow, showTime, dueShells, kAutoFinaleMax)) > 0) {
            for (int i = 0; i < count; ++i) {
                LaunchAutoShell(fireworkTypes, dueShells[i]);
            }
            ShowTrace("auto launch %d", count);
        }
    }
}
