#include "clFly/FlyDisplayChoice.h"

namespace quillop {

FlyDisplayChoice ChooseFlyDisplay(std::span<const FlyDisplayEntry> displays,
                                  std::string_view wanted, std::string_view noneMessage) {
    FlyDisplayChoice choice;
    std::string names;
    for (const FlyDisplayEntry& entry : displays) {
        names += (names.empty() ? "" : ", ") + std::string(entry.Name);
        if (!wanted.empty() && wanted != entry.Name) {
            continue;
        }
        std::string why;
        if (entry.Probe(why)) {
            choice.Entry = &entry;
            choice.Message = "Quillop: flies on " + std::string(entry.Name) + " (" + why +
                             (wanted.empty() ? ")" : ", as QUILLOP_DISPLAY asks)");
            return choice;
        }
        if (!wanted.empty()) {
            choice.Message = "QUILLOP_DISPLAY=" + std::string(wanted) + " cannot be used: " + why;
            return choice;
        }
    }
    choice.Message = wanted.empty() ? std::string(noneMessage)
                                    : "QUILLOP_DISPLAY=" + std::string(wanted) +
                                          " names no fly display; there are: " + names;
    return choice;
}

}  // namespace quillop
