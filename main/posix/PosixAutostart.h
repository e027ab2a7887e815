// The XDG autostart entry that runs the program at logon: its text and the file that holds it.
//
// Errors: SetAutostartEntry answers with the system's reason and never throws.
#pragma once

#include <string>

namespace quillop {

// A text as a desktop entry's string value: backslashes and control characters escaped.
std::string DesktopStringValue(const std::string& text);

// One argument of a desktop entry's Exec key, quoted and escaped as the Desktop Entry rules
// require: quoted when it holds a reserved character, "%" doubled, and then escaped once more
// as the key's string value.
std::string DesktopExecArgument(const std::string& argument);

// The whole autostart entry for the executable at `path`, run without arguments; the desktop
// skips it while no program is at `path`.
std::string AutostartEntry(const std::string& path);

// Writes the entry at `entryPath` for the program at `programPath` (as the system spells it), or
// removes it. A path that is not UTF-8 cannot stand in an entry: it is refused and nothing is
// written. Returns the reason for a failure, or an empty text.
std::string SetAutostartEntry(const std::string& entryPath, bool run,
                              const std::string& programPath);

}  // namespace quillop
