// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-xinfo FILE: shows what an X file holds as the show would load it, for people who replace
// "sea.x" with a scene of their own. Exit status 0 when the show loads the file, 1 when it cannot, 2 for
// bad arguments.
#include "tools/xinfo/scene_report.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* usage = "usage: fireworks-xinfo FILE\n"
                        "Prints the frames, meshes, subsets and materials of an X file as the show loads them.\n";
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0') {
        std::fputs(usage, stderr);
        return 2;
    }
    return ReportXFile(argv[1], stdout, stderr);
}
