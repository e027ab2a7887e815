#include "clFly/x11/XcbAtoms.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace quillop {

namespace {

xcb_intern_atom_cookie_t AskForAtom(xcb_connection_t* connection, std::string_view name) {
    return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
}

xcb_atom_t AtomOf(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    auto* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name) {
    return AtomOf(connection, AskForAtom(connection, name));
}

void InternAtoms(xcb_connection_t* connection, std::span<const char* const> names,
                 xcb_atom_t* atoms) {
    std::vector<xcb_intern_atom_cookie_t> cookies;
    cookies.reserve(names.size());
    for (const char* name : names) {
        cookies.push_back(AskForAtom(connection, name));
    }
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        atoms[i] = AtomOf(connection, cookies[i]);
    }
}

}  // namespace quillop
