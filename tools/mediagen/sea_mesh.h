// The sea surface: a y = 0 plane around the launch site with gentle waves, on a grid that is dense
// where the scene light reaches (it lights per vertex, so flashes show only where vertices are) and
// coarse out to where the fog has turned everything black. Left-handed: x right, y up, z forward.
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
    // Within -fineExtent..fineExtent (the scene light's reach) the grid lines are fineSpacing apart.
    double fineExtent = 8.0;
    double fineSpacing = 0.5;
    // Beyond it each gap is this much wider than the one before.
    double growth = 1.3;
};

// The sorted grid line positions along one axis, symmetric about 0, from -extent to extent.
std::vector<double> SeaGridLines(const SeaLayout& layout);

// Height of the sea at (x, z): a few long, low swells of a few centimetres, fading out beyond the
// reach of the scene light where the grid grows too coarse to carry them.
double SeaHeight(double x, double z);

// The unit normal of the wave surface at (x, z), from the height function's slopes.
void SeaNormal(double x, double z, float* nx, float* ny, float* nz);

// The grid of the layout with heights, normals and texture coordinates (0..1 over the whole plane,
// v = 0 at the far edge z = extent).
SeaMesh BuildSeaMesh(const SeaLayout& layout = {});
