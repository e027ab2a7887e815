// Ownership of what XCB hands out for the caller to free: replies, errors and events.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace quillop {

// Frees with free(), as XCB asks.
struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

// A reply (or error, or event) of XCB, freed when it goes out of scope; may be null.
template <class T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

}  // namespace quillop
