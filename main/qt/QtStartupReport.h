// The report of a start-up that failed: the "Application Error" box, naming the failure's
// class, the module it was raised in and the offset there.
#pragma once

#include <exception>

namespace quillop {

// Shows the report and returns once the user closed it.
void ShowStartupFailure(const std::exception& failure);

}  // namespace quillop
