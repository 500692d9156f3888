// Private: font lookup and the cache of rasterised texts.
#pragma once

#include <cstdint>
#include <string>

#include "raster.h"

struct SDL_RWops;

namespace rastrum {

// Turns a Windows-style path into one of this file system (the resolver
// set by the program, or the path unchanged).
std::string ResolvePath(const char* path);

// Opens a picture or font for reading when it is a regular file (closed with
// the returned stream); null otherwise. The open does not block, so a named
// pipe in place of the file is not waited for.
SDL_RWops* OpenRegularFile(const std::string& file);

// What a text draw asks for; equal requests give the same picture.
struct TextRequest
{
    std::string text; // as the program passes it (one byte a character)
    std::string face;
    int32_t size = 0;
    int32_t boxWidth = 0;
    bool wrap = false;
    uint8_t alpha = 255, red = 0, green = 0, blue = 0;
};

// The picture of a text, rasterised or found in the cache; null when the
// text draws nothing (empty text, no usable font, bad size).
const Image* TextImage(const TextRequest& request);

// Forgets the font files found for faces (after the resolver changes).
void ForgetFontFaces();
// Releases every cached text picture.
void ClearTextCache();
// Closes all fonts and releases the caches (library shutdown).
void ShutdownText();

// The file of an installed font of the family ("" when there is none). With
// exact set, only a font of that very family counts, else the best match.
// The desktop asks fontconfig (system_fonts.cpp); a browser build brings its
// own lookup over the fonts packed with it.
std::string SystemFontFile(const std::string& family, bool exact);

// The font file chosen for a face ("" when there is none at all).
std::string FontFileFor(const std::string& face);

} // namespace rastrum
