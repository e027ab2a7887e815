// The tray icon, the application icon in three sizes and the Windows icon file.
#pragma once

#include <string>

namespace spritegen {

// Writes tray16.png, app16.png, app48.png, app128.png and Quillop.ico into the folder.
void WriteIcons(const std::string& folder);

}  // namespace spritegen
