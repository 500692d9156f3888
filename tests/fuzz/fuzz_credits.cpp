// The file credits.txt.
#include <sstream>
#include <string>

#include "credits.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const std::vector<std::string> result = ReadCreditLines(in);
    FUZZ_CHECK(!result.empty(), "the read at the end counts as a line");
    FUZZ_CHECK(result.size() <= fuzz::MaxReads(text), std::to_string(result.size()));
    FUZZ_CHECK(result.front() == fuzz::FirstLine(text, 40), result.front());
    size_t total = 0;
    for (const auto& line : result) {
        FUZZ_CHECK(line.size() <= 40, line);
        FUZZ_CHECK(line.find_first_of(std::string("\r\n\x1a")) == std::string::npos, line);
        total += line.size();
    }
    FUZZ_CHECK(total <= text.size(), "more text than the file holds");
    return 0;
}
