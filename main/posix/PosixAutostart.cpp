#include "main/posix/PosixAutostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "main/posix/PosixSettingsFile.h"

namespace quillop {

std::string DesktopStringValue(const std::string& text) {
    std::string value;
    for (const char c : text) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

std::string DesktopExecArgument(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    if (argument.find_first_of(kReserved) != std::string::npos) {
        quoted = "\"";
        for (const char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted += "\"";
    } else {
        quoted = argument;
    }
    std::string doubled;
    for (const char c : quoted) {
        doubled += c;
        if (c == '%') {
            doubled += '%';
        }
    }
    return DesktopStringValue(doubled);
}

std::string AutostartEntry(const std::string& path) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quillop\n"
           "Comment=House flies crawling over the desktop\n"
           "Exec=" +
           DesktopExecArgument(path) +
           "\n"
           "TryExec=" +
           DesktopStringValue(path) +
           "\n"
           "Icon=quillop\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string SetAutostartEntry(const std::string& entryPath, bool run,
                              const std::string& programPath) {
    if (!run) {
        return unlink(entryPath.c_str()) == 0 || errno == ENOENT ? std::string()
                                                                 : std::strerror(errno);
    }
    // NOTE: desktop entries are UTF-8 throughout; a path in another encoding would be cut or
    // changed on the way, and the entry would run nothing or something else.
    if (programPath.empty() || !IsUtf8(programPath)) {
        return "the program's path is not UTF-8, which a desktop entry cannot hold, so no entry "
               "was written";
    }
    return SaveFile(entryPath, AutostartEntry(programPath));
}

}  // namespace quillop
