// SPDX-License-Identifier: GPL-3.0-or-later
// The sea surface: a y = 0 plane around the launch site with gentle waves, on rings of vertices
// about the launch site's foot that are close together where the scene light reaches (it lights per
// vertex, so flashes show only where vertices are) and far apart out to the square's edge, where the
// fog has turned everything black. Left-handed: x right, y up, z forward.
#pragma once

#include <cstdint>
#include <vector>

struct SeaVertex {
    float x;
    float y;
    float z;
    float nx;
    float ny;
    float nz;
    float u;
    float v;
};

// Three vertex indices, clockwise when seen from above (the front face under D3D's rule).
struct SeaFace {
    std::uint32_t a;
    std::uint32_t b;
    std::uint32_t c;
};

struct SeaMesh {
    std::vector<SeaVertex> vertices;
    std::vector<SeaFace> faces;
};

struct SeaLayout {
    // The plane spans -extent..extent on x and z: the fog ends at eye depth 20, so from an eye a few
    // units off the launch site nothing farther shows but the black of the clear.
    double extent = 32.0;
    // Rays from the origin, every ring has a vertex on each; a multiple of 8 puts rays on the corners.
    int segments = 40;
    // Ring radii between the centre vertex and the square: 0.4 apart where the flash is brightest,
    // then coarser, one just inside and one just beyond the light's reach (7.75), one where the waves
    // end. The last ring lies on the square itself, on the same rays.
    std::vector<double> radii{0.4, 0.8, 1.2, 1.6, 2.0, 2.4, 2.8, 3.2, 3.6, 4.0, 4.9, 6.3, 7.7, 8.0, 12.0};
};

// Height of the sea at (x, z): a few long, low swells of a few centimetres, fading out beyond the
// reach of the scene light where the rings grow too far apart to carry them.
double SeaHeight(double x, double z);

// The unit normal of the wave surface at (x, z), from the height function's slopes.
void SeaNormal(double x, double z, float* nx, float* ny, float* nz);

// The rings of the layout with heights, normals and texture coordinates (0..1 over the whole plane,
// v = 0 at the far edge z = extent). Radii at or beyond the square are dropped and segments are
// rounded up to a multiple of 8, so the outline is always the square.
SeaMesh BuildSeaMesh(const SeaLayout& layout = {});

// The same square as a fan of eight faces about the centre: without a flash the sea's light is the
// same everywhere, so this draws the pixels the full mesh draws for a fraction of its faces.
SeaMesh BuildCalmSeaMesh(const SeaLayout& layout = {});
