// The sea mesh: its grid, the facing of its faces under D3D's clockwise rule, normals that match
// the waves, and per-vertex lighting that looks as it did on a far denser grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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
    return std::fabs(v.x) <= reach && std::fabs(v.z) <= reach;
}

const SeaMesh& Sea()
{
    static const SeaMesh mesh = BuildSeaMesh();
    return mesh;
}

} // namespace

TEST(SeaGrid, SpansTheSeaFinelyNearTheOriginAndCoarserOutside)
{
    const SeaLayout layout;
    const std::vector<double> lines = SeaGridLines(layout);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(lines.front(), -layout.extent);
    EXPECT_DOUBLE_EQ(lines.back(), layout.extent);
    // Fog ends at eye depth 20: the edge lies beyond it from eyes up to 6 units off the launch site.
    EXPECT_GE(layout.extent, 26.0);
    double previousGap = 0.0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_DOUBLE_EQ(lines[i], -lines[lines.size() - 1 - i]);
        const double gap = lines[i] - lines[i - 1];
        EXPECT_GT(gap, 0.0);
        if (lines[i] <= layout.fineExtent && lines[i - 1] >= -layout.fineExtent) {
            EXPECT_LE(gap, 0.5) << "at " << lines[i];
        }
        // Beyond the fine area the gaps only widen, with no sliver before the edge.
        if (lines[i - 1] >= layout.fineExtent && previousGap > 0.0) {
            EXPECT_GE(gap, previousGap * 0.99) << "at " << lines[i];
        }
        previousGap = gap;
    }

    // A layout without spacing or growth still reaches its edge instead of looping for ever.
    const std::vector<double> bent = SeaGridLines({60.0, 10.0, 0.0, 1.0});
    ASSERT_GE(bent.size(), 3u);
    EXPECT_DOUBLE_EQ(bent.back(), 60.0);
    EXPECT_TRUE(std::is_sorted(bent.begin(), bent.end()));
}

TEST(SeaMesh, FitsSixteenBitIndicesWithShortEdgesNearTheLaunchSite)
{
    const SeaMesh& mesh = Sea();
    const std::size_t n = SeaGridLines(SeaLayout{}).size();
    EXPECT_EQ(mesh.vertices.size(), n * n);
    EXPECT_EQ(mesh.faces.size(), 2 * (n - 1) * (n - 1));
    // The mesh loader keeps 16-bit indices unless asked otherwise; the rasteriser's vertex stage pays
    // for every vertex each frame, so a few thousand it is.
    EXPECT_LT(mesh.vertices.size(), 4000u);
    int near = 0;
    for (const SeaFace& f : mesh.faces) {
        ASSERT_LT(std::max({f.a, f.b, f.c}), mesh.vertices.size());
        const SeaVertex& a = mesh.vertices[f.a];
        const SeaVertex& b = mesh.vertices[f.b];
        const SeaVertex& c = mesh.vertices[f.c];
        if (NearLaunchSite(a, 8.0f) && NearLaunchSite(b, 8.0f) && NearLaunchSite(c, 8.0f)) {
            const float longest =
                std::max({HorizontalDistance(a, b), HorizontalDistance(b, c), HorizontalDistance(a, c)});
            ASSERT_LE(longest, 0.75f) << a.x << "," << a.z;
            ++near;
        }
    }
    EXPECT_GT(near, 1000);
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
    EXPECT_GT(seen, 1000);
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

    // Where the grid is fine, each face tilts the way the normals of its corners say (a flipped slope
    // would tilt it the other way by the whole wave slope).
    int tilted = 0;
    for (const SeaFace& f : mesh.faces) {
        const SeaVertex& a = mesh.vertices[f.a];
        const SeaVertex& b = mesh.vertices[f.b];
        const SeaVertex& c = mesh.vertices[f.c];
        if (!NearLaunchSite(a, 8.0f) || !NearLaunchSite(b, 8.0f) || !NearLaunchSite(c, 8.0f)) {
            continue;
        }
        D3DXVECTOR3 mean(a.nx + b.nx + c.nx, a.ny + b.ny + c.ny, a.nz + b.nz + c.nz);
        D3DXVec3Normalize(&mean, &mean);
        const D3DXVECTOR3 face = FaceNormal(mesh, f);
        const float cosine = face.x * mean.x + face.y * mean.y + face.z * mean.z;
        ASSERT_GT(cosine, std::cos(0.03f)) << "at " << a.x << "," << a.z;
        tilted += std::hypot(face.x, face.z) > 0.03f ? 1 : 0;
    }
    EXPECT_GT(tilted, 1000);
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

// The lighting at (x, z) as drawn: interpolated across the face of the grid that holds the point.
float LitAt(const SeaMesh& mesh, const std::vector<double>& lines, double x, double z)
{
    const auto n = static_cast<std::uint32_t>(lines.size());
    const auto c = static_cast<std::uint32_t>(std::upper_bound(lines.begin(), lines.end(), x) - lines.begin() - 1);
    const auto r = static_cast<std::uint32_t>(std::upper_bound(lines.begin(), lines.end(), z) - lines.begin() - 1);
    const double s = (x - lines[c]) / (lines[c + 1] - lines[c]);
    const double t = (z - lines[r]) / (lines[r + 1] - lines[r]);
    const float near0 = LitBy(mesh.vertices[r * n + c]);
    const float near1 = LitBy(mesh.vertices[r * n + c + 1]);
    const float far0 = LitBy(mesh.vertices[(r + 1) * n + c]);
    const float far1 = LitBy(mesh.vertices[(r + 1) * n + c + 1]);
    // The cell splits along near0-far1, as BuildSeaMesh cuts it.
    if (t >= s) {
        return static_cast<float>(near0 + s * (far1 - far0) + t * (far0 - near0));
    }
    return static_cast<float>(near0 + s * (near1 - near0) + t * (far1 - near1));
}

} // namespace

TEST(SeaMesh, FlashesLightItAsTheDenseGridDid)
{
    // The grid the sea had before: four times the vertices, a finer spacing near the launch site.
    const SeaLayout dense{60.0, 10.0, 0.3125, 1.18};
    const SeaMesh reference = BuildSeaMesh(dense);
    const std::vector<double> referenceLines = SeaGridLines(dense);
    const std::vector<double> lines = SeaGridLines(SeaLayout{});
    ASSERT_LT(Sea().vertices.size() * 3, reference.vertices.size());
    float worst = 0.0f;
    float brightest = 0.0f;
    for (double z = -7.95; z < 8.0; z += 0.1) {
        for (double x = -7.95; x < 8.0; x += 0.1) {
            const float expected = LitAt(reference, referenceLines, x, z);
            worst = std::max(worst, std::fabs(LitAt(Sea(), lines, x, z) - expected));
            brightest = std::max(brightest, expected);
        }
    }
    // Under 4 levels of 255 of the full flash's light anywhere it reaches: on the sea's dark material
    // (diffuse at most 0.12) under half a level of the frame.
    EXPECT_GT(brightest, 0.3f);
    EXPECT_LT(worst, 4.0f / 255.0f);
    EXPECT_LT(worst * 0.12f * 255.0f, 0.5f);
}
