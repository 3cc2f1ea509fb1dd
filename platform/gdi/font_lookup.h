// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the installed font file for a face name, weight and slant.
#pragma once

#include <string>

struct FaceFile {
    std::string path;
    int index = 0;
};

// The installed scalable face closest to the family (any default face for an empty name); names
// of common faces resolve to installed faces with the same metrics. False when none can be found.
bool FindFaceFile(const char* family, int weight, bool italic, FaceFile& face);
