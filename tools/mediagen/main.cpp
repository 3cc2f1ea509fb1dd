// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-mediagen: draws the show's media files and synthesises its sounds into the folder given as the only argument.
#include <cstdio>
#include <string>

#include "tools/mediagen/media_set.h"

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: fireworks-mediagen <output folder>\n");
        return 2;
    }
    std::string error;
    const auto report = [](const std::string& path, std::size_t size) {
        std::printf("wrote %s (%zu bytes)\n", path.c_str(), size);
    };
    const bool ok = WriteMediaSet(argv[1], report, &error) && WriteSoundSet(argv[1], report, &error);
    if (!ok) {
        std::fprintf(stderr, "fireworks-mediagen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
