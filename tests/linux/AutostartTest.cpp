// The autostart entry's Exec key for paths that need quoting and escaping.
#include <gtest/gtest.h>

#include "main/posix/PosixAutostart.h"

namespace quillop {
namespace {

TEST(AutostartTest, PlainPathsStandAsTheyAre) {
    EXPECT_EQ(DesktopExecArgument("/usr/bin/quillop"), "/usr/bin/quillop");
}

TEST(AutostartTest, ReservedCharactersAreQuotedAndEscapedTwice) {
    EXPECT_EQ(DesktopExecArgument("/home/a b/quillop"), "\"/home/a b/quillop\"");
    // A backslash is escaped inside the quotes, and each backslash again as a string value.
    EXPECT_EQ(DesktopExecArgument("/x/a\\b"), "\"/x/a\\\\\\\\b\"");
    EXPECT_EQ(DesktopExecArgument("/x/$HOME \"q\""), "\"/x/\\\\$HOME \\\\\"q\\\\\"\"");
    EXPECT_EQ(DesktopExecArgument("/x/100%"), "/x/100%%");
    EXPECT_EQ(DesktopExecArgument("/x/50% off"), "\"/x/50%% off\"");
}

TEST(AutostartTest, EntryRunsTheProgramWithoutArguments) {
    const std::string entry = AutostartEntry("/opt/my apps/quillop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=\"/opt/my apps/quillop\"\n"), std::string::npos);
    EXPECT_NE(entry.find("\nTryExec=/opt/my apps/quillop\n"), std::string::npos);
    EXPECT_NE(AutostartEntry("/x/a\\b%").find("\nTryExec=/x/a\\\\b%\n"), std::string::npos);
}

}  // namespace
}  // namespace quillop
