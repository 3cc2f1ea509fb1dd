// SPDX-License-Identifier: GPL-3.0-or-later
// Why the last texture this thread failed to load was refused: the file and what was wrong with it.
// The loading functions keep returning the platform's codes; this is the detail beside them, for
// messages that name the file and the reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class LoadFailureKind : std::uint8_t {
    None,
    // No file of that name.
    Missing,
    // There is something of that name, but it cannot be read as a file.
    Unreadable,
    // Read, but not an image the loader takes; the reason says why.
    BadData,
    // An image beyond the size limits.
    TooLarge,
    // Decoded, but the device refused the texture.
    Device,
};

struct LoadFailure {
    LoadFailureKind kind = LoadFailureKind::None;
    // As the caller named it; "" for an image loaded from memory.
    std::string file;
    // What the file should have been, for messages: "image", or "X file" for a scene.
    std::string format;
    std::string reason;
};

// This thread's last failure; kind None when no load has failed yet on this thread.
const LoadFailure& LastLoadFailure();
void NoteLoadFailure(LoadFailureKind kind, std::string_view file, std::string_view reason,
                     std::string_view format = "image");
