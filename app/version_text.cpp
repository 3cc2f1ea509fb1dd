// SPDX-License-Identifier: GPL-3.0-or-later
// The --version text; FIREWORKS_VERSION comes from the project's version in the top CMakeLists.txt.
#include "app/version_text.h"

std::string VersionText(const char* program)
{
    return std::string(program) + " " + FIREWORKS_VERSION +
           "\n"
           "Copyright (C) 2026 the fireworks developers\n"
           "License GPL-3.0-or-later: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}
