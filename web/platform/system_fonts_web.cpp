// The system's fonts in a browser: the files packed with the build into
// /fonts, one a family, named after it ("Bebas Neue.otf", "sans-serif.ttf").
#include <algorithm>
#include <filesystem>
#include <vector>

#include "text.h"

namespace rastrum {

std::string SystemFontFile(const std::string& family, bool exact)
{
    namespace fs = std::filesystem;
    const fs::path folder = "/fonts";
    std::error_code ec;
    for (const char* ext : {".ttf", ".otf"}) {
        const fs::path file = folder / (family + ext);
        if (fs::is_regular_file(file, ec)) {
            return file.string();
        }
    }
    if (exact) {
        return "";
    }
    // Any font matches a family loosely: the first packed one, by name.
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec)) {
            files.push_back(entry.path().string());
        }
    }
    return files.empty() ? "" : *std::min_element(files.begin(), files.end());
}

} // namespace rastrum
