// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-picture-diff: compares PNG frames of a reduced-quality render with the full one, file by
// file of the same name in two folders (or two files), and prints the differences and their means.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "picture_compare.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool Load(const std::filesystem::path& path, Picture& picture)
{
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.string().c_str(), &picture.width, &picture.height, &channels, 3);
    if (pixels == nullptr) {
        std::fprintf(stderr, "fireworks-picture-diff: %s cannot be read as a picture\n", path.string().c_str());
        return false;
    }
    picture.rgb.assign(pixels, pixels + static_cast<std::size_t>(picture.width) * picture.height * 3);
    stbi_image_free(pixels);
    return true;
}

void Print(const char* name, const PictureDifference& d)
{
    std::printf("%-20s mean %.3f %.3f %.3f  p99 %d %d %d  ssim %.5f\n", name, d.meanAbs[0], d.meanAbs[1],
                d.meanAbs[2], d.p99Abs[0], d.p99Abs[1], d.p99Abs[2], d.ssim);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) == "--help") {
        std::fprintf(argc == 2 ? stdout : stderr,
                     "Usage: fireworks-picture-diff REFERENCE OTHER\n"
                     "Compares two PNG pictures, or the PNG files of the same name in two folders: mean and\n"
                     "99th-percentile absolute difference of R, G and B (levels of 255) and the SSIM of the\n"
                     "luma, per picture and averaged (the worst p99 and SSIM on the last line).\n");
        return argc == 2 ? 0 : 2;
    }
    const std::filesystem::path reference = argv[1];
    const std::filesystem::path other = argv[2];
    std::vector<std::string> names;
    std::error_code error;
    if (std::filesystem::is_directory(reference, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(reference, error)) {
            if (entry.path().extension() == ".png") {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
    }
    const bool folders = !names.empty();
    if (!folders) {
        names.push_back("");
    }
    PictureDifference sum;
    sum.ssim = 0.0;
    double worstSsim = 1.0;
    for (const std::string& name : names) {
        Picture a;
        Picture b;
        if (!Load(folders ? reference / name : reference, a) || !Load(folders ? other / name : other, b)) {
            return 1;
        }
        if (a.width != b.width || a.height != b.height) {
            std::fprintf(stderr, "fireworks-picture-diff: %s: the pictures differ in size\n", name.c_str());
            return 1;
        }
        const PictureDifference d = ComparePictures(a, b);
        Print(folders ? name.c_str() : "picture", d);
        for (int c = 0; c < 3; ++c) {
            sum.meanAbs[c] += d.meanAbs[c] / static_cast<double>(names.size());
            sum.p99Abs[c] = std::max(sum.p99Abs[c], d.p99Abs[c]);
        }
        sum.ssim += d.ssim / static_cast<double>(names.size());
        worstSsim = std::min(worstSsim, d.ssim);
    }
    Print("all (mean, worst p99)", sum);
    std::printf("worst ssim %.5f\n", worstSsim);
    return 0;
}
