// The process entry of the show: a short help or version text on request, a clear word when no
// display can be opened, and otherwise the show until its window closes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/show_app.h"
#include "framework/app_entry.h"
#include "media/media_lookup.h"
#include "platform/win/display_probe.h"
#include "resources/program_resources.h"

namespace {

constexpr const char* HelpText =
    "Usage: fireworks [--help | --version]\n"
    "\n"
    "Fireworks over the night sea: a real-time 3-D show in a window.\n"
    "  left click   launch a firework\n"
    "  V            next camera (free, orbit, figure eight)\n"
    "  T            status text on or off\n"
    "  F2           full-screen on or off\n"
    "  W S, arrows  fly the free camera (E Q turn, Z A pitch)\n"
    "  Esc          quit\n"
    "\n"
    "To draw the show into image files without a window, use fireworks-render.\n";

// The effect textures are read from the working folder. Started from elsewhere (a desktop menu, a
// terminal in the home folder), the show works in its media folder instead; it writes no files.
void EnterMediaFolder()
{
    std::error_code error;
    if (std::filesystem::exists("Star.bmp", error)) {
        return;
    }
    const std::filesystem::path folder = RegistryMediaFolder();
    if (!folder.empty() && std::filesystem::exists(folder / "Star.bmp", error)) {
        std::filesystem::current_path(folder, error);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Any other argument is ignored: the show takes no options.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(HelpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("fireworks %s\n", FIREWORKS_VERSION);
            return 0;
        }
    }
    if (!DisplayAvailable()) {
        std::fputs("fireworks: no display can be opened here; fireworks-render draws the show to image files "
                   "without one.\n",
                   stderr);
        return 1;
    }
    EnterMediaFolder();
    static ShowApp show;
    return RunApplication(show, ProgramInstance());
}
