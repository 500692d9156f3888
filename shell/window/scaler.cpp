// The frame scaled on the processor, a row at a time: each source row is
// scaled across once, and each result row blends the two it lies between.
#include "scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace w32::detail {

namespace {

using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Wide16 = uint16_t __attribute__((vector_size(32)));

// out = a + (b - a) * w / 256 for every byte of n pixels.
void Blend(uint32_t* out, const uint32_t* a, const uint32_t* b, unsigned w, int n)
{
    const size_t bytes = static_cast<size_t>(n) * 4;
    auto* o = reinterpret_cast<uint8_t*>(out);
    const auto* pa = reinterpret_cast<const uint8_t*>(a);
    const auto* pb = reinterpret_cast<const uint8_t*>(b);
    const auto wb = static_cast<uint16_t>(w), wa = static_cast<uint16_t>(256 - w);
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        Bytes16 va, vb;
        std::memcpy(&va, pa + i, 16);
        std::memcpy(&vb, pb + i, 16);
        const Wide16 r =
            (__builtin_convertvector(va, Wide16) * wa + __builtin_convertvector(vb, Wide16) * wb) >>
            8;
        const Bytes16 packed = __builtin_convertvector(r, Bytes16);
        std::memcpy(o + i, &packed, 16);
    }
    for (; i < bytes; ++i)
        o[i] = static_cast<uint8_t>((pa[i] * wa + pb[i] * wb) >> 8);
}

} // namespace

ScaleAxis MakeAxis(int from, int to, Scaling scaling, int whole)
{
    ScaleAxis axis;
    if (from <= 0 || to <= 0)
        return axis;
    axis.first.resize(static_cast<size_t>(to));
    axis.weight.resize(static_cast<size_t>(to));
    const int k = scaling == Scaling::Crisp ? std::max(1, whole) : 1;
    const int size = from * k; // the source, enlarged for crisp scaling
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) * size / to;
        int first = 0;
        unsigned weight = 0;
        if (scaling == Scaling::Sharp) {
            first = std::min(static_cast<int>(centre), from - 1);
        } else {
            const double at = std::clamp(centre - 0.5, 0.0, static_cast<double>(size - 1));
            const int e = static_cast<int>(at);
            const int s0 = e / k, s1 = std::min(e + 1, size - 1) / k;
            first = s0;
            if (s1 != s0)
                weight = static_cast<unsigned>(std::lround((at - e) * 256));
            if (weight == 256) {
                first = s1;
                weight = 0;
            }
        }
        axis.first[static_cast<size_t>(i)] = first;
        axis.weight[static_cast<size_t>(i)] = static_cast<uint16_t>(weight);
    }
    return axis;
}

bool Scaler::Prepare(int srcW, int srcH, const FrameBox& box, Scaling scaling)
{
    if (srcW == srcW_ && srcH == srcH_ && box == box_ && scaling == scaling_)
        return false;
    srcW_ = srcW;
    srcH_ = srcH;
    box_ = box;
    scaling_ = scaling;
    const int whole = CrispScale(box, srcW, srcH);
    x_ = MakeAxis(srcW, box.w, scaling, whole);
    y_ = MakeAxis(srcH, box.h, scaling, whole);
    for (auto& row : across_)
        row.assign(static_cast<size_t>(std::max(0, box.w)), 0);
    // Per result pixel, the weights of its two source pixels, once per channel.
    pairWeights_.resize(x_.weight.size() * 8);
    for (size_t i = 0; i < x_.weight.size(); ++i) {
        for (size_t c = 0; c < 4; ++c) {
            pairWeights_[i * 8 + c * 2] = static_cast<int16_t>(256 - x_.weight[i]);
            pairWeights_[i * 8 + c * 2 + 1] = static_cast<int16_t>(x_.weight[i]);
        }
    }
    return true;
}

const uint32_t* Scaler::Across(const uint32_t* src, int row, int slot)
{
    const uint32_t* s = src + static_cast<ptrdiff_t>(row) * srcW_;
    if (box_.w == srcW_)
        return s; // centres on centres: the row as it is
    uint32_t* out = across_[slot].data();
    if (acrossRow_[slot] == row)
        return out;
    acrossRow_[slot] = row;
    const int* first = x_.first.data();
    const uint16_t* weight = x_.weight.data();
    int i = 0;
#if defined(__SSE2__)
    // Four result pixels at a time: each pair of source pixels interleaved
    // by channel, multiplied by its two weights and summed.
    const __m128i zero = _mm_setzero_si128();
    const auto* pairs = reinterpret_cast<const __m128i*>(pairWeights_.data());
    auto one = [&](int at) {
        const __m128i q = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + first[at]));
        const __m128i ab = _mm_unpacklo_epi8(q, _mm_srli_si128(q, 4));
        return _mm_srli_epi32(
            _mm_madd_epi16(_mm_unpacklo_epi8(ab, zero), _mm_loadu_si128(pairs + at)), 8);
    };
    for (; i + 4 <= box_.w && first[i + 3] + 1 < srcW_; i += 4) {
        const __m128i lo = _mm_packs_epi32(one(i), one(i + 1));
        const __m128i hi = _mm_packs_epi32(one(i + 2), one(i + 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < box_.w; ++i) {
        const unsigned w = weight[i], iw = 256 - w;
        const uint32_t a = s[first[i]], b = s[first[i] + (w != 0)];
        const uint32_t rb = (((a & 0xFF00FFu) * iw + (b & 0xFF00FFu) * w) >> 8) & 0xFF00FFu;
        const uint32_t g = (((a & 0xFF00u) * iw + (b & 0xFF00u) * w) >> 8) & 0xFF00u;
        const uint32_t al = (((a >> 24) * iw + (b >> 24) * w) >> 8) << 24;
        out[i] = al | rb | g;
    }
    return out;
}

Rows Scaler::Draw(const uint32_t* src, Rows changed, uint32_t* dst, int pitch)
{
    changed.first = std::max(changed.first, 0);
    changed.last = std::min(changed.last, srcH_);
    if (!src || changed.Empty() || box_.w <= 0 || y_.first.empty())
        return {0, 0};
    acrossRow_[0] = acrossRow_[1] = -1; // the source may have changed since
    const auto& first = y_.first;
    // The result rows between a changed source row and the one above it, or on it.
    const int y0 = static_cast<int>(
        std::lower_bound(first.begin(), first.end(), changed.first - 1) - first.begin());
    const int y1 = static_cast<int>(std::lower_bound(first.begin(), first.end(), changed.last) -
                                    first.begin());
    for (int y = y0; y < y1; ++y) {
        const int r = first[static_cast<size_t>(y)];
        const unsigned w = y_.weight[static_cast<size_t>(y)];
        uint32_t* out = dst + static_cast<ptrdiff_t>(y) * pitch;
        const uint32_t* a = Across(src, r, r & 1);
        if (w == 0)
            std::memcpy(out, a, static_cast<size_t>(box_.w) * 4);
        else
            Blend(out, a, Across(src, r + 1, (r + 1) & 1), w, box_.w);
    }
    return {y0, y1};
}

} // namespace w32::detail
