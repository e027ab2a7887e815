// The installer as a user meets it: a silent per-user install of an older version, the program
// it installed, an upgrade while that program runs, and the uninstall, which keeps the user's
// settings.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <string>

#include "clFly/ExternalNames.h"
#include "main/ExternalNames.h"
#include "tests/windows/Desktop_win32.h"
#include "tests/windows/Registry_win32.h"

namespace quillop::e2e {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillop";
constexpr DWORD kSetupTimeoutMs = 60000;

// A folder of the current user's, such as CSIDL_LOCAL_APPDATA.
std::string UserFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits until a process shows at least count flies.
bool ShowsFlies(const Program& program, std::size_t count) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
        if (WindowsOfProcess(program.Id(), kFlyNamePrefix).size() >= count) {
            return true;
        }
        Pump(50);
    }
    return false;
}

// Runs the installer or uninstaller silently; its exit code, or STILL_ACTIVE.
DWORD RunSilently(const std::string& path) {
    Program setup(path, "/S");
    return setup.Started() ? setup.WaitForExit(kSetupTimeoutMs) : STILL_ACTIVE;
}

// Gives the program's main window the caption a copy of another version has.
bool CaptionAsVersion(const Program& program, const std::string& version) {
    const std::string caption = kMainWindowCaption;
    const auto windows = WindowsOfProcess(program.Id(), caption, false);
    const std::string other = caption.substr(0, caption.rfind(' ') + 1) + version;
    return windows.size() == 1 && SetWindowTextA(windows[0], other.c_str()) != 0;
}

TEST(QuillopInstaller, UpgradesARunningOlderVersionAndUninstallsKeepingTheSettings) {
    const std::string setupExe = Environment("QUILLOP_SETUP_EXE", "Quillop-setup.exe");
    const std::string olderSetupExe =
        Environment("QUILLOP_OLDER_SETUP_EXE", "Quillop-0.9-setup.exe");
    const std::string folder = UserFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Quillop";
    // NOTE: Quillop quotes its logon entry when the path holds a space, as it does here.
    ASSERT_NE(folder.find(' '), std::string::npos) << folder << ": the user name has a space";
    const std::string exe = folder + "\\Quillop.exe";
    const std::string shortcut = UserFolder(CSIDL_PROGRAMS) + "\\Quillop.lnk";
    ForgetSettings();

    ASSERT_EQ(RunSilently(olderSetupExe), 0u) << "the install of an older version";
    ASSERT_TRUE(Exists(exe)) << exe;
    EXPECT_TRUE(Exists(shortcut)) << shortcut;
    EXPECT_EQ(ReadString(kUninstallKey, "DisplayName"), "Quillop");
    EXPECT_EQ(ReadString(kUninstallKey, "DisplayVersion"), "0.9");
    EXPECT_EQ(ReadString(kUninstallKey, "Publisher"), "The Quillop developers");
    EXPECT_EQ(ReadString(kUninstallKey, "DisplayIcon"), exe + ",0");
    const std::string uninstaller = folder + "\\Uninstall.exe";
    EXPECT_EQ(ReadString(kUninstallKey, "UninstallString"), "\"" + uninstaller + "\"");

    // The installed program as the older version, with a setting of the user's that the
    // upgrade must keep.
    ASSERT_TRUE(WriteDword(kSettingsKey, "Flies", 5));
    auto program = std::make_unique<Program>(exe);
    ASSERT_TRUE(ShowsFlies(*program, 5)) << "the installed program shows its five flies";
    ASSERT_TRUE(CaptionAsVersion(*program, "0.9"));

    ASSERT_EQ(RunSilently(setupExe), 0u) << "the upgrade over the running older copy";
    EXPECT_EQ(program->WaitForExit(0), 0u) << "the running copy was asked to end and did";
    EXPECT_EQ(ReadString(kUninstallKey, "DisplayVersion"), "1.1");
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 5u);
    EXPECT_EQ(ReadString(kRunKey, kSettingsName), "\"" + exe + "\"")
        << "\"Load on startup\" names the install";

    // The uninstaller meets a copy of yet another version.
    program = std::make_unique<Program>(exe);
    ASSERT_TRUE(ShowsFlies(*program, 5)) << "the upgraded program starts";
    ASSERT_TRUE(CaptionAsVersion(*program, "1.2"));
    // NOTE: the uninstaller copies itself to the temporary folder, starts the copy and ends;
    // the copy removes the files.
    ASSERT_EQ(RunSilently(uninstaller), 0u);
    EXPECT_EQ(program->WaitForExit(kSetupTimeoutMs), 0u) << "the uninstall ended Quillop";
    EXPECT_TRUE(WaitUntil([&] { return !Exists(folder); }, kSetupTimeoutMs)) << folder;
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(ReadString(kUninstallKey, "DisplayName").has_value());
    EXPECT_FALSE(ReadString(kRunKey, kSettingsName).has_value()) << "the logon entry is gone";
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 5u) << "the settings stay";
}

}  // namespace
}  // namespace quillop::e2e
