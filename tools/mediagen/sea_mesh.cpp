// The sea surface grid and its waves.
#include "tools/mediagen/sea_mesh.h"

#include <algorithm>
#include <cmath>

namespace {

struct Swell {
    double amplitude;
    // Wave vector: the direction of travel scaled by 2 pi / wavelength.
    double kx;
    double kz;
    double phase;
};

// Wavelengths of 2 to 6 units: several grid cells each, so per-vertex lighting shows them.
constexpr Swell kSwells[] = {
    {0.030, 1.05, 0.45, 0.0},
    {0.022, -0.55, 1.35, 1.3},
    {0.014, 2.10, -1.60, 2.1},
    {0.010, -2.60, -1.90, 4.0},
};

// Full waves out to kFadeStart from the origin, none beyond kFadeEnd; the scene light reaches
// about 7.75 units across the sea, and the grid is fine to 8.
constexpr double kFadeStart = 9.0;
constexpr double kFadeEnd = 12.0;

double WaveEnvelope(double x, double z)
{
    const double r = std::sqrt(x * x + z * z);
    const double t = std::clamp((r - kFadeStart) / (kFadeEnd - kFadeStart), 0.0, 1.0);
    return 1.0 - t * t * (3.0 - 2.0 * t);
}

} // namespace

std::vector<double> SeaGridLines(const SeaLayout& given)
{
    // A layout that could never reach its edge (no spacing, no growth) is bent into one that does.
    SeaLayout layout = given;
    layout.extent = std::max(layout.extent, 0.0);
    layout.fineExtent = std::clamp(layout.fineExtent, 0.0, layout.extent);
    layout.fineSpacing = std::max(layout.fineSpacing, 1e-3);
    layout.growth = std::max(layout.growth, 1.01);

    std::vector<double> positive{0.0};
    const auto fineSteps = static_cast<int>(std::ceil(layout.fineExtent / layout.fineSpacing - 1e-9));
    for (int i = 1; i <= fineSteps; ++i) {
        positive.push_back(std::min(layout.fineExtent, i * layout.fineSpacing));
    }
    // Widening gaps out to the edge: as many as it takes, then all scaled by one factor so the last
    // lands exactly on the edge and no gap is narrower than the one before.
    const double outer = layout.extent - positive.back();
    std::vector<double> gaps;
    double sum = 0.0;
    for (double gap = layout.fineSpacing * layout.growth; sum < outer; gap *= layout.growth) {
        gaps.push_back(gap);
        sum += gap;
    }
    const double start = positive.back();
    double reached = 0.0;
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        reached += gaps[i] * outer / sum;
        positive.push_back(i + 1 < gaps.size() ? start + reached : layout.extent);
    }
    std::vector<double> lines;
    for (auto it = positive.rbegin(); it != positive.rend(); ++it) {
        if (*it > 0.0) {
            lines.push_back(-*it);
        }
    }
    lines.insert(lines.end(), positive.begin(), positive.end());
    return lines;
}

double SeaHeight(double x, double z)
{
    double h = 0.0;
    for (const Swell& s : kSwells) {
        h += s.amplitude * std::sin(s.kx * x + s.kz * z + s.phase);
    }
    return h * WaveEnvelope(x, z);
}

void SeaNormal(double x, double z, float* nx, float* ny, float* nz)
{
    // Central differences of the height function; the step is far below any wave's length.
    constexpr double kStep = 1e-4;
    const double dx = (SeaHeight(x + kStep, z) - SeaHeight(x - kStep, z)) / (2.0 * kStep);
    const double dz = (SeaHeight(x, z + kStep) - SeaHeight(x, z - kStep)) / (2.0 * kStep);
    const double length = std::sqrt(dx * dx + 1.0 + dz * dz);
    *nx = static_cast<float>(-dx / length);
    *ny = static_cast<float>(1.0 / length);
    *nz = static_cast<float>(-dz / length);
}

SeaMesh BuildSeaMesh(const SeaLayout& layout)
{
    const std::vector<double> lines = SeaGridLines(layout);
    const auto n = static_cast<std::uint32_t>(lines.size());
    SeaMesh mesh;
    mesh.vertices.reserve(static_cast<std::size_t>(n) * n);
    // Row r runs along x at z = lines[r]; vertex (r, c) is at index r * n + c.
    for (std::uint32_t r = 0; r < n; ++r) {
        for (std::uint32_t c = 0; c < n; ++c) {
            const double x = lines[c];
            const double z = lines[r];
            SeaVertex v{};
            v.x = static_cast<float>(x);
            v.y = static_cast<float>(SeaHeight(x, z));
            v.z = static_cast<float>(z);
            SeaNormal(x, z, &v.nx, &v.ny, &v.nz);
            v.u = static_cast<float>((x + layout.extent) / (2.0 * layout.extent));
            v.v = static_cast<float>((layout.extent - z) / (2.0 * layout.extent));
            mesh.vertices.push_back(v);
        }
    }
    mesh.faces.reserve(static_cast<std::size_t>(n - 1) * (n - 1) * 2);
    for (std::uint32_t r = 0; r + 1 < n; ++r) {
        for (std::uint32_t c = 0; c + 1 < n; ++c) {
            const std::uint32_t near0 = r * n + c;
            const std::uint32_t near1 = near0 + 1;
            const std::uint32_t far0 = near0 + n;
            const std::uint32_t far1 = far0 + 1;
            // Seen from above (x right, z up the page) near0 -> far0 -> far1 turns clockwise.
            mesh.faces.push_back({near0, far0, far1});
            mesh.faces.push_back({near0, far1, near1});
        }
    }
    return mesh;
}
