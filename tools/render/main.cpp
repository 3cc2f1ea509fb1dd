// fireworks-render: draws the show headless on a fixed time step and writes PNG frames.
// Prints the frames per second and the GL calls per frame at the end; --measure adds the process's
// CPU time per frame before and after the first burst, the draws and the bytes uploaded.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "media/media_lookup.h"
#include "tools/render/frame_writer.h"
#include "tools/render/offline_show.h"
#include "tools/render/render_script.h"

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

struct Options {
    std::string script;
    std::string out = "frames";
    std::string media;
    OfflineShowOptions show;
    float seconds = -1.0f;
    float step = 0.01f;
    // Frames before this time are drawn but left out of the figures.
    float measureFrom = 0.0f;
    int every = 10;
    bool bare = false;
    bool measure = false;
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: fireworks-render [--script FILE] [--out DIR] [--size WxH] [--seconds S] [--step S]\n"
                 "                        [--every N] [--media DIR] [--no-sea] [--software] [--bare] [--measure]\n"
                 "  --script FILE  lines 'at SECONDS launch ID LX LY LZ BX BY BZ' or 'at SECONDS click'\n"
                 "                 (default: one firework of every kind, then three clicks)\n"
                 "  --out DIR      folder for frame_NNNNN.png (default: frames)\n"
                 "  --every N      write every Nth frame, 0 for none (default 10)\n"
                 "  --seconds S    length of the show (default: the last event plus 4 s)\n"
                 "  --media DIR    folder with the media (default: the current folder, the program's, the installed one)\n"
                 "  --measure-from S  leave frames before S seconds out of the figures\n"
                 "  --measure      also print CPU milliseconds per frame (all threads of the process)\n"
                 "                 before and after the first burst, draws and bytes uploaded per frame\n"
                 "  --bare         clear and present only, to compare frame costs\n");
}

// False when the program should stop: a bad argument (exit code 2) or --help (exit code 0).
bool ParseArguments(int argc, char** argv, Options& options, int& exitCode)
{
    exitCode = 2;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            Usage();
            exitCode = 0;
            return false;
        } else if (arg == "--script" && hasValue) {
            options.script = argv[++i];
        } else if (arg == "--out" && hasValue) {
            options.out = argv[++i];
        } else if (arg == "--media" && hasValue) {
            options.media = argv[++i];
        } else if (arg == "--size" && hasValue) {
            int w = 0;
            int h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) != 2 || w < 16 || h < 16 || w > 8192 || h > 8192) {
                std::fprintf(stderr, "fireworks-render: --size wants WxH between 16 and 8192\n");
                return false;
            }
            options.show.width = w;
            options.show.height = h;
        } else if (arg == "--seconds" && hasValue) {
            options.seconds = std::strtof(argv[++i], nullptr);
        } else if (arg == "--step" && hasValue) {
            options.step = std::strtof(argv[++i], nullptr);
        } else if (arg == "--measure-from" && hasValue) {
            options.measureFrom = std::strtof(argv[++i], nullptr);
        } else if (arg == "--every" && hasValue) {
            options.every = std::atoi(argv[++i]);
        } else if (arg == "--no-sea") {
            options.show.sea = false;
        } else if (arg == "--software") {
            options.show.software = true;
        } else if (arg == "--bare") {
            options.bare = true;
        } else if (arg == "--measure") {
            options.measure = true;
        } else {
            Usage();
            return false;
        }
    }
    if (!(options.step > 0.0f && options.step <= 1.0f) || options.every < 0) {
        std::fprintf(stderr, "fireworks-render: --step wants 0 < S <= 1 and --every 0 or more\n");
        return false;
    }
    return true;
}

// The media are looked up in the current folder, as the show does: go where they are.
bool EnterMediaFolder(const Options& options, const char* argv0)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!options.media.empty()) {
        fs::current_path(options.media, ec);
        return !ec;
    }
    if (fs::exists("Star.bmp")) {
        return true;
    }
    // Beside the program in a build, or in the installed media folder.
    const fs::path candidates[] = {fs::absolute(argv0, ec).parent_path(), fs::path(RegistryMediaFolder())};
    for (const fs::path& folder : candidates) {
        if (!folder.empty() && fs::exists(folder / "Star.bmp", ec)) {
            fs::current_path(folder, ec);
            return !ec;
        }
    }
    return true;
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
    Options options;
    int exitCode = 0;
    if (!ParseArguments(argc, argv, options, exitCode)) {
        return exitCode;
    }
    std::string text = DemoScript;
    if (!options.script.empty()) {
        std::ifstream file(options.script);
        if (!file) {
            std::fprintf(stderr, "fireworks-render: cannot read %s\n", options.script.c_str());
            return 1;
        }
        std::stringstream buffer;
        buffer << file.rdbuf();
        text = buffer.str();
    }
    RenderScript script;
    std::string error;
    if (!ParseRenderScript(text, script, error)) {
        std::fprintf(stderr, "fireworks-render: %s: %s\n", options.script.empty() ? "demo" : options.script.c_str(),
                     error.c_str());
        return 1;
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path out = fs::absolute(options.out, ec);
    if (options.every > 0 && (ec || (fs::create_directories(out, ec), ec))) {
        std::fprintf(stderr, "fireworks-render: cannot make the folder %s\n", options.out.c_str());
        return 1;
    }
    if (!EnterMediaFolder(options, argv[0])) {
        std::fprintf(stderr, "fireworks-render: cannot enter the media folder %s\n", options.media.c_str());
        return 1;
    }

    OfflineShow show;
    if (!show.Open(options.show, error)) {
        std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
        return 1;
    }
    float seconds = options.seconds;
    if (!(seconds > 0.0f)) {
        seconds = (script.events.empty() ? 0.0f : script.events.back().time) + 4.0f;
    }
    const int frames = static_cast<int>(seconds / options.step + 0.5f);
    std::size_t next = 0;
    unsigned long long glCalls = 0;
    double drawSeconds = 0.0;
    int measured = 0;
    int written = 0;
    bool burst = false;
    Tally before;
    Tally after;
    show.TakeCounts();
    for (int frame = 0; frame < frames; ++frame) {
        const float time = static_cast<float>(frame + 1) * options.step;
        // Launches happen between frames, as clicks do; the next update admits them.
        for (; next < script.events.size() && script.events[next].time < time; ++next) {
            const ScriptEvent& event = script.events[next];
            if (event.kind == ScriptEvent::Kind::Click) {
                show.Click();
            } else if (!show.Launch(event.typeId, event.launch, event.burst)) {
                std::fprintf(stderr, "fireworks-render: no firework type %d\n", event.typeId);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        if (!show.Frame(time, options.step, options.bare)) {
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
        if (options.every > 0 && (frame + 1) % options.every == 0) {
            char name[32];
            std::snprintf(name, sizeof(name), "frame_%05d.png", frame + 1);
            if (!WriteBackBufferPng(show.Device(), (out / name).string(), error)) {
                std::fprintf(stderr, "fireworks-render: %s\n", error.c_str());
                return 1;
            }
            ++written;
        }
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
    return 0;
}
