// Validity checks of what the game leaves behind: the settings file, the
// high-score file and a state dump. Each returns an empty string when the
// input is valid, else a short reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace soak {

// Splits at CR LF; `complete` tells whether the text ends with a line end.
inline std::vector<std::string> CrLfLines(std::string_view text, bool& complete)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    complete = start == text.size();
    if (!complete) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

// A number right-aligned in `width` columns (written whole when wider).
inline bool ParseAligned(const std::string& field, size_t width, uint64_t& value)
{
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos || field.size() < width) {
        return false;
    }
    const std::string digits = field.substr(first);
    if (digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    // Padding only up to the width; no leading zeros beyond a lone "0".
    if (field.size() > width && first != 0) {
        return false;
    }
    if (digits.size() > 1 && digits[0] == '0') {
        return false;
    }
    value = std::stoull(digits);
    return true;
}

inline std::string CheckSettingsText(const std::string& text)
{
    bool complete = false;
    const auto lines = CrLfLines(text, complete);
    if (complete || lines.size() != 15) {
        return "settings: want 15 lines, the last without a line end; got " +
               std::to_string(lines.size()) + (complete ? " ending in CR LF" : "");
    }
    for (size_t i = 0; i < 15; ++i) {
        const size_t width = i < 12 ? 3 : (i == 12 ? 2 : 1);
        const uint64_t lo = i < 12 ? 1 : (i == 14 ? 0 : 1);
        const uint64_t hi = i < 12 ? 255 : (i == 14 ? 1 : 4);
        uint64_t v = 0;
        if (!ParseAligned(lines[i], width, v)) {
            return "settings: line " + std::to_string(i + 1) + " '" + lines[i] +
                   "' is not a number aligned in " + std::to_string(width);
        }
        if (v < lo || v > hi) {
            return "settings: line " + std::to_string(i + 1) + " value " + std::to_string(v) +
                   " out of range";
        }
    }
    return "";
}

inline bool ValidName(std::string_view name)
{
    if (name.size() > 10) {
        return false;
    }
    for (char c : name) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum) {
            return false;
        }
    }
    return true;
}

inline std::string CheckHighScoresText(const std::string& text)
{
    bool complete = false;
    const auto lines = CrLfLines(text, complete);
    if (!complete || lines.size() != 40) {
        return "high scores: want 40 lines ending in CR LF; got " + std::to_string(lines.size()) +
               (complete ? "" : " and an unfinished line");
    }
    uint64_t previous = UINT32_MAX;
    for (size_t k = 0; k < 20; ++k) {
        const std::string& name = lines[2 * k];
        if (!ValidName(name)) {
            return "high scores: entry " + std::to_string(k + 1) + " has the name '" + name + "'";
        }
        uint64_t score = 0;
        const std::string& field = lines[2 * k + 1];
        if (field.size() != 10 || !ParseAligned(field, 10, score) || score > UINT32_MAX) {
            return "high scores: entry " + std::to_string(k + 1) + " has the score line '" + field +
                   "'";
        }
        if (score > previous) {
            return "high scores: entry " + std::to_string(k + 1) +
                   " scores more than the one above";
        }
        previous = score;
    }
    return "";
}

inline std::string CheckDump(const nlohmann::json& d)
{
    try {
        if (!d.at("time").is_number_integer() || d.at("time").get<int64_t>() < 0 ||
            !d.at("operationMode").is_string()) {
            return "dump: no time or operation mode";
        }
        const auto& s = d.at("settings");
        const auto& keys = s.at("keys");
        if (keys.size() != 12) {
            return "dump: settings hold " + std::to_string(keys.size()) + " keys";
        }
        for (const auto& k : keys) {
            if (k.get<int64_t>() < 1 || k.get<int64_t>() > 255) {
                return "dump: key code " + k.dump() + " out of range";
            }
        }
        const auto pm = s.at("playMode").get<int64_t>();
        const auto df = s.at("difficulty").get<int64_t>();
        const auto mc = s.at("mouseControl").get<int64_t>();
        if (pm < 1 || pm > 4 || df < 1 || df > 4 || mc < 0 || mc > 1) {
            return "dump: a setting is out of range";
        }
        const auto& hs = d.at("highScores");
        if (hs.size() != 20) {
            return "dump: high-score table of " + std::to_string(hs.size()) + " entries";
        }
        int64_t previous = INT64_MAX;
        for (const auto& e : hs) {
            const int64_t score = e.at("score").get<int64_t>();
            if (score > previous || !ValidName(e.at("name").get<std::string>())) {
                return "dump: high-score entry " + e.dump() + " out of order or badly named";
            }
            previous = score;
        }
    } catch (const nlohmann::json::exception& ex) {
        return std::string("dump: ") + ex.what();
    }
    return "";
}

} // namespace soak
