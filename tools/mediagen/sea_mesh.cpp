// SPDX-License-Identifier: GPL-3.0-or-later
// The sea surface: rings of vertices about the launch site, and its waves.
#include "tools/mediagen/sea_mesh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Swell {
    double amplitude;
    // Wave vector: the direction of travel scaled by 2 pi / wavelength.
    double kx;
    double kz;
    double phase;
};

// Wavelengths of 2 to 6 units: several vertex gaps each, so per-vertex lighting shows them.
constexpr Swell kSwells[] = {
    {0.030, 1.05, 0.45, 0.0},
    {0.022, -0.55, 1.35, 1.3},
    {0.014, 2.10, -1.60, 2.1},
    {0.010, -2.60, -1.90, 4.0},
};

// Full waves out to kFadeStart from the origin, none beyond kFadeEnd; the scene light reaches
// about 7.75 units across the sea, and the rings are close together to 8.
constexpr double kFadeStart = 9.0;
constexpr double kFadeEnd = 12.0;

double WaveEnvelope(double x, double z)
{
    const double r = std::sqrt(x * x + z * z);
    const double t = std::clamp((r - kFadeStart) / (kFadeEnd - kFadeStart), 0.0, 1.0);
    return 1.0 - t * t * (3.0 - 2.0 * t);
}

} // namespace

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
    const double extent = std::max(layout.extent, 0.0);
    // Whole eighths of a turn, so the square's corners lie on rays and its sides stay straight.
    const auto segments = static_cast<std::uint32_t>((std::clamp(layout.segments, 8, 4096) + 7) / 8 * 8);
    std::vector<double> radii;
    for (const double r : layout.radii) {
        if (r > 0.0 && r < extent) {
            radii.push_back(r);
        }
    }
    std::sort(radii.begin(), radii.end());
    radii.erase(std::unique(radii.begin(), radii.end()), radii.end());
    const auto rings = static_cast<std::uint32_t>(radii.size() + 1);

    SeaMesh mesh;
    mesh.vertices.reserve(1 + static_cast<std::size_t>(rings) * segments);
    const auto addVertex = [&](double x, double z) {
        SeaVertex v{};
        v.x = static_cast<float>(x);
        v.y = static_cast<float>(SeaHeight(x, z));
        v.z = static_cast<float>(z);
        SeaNormal(x, z, &v.nx, &v.ny, &v.nz);
        v.u = static_cast<float>((x + extent) / (2.0 * extent));
        v.v = static_cast<float>((extent - z) / (2.0 * extent));
        mesh.vertices.push_back(v);
    };
    addVertex(0.0, 0.0);
    // Ring i (0-based) holds vertex j of ray j at index 1 + i * segments + j; ray j points at angle
    // 2 pi j / segments, counter-clockwise from +x seen from above.
    for (std::uint32_t i = 0; i < rings; ++i) {
        for (std::uint32_t j = 0; j < segments; ++j) {
            const double angle = 2.0 * std::numbers::pi * j / segments;
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            if (i < radii.size()) {
                addVertex(radii[i] * c, radii[i] * s);
                continue;
            }
            // Where the ray meets the square; a coordinate that reaches the side is set to it exactly
            // so the outline does not drift by a rounding error.
            const double reach = extent / std::max(std::fabs(c), std::fabs(s));
            double x = reach * c;
            double z = reach * s;
            x = std::fabs(x) > extent * (1.0 - 1e-9) ? std::copysign(extent, x) : x;
            z = std::fabs(z) > extent * (1.0 - 1e-9) ? std::copysign(extent, z) : z;
            addVertex(x, z);
        }
    }

    const auto at = [segments](std::uint32_t ring, std::uint32_t ray) {
        return 1 + ring * segments + ray % segments;
    };
    mesh.faces.reserve(static_cast<std::size_t>(segments) * (2 * rings - 1));
    // Seen from above (x right, z up the page) the rays follow each other counter-clockwise, so out
    // along a ray and then back to the one before, or along a ring and then out, turns clockwise.
    for (std::uint32_t j = 0; j < segments; ++j) {
        mesh.faces.push_back({0, at(0, j + 1), at(0, j)});
    }
    for (std::uint32_t i = 0; i + 1 < rings; ++i) {
        for (std::uint32_t j = 0; j < segments; ++j) {
            const std::uint32_t inner0 = at(i, j);
            const std::uint32_t inner1 = at(i, j + 1);
            const std::uint32_t outer0 = at(i + 1, j);
            const std::uint32_t outer1 = at(i + 1, j + 1);
            mesh.faces.push_back({inner0, inner1, outer1});
            mesh.faces.push_back({inner0, outer1, outer0});
        }
    }
    return mesh;
}

SeaMesh BuildCalmSeaMesh(const SeaLayout& layout)
{
    SeaLayout calm = layout;
    calm.segments = 8;
    calm.radii.clear();
    return BuildSeaMesh(calm);
}
