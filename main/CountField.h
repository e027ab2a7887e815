// The rules of the settings window's fly-count field (an edit with up and down buttons).
#pragma once

#include <cstdint>
#include <string>

namespace quillop {

// A held up or down button steps 400 ms after the press, then every 100 ms.
constexpr int kCountRepeatDelayMs = 400;
constexpr int kCountRepeatIntervalMs = 100;

// The field's text as a decimal integer; text that is no valid integer reads as 1. Reading
// does not clamp: a typed 150 reads as 150.
std::int64_t CountFieldValue(const std::string& text);

// The text the field shows after its value is set: the number clamped to 1..99.
std::string CountFieldText(std::int64_t value);

// Whether a typed character is taken: digits, "+", "-", the locale's decimal separator, and
// control characters other than Enter. Anything else is refused with a beep.
bool CountFieldAccepts(char32_t typed, char32_t decimalSeparator);

// The text after the up (+1) or down (-1) button or arrow key.
std::string CountFieldStep(const std::string& text, int step);

// The text after the field loses the focus: clamped if the value lies outside 1..99, else as is.
std::string CountFieldOnExit(const std::string& text);

}  // namespace quillop
