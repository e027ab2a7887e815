#include "main/TrayMenu.h"

#include <cctype>

namespace quillop {

const std::vector<MenuEntry>& PopupMenuEntries() {
    static const std::vector<MenuEntry> entries = {
        {"Settings1", "Settings", MenuCommand::Settings, true, true},
        {"N2", "", MenuCommand::None, false, true},
        {"pmiAdd", "Add fly", MenuCommand::AddFly, false, true},
        {"Add5flies1", "Add 5 flies", MenuCommand::AddFiveFlies, false, true},
        {"Closeallflies1", "Close all flies", MenuCommand::CloseAllFlies, false, true},
        {"N4", "", MenuCommand::None, false, true},
        {"pmiAbout", "About...", MenuCommand::About, false, true},
        {"pmiExit", "Exit", MenuCommand::Exit, false, true},
    };
    return entries;
}

std::vector<std::optional<char>> AccessKeys(const std::vector<MenuEntry>& entries) {
    std::vector<std::optional<char>> keys;
    std::string taken;
    for (const MenuEntry& entry : entries) {
        std::optional<char> key;
        if (entry.Visible) {
            for (const char* c = entry.Caption; *c != '\0'; ++c) {
                const auto u = static_cast<unsigned char>(*c);
                if (std::isalnum(u) &&
                    taken.find(static_cast<char>(std::toupper(u))) == std::string::npos) {
                    key = *c;
                    taken += static_cast<char>(std::toupper(u));
                    break;
                }
            }
        }
        keys.push_back(key);
    }
    return keys;
}

std::string MarkedCaption(const std::string& caption, std::optional<char> key) {
    std::string marked;
    bool placed = false;
    for (const char c : caption) {
        if (c == '&') {
            marked += "&&";
            continue;
        }
        if (!placed && key && c == *key) {
            marked += '&';
            placed = true;
        }
        marked += c;
    }
    return marked;
}

std::vector<ShownMenuLine> ShownMenuLines(const std::vector<MenuEntry>& entries) {
    const std::vector<std::optional<char>> keys = AccessKeys(entries);
    std::vector<ShownMenuLine> lines;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MenuEntry& entry = entries[i];
        if (!entry.Visible) {
            continue;
        }
        if (entry.Caption[0] == '\0') {
            lines.push_back({nullptr, {}});
        } else {
            lines.push_back({&entry, MarkedCaption(entry.Caption, keys[i])});
        }
    }
    return lines;
}

}  // namespace quillop
