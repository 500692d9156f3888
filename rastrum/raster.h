// Private parts of the imaging library: images in the buffer's pixel format
// and the routines that draw them into a pixel buffer.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Surface;

namespace rastrum {

// An image converted once into premultiplied ARGB8888. Each row is described
// by its runs of non-transparent pixels, so drawing skips transparent parts,
// copies opaque runs whole and blends only where alpha lies strictly between.
struct Image
{
    struct Run
    {
        int32_t start;
        int32_t length;
        bool opaque;
    };

    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    std::vector<Run> runs;
    std::vector<uint32_t> rowRuns; // index of each row's first run; height + 1 entries
    int32_t opaqueLeft = 0;        // columns at the left opaque in every row

    bool Empty() const { return width <= 0 || height <= 0; }
};

// The destination of a draw: a pixel buffer and the rectangle drawing may touch.
struct Target
{
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    // Clip rectangle, half-open: [x0, x1) x [y0, y1), inside the buffer.
    int64_t x0, y0, x1, y1;
    // Pixels from the start of a row to the start of the next (at least width).
    int64_t stride;
};

Target WholeBuffer(uint32_t* pixels, int32_t width, int32_t height);

// Converts a surface of any format; alphaScale (0..255) multiplies every
// pixel's alpha. Returns an empty image when the surface is null or cannot
// be converted.
Image ImageFromSurface(SDL_Surface* surface, uint32_t alphaScale = 255);

// Builds the row runs from premultiplied pixels already in place.
void AnalyseRuns(Image& image);

// Blends premultiplied source pixel s over opaque destination d.
inline uint32_t BlendOver(uint32_t s, uint32_t d)
{
    const uint32_t a = s >> 24;
    if (a == 255) {
        return s;
    }
    if (a == 0) {
        return d;
    }
    const uint32_t inv = 255 - a;
    uint32_t rb = (d & 0x00FF00FFu) * inv + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((d >> 8) & 0x00FF00FFu) * inv + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return s + rb + ag;
}

// Draws image with its top-left corner at (x, y).
void Blit(const Image& image, const Target& target, int64_t x, int64_t y);
// Draws image scaled to width x height (nearest pixel) with top-left at (x, y).
void BlitStretched(const Image& image, const Target& target, int64_t x, int64_t y, int64_t width,
                   int64_t height);

} // namespace rastrum
