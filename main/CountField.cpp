#include "main/CountField.h"

#include <charconv>

#include "main/UserSettings.h"

namespace quillop {

std::int64_t CountFieldValue(const std::string& text) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    std::int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (begin == end || error != std::errc() || stop != end) {
        return kMinFlies;
    }
    return value;
}

std::string CountFieldText(std::int64_t value) {
    return std::to_string(ClampFlies(value));
}

bool CountFieldAccepts(char32_t typed, char32_t decimalSeparator) {
    if (typed == U'\r' || typed == U'\n') {
        return false;
    }
    return (typed >= U'0' && typed <= U'9') || typed == U'+' || typed == U'-' ||
           typed == decimalSeparator || typed < 0x20 || typed == 0x7F;
}

std::string CountFieldStep(const std::string& text, int step) {
    return CountFieldText(CountFieldValue(text) + step);
}

std::string CountFieldOnExit(const std::string& text) {
    const std::int64_t value = CountFieldValue(text);
    return ClampFlies(value) != value ? CountFieldText(value) : text;
}

}  // namespace quillop
