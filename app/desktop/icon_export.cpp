// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's window icon as a PNG file, for the desktop's icon theme at install time.
#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "resources/program_resources.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: fireworks-icon <output.png>\n", stderr);
        return 2;
    }
    const ResourceModule* module = ModuleFromHinstance(ProgramInstance());
    for (std::size_t i = 0; i < module->iconCount; ++i) {
        const IconResource& icon = module->icons[i];
        if (icon.id != IDI_MAIN_ICON) {
            continue;
        }
        // Each pixel holds the bytes R, G, B, A in memory order, as PNG wants them.
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(icon.width) * icon.height * 4);
        std::memcpy(rgba.data(), icon.pixels, rgba.size());
        if (stbi_write_png(argv[1], icon.width, icon.height, 4, rgba.data(), icon.width * 4) == 0) {
            std::fprintf(stderr, "fireworks-icon: cannot write %s\n", argv[1]);
            return 1;
        }
        return 0;
    }
    std::fputs("fireworks-icon: the program has no main icon\n", stderr);
    return 1;
}
