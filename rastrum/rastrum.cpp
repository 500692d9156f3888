// The imaging library's entry points: image slots, the off-screen buffer,
// drawing, and presenting the buffer.
#include "rastrum.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_ttf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "raster.h"
#include "text.h"

namespace rastrum {
namespace {

// Largest buffer side and area accepted; anything bigger leaves no buffer.
constexpr int32_t kMaxBufferSide = 16384;
constexpr int64_t kMaxBufferPixels = int64_t{1} << 26;
// Largest picture side and area loaded (16 MiB of pixels); the window is
// 800 x 700, and a bigger picture is refused from its header, undecoded.
constexpr uint32_t kMaxImageSide = 4096;
constexpr uint64_t kMaxImagePixels = uint64_t{4096} * 1024;

struct Library
{
    RastrumPathResolver resolver = nullptr;
    uint32_t slotCount = 0;
    // images[n - 1] is slot n; only as long as the highest slot loaded.
    std::vector<Image> images;
    std::vector<uint32_t> buffer;
    std::vector<uint32_t> aside; // the other buffer of Rastrum_DrawAside
    bool drawingAside = false;
    int32_t asideLeft = 0;    // drawing aside touches no column left of it
    int32_t asideKept = 0;    // columns at the left where the picture aside is the buffer's
    bool drawnSince = true;   // the buffer was drawn on since they were compared
    uint32_t* into = nullptr; // the caller's pixels drawn on aside, if not null
    int32_t intoPitch = 0;    // and the pixels from one of their rows to the next
    int32_t bufferWidth = 0;
    int32_t bufferHeight = 0;
    bool imageReady = false;
};

Library& Lib()
{
    static Library lib;
    return lib;
}

void EnsureImageLoader()
{
    Library& lib = Lib();
    if (!lib.imageReady) {
        IMG_Init(IMG_INIT_PNG);
        lib.imageReady = true;
    }
}

const Image* Slot(uint32_t number)
{
    const Library& lib = Lib();
    if (number == 0 || number > lib.slotCount || number > lib.images.size()) {
        return nullptr;
    }
    return &lib.images[number - 1];
}

bool HasBuffer()
{
    return !Lib().buffer.empty();
}

Target BufferTarget()
{
    Library& lib = Lib();
    Target t = WholeBuffer(lib.into != nullptr ? lib.into : lib.buffer.data(), lib.bufferWidth,
                           lib.bufferHeight);
    if (lib.into != nullptr) {
        t.stride = lib.intoPitch;
    }
    if (lib.drawingAside) {
        t.x0 = std::min<int64_t>(lib.asideLeft, t.x1);
        if (lib.into == nullptr) {
            lib.asideKept = std::min(lib.asideKept, lib.asideLeft);
        }
    } else {
        lib.drawnSince = true;
    }
    return t;
}

uint8_t Component(int32_t value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

// True when the file starts with the PNG signature (the only format read)
// and its header chunk states a size no bigger than the library loads.
bool AcceptablePng(SDL_RWops* rw)
{
    static constexpr std::array<uint8_t, 16> kStart{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                                    0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    std::array<uint8_t, 24> head{};
    if (SDL_RWread(rw, head.data(), 1, head.size()) != head.size() ||
        !std::equal(kStart.begin(), kStart.end(), head.begin())) {
        return false;
    }
    const auto bigEndian = [&head](size_t at) {
        return (uint32_t{head[at]} << 24) | (uint32_t{head[at + 1]} << 16) |
               (uint32_t{head[at + 2]} << 8) | uint32_t{head[at + 3]};
    };
    const uint32_t width = bigEndian(16);
    const uint32_t height = bigEndian(20);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
        uint64_t{width} * height > kMaxImagePixels) {
        return false;
    }
    return SDL_RWseek(rw, 0, RW_SEEK_SET) == 0;
}

Image LoadPng(const char* path)
{
    if (path == nullptr || *path == '\0') {
        return Image{};
    }
    const std::string file = ResolvePath(path);
    SDL_RWops* rw = OpenRegularFile(file);
    if (rw == nullptr) {
        return Image{};
    }
    if (!AcceptablePng(rw)) {
        SDL_RWclose(rw);
        return Image{};
    }
    EnsureImageLoader();
    SDL_Surface* surface = IMG_LoadPNG_RW(rw);
    SDL_RWclose(rw);
    Image image = ImageFromSurface(surface);
    SDL_FreeSurface(surface);
    return image;
}

} // namespace

std::string ResolvePath(const char* path)
{
    if (path == nullptr) {
        return "";
    }
    RastrumPathResolver resolver = Lib().resolver;
    if (resolver == nullptr) {
        return path;
    }
    std::array<char, 4096> out{};
    resolver(path, out.data(), static_cast<uint32_t>(out.size()));
    out.back() = '\0';
    return out.data();
}

SDL_RWops* OpenRegularFile(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return nullptr;
    }
    struct stat st
    {
    };
    FILE* stream = nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (stream = ::fdopen(fd, "rb")) == nullptr) {
        ::close(fd);
        return nullptr;
    }
    SDL_RWops* rw = SDL_RWFromFP(stream, SDL_TRUE);
    if (rw == nullptr) {
        std::fclose(stream);
    }
    return rw;
}

} // namespace rastrum

using namespace rastrum;

void Rastrum_BEGIN()
{
    EnsureImageLoader();
    if (TTF_WasInit() == 0) {
        TTF_Init();
    }
}

void Rastrum_SetPathResolver(RastrumPathResolver resolver)
{
    Lib().resolver = resolver;
    ForgetFontFaces();
}

void InitGraphics(uint32_t count)
{
    Library& lib = Lib();
    lib.images.clear();
    lib.images.shrink_to_fit();
    lib.slotCount = count;
}

void SetNumberOfImages(uint32_t count)
{
    Library& lib = Lib();
    lib.slotCount = std::max(lib.slotCount, count);
}

void LoadImage(uint32_t number, const char* path)
{
    Library& lib = Lib();
    if (number == 0 || number > lib.slotCount) {
        return;
    }
    try {
        if (lib.images.size() < number) {
            lib.images.resize(number);
        }
        lib.images[number - 1] = LoadPng(path);
    } catch (const std::bad_alloc&) {
        if (number <= lib.images.size()) {
            lib.images[number - 1] = Image{};
        }
    }
}

int32_t GetSizeX(uint32_t number)
{
    const Image* image = Slot(number);
    return image != nullptr ? image->width : 0;
}

int32_t GetSizeY(uint32_t number)
{
    const Image* image = Slot(number);
    return image != nullptr ? image->height : 0;
}

void CreateBuffer(int32_t width, int32_t height)
{
    FreeBuffer();
    if (width <= 0 || height <= 0 || width > kMaxBufferSide || height > kMaxBufferSide ||
        int64_t{width} * height > kMaxBufferPixels) {
        return;
    }
    Library& lib = Lib();
    try {
        lib.buffer.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
        lib.bufferWidth = width;
        lib.bufferHeight = height;
        lib.drawnSince = true;
    } catch (const std::bad_alloc&) {
        FreeBuffer();
    }
}

void DrawImage(uint32_t number, int32_t x, int32_t y, int32_t centred)
{
    const Image* image = Slot(number);
    if (image == nullptr || !HasBuffer()) {
        return;
    }
    int64_t left = x;
    int64_t top = y;
    if (centred != 0) {
        left -= image->width / 2;
        top -= image->height / 2;
    }
    Blit(*image, BufferTarget(), left, top);
}

void DrawStretchedImage(uint32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t centred)
{
    const Image* image = Slot(number);
    if (image == nullptr || !HasBuffer() || width <= 0 || height <= 0) {
        return;
    }
    int64_t left = x;
    int64_t top = y;
    if (centred != 0) {
        left -= width / 2;
        top -= height / 2;
    }
    BlitStretched(*image, BufferTarget(), left, top, width, height);
}

void DrawText(const char* text, const char* fontFace, int32_t fontSize, int32_t x, int32_t y,
              int32_t width, int32_t height, int32_t alpha, int32_t red, int32_t green,
              int32_t blue, int32_t flag)
{
    if (text == nullptr || *text == '\0' || !HasBuffer() || width <= 0 || height <= 0) {
        return;
    }
    Target target = BufferTarget();
    target.x0 = std::max<int64_t>(target.x0, x);
    target.y0 = std::max<int64_t>(target.y0, y);
    target.x1 = std::min<int64_t>(target.x1, int64_t{x} + width);
    target.y1 = std::min<int64_t>(target.y1, int64_t{y} + height);
    if (target.x0 >= target.x1 || target.y0 >= target.y1) {
        return;
    }
    TextRequest request;
    request.text = text;
    request.face = fontFace != nullptr ? fontFace : "";
    request.size = fontSize;
    request.boxWidth = width;
    request.wrap = flag == 0;
    request.alpha = Component(alpha);
    request.red = Component(red);
    request.green = Component(green);
    request.blue = Component(blue);
    if (const Image* image = TextImage(request)) {
        // A single line stands in the middle of its box's height, so a text
        // box can be framed by a picture; wrapped text starts at the top.
        int64_t top = y;
        if (flag != 0 && image->height < height) {
            top += (height - image->height) / 2;
        }
        Blit(*image, target, x, top);
    }
}

void DrawBufferOnScreen(void* deviceContext)
{
    Library& lib = Lib();
    if (deviceContext == nullptr || !HasBuffer()) {
        return;
    }
    auto* target = static_cast<RastrumPresentTarget*>(deviceContext);
    if (target->present == nullptr) {
        return;
    }
    target->present(deviceContext, lib.buffer.data(), lib.bufferWidth, lib.bufferHeight,
                    lib.bufferWidth * static_cast<int>(sizeof(uint32_t)));
}

void FreeGraphics()
{
    Library& lib = Lib();
    lib.images.clear();
    lib.images.shrink_to_fit();
    lib.slotCount = 0;
    ClearTextCache();
}

void FreeBuffer()
{
    Library& lib = Lib();
    lib.buffer.clear();
    lib.buffer.shrink_to_fit();
    lib.aside.clear();
    lib.aside.shrink_to_fit();
    lib.drawingAside = false;
    lib.into = nullptr;
    lib.asideKept = 0;
    lib.bufferWidth = 0;
    lib.bufferHeight = 0;
}

void Rastrum_DrawAside(int32_t aside)
{
    Library& lib = Lib();
    const bool want = aside != 0;
    if (want == lib.drawingAside || (want && !HasBuffer())) {
        return;
    }
    if (lib.into != nullptr) {
        // The caller's pixels were drawn on: the buffers stay where they are.
        lib.into = nullptr;
        lib.drawingAside = false;
        lib.asideLeft = 0;
        return;
    }
    try {
        if (want && lib.aside.size() != lib.buffer.size()) {
            lib.aside.assign(lib.buffer.size(), 0xFF000000u);
            lib.asideKept = 0;
        }
    } catch (const std::bad_alloc&) {
        return;
    }
    // The two buffers trade places: no pixel is copied.
    std::swap(lib.buffer, lib.aside);
    lib.drawingAside = want;
    lib.asideLeft = 0;
}

int32_t Rastrum_DrawAsideInto(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch)
{
    Library& lib = Lib();
    if (lib.drawingAside || !HasBuffer() || pixels == nullptr || width != lib.bufferWidth ||
        height != lib.bufferHeight || pitch < width) {
        return 0;
    }
    lib.into = pixels;
    lib.intoPitch = pitch;
    lib.drawingAside = true;
    lib.asideLeft = 0;
    return 1;
}

int32_t Rastrum_DrawAsideFrom(int32_t left)
{
    Library& lib = Lib();
    if (!lib.drawingAside)
        return 0;
    lib.asideLeft = std::clamp(left, 0, lib.bufferWidth);
    // The caller's pixels left of it are the caller's own.
    if (lib.into != nullptr)
        return lib.asideLeft;
    if (!lib.drawnSince && lib.asideLeft <= lib.asideKept)
        return lib.asideLeft;
    lib.drawnSince = false;
    lib.asideKept = lib.asideLeft;
    // Left of it, the picture aside takes the buffer's pixels where they differ.
    const auto width = static_cast<size_t>(lib.bufferWidth), n = static_cast<size_t>(lib.asideLeft);
    bool same = true;
    for (size_t y = 0; y < static_cast<size_t>(lib.bufferHeight); ++y) {
        uint32_t* aside = lib.buffer.data() + y * width;
        const uint32_t* kept = lib.aside.data() + y * width;
        if (std::memcmp(aside, kept, n * sizeof(uint32_t)) != 0) {
            std::memcpy(aside, kept, n * sizeof(uint32_t));
            same = false;
        }
    }
    return same ? lib.asideLeft : 0;
}

int32_t Rastrum_OpaqueLeft(uint32_t number)
{
    const Image* image = Slot(number);
    if (image == nullptr || image->Empty() || image->height < Lib().bufferHeight)
        return 0;
    return image->opaqueLeft;
}

const uint32_t* Rastrum_BufferPixels(int32_t* width, int32_t* height)
{
    Library& lib = Lib();
    const bool has = HasBuffer();
    if (width != nullptr) {
        *width = has ? lib.bufferWidth : 0;
    }
    if (height != nullptr) {
        *height = has ? lib.bufferHeight : 0;
    }
    return has ? lib.buffer.data() : nullptr;
}
