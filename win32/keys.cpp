// Keyboard: virtual keys, their scan codes and key lParams, the characters
// TranslateMessage makes of them, and their names in scripts.
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>
#include <utility>

#include "host_api.h"

namespace w32 {

namespace {

struct NamedKey
{
    std::string_view name;
    UINT vk;
};

constexpr std::array kNamedKeys = {
    NamedKey{"VK_BACK", VK_BACK},
    NamedKey{"VK_TAB", VK_TAB},
    NamedKey{"VK_RETURN", VK_RETURN},
    NamedKey{"VK_SHIFT", VK_SHIFT},
    NamedKey{"VK_CONTROL", VK_CONTROL},
    NamedKey{"VK_MENU", VK_MENU},
    NamedKey{"VK_PAUSE", VK_PAUSE},
    NamedKey{"VK_CAPITAL", VK_CAPITAL},
    NamedKey{"VK_ESCAPE", VK_ESCAPE},
    NamedKey{"VK_SPACE", VK_SPACE},
    NamedKey{"VK_PRIOR", VK_PRIOR},
    NamedKey{"VK_NEXT", VK_NEXT},
    NamedKey{"VK_END", VK_END},
    NamedKey{"VK_HOME", VK_HOME},
    NamedKey{"VK_LEFT", VK_LEFT},
    NamedKey{"VK_UP", VK_UP},
    NamedKey{"VK_RIGHT", VK_RIGHT},
    NamedKey{"VK_DOWN", VK_DOWN},
    NamedKey{"VK_INSERT", VK_INSERT},
    NamedKey{"VK_DELETE", VK_DELETE},
    NamedKey{"VK_MULTIPLY", VK_MULTIPLY},
    NamedKey{"VK_ADD", VK_ADD},
    NamedKey{"VK_SUBTRACT", VK_SUBTRACT},
    NamedKey{"VK_DECIMAL", VK_DECIMAL},
    NamedKey{"VK_DIVIDE", VK_DIVIDE},
    NamedKey{"VK_OEM_1", VK_OEM_1},
    NamedKey{"VK_OEM_PLUS", VK_OEM_PLUS},
    NamedKey{"VK_OEM_COMMA", VK_OEM_COMMA},
    NamedKey{"VK_OEM_MINUS", VK_OEM_MINUS},
    NamedKey{"VK_OEM_PERIOD", VK_OEM_PERIOD},
    NamedKey{"VK_OEM_2", VK_OEM_2},
    NamedKey{"VK_OEM_3", VK_OEM_3},
    NamedKey{"VK_OEM_4", VK_OEM_4},
    NamedKey{"VK_OEM_5", VK_OEM_5},
    NamedKey{"VK_OEM_6", VK_OEM_6},
    NamedKey{"VK_OEM_7", VK_OEM_7},
};

// Set-1 scan codes of the keys a keyboard of the usual layout has.
UINT ScanOfLetter(char c)
{
    static constexpr std::array<UINT, 26> codes = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    return codes[static_cast<size_t>(c - 'A')];
}

} // namespace

UINT ScanCodeFromVk(UINT vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return ScanOfLetter(static_cast<char>(vk));
    if (vk >= '1' && vk <= '9')
        return 0x02 + (vk - '1');
    if (vk >= VK_F1 && vk <= VK_F1 + 9)
        return 0x3B + (vk - VK_F1);
    static constexpr std::array<std::pair<UINT, UINT>, 34> table = {{
        {'0', 0x0B},          {VK_ESCAPE, 0x01},   {VK_BACK, 0x0E},    {VK_TAB, 0x0F},
        {VK_RETURN, 0x1C},    {VK_CONTROL, 0x1D},  {VK_SHIFT, 0x2A},   {VK_MENU, 0x38},
        {VK_SPACE, 0x39},     {VK_CAPITAL, 0x3A},  {VK_F1 + 10, 0x57}, {VK_F12, 0x58},
        {VK_HOME, 0x47},      {VK_UP, 0x48},       {VK_PRIOR, 0x49},   {VK_LEFT, 0x4B},
        {VK_RIGHT, 0x4D},     {VK_END, 0x4F},      {VK_DOWN, 0x50},    {VK_NEXT, 0x51},
        {VK_INSERT, 0x52},    {VK_DELETE, 0x53},   {VK_NUMPAD7, 0x47}, {VK_NUMPAD8, 0x48},
        {VK_NUMPAD9, 0x49},   {VK_NUMPAD4, 0x4B},  {VK_NUMPAD5, 0x4C}, {VK_NUMPAD6, 0x4D},
        {VK_NUMPAD1, 0x4F},   {VK_NUMPAD2, 0x50},  {VK_NUMPAD3, 0x51}, {VK_NUMPAD0, 0x52},
        {VK_OEM_MINUS, 0x0C}, {VK_OEM_PLUS, 0x0D},
    }};
    for (const auto& [v, s] : table) {
        if (v == vk)
            return s;
    }
    return 0;
}

LPARAM KeyLParam(UINT vk, bool repeat, bool up)
{
    uint32_t l = 1u | ((ScanCodeFromVk(vk) & 0xFFu) << 16);
    if (repeat || up)
        l |= 1u << 30;
    if (up)
        l |= 1u << 31;
    return static_cast<LPARAM>(static_cast<int32_t>(l));
}

int TranslatedChar(UINT vk)
{
    switch (vk) {
    case VK_BACK:
        return 8;
    case VK_TAB:
        return 9;
    case VK_RETURN:
        return 13;
    case VK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

int ParseKeyName(const std::string& name)
{
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    for (const auto& k : kNamedKeys) {
        if (k.name == name)
            return static_cast<int>(k.vk);
    }
    auto number = [](std::string_view s, int& v) {
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
    };
    int v = 0;
    if (name.starts_with("VK_NUMPAD") && number(std::string_view(name).substr(9), v) && v >= 0 &&
        v <= 9)
        return VK_NUMPAD0 + v;
    if (name.starts_with("VK_F") && number(std::string_view(name).substr(4), v) && v >= 1 &&
        v <= 24)
        return VK_F1 + v - 1;
    if (number(name, v) && v > 0 && v < 256)
        return v;
    return -1;
}

} // namespace w32
