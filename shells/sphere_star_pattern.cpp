// SPDX-License-Identifier: GPL-3.0-or-later
// Star positions in latitude rows: the equator circle, then mirrored northern and southern circles.
#include "shells/sphere_star_pattern.h"

#include <cmath>

#include "effects/random01.h"

namespace {

constexpr float Pi = 3.1415927f;

int RowCount(int count)
{
    if (count < 4 || count > SphereStarPatternMaxCount) {
        return 0;
    }
    return (count / 4) * 2;
}

float RowLatitude(int row, int rows)
{
    return static_cast<float>(row) * 0.5f / static_cast<float>(rows) * Pi;
}

// Stars on one circle of the row; the equator row holds one circle, the others two.
int RowStars(int count, float latitude)
{
    return static_cast<int>(static_cast<float>(count) * std::cos(latitude) * 0.5f);
}

} // namespace

void SphereStarPattern(int count, float radius, D3DXVECTOR3*& positions, int& positionCount)
{
    positions = nullptr;
    positionCount = 0;
    const int rows = RowCount(count);

    int total = 0;
    for (int row = 0; row < rows; ++row) {
        const int stars = RowStars(count, RowLatitude(row, rows));
        total += row == 0 ? stars : 2 * stars;
    }
    if (total <= 0) {
        return;
    }

    positions = new D3DXVECTOR3[total];
    int written = 0;
    for (int row = 0; row < rows; ++row) {
        const float latitude = RowLatitude(row, rows);
        const int stars = RowStars(count, latitude);
        if (stars <= 0) {
            continue;
        }
        const float phase = static_cast<float>(Random01());
        for (int j = 0; j < stars; ++j) {
            const float longitude = static_cast<float>(j) * 2.0f / static_cast<float>(stars) * Pi + phase;
            const float x = std::cos(longitude) * std::cos(latitude) * radius;
            const float z = std::sin(longitude) * std::cos(latitude) * radius;
            // Only the height is jittered (about 0.05 radians), which breaks the rows up.
            const float jitter = static_cast<float>((Random01() - 0.5) * 0.1);
            const float y = std::sin(latitude + jitter) * radius;
            positions[written++] = D3DXVECTOR3(x, y, z);
            if (row != 0) {
                positions[written++] = D3DXVECTOR3(x, -y, z);
            }
        }
    }
    positionCount = written;
}
