// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes a picture as a 24-bit uncompressed Windows bitmap (the 40-byte info header, rows bottom-up,
// each padded to four bytes), the format the texture loader reads.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mediagen/image.h"

// Channel value 0..1 to a byte, rounded; values outside the range are clamped.
std::uint8_t QuantiseChannel(float value);

// The whole file: file header, info header and pixels. An empty image gives an empty result.
std::vector<std::uint8_t> EncodeBmp24(const Image& image);
