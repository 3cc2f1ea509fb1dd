// SPDX-License-Identifier: GPL-3.0-or-later
// Wording of the last load failure noted by the texture loader or the scene loader.
#include "media/media_failure.h"

#include <filesystem>
#include <system_error>

#include "d3dx/load_failure.h"
#include "media/media_lookup.h"

std::string MediaFailureText()
{
    const LoadFailure& failure = LastLoadFailure();
    if (failure.kind == LoadFailureKind::None) {
        return "";
    }
    const std::string file = failure.file.empty() ? "an image in memory" : failure.file;
    std::string text = "cannot load " + file + ": ";
    switch (failure.kind) {
    case LoadFailureKind::Missing: {
        text += "not found";
        // A bare name is looked for in the current folder and the media folder: say where.
        if (failure.file.find_first_of("/\\") == std::string::npos) {
            std::error_code error;
            const std::string here = std::filesystem::current_path(error).string();
            const std::string media = RegistryMediaFolder();
            text += " (looked in " + (error ? std::string("the current folder") : here) +
                    (media.empty() ? std::string("; no media folder is installed") : " and " + media) + ")";
        }
        break;
    }
    case LoadFailureKind::Unreadable:
        text += "cannot be read (" + failure.reason + ")";
        break;
    case LoadFailureKind::BadData:
        text += "not a valid " + failure.format + " (" + failure.reason + ")";
        break;
    case LoadFailureKind::TooLarge:
        text += "too large (" + failure.reason + ")";
        break;
    case LoadFailureKind::Device:
    case LoadFailureKind::None:
        text += failure.reason;
        break;
    }
    return text;
}
