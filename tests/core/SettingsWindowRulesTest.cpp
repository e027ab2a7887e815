// The tray menu's access keys and the fly-count field's editing rules.
#include <gtest/gtest.h>

#include "main/CountField.h"
#include "main/TrayMenu.h"

namespace quillop {
namespace {

TEST(TrayMenuTest, AccessKeysAreFirstFreeLettersAndSeparatorsTakeNone) {
    const auto keys = AccessKeys(PopupMenuEntries());
    const std::vector<std::optional<char>> expected = {'S', std::nullopt, 'A', 'd',
                                                       'C', std::nullopt, 'b', 'E'};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(MarkedCaption("Add 5 flies", 'd'), "A&dd 5 flies");
    EXPECT_EQ(MarkedCaption("About...", 'b'), "A&bout...");
    EXPECT_EQ(MarkedCaption("Salt & pepper", 'S'), "&Salt && pepper");
}

TEST(TrayMenuTest, KeysAreWorkedOutFromWhatIsVisible) {
    std::vector<MenuEntry> entries = PopupMenuEntries();
    entries[2].Visible = false;  // "Add fly" hidden: "Add 5 flies" gets its A back
    const auto keys = AccessKeys(entries);
    EXPECT_EQ(keys[2], std::nullopt);
    EXPECT_EQ(keys[3], 'A');
    EXPECT_EQ(keys[6], 'b');
    std::vector<MenuEntry> digits = {{"x", "5 a", MenuCommand::None, false, true},
                                     {"y", "a5", MenuCommand::None, false, true},
                                     {"z", "A5!", MenuCommand::None, false, true}};
    EXPECT_EQ(AccessKeys(digits), (std::vector<std::optional<char>>{'5', 'a', std::nullopt}));
}

TEST(TrayMenuTest, ShownLinesLeaveOutHiddenEntriesAndMarkTheKeys) {
    std::vector<MenuEntry> entries = PopupMenuEntries();
    entries[2].Visible = false;
    std::vector<std::string> shown;
    for (const ShownMenuLine& line : ShownMenuLines(entries)) {
        shown.push_back(line.Entry != nullptr ? line.Caption : "-");
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"&Settings", "-", "&Add 5 flies", "&Close all flies",
                                               "-", "A&bout...", "&Exit"}));
    EXPECT_EQ(ShownMenuLines(entries)[2].Entry, &entries[3]);
}

TEST(CountFieldTest, ReadValueIsUnclampedAndInvalidTextReadsOne) {
    EXPECT_EQ(CountFieldValue("150"), 150);
    EXPECT_EQ(CountFieldValue("0"), 0);
    EXPECT_EQ(CountFieldValue("-5"), -5);
    EXPECT_EQ(CountFieldValue("+7"), 7);
    for (const char* invalid : {"abc", "", "1.5", "12a", "-", "99999999999"}) {
        EXPECT_EQ(CountFieldValue(invalid), 1) << invalid;
    }
}

TEST(CountFieldTest, SetValueClampsAndStepsStayWithinLimits) {
    EXPECT_EQ(CountFieldText(150), "99");
    EXPECT_EQ(CountFieldText(0), "1");
    EXPECT_EQ(CountFieldText(42), "42");
    EXPECT_EQ(CountFieldStep("99", +1), "99");
    EXPECT_EQ(CountFieldStep("1", -1), "1");
    EXPECT_EQ(CountFieldStep("150", -1), "99");
    EXPECT_EQ(CountFieldStep("abc", +1), "2");
}

TEST(CountFieldTest, LeavingTheFieldClampsOnlyWhatIsOutside) {
    EXPECT_EQ(CountFieldOnExit("0"), "1");
    EXPECT_EQ(CountFieldOnExit("150"), "99");
    EXPECT_EQ(CountFieldOnExit("007"), "007");
    EXPECT_EQ(CountFieldOnExit("abc"), "abc");  // reads as 1, which is inside
}

TEST(CountFieldTest, TypedCharactersAreDigitsSignsSeparatorAndControls) {
    for (char32_t ok : {U'0', U'9', U'+', U'-', U',', U'\b', char32_t(22)}) {
        EXPECT_TRUE(CountFieldAccepts(ok, U',')) << int(ok);
    }
    for (char32_t refused : {U'a', U'.', U' ', U'\r', U'e', U'\u00e9'}) {
        EXPECT_FALSE(CountFieldAccepts(refused, U',')) << int(refused);
    }
}

}  // namespace
}  // namespace quillop
