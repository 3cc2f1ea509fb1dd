// SPDX-License-Identifier: GPL-3.0-or-later
// What an X file holds, printed as the show would load it: the frame tree with names and matrices,
// and each mesh's size, vertex format, subsets and materials.
#pragma once

#include <cstdio>

// Prints the report of fileName (found as the show finds its media) to out and any failure to err.
// Returns the program's exit status: 0 when the show can load the file, 1 when it cannot.
int ReportXFile(const char* fileName, std::FILE* out, std::FILE* err);
