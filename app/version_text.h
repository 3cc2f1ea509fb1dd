// SPDX-License-Identifier: GPL-3.0-or-later
// The --version text both programs print: the name, the release set in CMake, and the licence.
#pragma once

#include <string>

// "NAME VERSION" on the first line, then the copyright and licence lines.
std::string VersionText(const char* program);
