#include "clFly/Failure.h"

namespace quillop {

// NOTE: kept out of line, so that the return address is in the code that raised the failure.
__attribute__((noinline)) Failure::Failure(const std::string& message, std::string className)
    : std::runtime_error(message),
      className_(std::move(className)),
      raisedAt_(__builtin_extract_return_addr(__builtin_return_address(0))) {}

}  // namespace quillop
