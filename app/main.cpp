// SPDX-License-Identifier: GPL-3.0-or-later
// The process entry of the show: its options, a clear word when no display can be opened or a show
// file is bad, and otherwise the show until its window closes.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <thread>

#include <pthread.h>

#include "app/program_options.h"
#include "app/show_app.h"
#include "app/version_text.h"
#include "effects/effect_context.h"
#include "app/music_plan.h"
#include "app/show_writer.h"
#include "effects/random01.h"
#include "framework/app_entry.h"
#include "media/media_lookup.h"
#include "platform/win/display_loss.h"
#include "platform/win/display_probe.h"
#include "platform/win/native_window.h"
#include "resources/program_resources.h"

namespace {

// The signal that ended the show (0: none); read by main for the exit code.
std::atomic<int> endingSignal{0};

// SIGINT, SIGTERM and SIGHUP end the show as closing its window does. They are blocked in every
// thread (so called before any other thread starts) and taken by one waiting thread, which posts
// WM_CLOSE: no work happens in a signal handler.
void CloseOnTermination(ShowApp& show)
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([&show, signals] {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) {
            return;
        }
        endingSignal.store(signal);
        const int code = signal == SIGINT ? 130 : 0;
        EndQuietlyWhenDisplayIsLost(code);
        // The window may still be opening; a start that fails ends the process by itself. A window
        // thread held by a modal box cannot close: after two seconds the process ends without it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        bool posted = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!posted) {
                if (HWND window = show.openedWindow.load(); window != nullptr) {
                    PostMessageA(window, WM_CLOSE, 0, 0);
                    posted = true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::fprintf(stderr, "fireworks: ended by signal %d without closing the window\n", signal);
        std::fflush(stderr);
        std::_Exit(code);
    }).detach();
}

// Decodes the music and, without a show file, plans the show on it (or writes the plan and stops).
// Returns -1 to go on; otherwise the show does not start and this is the exit code (1: an error was
// printed, 0: the plan was written).
int PrepareMusic(ShowApp& show, const ProgramOptions& options, const std::string& musicFile)
{
    MusicAudio music;
    std::string error;
    if (!options.showFile.empty()) {
        if (!DecodeMusic(musicFile, music, error)) {
            std::fprintf(stderr, "fireworks: %s\n", error.c_str());
            return 1;
        }
        const double seconds = music.Seconds();
        show.SetMusic(std::move(music.stereo), seconds, false);
        return -1;
    }
    MusicAnalysis heard;
    if (!ListenToMusic(musicFile, "fireworks", music, heard, error)) {
        std::fprintf(stderr, "fireworks: %s\n", error.c_str());
        return 1;
    }
    RenderScript plan = PlannedShow(heard, options.hasSeed ? options.seed : 1u,
                                    static_cast<double>(show.frameTime), musicFile);
    if (!options.writeShow.empty()) {
        if (!WriteShowFile(options.writeShow, plan.events, heard, musicFile, error)) {
            std::fprintf(stderr, "fireworks: %s\n", error.c_str());
            return 1;
        }
        std::printf("%zu launches on %zu beats (%.1f beats a minute) written to %s\n", plan.events.size(),
                    heard.beats.size(), heard.tempo, options.writeShow.c_str());
        return 0;
    }
    show.PlayShow(std::move(plan), false);
    const double seconds = music.Seconds();
    show.SetMusic(std::move(music.stereo), seconds, true);
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    const ProgramOptions options = ParseProgramOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
    if (!options.error.empty()) {
        std::fprintf(stderr, "fireworks: %s\n", options.error.c_str());
        return 2;
    }
    for (const std::string& warning : options.warnings) {
        std::fprintf(stderr, "fireworks: %s\n", warning.c_str());
    }
    if (options.help) {
        std::fputs(ProgramHelpText(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(VersionText("fireworks").c_str(), stdout);
        return 0;
    }
    static ShowApp show;
    std::string musicFile = options.music;
    if (!options.showFile.empty()) {
        // Read before the window opens, and before the media folder is entered: the path is the user's.
        RenderScript script;
        std::string error;
        if (!LoadShowFile(options.showFile, show.fireworkTypes, static_cast<double>(show.frameTime), script,
                          error)) {
            std::fprintf(stderr, "fireworks: %s\n", error.c_str());
            return 1;
        }
        if (musicFile.empty()) {
            musicFile = script.music;
        }
        show.PlayShow(std::move(script), options.loop);
    }
    // Before any other thread starts (the display's included), so that all of them inherit the
    // blocked signals.
    CloseOnTermination(show);
    if (const int ended = musicFile.empty() ? -1 : PrepareMusic(show, options, musicFile); ended >= 0) {
        return ended;
    }
    if (!DisplayAvailable()) {
        std::fputs("fireworks: no display can be opened here; fireworks-render draws the show to image files "
                   "without one.\n",
                   stderr);
        return 1;
    }
    EnterMediaFolder();
    if (options.windowId != 0) {
        show.DrawIntoWindow(options.windowId);
    } else if (options.root) {
        show.DrawIntoWindow(NativeRootWindow());
    }
    if (options.screensaver) {
        // Nobody can answer a box over a screensaver: a failure is one line and exit code 1.
        MessageBoxesAsOneLine("fireworks");
        show.frameRateShown = options.showFrameRate;
        // Screensavers leave the machine its cores: 50 frames a second at most unless --delay says.
        show.frameTime = 1.0f / 50.0f;
    }
    show.screensaverPace = options.screensaver && options.delayMicroseconds < 0 && options.maxFps <= 0;
    if (options.delayMicroseconds >= 0) {
        show.frameTime = static_cast<float>(options.delayMicroseconds) / 1e6f;
    }
    // A cap lengthens the render pass, whose rest is slept; it never shortens a longer --delay.
    if (options.maxFps > 0 && show.frameTime < 1.0f / static_cast<float>(options.maxFps)) {
        show.frameTime = 1.0f / static_cast<float>(options.maxFps);
    }
    // Longer sleeps would hold up input if they kept the render lock; the plain show keeps its pace.
    show.sleepUnlocked = options.screensaver || options.delayMicroseconds >= 0 || options.maxFps > 0 ||
                         options.automatic || !options.showFile.empty();
    if (options.quality != ProgramOptions::Quality::Full) {
        show.qualityGoverned = options.quality == ProgramOptions::Quality::Auto;
        show.quality = options.quality == ProgramOptions::Quality::Balanced ? QualityLevel::Balanced
                       : options.quality == ProgramOptions::Quality::Fast   ? QualityLevel::Fast
                                                                            : QualityLevel::Full;
    }
    show.qualityShown = options.quality != ProgramOptions::Quality::Full;
    show.launchRate = options.launchRate;
    if (options.automatic) {
        show.EnableAutoShow();
    }
    if (options.sound || !musicFile.empty()) {
        // In the media folder, where the sounds are.
        show.EnableSound();
    }
    if (options.hasSeed) {
        show.SetSeed(options.seed);
        // Clicks draw on this thread's generator.
        ResetRuntimeRand(options.seed);
    }
    if (options.width != 0) {
        show.creationWidth = static_cast<UINT>(options.width);
        show.creationHeight = static_cast<UINT>(options.height);
    }
    if (!options.Plain()) {
        // For the person at the screen: the keys on F1 or ?, and full-screen at the desktop's own size.
        show.EnableKeysHelp();
        show.fullScreenAtDesktopSize = true;
    }
    if (options.fullScreen) {
        show.StartFullScreen();
    }
    Effects.flashFlicker = options.flicker;
    const int code = RunApplication(show, ProgramInstance());
    // A close asked for by a signal: 130 for SIGINT, as shells report an interrupted program.
    if (code == 0 && endingSignal.load() == SIGINT) {
        return 130;
    }
    return code;
}
