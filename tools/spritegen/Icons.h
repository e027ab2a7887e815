// The tray icon, the application icon in the icon theme's sizes and the Windows icon file.
#pragma once

#include <string>

namespace spritegen {

// Writes tray16.png, app<size>.png for 16, 24, 32, 48, 64, 128 and 256 pixels and Quillop.ico
// into the folder.
void WriteIcons(const std::string& folder);

}  // namespace spritegen
