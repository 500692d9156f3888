// Image conversion and drawing into a 32-bit pixel buffer.
#include "raster.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastrum {
namespace {

// Blends a run of translucent premultiplied pixels over the destination,
// four at a time where the processor allows.
void BlendRun(const uint32_t* s, uint32_t* d, size_t n)
{
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi32(255);
    const __m128i half = _mm_set1_epi16(0x80);
    for (; k + 4 <= n; k += 4) {
        const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k));
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + k));
        __m128i inv = _mm_sub_epi32(full, _mm_srli_epi32(src, 24));
        inv = _mm_or_si128(inv, _mm_slli_epi32(inv, 16));
        const __m128i invLo = _mm_unpacklo_epi32(inv, inv);
        const __m128i invHi = _mm_unpackhi_epi32(inv, inv);
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dst, zero), invLo), half);
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dst, zero), invHi), half);
        // x / 255, rounded, for x = product + 128: (x + (x >> 8)) >> 8.
        lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
        const __m128i out = _mm_add_epi8(_mm_packus_epi16(lo, hi), src);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k), out);
    }
#endif
    for (; k < n; ++k) {
        d[k] = BlendOver(s[k], d[k]);
    }
}

} // namespace

Target WholeBuffer(uint32_t* pixels, int32_t width, int32_t height)
{
    return Target{pixels, width, height, 0, 0, width, height, width};
}

Image ImageFromSurface(SDL_Surface* surface, uint32_t alphaScale)
{
    Image image;
    if (surface == nullptr || surface->w <= 0 || surface->h <= 0) {
        return image;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
    if (argb == nullptr) {
        return image;
    }
    try {
        const int32_t w = argb->w;
        const int32_t h = argb->h;
        image.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        image.width = w;
        image.height = h;
        alphaScale = std::min<uint32_t>(alphaScale, 255);
        SDL_LockSurface(argb);
        for (int32_t y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
            uint32_t* dst = image.pixels.data() + static_cast<size_t>(y) * w;
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t p = src[x];
                uint32_t a = p >> 24;
                if (alphaScale != 255) {
                    a = (a * alphaScale + 127) / 255;
                }
                if (a == 255) {
                    dst[x] = p;
                } else if (a == 0) {
                    dst[x] = 0;
                } else {
                    const uint32_t r = (((p >> 16) & 0xFF) * a + 127) / 255;
                    const uint32_t g = (((p >> 8) & 0xFF) * a + 127) / 255;
                    const uint32_t b = ((p & 0xFF) * a + 127) / 255;
                    dst[x] = (a << 24) | (r << 16) | (g << 8) | b;
                }
            }
        }
        SDL_UnlockSurface(argb);
        AnalyseRuns(image);
    } catch (const std::bad_alloc&) {
        image = Image{};
    }
    SDL_FreeSurface(argb);
    return image;
}

void AnalyseRuns(Image& image)
{
    image.runs.clear();
    image.rowRuns.assign(static_cast<size_t>(std::max(image.height, 0)) + 1, 0);
    for (int32_t y = 0; y < image.height; ++y) {
        image.rowRuns[y] = static_cast<uint32_t>(image.runs.size());
        const uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
        int32_t x = 0;
        while (x < image.width) {
            const uint32_t a = row[x] >> 24;
            if (a == 0) {
                ++x;
                continue;
            }
            const bool opaque = a == 255;
            const int32_t start = x;
            while (x < image.width) {
                const uint32_t b = row[x] >> 24;
                if (b == 0 || (b == 255) != opaque) {
                    break;
                }
                ++x;
            }
            image.runs.push_back(Image::Run{start, x - start, opaque});
        }
    }
    image.rowRuns[image.height] = static_cast<uint32_t>(image.runs.size());
    image.opaqueLeft = image.height > 0 ? image.width : 0;
    for (int32_t y = 0; y < image.height && image.opaqueLeft > 0; ++y) {
        const uint32_t first = image.rowRuns[static_cast<size_t>(y)];
        const bool opens = first < image.rowRuns[static_cast<size_t>(y) + 1] &&
                           image.runs[first].start == 0 && image.runs[first].opaque;
        image.opaqueLeft = opens ? std::min(image.opaqueLeft, image.runs[first].length) : 0;
    }
}

void Blit(const Image& image, const Target& target, int64_t x, int64_t y)
{
    if (image.Empty() || target.pixels == nullptr) {
        return;
    }
    const int64_t top = std::max(y, target.y0);
    const int64_t bottom = std::min(y + image.height, target.y1);
    const int64_t left = std::max(x, target.x0);
    const int64_t right = std::min(x + image.width, target.x1);
    if (top >= bottom || left >= right) {
        return;
    }
    for (int64_t dy = top; dy < bottom; ++dy) {
        const auto sy = static_cast<size_t>(dy - y);
        const uint32_t* src = image.pixels.data() + sy * static_cast<size_t>(image.width);
        uint32_t* dst =
            target.pixels + static_cast<size_t>(dy) * static_cast<size_t>(target.stride);
        const uint32_t first = image.rowRuns[sy];
        const uint32_t last = image.rowRuns[sy + 1];
        for (uint32_t i = first; i < last; ++i) {
            const Image::Run& run = image.runs[i];
            const int64_t rs = std::max<int64_t>(x + run.start, left);
            const int64_t re = std::min<int64_t>(x + run.start + run.length, right);
            if (rs >= re) {
                continue;
            }
            const uint32_t* s = src + (rs - x);
            uint32_t* d = dst + rs;
            const auto n = static_cast<size_t>(re - rs);
            if (run.opaque) {
                std::memcpy(d, s, n * sizeof(uint32_t));
            } else {
                BlendRun(s, d, n);
            }
        }
    }
}

void BlitStretched(const Image& image, const Target& target, int64_t x, int64_t y, int64_t width,
                   int64_t height)
{
    if (image.Empty() || target.pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    if (width == image.width && height == image.height) {
        Blit(image, target, x, y);
        return;
    }
    const int64_t top = std::max(y, target.y0);
    const int64_t bottom = std::min(y + height, target.y1);
    const int64_t left = std::max(x, target.x0);
    const int64_t right = std::min(x + width, target.x1);
    if (top >= bottom || left >= right) {
        return;
    }
    // Source column of every destination column, computed once per draw.
    thread_local std::vector<int32_t> columns;
    columns.resize(static_cast<size_t>(right - left));
    for (int64_t dx = left; dx < right; ++dx) {
        columns[static_cast<size_t>(dx - left)] =
            static_cast<int32_t>(((dx - x) * image.width) / width);
    }
    for (int64_t dy = top; dy < bottom; ++dy) {
        const int64_t sy = ((dy - y) * image.height) / height;
        const uint32_t* src = image.pixels.data() + static_cast<size_t>(sy) * image.width;
        uint32_t* dst =
            target.pixels + static_cast<size_t>(dy) * static_cast<size_t>(target.stride) + left;
        const size_t n = columns.size();
        for (size_t k = 0; k < n; ++k) {
            dst[k] = BlendOver(src[columns[k]], dst[k]);
        }
    }
}

} // namespace rastrum
