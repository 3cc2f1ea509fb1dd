// SPDX-License-Identifier: GPL-3.0-or-later
// Face lookup through fontconfig, whose configuration carries the aliases of common face names.
#include "platform/gdi/font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <mutex>

namespace {

// The layer's own configuration, loaded once and destroyed at exit, so fontconfig's defaults leave
// nothing behind; lookups take turns on it.
struct LookupConfig {
    FcConfig* config = FcInitLoadConfigAndFonts();
    std::mutex mutex;

    LookupConfig() = default;
    LookupConfig(const LookupConfig&) = delete;
    LookupConfig& operator=(const LookupConfig&) = delete;
    ~LookupConfig()
    {
        if (config != nullptr) {
            FcConfigDestroy(config);
        }
    }
};

// Frees a fontconfig pattern at scope exit.
struct PatternHolder {
    FcPattern* pattern;
    ~PatternHolder()
    {
        if (pattern != nullptr) {
            FcPatternDestroy(pattern);
        }
    }
};

} // namespace

bool FindFaceFile(const char* family, int weight, bool italic, FaceFile& face)
{
    static LookupConfig lookup;
    if (lookup.config == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(lookup.mutex);
    PatternHolder request{FcPatternCreate()};
    if (request.pattern == nullptr) {
        return false;
    }
    if (family != nullptr && family[0] != '\0') {
        FcPatternAddString(request.pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    }
    // The platform's weights are the OpenType ones; 0 means "don't care", read as normal.
    const int openTypeWeight = weight <= 0 ? 400 : (weight > 1000 ? 1000 : weight);
    FcPatternAddInteger(request.pattern, FC_WEIGHT, FcWeightFromOpenType(openTypeWeight));
    FcPatternAddInteger(request.pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(request.pattern, FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(lookup.config, request.pattern, FcMatchPattern)) {
        return false;
    }
    FcDefaultSubstitute(request.pattern);

    FcResult result = FcResultNoMatch;
    PatternHolder match{FcFontMatch(lookup.config, request.pattern, &result)};
    if (match.pattern == nullptr || result != FcResultMatch) {
        return false;
    }
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.pattern, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
        return false;
    }
    int index = 0;
    if (FcPatternGetInteger(match.pattern, FC_INDEX, 0, &index) != FcResultMatch) {
        index = 0;
    }
    face.path = reinterpret_cast<const char*>(file);
    face.index = index;
    return true;
}
