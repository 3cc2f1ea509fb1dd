// SPDX-License-Identifier: GPL-3.0-or-later
// The sea mesh: rings that cover the square without cracks, the facing of its faces under D3D's
// clockwise rule, normals that match the waves, and per-vertex lighting as exact as the eye needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "d3dx/d3dx_math.h"
#include "tools/mediagen/sea_mesh.h"

namespace {

D3DXVECTOR3 Position(const SeaVertex& v)
{
    return {v.x, v.y, v.z};
}

D3DXVECTOR3 FaceNormal(const SeaMesh& mesh, const SeaFace& f)
{
    const D3DXVECTOR3 a = Position(mesh.vertices[f.a]);
    const D3DXVECTOR3 ab = Position(mesh.vertices[f.b]) - a;
    const D3DXVECTOR3 ac = Position(mesh.vertices[f.c]) - a;
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &ab, &ac);
    D3DXVec3Normalize(&n, &n);
    return n;
}

float HorizontalDistance(const SeaVertex& a, const SeaVertex& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

bool NearLaunchSite(const SeaVertex& v, float reach)
{
    return std::hypot(v.x, v.z) <= reach;
}

// Twice the face's area seen from above (x right, z up the page), positive when it turns clockwise.
double ClockwiseArea(const SeaMesh& mesh, const SeaFace& f)
{
    const SeaVertex& a = mesh.vertices[f.a];
    const SeaVertex& b = mesh.vertices[f.b];
    const SeaVertex& c = mesh.vertices[f.c];
    return -((double(b.x) - a.x) * (double(c.z) - a.z) - (double(b.z) - a.z) * (double(c.x) - a.x));
}

// The faces tile the square exactly: all clockwise, their areas add up to the square's, every edge
// inside is shared by two faces running it both ways (no cracks, no T-junctions) and every edge
// used once lies on the square's side.
void ExpectCoversTheSquare(const SeaMesh& mesh, float extent)
{
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    double area = 0.0;
    for (const SeaFace& f : mesh.faces) {
        ASSERT_LT(std::max({f.a, f.b, f.c}), mesh.vertices.size());
        ASSERT_GT(ClockwiseArea(mesh, f), 0.0) << f.a << "," << f.b << "," << f.c;
        area += ClockwiseArea(mesh, f) / 2.0;
        const std::uint32_t corners[3] = {f.a, f.b, f.c};
        for (int k = 0; k < 3; ++k) {
            const auto edge = std::make_pair(corners[k], corners[(k + 1) % 3]);
            ASSERT_EQ(++edges[edge], 1) << "edge " << edge.first << "," << edge.second << " used twice";
        }
    }
    EXPECT_NEAR(area, 4.0 * extent * extent, 1e-4 * extent * extent);
    const auto onSide = [&](std::uint32_t i, std::uint32_t k) {
        const SeaVertex& a = mesh.vertices[i];
        const SeaVertex& b = mesh.vertices[k];
        return (std::fabs(a.x) == extent && a.x == b.x) || (std::fabs(a.z) == extent && a.z == b.z);
    };
    int outline = 0;
    for (const auto& [edge, count] : edges) {
        if (edges.count({edge.second, edge.first}) == 0) {
            ASSERT_TRUE(onSide(edge.first, edge.second)) << "open edge " << edge.first << "," << edge.second;
            ++outline;
        }
    }
    EXPECT_GE(outline, 8);
    int squareCorners = 0;
    for (const SeaVertex& v : mesh.vertices) {
        squareCorners += std::fabs(v.x) == extent && std::fabs(v.z) == extent ? 1 : 0;
    }
    EXPECT_EQ(squareCorners, 4);
}

const SeaMesh& Sea()
{
    static const SeaMesh mesh = BuildSeaMesh();
    return mesh;
}

} // namespace

TEST(SeaMesh, CoversTheSquareWithoutCracks)
{
    const SeaLayout layout;
    // Fog ends at eye depth 20: the edge lies beyond it from eyes up to 6 units off the launch site.
    EXPECT_GE(layout.extent, 26.0);
    ExpectCoversTheSquare(Sea(), static_cast<float>(layout.extent));

    // Rays that would miss the corners, radii out of order, repeated, negative or past the edge still
    // give the whole square.
    SeaLayout bent;
    bent.extent = 10.0;
    bent.segments = 12;
    bent.radii = {3.0, -1.0, 1.0, 3.0, 25.0, 10.0, 0.5};
    ExpectCoversTheSquare(BuildSeaMesh(bent), 10.0f);
}

TEST(SeaMesh, FitsSixteenBitIndicesWithShortEdgesNearTheLaunchSite)
{
    const SeaMesh& mesh = Sea();
    // The mesh loader keeps 16-bit indices unless asked otherwise; a software rasteriser pays for
    // every vertex and every face each frame, so a few hundred of each it is.
    EXPECT_LT(mesh.vertices.size(), 700u);
    EXPECT_LT(mesh.faces.size(), 1400u);
    int near = 0;
    for (const SeaFace& f : mesh.faces) {
        ASSERT_LT(std::max({f.a, f.b, f.c}), mesh.vertices.size());
        const SeaVertex& a = mesh.vertices[f.a];
        const SeaVertex& b = mesh.vertices[f.b];
        const SeaVertex& c = mesh.vertices[f.c];
        // Out to 4 units, with room for a ring that lies on r = 4 give or take a rounding.
        if (NearLaunchSite(a, 4.01f) && NearLaunchSite(b, 4.01f) && NearLaunchSite(c, 4.01f)) {
            const float longest =
                std::max({HorizontalDistance(a, b), HorizontalDistance(b, c), HorizontalDistance(a, c)});
            ASSERT_LE(longest, 0.75f) << a.x << "," << a.z;
            ++near;
        }
    }
    EXPECT_GT(near, 500);
}

TEST(SeaMesh, FrontFacesPointUpUnderTheClockwiseRule)
{
    const SeaMesh& mesh = Sea();
    for (const SeaFace& f : mesh.faces) {
        ASSERT_GT(FaceNormal(mesh, f).y, 0.9f) << f.a << "," << f.b << "," << f.c;
    }

    // Independently: seen through the show's orbit camera, the faces it sees turn clockwise on screen.
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX viewProjection;
    const D3DXVECTOR3 eye(0.0f, 5.0f, 6.0f);
    const D3DXVECTOR3 at(0.0f, 3.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.78539816f, 4.0f / 3.0f, 0.1f, 100.0f);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    int seen = 0;
    for (const SeaFace& f : mesh.faces) {
        float sx[3];
        float sy[3];
        bool inView = true;
        const std::uint32_t corners[3] = {f.a, f.b, f.c};
        for (int i = 0; i < 3; ++i) {
            const D3DXVECTOR3 p = Position(mesh.vertices[corners[i]]);
            D3DXVECTOR4 clip;
            D3DXVec3Transform(&clip, &p, &viewProjection);
            inView = inView && clip.w > 0.1f && std::fabs(clip.x) <= clip.w && std::fabs(clip.y) <= clip.w;
            // Screen coordinates: x right, y down.
            sx[i] = clip.x / clip.w;
            sy[i] = -clip.y / clip.w;
        }
        if (!inView) {
            continue;
        }
        const float turn = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sy[1] - sy[0]) * (sx[2] - sx[0]);
        ASSERT_GT(turn, 0.0f) << "face " << f.a << "," << f.b << "," << f.c << " is counter-clockwise";
        ++seen;
    }
    EXPECT_GT(seen, 400);
}

TEST(SeaMesh, NormalsFollowGentleWaves)
{
    const SeaMesh& mesh = Sea();
    float lowest = 0.0f;
    float highest = 0.0f;
    for (const SeaVertex& v : mesh.vertices) {
        ASSERT_NEAR(std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz), 1.0f, 1e-5f);
        ASSERT_GT(v.ny, 0.98f);
        ASSERT_LE(std::fabs(v.y), 0.1f);
        lowest = std::min(lowest, v.y);
        highest = std::max(highest, v.y);
    }
    // Waves of a few centimetres, not a flat plane.
    EXPECT_GE(highest - lowest, 0.04f);

    // Where the faces are small, each face tilts the way the normals of its corners say (a flipped slope
    // would tilt it the other way by the whole wave slope).
    int tilted = 0;
    for (const SeaFace& f : mesh.faces) {
        const SeaVertex& a = mesh.vertices[f.a];
        const SeaVertex& b = mesh.vertices[f.b];
        const SeaVertex& c = mesh.vertices[f.c];
        if (!NearLaunchSite(a, 4.01f) || !NearLaunchSite(b, 4.01f) || !NearLaunchSite(c, 4.01f)) {
            continue;
        }
        D3DXVECTOR3 mean(a.nx + b.nx + c.nx, a.ny + b.ny + c.ny, a.nz + b.nz + c.nz);
        D3DXVec3Normalize(&mean, &mean);
        const D3DXVECTOR3 face = FaceNormal(mesh, f);
        const float cosine = face.x * mean.x + face.y * mean.y + face.z * mean.z;
        ASSERT_GT(cosine, std::cos(0.03f)) << "at " << a.x << "," << a.z;
        tilted += std::hypot(face.x, face.z) > 0.03f ? 1 : 0;
    }
    EXPECT_GT(tilted, 400);
}

namespace {

// What the scene light (a point light 2 units above the launch site, range 8, quadratic attenuation)
// gives a vertex at full flash brightness, as the device's per-vertex lighting computes it.
float LitBy(const SeaVertex& v)
{
    const float lx = -v.x;
    const float ly = 2.0f - v.y;
    const float lz = -v.z;
    const float d = std::sqrt(lx * lx + ly * ly + lz * lz);
    if (d > 8.0f) {
        return 0.0f;
    }
    const float facing = std::max((v.nx * lx + v.ny * ly + v.nz * lz) / d, 0.0f);
    return facing / (1.0f + 0.349f * d * d);
}

// The lighting at (x, z) as drawn: interpolated across the face that holds the point, found by
// trying them all.
float LitAt(const SeaMesh& mesh, double x, double z)
{
    for (const SeaFace& f : mesh.faces) {
        const SeaVertex& a = mesh.vertices[f.a];
        const SeaVertex& b = mesh.vertices[f.b];
        const SeaVertex& c = mesh.vertices[f.c];
        const double abx = b.x - a.x;
        const double abz = b.z - a.z;
        const double acx = c.x - a.x;
        const double acz = c.z - a.z;
        const double det = abx * acz - abz * acx;
        const double s = ((x - a.x) * acz - (z - a.z) * acx) / det;
        const double t = (abx * (z - a.z) - abz * (x - a.x)) / det;
        if (s >= -1e-9 && t >= -1e-9 && s + t <= 1.0 + 1e-9) {
            const float la = LitBy(a);
            return static_cast<float>(la + s * (LitBy(b) - la) + t * (LitBy(c) - la));
        }
    }
    ADD_FAILURE() << "no face holds " << x << "," << z;
    return 0.0f;
}

// The lighting a vertex right at (x, z) would get.
float ExactlyLitAt(double x, double z)
{
    SeaVertex v{};
    v.x = static_cast<float>(x);
    v.y = static_cast<float>(SeaHeight(x, z));
    v.z = static_cast<float>(z);
    SeaNormal(x, z, &v.nx, &v.ny, &v.nz);
    return LitBy(v);
}

} // namespace

TEST(SeaMesh, FlashesLightItAsExactlyAsTheEyeSees)
{
    float worst = 0.0f;
    float brightest = 0.0f;
    for (double z = -7.95; z < 8.0; z += 0.1) {
        for (double x = -7.95; x < 8.0; x += 0.1) {
            if (std::hypot(x, z) > 8.0) {
                continue;
            }
            const float expected = ExactlyLitAt(x, z);
            worst = std::max(worst, std::fabs(LitAt(Sea(), x, z) - expected));
            brightest = std::max(brightest, expected);
        }
    }
    // Under 4 levels of 255 of the full flash's light anywhere it reaches: on the sea's dark material
    // (diffuse at most 0.12) under half a level of the frame.
    EXPECT_GT(brightest, 0.3f);
    EXPECT_LT(worst, 4.0f / 255.0f);
    EXPECT_LT(worst * 0.12f * 255.0f, 0.5f);
}
