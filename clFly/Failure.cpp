#include "clFly/Failure.h"

namespace quillop {

// NOTE: kept out of line, so that the return address is in the code that raised the failure.
__attribute__((noinline)) Failure::Failure(const std::string& message, std::string className)
    : std::runtime_error(message),
      className_(std::move(className)),
      raisedAt_(__builtin_extract_return_addr(__builtin_return_address(0))) {}

std::string TrimSystemMessage(std::string text) {
    if (text.size() > 255) {
        text.resize(255);
    }
    while (!text.empty() &&
           (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

}  // namespace quillop
