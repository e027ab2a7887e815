// The texts of failure reports.
#pragma once

#include <cstdint>
#include <string>

namespace quillop {

extern const char* const kApplicationTitle;  // "Quillop"

// The default error handler's text: a full stop is added when the last character's code is
// greater than that of "." (so after letters and digits, not after "!", ")" or ".").
std::string FailureText(const std::string& message);

// The report of a failure that ends start-up: "Exception <class> in module <module> at
// <offset>." and, on the next line, the message with a full stop unless it is empty or already
// ends in ".".
std::string ApplicationErrorText(const std::string& className, const std::string& module,
                                 std::uintptr_t offset, const std::string& message);

// The caption of that report.
extern const char* const kApplicationErrorCaption;  // "Application Error"

}  // namespace quillop
