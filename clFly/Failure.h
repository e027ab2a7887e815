// Failures: exceptions carrying the message the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace quillop {

class Failure : public std::runtime_error {
  public:
    // Remembers the address of the code that raised the failure, for the start-up report.
    explicit Failure(const std::string& message, std::string className = "Exception");

    const std::string& ClassName() const { return className_; }
    const void* RaisedAt() const { return raisedAt_; }

  private:
    std::string className_;
    const void* raisedAt_;
};

// Cuts trailing blanks, control characters and full stops from a system error text and keeps
// it within 255 characters.
std::string TrimSystemMessage(std::string text);

}  // namespace quillop
