// Interface of the imaging library Rastrum (librastrum.so): numbered image
// slots, PNG loading, one off-screen buffer of 32-bit pixels, image and text
// drawing, and presenting the buffer to a device context.
#pragma once

#include <cstdint>

#include "rastrum_target.h"

#if defined(__GNUC__)
#define RASTRUM_API extern "C" __attribute__((visibility("default")))
#else
#define RASTRUM_API extern "C"
#endif

// Library initialisation; runs first at start-up.
RASTRUM_API void Rastrum_BEGIN();
// How the library turns the paths it is given into paths of this file
// system (the program resolves Windows-style paths without regard to case).
// Without a resolver a path is used as given.
using RastrumPathResolver = void (*)(const char* path, char* out, uint32_t outSize);
RASTRUM_API void Rastrum_SetPathResolver(RastrumPathResolver resolver);

// A new empty set of slots 1..count (earlier images are released).
RASTRUM_API void InitGraphics(uint32_t count);
// Grows the set to count slots, keeping loaded images.
RASTRUM_API void SetNumberOfImages(uint32_t count);
// Loads the PNG at path (Windows-style, resolved without regard to case)
// into slot number. A failed load leaves an empty 0 x 0 image.
RASTRUM_API void LoadImage(uint32_t number, const char* path);
RASTRUM_API int32_t GetSizeX(uint32_t number);
RASTRUM_API int32_t GetSizeY(uint32_t number);

// The off-screen buffer; a new buffer replaces the one before (cleared to black).
RASTRUM_API void CreateBuffer(int32_t width, int32_t height);
// centred 1: (x, y) is the image's centre; 0: its top-left corner.
RASTRUM_API void DrawImage(uint32_t number, int32_t x, int32_t y, int32_t centred);
RASTRUM_API void DrawStretchedImage(uint32_t number, int32_t x, int32_t y, int32_t width,
                                    int32_t height, int32_t centred);
// Text in the box with top-left (x, y); fontSize is the pixel height.
// flag 1: one line clipped to the box; flag 0: words wrapped inside the box.
RASTRUM_API void DrawText(const char* text, const char* fontFace, int32_t fontSize, int32_t x,
                          int32_t y, int32_t width, int32_t height, int32_t alpha, int32_t red,
                          int32_t green, int32_t blue, int32_t flag);
// Presents the whole buffer through the device context (which begins with a
// RastrumPresentTarget) in one step.
RASTRUM_API void DrawBufferOnScreen(void* deviceContext);

// 1: drawing goes to a second buffer of the same size, 0: back to the
// buffer, whose pixels stay as they were. A picture drawn aside is read
// with Rastrum_BufferPixels while drawing aside, and its pixels hold until
// the next drawing aside or a new buffer.
RASTRUM_API void Rastrum_DrawAside(int32_t aside);
// While drawing aside, until it ends: nothing is drawn left of the column
// `left`; there the picture aside holds the buffer's pixels. Returns the
// first column where the picture aside may differ from the one before:
// `left`, or 0 when the buffer's pixels left of it had to be taken over.
RASTRUM_API int32_t Rastrum_DrawAsideFrom(int32_t left);
// As Rastrum_DrawAside(1), but drawing goes straight to the caller's pixels:
// the buffer's size, `pitch` pixels from one row to the next. Left of
// Rastrum_DrawAsideFrom's column they are not touched, and nothing is taken
// over there. Ends with Rastrum_DrawAside(0). Returns 0, and changes
// nothing, when already drawing aside, without a buffer or when the pixels
// are not the buffer's size.
RASTRUM_API int32_t Rastrum_DrawAsideInto(uint32_t* pixels, int32_t width, int32_t height,
                                          int32_t pitch);
// How many columns at the buffer's left the image hides, drawn at (0, 0):
// opaque in every row, as tall as the buffer (0 without such an image).
RASTRUM_API int32_t Rastrum_OpaqueLeft(uint32_t number);

RASTRUM_API void FreeGraphics();
RASTRUM_API void FreeBuffer();

// Read access to the buffer (for tests and benchmarks); null when there is none.
RASTRUM_API const uint32_t* Rastrum_BufferPixels(int32_t* width, int32_t* height);
