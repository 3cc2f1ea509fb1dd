// The sea mesh: its grid, the facing of its faces under D3D's clockwise rule, and normals that match
// the waves.
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
    EXPECT_DOUBLE_EQ(lines.front(), -60.0);
    EXPECT_DOUBLE_EQ(lines.back(), 60.0);
    double previousGap = 0.0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_DOUBLE_EQ(lines[i], -lines[lines.size() - 1 - i]);
        const double gap = lines[i] - lines[i - 1];
        EXPECT_GT(gap, 0.0);
        if (lines[i] <= 10.0 && lines[i - 1] >= -10.0) {
            EXPECT_LE(gap, 0.5) << "at " << lines[i];
        }
        // Beyond the fine area the gaps only widen, with no sliver before the edge.
        if (lines[i - 1] >= 10.0 && previousGap > 0.0) {
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
    // The mesh loader keeps 16-bit indices unless asked otherwise.
    EXPECT_LT(mesh.vertices.size(), 65536u);
    int near = 0;
    for (const SeaFace& f : mesh.faces) {
        ASSERT_LT(std::max({f.a, f.b, f.c}), mesh.vertices.size());
        const SeaVertex& a = mesh.vertices[f.a];
        const SeaVertex& b = mesh.vertices[f.b];
        const SeaVertex& c = mesh.vertices[f.c];
        if (NearLaunchSite(a, 10.0f) && NearLaunchSite(b, 10.0f) && NearLaunchSite(c, 10.0f)) {
            const float longest =
                std::max({HorizontalDistance(a, b), HorizontalDistance(b, c), HorizontalDistance(a, c)});
            ASSERT_LE(longest, 0.5f) << a.x << "," << a.z;
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
        ASSERT_GT(cosine, std::cos(0.02f)) << "at " << a.x << "," << a.z;
        tilted += std::hypot(face.x, face.z) > 0.03f ? 1 : 0;
    }
    EXPECT_GT(tilted, 1000);
}
