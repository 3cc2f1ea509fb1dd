// SPDX-License-Identifier: GPL-3.0-or-later
// Separable resampling: each destination texel is a weighted sum of source texels, the weights coming
// from the filter's kernel placed at the texel's centre. Rows are filtered vertically into one float
// row, then horizontally, so no image-sized working buffer is needed.
#include "d3dx/image_filter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "d3dx/d3dx_texture.h"

namespace {

struct Tap {
    UINT index;
    float weight;
};

// The source texel that a sample at index i (possibly outside 0..size-1) reads.
UINT Address(long long i, UINT size, bool mirror)
{
    const long long n = size;
    if (mirror) {
        const long long period = 2 * n;
        long long m = i % period;
        if (m < 0) {
            m += period;
        }
        return static_cast<UINT>(m < n ? m : period - 1 - m);
    }
    return static_cast<UINT>(std::clamp(i, 0LL, n - 1));
}

// Taps of destination texel i along one axis, appended to taps.
void AppendTaps(FilterKind kind, UINT i, UINT srcSize, UINT dstSize, bool mirror, std::vector<Tap>& taps)
{
    const double scale = static_cast<double>(srcSize) / dstSize;
    const double centre = (i + 0.5) * scale;
    switch (kind) {
    case FilterKind::None:
    case FilterKind::Point: {
        const auto j = static_cast<long long>(std::floor(centre));
        taps.push_back({Address(j, srcSize, mirror), 1.0f});
        return;
    }
    case FilterKind::Linear: {
        const double x = centre - 0.5;
        const double x0 = std::floor(x);
        const auto f = static_cast<float>(x - x0);
        const auto j = static_cast<long long>(x0);
        taps.push_back({Address(j, srcSize, mirror), 1.0f - f});
        taps.push_back({Address(j + 1, srcSize, mirror), f});
        return;
    }
    case FilterKind::Box: {
        // Coverage of each source texel by the interval the destination texel spans.
        const double lo = i * scale;
        const double hi = (i + 1) * scale;
        const auto first = static_cast<long long>(std::floor(lo));
        const auto last = static_cast<long long>(std::ceil(hi)) - 1;
        for (long long j = first; j <= last; ++j) {
            const double cover = std::min(hi, j + 1.0) - std::max(lo, static_cast<double>(j));
            if (cover > 0.0) {
                taps.push_back({Address(j, srcSize, mirror), static_cast<float>(cover / scale)});
            }
        }
        return;
    }
    case FilterKind::Triangle: {
        // A tent one destination texel wide on each side, at least one source texel when enlarging.
        const double radius = std::max(1.0, scale);
        const auto first = static_cast<long long>(std::floor(centre - radius - 0.5));
        const auto last = static_cast<long long>(std::ceil(centre + radius - 0.5));
        const std::size_t begin = taps.size();
        double sum = 0.0;
        for (long long j = first; j <= last; ++j) {
            const double w = 1.0 - std::abs(j + 0.5 - centre) / radius;
            if (w > 0.0) {
                taps.push_back({Address(j, srcSize, mirror), static_cast<float>(w)});
                sum += w;
            }
        }
        for (std::size_t t = begin; t < taps.size(); ++t) {
            taps[t].weight = static_cast<float>(taps[t].weight / sum);
        }
        return;
    }
    }
}

// All destination texels' taps along one axis; texel i uses taps[start[i]] .. taps[start[i + 1]].
struct AxisTaps {
    std::vector<std::size_t> start;
    std::vector<Tap> taps;
};

AxisTaps BuildAxis(FilterKind kind, UINT srcSize, UINT dstSize, bool mirror)
{
    AxisTaps axis;
    axis.start.reserve(dstSize + 1);
    for (UINT i = 0; i < dstSize; ++i) {
        axis.start.push_back(axis.taps.size());
        AppendTaps(kind, i, srcSize, dstSize, mirror, axis.taps);
    }
    axis.start.push_back(axis.taps.size());
    return axis;
}

BYTE ToByte(float value)
{
    return static_cast<BYTE>(std::clamp(value + 0.5f, 0.0f, 255.0f));
}

void CopyUnscaled(const BYTE* src, UINT srcWidth, UINT srcHeight, BYTE* dst, UINT dstWidth, UINT dstHeight)
{
    std::memset(dst, 0, std::size_t{dstWidth} * dstHeight * 4);
    const std::size_t rowBytes = std::size_t{std::min(srcWidth, dstWidth)} * 4;
    for (UINT y = 0; y < std::min(srcHeight, dstHeight); ++y) {
        std::memcpy(dst + std::size_t{y} * dstWidth * 4, src + std::size_t{y} * srcWidth * 4, rowBytes);
    }
}

} // namespace

bool ReadImageFilter(DWORD filter, ImageFilter* out)
{
    if (filter == D3DX_DEFAULT) {
        *out = {FilterKind::Box, false, false};
        return true;
    }
    ImageFilter result{};
    switch (filter & 0xFFu) {
    case D3DX_FILTER_NONE: result.kind = FilterKind::None; break;
    case D3DX_FILTER_POINT: result.kind = FilterKind::Point; break;
    case D3DX_FILTER_LINEAR: result.kind = FilterKind::Linear; break;
    case D3DX_FILTER_TRIANGLE: result.kind = FilterKind::Triangle; break;
    case D3DX_FILTER_BOX: result.kind = FilterKind::Box; break;
    default: return false;
    }
    result.mirrorU = (filter & D3DX_FILTER_MIRROR_U) != 0;
    result.mirrorV = (filter & D3DX_FILTER_MIRROR_V) != 0;
    *out = result;
    return true;
}

void ResizeRgba(const BYTE* src, UINT srcWidth, UINT srcHeight, BYTE* dst, UINT dstWidth, UINT dstHeight,
                const ImageFilter& filter)
{
    if (filter.kind == FilterKind::None) {
        CopyUnscaled(src, srcWidth, srcHeight, dst, dstWidth, dstHeight);
        return;
    }
    if (srcWidth == dstWidth && srcHeight == dstHeight) {
        std::memcpy(dst, src, std::size_t{srcWidth} * srcHeight * 4);
        return;
    }
    const AxisTaps columns = BuildAxis(filter.kind, srcWidth, dstWidth, filter.mirrorU);
    const AxisTaps rows = BuildAxis(filter.kind, srcHeight, dstHeight, filter.mirrorV);
    std::vector<float> row(std::size_t{srcWidth} * 4);
    for (UINT y = 0; y < dstHeight; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (std::size_t t = rows.start[y]; t < rows.start[y + 1]; ++t) {
            const BYTE* in = src + std::size_t{rows.taps[t].index} * srcWidth * 4;
            const float w = rows.taps[t].weight;
            for (std::size_t k = 0; k < row.size(); ++k) {
                row[k] += w * in[k];
            }
        }
        BYTE* out = dst + std::size_t{y} * dstWidth * 4;
        for (UINT x = 0; x < dstWidth; ++x) {
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (std::size_t t = columns.start[x]; t < columns.start[x + 1]; ++t) {
                const float* in = row.data() + std::size_t{columns.taps[t].index} * 4;
                for (int c = 0; c < 4; ++c) {
                    sum[c] += columns.taps[t].weight * in[c];
                }
            }
            for (int c = 0; c < 4; ++c) {
                out[x * 4 + c] = ToByte(sum[c]);
            }
        }
    }
}

void HalveRgba(const BYTE* src, UINT srcWidth, UINT srcHeight, BYTE* dst, FilterKind kind)
{
    const UINT width = HalfSize(srcWidth);
    const UINT height = HalfSize(srcHeight);
    auto texel = [&](UINT x, UINT y) {
        return src + (std::size_t{std::min(y, srcHeight - 1)} * srcWidth + std::min(x, srcWidth - 1)) * 4;
    };
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            BYTE* out = dst + (std::size_t{y} * width + x) * 4;
            if (kind == FilterKind::Point || kind == FilterKind::None) {
                std::memcpy(out, texel(2 * x, 2 * y), 4);
                continue;
            }
            const BYTE* a = texel(2 * x, 2 * y);
            const BYTE* b = texel(2 * x + 1, 2 * y);
            const BYTE* c = texel(2 * x, 2 * y + 1);
            const BYTE* d = texel(2 * x + 1, 2 * y + 1);
            for (int k = 0; k < 4; ++k) {
                out[k] = static_cast<BYTE>((a[k] + b[k] + c[k] + d[k] + 2) / 4);
            }
        }
    }
}
