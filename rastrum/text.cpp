// Text drawing: fonts found in the resource tree or among the system's fonts,
// opened once per (file, size), and a bounded cache of rendered texts.
#include "text.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <cstdio>
#include <filesystem>
#include <list>
#include <map>
#include <new>
#include <unordered_map>
#include <utility>

namespace rastrum {
namespace {

// Sizes beyond this draw nothing: nothing of that height fits a window.
constexpr int32_t kMaxFontSize = 1024;
// Texts longer than this are cut (no box of the window holds more).
constexpr size_t kMaxTextBytes = 4096;
// Number of rendered texts kept.
constexpr size_t kTextCacheEntries = 256;

// Face stand-ins used when the named face is not installed.
constexpr const char* kStandInFace = "Bebas Neue";
constexpr const char* kAnySans = "sans-serif";

struct TextState
{
    std::unordered_map<std::string, std::string> faceFiles;
    std::map<std::pair<std::string, int32_t>, TTF_Font*> fonts;
    // Most recently used first.
    std::list<std::pair<std::string, Image>> texts;
    std::unordered_map<std::string, std::list<std::pair<std::string, Image>>::iterator> textIndex;
    bool warned = false;

    void Release()
    {
        texts.clear();
        textIndex.clear();
        for (auto& [key, font] : fonts) {
            if (font != nullptr) {
                TTF_CloseFont(font);
            }
        }
        fonts.clear();
        faceFiles.clear();
    }

    ~TextState() { Release(); }
};

TextState& State()
{
    static TextState state;
    return state;
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::string FindFontFile(const std::string& face)
{
    if (!face.empty()) {
        for (const char* ext : {".ttf", ".otf"}) {
            const std::string resource = ".\\res\\fonts\\" + face + ext;
            const std::string path = ResolvePath(resource.c_str());
            if (FileExists(path)) {
                return path;
            }
        }
        if (std::string file = SystemFontFile(face, true); !file.empty()) {
            return file;
        }
    }
    if (std::string file = SystemFontFile(kStandInFace, true); !file.empty()) {
        return file;
    }
    return SystemFontFile(kAnySans, false);
}

bool EnsureTtf()
{
    return TTF_WasInit() > 0 || TTF_Init() == 0;
}

TTF_Font* OpenFont(const std::string& file, int32_t size)
{
    TextState& st = State();
    const auto key = std::make_pair(file, size);
    if (auto it = st.fonts.find(key); it != st.fonts.end()) {
        return it->second;
    }
    TTF_Font* font = nullptr;
    if (EnsureTtf()) {
        if (SDL_RWops* rw = OpenRegularFile(file)) {
            font = TTF_OpenFontRW(rw, 1, size); // closes the stream in every case
        }
    }
    st.fonts.emplace(key, font); // a failure is remembered too
    return font;
}

// The program's texts are one byte a character (Windows code page); bytes
// above 127 are taken as Latin-1 and written out as UTF-8.
std::string ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Keeps the characters that can show in a box width wide (plus the one cut
// by the edge), so that a long line never makes a huge surface.
std::string FittingPrefix(TTF_Font* font, const std::string& utf8, int32_t width)
{
    int extent = 0;
    int count = 0;
    if (TTF_MeasureUTF8(font, utf8.c_str(), width, &extent, &count) != 0) {
        return utf8;
    }
    size_t bytes = 0;
    int chars = 0;
    while (bytes < utf8.size() && chars <= count) {
        const auto c = static_cast<unsigned char>(utf8[bytes]);
        bytes += c < 0x80 ? 1 : (c >= 0xC0 ? 2 : 1);
        ++chars;
    }
    return utf8.substr(0, std::min(bytes, utf8.size()));
}

Image Rasterise(const TextRequest& rq)
{
    const std::string& file = FontFileFor(rq.face);
    if (file.empty()) {
        return Image{};
    }
    TTF_Font* font = OpenFont(file, rq.size);
    if (font == nullptr) {
        return Image{};
    }
    std::string utf8 = ToUtf8(rq.text);
    const SDL_Color colour{rq.red, rq.green, rq.blue, 255};
    SDL_Surface* surface = nullptr;
    if (rq.wrap) {
        surface = TTF_RenderUTF8_Blended_Wrapped(font, utf8.c_str(), colour,
                                                 static_cast<Uint32>(rq.boxWidth));
    } else {
        utf8 = FittingPrefix(font, utf8, rq.boxWidth);
        surface = TTF_RenderUTF8_Blended(font, utf8.c_str(), colour);
    }
    Image image = ImageFromSurface(surface, rq.alpha);
    SDL_FreeSurface(surface);
    return image;
}

std::string CacheKey(const TextRequest& rq)
{
    std::string key;
    key.reserve(rq.text.size() + rq.face.size() + 32);
    key += rq.face;
    key += '\0';
    key += std::to_string(rq.size);
    key += ',';
    key += std::to_string(rq.wrap ? rq.boxWidth : -1);
    key += ',';
    key += std::to_string((uint32_t{rq.alpha} << 24) | (uint32_t{rq.red} << 16) |
                          (uint32_t{rq.green} << 8) | rq.blue);
    key += '\0';
    key += rq.text;
    return key;
}

} // namespace

std::string FontFileFor(const std::string& face)
{
    TextState& st = State();
    if (auto it = st.faceFiles.find(face); it != st.faceFiles.end()) {
        return it->second;
    }
    std::string file = FindFontFile(face);
    if (file.empty() && !st.warned) {
        st.warned = true;
        std::fprintf(stderr,
                     "rastrum: no font found for \"%s\" nor any stand-in; texts are not drawn\n",
                     face.c_str());
    }
    st.faceFiles.emplace(face, file);
    return file;
}

const Image* TextImage(const TextRequest& request)
{
    if (request.text.empty() || request.size <= 0 || request.size > kMaxFontSize ||
        request.boxWidth <= 0 || request.alpha == 0) {
        return nullptr;
    }
    TextRequest rq = request;
    if (rq.text.size() > kMaxTextBytes) {
        rq.text.resize(kMaxTextBytes);
    }
    TextState& st = State();
    const std::string key = CacheKey(rq);
    if (auto it = st.textIndex.find(key); it != st.textIndex.end()) {
        st.texts.splice(st.texts.begin(), st.texts, it->second);
        return it->second->second.Empty() ? nullptr : &it->second->second;
    }
    try {
        st.texts.emplace_front(key, Rasterise(rq));
        st.textIndex[key] = st.texts.begin();
        while (st.texts.size() > kTextCacheEntries) {
            st.textIndex.erase(st.texts.back().first);
            st.texts.pop_back();
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const Image& image = st.texts.front().second;
    return image.Empty() ? nullptr : &image;
}

void ForgetFontFaces()
{
    State().faceFiles.clear();
    ClearTextCache();
}

void ClearTextCache()
{
    TextState& st = State();
    st.texts.clear();
    st.textIndex.clear();
}

void ShutdownText()
{
    State().Release();
}

} // namespace rastrum
