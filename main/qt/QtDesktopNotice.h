// The session bus, and a desktop notification on it for what the user must hear of before any
// window can open.
#pragma once

#include <QString>

namespace quillop {

// Whether the session has a bus to reach: one named in $DBUS_SESSION_BUS_ADDRESS, or the user's
// bus in $XDG_RUNTIME_DIR.
bool HasSessionBus();

// Shows a notification through the session bus's notification service (the desktop's, or the
// panel's); false when there is none to take it. Needs a QCoreApplication.
bool ShowDesktopNotice(const QString& summary, const QString& body);

}  // namespace quillop
