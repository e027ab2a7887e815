// Looking up X atoms by name.
#pragma once

#include <xcb/xcb.h>

#include <span>
#include <string_view>

namespace quillop {

// The atom of a name, waiting for the server's answer; XCB_ATOM_NONE when it cannot be had.
xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name);

// The atoms of several names in one round trip, written to `atoms` in the names' order.
void InternAtoms(xcb_connection_t* connection, std::span<const char* const> names,
                 xcb_atom_t* atoms);

}  // namespace quillop
