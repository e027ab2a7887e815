#include "clFly/x11/XcbAtoms.h"

#include <vector>

#include "clFly/x11/XcbReply.h"

namespace quillop {

namespace {

xcb_intern_atom_cookie_t AskForAtom(xcb_connection_t* connection, std::string_view name) {
    return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
}

xcb_atom_t AtomOf(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
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
