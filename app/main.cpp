// SPDX-License-Identifier: GPL-3.0-or-later
// The process entry of the show: its options, a clear word when no display can be opened or a show
// file is bad, and otherwise the show until its window closes.
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
#include "music/music_plan.h"
#include "music/show_writer.h"
#include "effects/random01.h"
#include "framework/app_entry.h"
#include "media/media_lookup.h"
#include "platform/win/display_probe.h"
#include "resources/program_resources.h"

namespace {

// SIGTERM ends the show as closing its window does. The signal is blocked in every thread and taken
// by one waiting thread, which posts WM_CLOSE: no work happens in a signal handler.
void CloseOnTerminate(ShowApp& show)
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([&show, signals] {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) {
            return;
        }
        // The window may still be opening.
        HWND window = nullptr;
        while ((window = show.openedWindow.load()) == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
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
    if (options.help) {
        std::fputs(ProgramHelpText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("fireworks %s\n", FIREWORKS_VERSION);
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
        // Before any other thread starts, so that all of them inherit the blocked signal.
        CloseOnTerminate(show);
        show.DrawIntoWindow(options.windowId);
    }
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
    if (options.fullScreen) {
        show.StartFullScreen();
    }
    return RunApplication(show, ProgramInstance());
}
