// The system's text for an error code, as the program shows it.
#pragma once

#include <windows.h>

#include <string>

#include "clFly/Failure.h"

namespace quillop {

// The system message table's text for the code, trimmed (TrimSystemMessage).
inline std::string SystemErrorText(DWORD error) {
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, buffer, sizeof buffer, nullptr);
    return TrimSystemMessage(std::string(buffer, length));
}

}  // namespace quillop
