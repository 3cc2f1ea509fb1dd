// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-render: draws the show headless on a fixed time step and writes PNG frames.
// Prints the frames per second and the GL calls per frame at the end; --measure adds the process's
// CPU time per frame before and after the first burst, the draws and the bytes uploaded.
#include <chrono>
#include <cmath>
#include <csignal>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "app/launch_handlers.h"
#include "app/show_script.h"
#include "app/version_text.h"
#include "media/media_lookup.h"
#include "tools/render/flash_check.h"
#include "app/music_plan.h"
#include "app/show_writer.h"
#include "tools/render/frame_writer.h"
#include "tools/render/offline_show.h"
#include "tools/render/render_options.h"
#include "tools/render/recording.h"

namespace {

// One firework of every kind, a second apart, ending with three random clicks.
constexpr const char* DemoScript = R"(# firework type, launch point, burst point
at 0.0 launch 1002 0 0 0   -1.5 4.2 0.5
at 0.6 launch 2005 0 0 0    1.2 3.8 -0.5
at 1.2 launch 3000 0 0 0    0.0 4.5 -1.0
at 1.8 launch 4006 0 0 0   -1.0 3.5 -1.5
at 2.4 launch 5001 0 0 0    1.5 4.4 0.0
at 3.0 launch 6009 0 0 0    0.2 3.9 0.8
at 3.6 click
at 3.8 click
at 4.0 click
)";

// Set by Ctrl-C or SIGTERM; the frame loop looks before every frame.
volatile std::sig_atomic_t StopSignal = 0;

extern "C" void RequestStop(int signal)
{
    StopSignal = signal;
}

bool IsTerminal(std::FILE* file)
{
    return isatty(fileno(file)) != 0;
}

// "frame 1200 of 5000, 3800 to go, about 42 s left", rewritten in place at most a few times a second.
class ProgressLine {
public:
    explicit ProgressLine(int total) : total_(total), shown_(IsTerminal(stderr)), start_(Clock::now()) {}

    void Update(int done)
    {
        if (!shown_) {
            return;
        }
        const auto now = Clock::now();
        if (now - last_ < std::chrono::milliseconds(250) && done < total_) {
            return;
        }
        last_ = now;
        const double spent = std::chrono::duration<double>(now - start_).count();
        const double left = done > 0 ? spent / done * (total_ - done) : 0.0;
        std::fprintf(stderr, "\rframe %d of %d, %d to go, about %.0f s left   ", done, total_, total_ - done, left);
        std::fflush(stderr);
    }

    void Clear()
    {
        if (shown_) {
            std::fprintf(stderr, "\r%60s\r", "");
            std::fflush(stderr);
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    int total_;
    bool shown_;
    Clock::time_point start_;
    Clock::time_point last_{};
};

// The media are looked up in the current folder, as the show does: go where they are.
bool EnterMediaFolder(const RenderOptions& options)
{
    if (options.media.empty()) {
        return ::EnterMediaFolder();
    }
    std::error_code ec;
    std::filesystem::current_path(options.media, ec);
    return !ec;
}

// CPU time of the whole process (the rasteriser's threads included), in seconds.
double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Frames and their costs over one part of the show.
struct Tally {
    int frames = 0;
    double cpuSeconds = 0.0;
    unsigned long long calls = 0;
    unsigned long long draws = 0;
    unsigned long long uploadedBytes = 0;

    double PerFrame(double total) const { return frames > 0 ? total / frames : 0.0; }
};

void PrintMeasurement(const Tally& before, const Tally& after, double wallSeconds)
{
    Tally all = before;
    all.frames += after.frames;
    all.cpuSeconds += after.cpuSeconds;
    all.calls += after.calls;
    all.draws += after.draws;
    all.uploadedBytes += after.uploadedBytes;
    // One line of name=value pairs, for tools/measure-frames.
    std::printf("measure: frames=%d fps=%.1f cpu_ms=%.3f frames_before=%d cpu_ms_before=%.3f frames_after=%d "
                "cpu_ms_after=%.3f gl_calls=%.1f draws=%.1f upload_kb=%.1f\n",
                all.frames, wallSeconds > 0.0 ? all.frames / wallSeconds : 0.0,
                1000.0 * all.PerFrame(all.cpuSeconds), before.frames, 1000.0 * before.PerFrame(before.cpuSeconds),
                after.frames, 1000.0 * after.PerFrame(after.cpuSeconds), all.PerFrame(static_cast<double>(all.calls)),
                all.PerFrame(static_cast<double>(all.draws)),
                all.PerFrame(static_cast<double>(all.uploadedBytes)) / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    RenderOptions options = ParseRenderOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "fireworks-render: %s\n", options.error.c_str());
        return options.exitCode;
    }
    if (options.help) {
        std::fputs(RenderHelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(VersionText("fireworks-render").c_str(), stdout);
        return 0;
    }
    RenderScript script;
    std::string error;
    FireworkTypeRegistry known;
    RegisterFireworkKinds(known);
    MusicAudio music;
    bool read = false;
    if (!options.music.empty() && options.script.empty()) {
        // The show planned on the music's beats.
        MusicAnalysis heard;
        read = ListenToMusic(options.music, "fireworks-render", music, heard, error);
        if (read) {
            script = PlannedShow(heard, 1, options.step, options.music);
        }
        if (read && !options.writeShow.empty()) {
            if (!WriteShowFile(options.writeShow, script.events, heard, options.music, error)) {
                std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
                return 1;
            }
            std::printf("%zu launches on %zu beats (%.1f beats a minute) written to %s\n", script.events.size(),
                        heard.beats.size(), heard.tempo, options.writeShow.c_str());
            return 0;
        }
    } else {
        // A script file gets the show's own checks: a plain file of sensible size, known kinds.
        read = options.script.empty() ? ReadShowText(DemoScript, known, options.step, script, error)
                                      : LoadShowFile(options.script, known, options.step, script, error);
        // Music given with the script, or named by it.
        const std::string& musicFile = options.music.empty() ? script.music : options.music;
        if (read && !musicFile.empty()) {
            read = DecodeMusic(musicFile, music, error);
        }
    }
    if (!read) {
        std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
        return 1;
    }
    double seconds = options.seconds;
    if (!(seconds > 0.0)) {
        seconds = music.Seconds() > 0.0 ? music.Seconds()
                                        : (script.events.empty() ? 0.0 : script.events.back().Seconds()) + 4.0;
    }
    const double frameCount = std::floor(seconds / options.step + 0.5);
    if (frameCount > kMaxFrames) {
        std::fprintf(stderr,
                     "fireworks-render: %g s in steps of %g s is %.0f frames, more than %g; "
                     "use a larger --step or a shorter show\n",
                     seconds, options.step, frameCount, kMaxFrames);
        return 1;
    }
    if (frameCount < 1.0) {
        std::fprintf(stderr, "fireworks-render: --seconds %g is less than one frame of %g s\n", seconds, options.step);
        return 1;
    }
    const int frames = static_cast<int>(frameCount);
    const int every = options.writeFrames ? options.every : 0;

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path out = fs::absolute(options.out, ec);
    if (every > 0 && (ec || (fs::create_directories(out, ec), ec))) {
        std::fprintf(stderr, "fireworks-render: cannot make the folder %s\n", options.out.c_str());
        return 1;
    }
    // Named from where the program was started, before the media folder is entered.
    for (std::string* path : {&options.video, &options.audio}) {
        if (!path->empty()) {
            *path = fs::absolute(*path, ec).string();
        }
    }
    if (!EnterMediaFolder(options)) {
        std::fprintf(stderr, "fireworks-render: cannot enter the media folder %s\n", options.media.c_str());
        return 1;
    }

    OfflineShow show;
    if (!show.Open(options.show, error)) {
        std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
        return 1;
    }
    // The sound track and the video, when asked for: the sound mixed on the frames' clock.
    const bool recording = !options.video.empty() || !options.audio.empty();
    SoundTrack track;
    VideoWriter video;
    const int framesPerSecond = static_cast<int>(std::lround(1.0 / options.step));
    if (recording && (!track.Open(!options.audio.empty(), error) ||
                      (!options.video.empty() && !video.Open(options.video, options.show.width,
                                                             options.show.height, framesPerSecond, error)))) {
        std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
        return 1;
    }
    if (recording) {
        show.SetLaunchSounds(&track.Sounds());
        track.SetMusic(std::move(music.stereo));
    }
    // Only when asked: it reads every frame back.
    std::unique_ptr<FlashCounter> flashes;
    if (options.flashCheck) {
        flashes = std::make_unique<FlashCounter>(options.show.width, options.show.height, 1.0 / options.step);
    }
    // After the device is open, so that these handlers are the ones in force.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    std::size_t next = 0;
    unsigned long long glCalls = 0;
    double drawSeconds = 0.0;
    int measured = 0;
    int written = 0;
    int done = 0;
    bool burst = false;
    Tally before;
    Tally after;
    ProgressLine progress(frames);
    show.TakeCounts();
    for (int frame = 0; frame < frames && StopSignal == 0; ++frame) {
        const float time = static_cast<float>((frame + 1) * options.step);
        // Launches happen between frames, as clicks do; the next update admits them.
        if (recording) {
            track.LaunchAt(time - options.step, ListenerFromView(show.View()));
        }
        for (; next < script.events.size() && ScriptEventFrame(script.events[next], options.step) <= frame; ++next) {
            const ScriptEvent& event = script.events[next];
            if (event.kind == ScriptEvent::Kind::Click) {
                show.Click();
            } else {
                show.Launch(event.typeId, event.launch, event.burst);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        if (!show.Frame(time, static_cast<float>(options.step), options.bare)) {
            progress.Clear();
            std::fprintf(stderr, "fireworks-render: frame %d could not be presented\n", frame);
            return 1;
        }
        show.Finish();
        const double cpu = ProcessCpuSeconds() - cpuStart;
        const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const OfflineShow::FrameCounts counts = show.TakeCounts();
        burst = burst || show.Burst();
        if (time >= options.measureFrom) {
            drawSeconds += spent;
            glCalls += counts.calls;
            ++measured;
            Tally& part = burst ? after : before;
            part.frames += 1;
            part.cpuSeconds += cpu;
            part.calls += counts.calls;
            part.draws += counts.draws;
            part.uploadedBytes += counts.uploadedBytes;
        }
        if (flashes) {
            const BackBufferLock picture(show.Device());
            if (!picture.Ok(error)) {
                progress.Clear();
                std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
                return 1;
            }
            flashes->AddFrame(picture.Row(0), picture.Pitch(), time);
        }
        if (every > 0 && (frame + 1) % every == 0) {
            char name[32];
            std::snprintf(name, sizeof(name), "frame_%05d.png", frame + 1);
            if (!WriteBackBufferPng(show.Device(), (out / name).string(), error)) {
                progress.Clear();
                std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
                return 1;
            }
            ++written;
        }
        if (recording && !RecordFrame(show, options, time, frame, track, video, error)) {
            progress.Clear();
            std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
            return 1;
        }
        done = frame + 1;
        progress.Update(done);
    }
    progress.Clear();
    if (recording && !FinishRecording(options, done * options.step, track, video, error)) {
        std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
        return 1;
    }
    if (StopSignal != 0) {
        std::fprintf(stderr, "fireworks-render: stopped by %s after %d of %d frames; the frames written are kept\n",
                     StopSignal == SIGINT ? "Ctrl-C" : "SIGTERM", done, frames);
    }
    std::printf("%d frames of %dx%d in %.2f s of drawing: %.1f frames per second, %.0f GL calls per frame",
                measured, options.show.width, options.show.height, drawSeconds,
                drawSeconds > 0.0 ? measured / drawSeconds : 0.0,
                measured > 0 ? static_cast<double>(glCalls) / measured : 0.0);
    if (written > 0) {
        std::printf(", %d PNG frames in %s", written, out.string().c_str());
    }
    std::printf("\n");
    if (options.measure) {
        PrintMeasurement(before, after, drawSeconds);
    }
    if (flashes) {
        std::fputs(FlashReportText(flashes->Report()).c_str(), stdout);
    }
    // The shell's convention for a program ended by a signal.
    return StopSignal != 0 ? 128 + StopSignal : 0;
}
