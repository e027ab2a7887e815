// A desktop notification, for what the user must hear of before any window can open.
#pragma once

#include <QString>

namespace quillop {

// Shows a notification through the session bus's notification service (the desktop's, or the
// panel's); false when there is none to take it. Needs a QCoreApplication.
bool ShowDesktopNotice(const QString& summary, const QString& body);

}  // namespace quillop
