// The frame scaled on the processor, a row at a time: each source row is
// scaled across once, and each result row blends the two it lies between.
#include "scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <tmmintrin.h>
#define SCALER_SHUFFLES 1
#endif

namespace w32::detail {

namespace {

// out = a + (b - a) * w / 256 for every byte of n pixels; the result goes
// past the caches (the window's pixels are read by the display, not by us).
void Blend(uint32_t* out, const uint32_t* a, const uint32_t* b, unsigned w, int n)
{
    const size_t bytes = static_cast<size_t>(n) * 4;
    auto* o = reinterpret_cast<uint8_t*>(out);
    const auto* pa = reinterpret_cast<const uint8_t*>(a);
    const auto* pb = reinterpret_cast<const uint8_t*>(b);
    const auto wb = static_cast<uint16_t>(w), wa = static_cast<uint16_t>(256 - w);
    size_t i = 0;
    auto tail = [&](size_t end) {
        for (; i < end; ++i)
            o[i] = static_cast<uint8_t>((pa[i] * wa + pb[i] * wb + 128) >> 8);
    };
#if defined(__SSE2__)
    tail(std::min(bytes, static_cast<size_t>(-reinterpret_cast<uintptr_t>(o) & 15)));
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i va16 = _mm_set1_epi16(static_cast<short>(wa)),
                  vb16 = _mm_set1_epi16(static_cast<short>(wb));
    for (; i + 16 <= bytes; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i));
        const __m128i lo = _mm_srli_epi16(
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(x, zero), va16),
                                        _mm_mullo_epi16(_mm_unpacklo_epi8(y, zero), vb16)),
                          half),
            8);
        const __m128i hi = _mm_srli_epi16(
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(x, zero), va16),
                                        _mm_mullo_epi16(_mm_unpackhi_epi8(y, zero), vb16)),
                          half),
            8);
        _mm_stream_si128(reinterpret_cast<__m128i*>(o + i), _mm_packus_epi16(lo, hi));
    }
#endif
    tail(bytes);
}

#if defined(SCALER_SHUFFLES)
// Blend with weights out of 128, two bytes multiplied and summed at once.
__attribute__((target("ssse3"))) void BlendPaired(uint32_t* out, const uint32_t* a,
                                                  const uint32_t* b, unsigned w, int n)
{
    const size_t bytes = static_cast<size_t>(n) * 4;
    auto* o = reinterpret_cast<uint8_t*>(out);
    const auto* pa = reinterpret_cast<const uint8_t*>(a);
    const auto* pb = reinterpret_cast<const uint8_t*>(b);
    const unsigned wb = (w + 1) / 2, wa = 128 - wb;
    if (wb == 0 || wa == 0) {
        std::memcpy(o, wb == 0 ? pa : pb, bytes);
        return;
    }
    size_t i = 0;
    auto tail = [&](size_t end) {
        for (; i < end; ++i)
            o[i] = static_cast<uint8_t>((pa[i] * wa + pb[i] * wb + 64) >> 7);
    };
    tail(std::min(bytes, static_cast<size_t>(-reinterpret_cast<uintptr_t>(o) & 15)));
    const __m128i weights = _mm_set1_epi16(static_cast<short>(wa | wb << 8));
    const __m128i half = _mm_set1_epi16(64);
    for (; i + 16 <= bytes; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i));
        const __m128i lo = _mm_maddubs_epi16(_mm_unpacklo_epi8(x, y), weights);
        const __m128i hi = _mm_maddubs_epi16(_mm_unpackhi_epi8(x, y), weights);
        _mm_stream_si128(reinterpret_cast<__m128i*>(o + i),
                         _mm_packus_epi16(_mm_srli_epi16(_mm_add_epi16(lo, half), 7),
                                          _mm_srli_epi16(_mm_add_epi16(hi, half), 7)));
    }
    tail(bytes);
}

// Four result pixels from the four source pixels at `s`: each pair of
// source pixels gathered by channel with a shuffle, then weighted and summed.
__attribute__((target("ssse3"))) void AcrossShuffled(const uint32_t* s, uint32_t* out,
                                                     const ShuffleGroup* groups, int count)
{
    for (int g = 0; g < count; ++g) {
        const ShuffleGroup& group = groups[g];
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + group.first));
        __m128i half[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i pairs = _mm_shuffle_epi8(
                q, _mm_loadu_si128(reinterpret_cast<const __m128i*>(group.pick[h])));
            const __m128i sums = _mm_maddubs_epi16(
                pairs, _mm_loadu_si128(reinterpret_cast<const __m128i*>(group.weight[h])));
            half[h] = _mm_srli_epi16(_mm_add_epi16(sums, _mm_set1_epi16(64)), 7);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * g),
                         _mm_packus_epi16(half[0], half[1]));
    }
}

bool HasShuffles()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// The leading groups of four result pixels that draw on four source pixels
// at most, none past the row's end; weights out of 128.
std::vector<ShuffleGroup> MakeGroups(const ScaleAxis& x, int srcW)
{
    std::vector<ShuffleGroup> groups;
    for (size_t i = 0; i + 4 <= x.first.size(); i += 4) {
        ShuffleGroup g{};
        g.first = x.first[i];
        if (g.first + 4 > srcW)
            break;
        bool fits = true;
        for (size_t j = 0; j < 4; ++j) {
            const int at = x.first[i + j] - g.first;
            const int w = (x.weight[i + j] + 1) / 2;
            // A pixel alone is weighted 64 twice: 128 does not fit a signed byte.
            const int a = w == 128 ? at + 1 : at, b = w == 0 ? at : at + 1;
            const int wa = w == 0 || w == 128 ? 64 : 128 - w, wb = w == 0 || w == 128 ? 64 : w;
            fits = fits && b <= 3;
            for (int c = 0; c < 4; ++c) {
                const size_t byte = (j % 2) * 8 + static_cast<size_t>(c) * 2;
                g.pick[j / 2][byte] = static_cast<uint8_t>(4 * a + c);
                g.pick[j / 2][byte + 1] = static_cast<uint8_t>(4 * b + c);
                g.weight[j / 2][byte] = static_cast<int8_t>(wa);
                g.weight[j / 2][byte + 1] = static_cast<int8_t>(wb);
            }
        }
        if (!fits)
            break;
        groups.push_back(g);
    }
    return groups;
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
    groups_ = MakeGroups(x_, srcW);
    return true;
}

const uint32_t* Scaler::Across(const uint32_t* src, int row, int slot, int from)
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
    int i = from;
#if defined(SCALER_SHUFFLES)
    const int groups = static_cast<int>(groups_.size());
    if (HasShuffles() && i / 4 < groups) {
        AcrossShuffled(s, out + i, groups_.data() + i / 4, groups - i / 4);
        i = 4 * groups;
    }
#endif
#if defined(__SSE2__)
    // Four result pixels at a time: each pair of source pixels interleaved
    // by channel, multiplied by its two weights and summed.
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi32(128);
    const auto* pairs = reinterpret_cast<const __m128i*>(pairWeights_.data());
    auto one = [&](int at) {
        const __m128i q = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + first[at]));
        const __m128i ab = _mm_unpacklo_epi8(q, _mm_srli_si128(q, 4));
        return _mm_srli_epi32(
            _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(ab, zero), _mm_loadu_si128(pairs + at)),
                          half),
            8);
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
        const uint32_t rb =
            (((a & 0xFF00FFu) * iw + (b & 0xFF00FFu) * w + 0x800080u) >> 8) & 0xFF00FFu;
        const uint32_t g = (((a & 0xFF00u) * iw + (b & 0xFF00u) * w + 0x8000u) >> 8) & 0xFF00u;
        const uint32_t al = (((a >> 24) * iw + (b >> 24) * w + 128) >> 8) << 24;
        out[i] = al | rb | g;
    }
    return out;
}

FrameBox Scaler::Draw(const uint32_t* src, Rows changed, int left, uint32_t* dst, int pitch)
{
    changed.first = std::max(changed.first, 0);
    changed.last = std::min(changed.last, srcH_);
    if (!src || changed.Empty() || box_.w <= 0 || y_.first.empty() || left >= srcW_)
        return {};
    // The result columns from the one between a changed source column and
    // the one left of it, from a group of four on.
    const auto& across = x_.first;
    const int x0 = static_cast<int>(std::lower_bound(across.begin(), across.end(), left - 1) -
                                    across.begin()) /
                   4 * 4;
    const int w = box_.w - x0;
    acrossRow_[0] = acrossRow_[1] = -1; // the source may have changed since
    const auto& first = y_.first;
    // The result rows between a changed source row and the one above it, or on it.
    const int y0 = static_cast<int>(
        std::lower_bound(first.begin(), first.end(), changed.first - 1) - first.begin());
    const int y1 = static_cast<int>(std::lower_bound(first.begin(), first.end(), changed.last) -
                                    first.begin());
    auto* blend = &Blend;
#if defined(SCALER_SHUFFLES)
    if (HasShuffles())
        blend = &BlendPaired;
#endif
    for (int y = y0; y < y1; ++y) {
        const int r = first[static_cast<size_t>(y)];
        const unsigned down = y_.weight[static_cast<size_t>(y)];
        uint32_t* out = dst + static_cast<ptrdiff_t>(y) * pitch + x0;
        const uint32_t* a = Across(src, r, r & 1, x0) + x0;
        if (down == 0)
            std::memcpy(out, a, static_cast<size_t>(w) * 4);
        else
            blend(out, a, Across(src, r + 1, (r + 1) & 1, x0) + x0, down, w);
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
    return {x0, y0, w, y1 - y0};
}

} // namespace w32::detail
