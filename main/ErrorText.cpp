#include "main/ErrorText.h"

#include <cstdio>

namespace quillop {

const char* const kApplicationTitle = "Quillop";
const char* const kApplicationErrorCaption = "Application Error";

std::string FailureText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::string ApplicationErrorText(const std::string& className, const std::string& module,
                                 std::uintptr_t offset, const std::string& message) {
    char address[32];
    std::snprintf(address, sizeof address, "%08llX",
                  static_cast<unsigned long long>(offset & 0xFFFFFFFFu));
    std::string text = "Exception " + className + " in module " + module + " at " + address + ".\n";
    text += message;
    if (!message.empty() && message.back() != '.') {
        text += ".";
    }
    return text;
}

}  // namespace quillop
