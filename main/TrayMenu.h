// The tray menu (also the settings window's context menu) and its access keys.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillop {

enum class MenuCommand { None, Settings, AddFly, AddFiveFlies, CloseAllFlies, About, Exit };

struct MenuEntry {
    const char* Name;     // the component name, e.g. "pmiAdd"
    const char* Caption;  // empty for a separator
    MenuCommand Command;
    bool IsDefault;  // drawn in bold
    bool Visible;
};

// The menu's entries in order: Settings, separator, Add fly, Add 5 flies, Close all flies,
// separator, About..., Exit.
const std::vector<MenuEntry>& PopupMenuEntries();

// The access key of each entry: the first letter or digit of its caption, taken without regard
// to case, that no entry above it has taken. Separators and hidden entries take none.
std::vector<std::optional<char>> AccessKeys(const std::vector<MenuEntry>& entries);

// The caption with "&" before its access key (and "&&" for a literal "&"), as Windows and Qt
// menus mark it.
std::string MarkedCaption(const std::string& caption, std::optional<char> key);

// One line of the menu as it is shown: a separator, or an entry whose caption is marked for its
// access key.
struct ShownMenuLine {
    const MenuEntry* Entry;  // null for a separator
    std::string Caption;
};

// The lines a menu of these entries shows, hidden entries left out, with the access keys worked
// out now.
std::vector<ShownMenuLine> ShownMenuLines(const std::vector<MenuEntry>& entries);

}  // namespace quillop
