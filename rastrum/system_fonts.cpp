// The system's fonts, found through fontconfig.
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <filesystem>

#include "text.h"

namespace rastrum {
namespace {

// Gives back fontconfig's caches at exit, once it was used.
struct Fontconfig
{
    bool up = FcInit() != 0;
    ~Fontconfig()
    {
        if (up) {
            FcFini();
        }
    }
};

} // namespace

// With exact set, only a font whose family is the name itself counts
// (fontconfig otherwise always answers with something).
std::string SystemFontFile(const std::string& family, bool exact)
{
    static Fontconfig fontconfig;
    if (!fontconfig.up) {
        return "";
    }
    std::string file;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return "";
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        bool familyMatches = !exact;
        FcChar8* name = nullptr;
        for (int i = 0;
             !familyMatches && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch;
             ++i) {
            familyMatches = strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0;
        }
        FcChar8* path = nullptr;
        if (familyMatches && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            file = reinterpret_cast<const char*>(path);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    std::error_code ec;
    return !file.empty() && std::filesystem::is_regular_file(file, ec) ? file : "";
}

} // namespace rastrum
