// The tray icon, the application icon in the icon theme's sizes and the Windows icon file.
#pragma once

#include <string>

namespace spritegen {

// Writes tray<size>.png and Tray.ico (16 to 48 pixels), app<size>.png for every application
// icon size and Quillop.ico into the folder.
void WriteIcons(const std::string& folder);

}  // namespace spritegen
