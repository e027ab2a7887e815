#include "clFly/FlyDisplayChoice.h"

#include <gtest/gtest.h>

namespace quillop {
namespace {

bool Absent(std::string& why) {
    why = "none here";
    return false;
}
bool Present(std::string& why) {
    why = "one here";
    return true;
}

const FlyDisplayEntry kTable[] = {
    {"first", Absent, nullptr, "a"},
    {"second", Present, nullptr, "b"},
    {"third", Present, nullptr, "c"},
};

TEST(FlyDisplayChoice, TakesTheFirstThatCanRunOrTheOneNamed) {
    FlyDisplayChoice choice = ChooseFlyDisplay(kTable, "", "nothing");
    ASSERT_EQ(choice.Entry, &kTable[1]);
    EXPECT_EQ(choice.Message, "Quillop: flies on second (one here)");
    choice = ChooseFlyDisplay(kTable, "third", "nothing");
    EXPECT_EQ(choice.Entry, &kTable[2]);
}

TEST(FlyDisplayChoice, SaysWhyNoneWasTaken) {
    EXPECT_EQ(ChooseFlyDisplay(std::span(kTable, 1), "", "nothing").Message, "nothing");
    FlyDisplayChoice choice = ChooseFlyDisplay(kTable, "first", "nothing");
    EXPECT_EQ(choice.Entry, nullptr);
    EXPECT_EQ(choice.Message, "QUILLOP_DISPLAY=first cannot be used: none here");
    choice = ChooseFlyDisplay(kTable, "fourth", "nothing");
    EXPECT_EQ(choice.Entry, nullptr);
    EXPECT_EQ(choice.Message,
              "QUILLOP_DISPLAY=fourth names no fly display; there are: first, second, third");
}

}  // namespace
}  // namespace quillop
