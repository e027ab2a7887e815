// The version resource of Quillop.exe, as Explorer's properties read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/Desktop_win32.h"

namespace quillop::e2e {
namespace {

// One string of the file's version information in U.S. English, or "(none)".
std::string VersionString(const std::vector<char>& info, const std::string& name) {
    const std::string key = "\\StringFileInfo\\040904B0\\" + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return "(none)";
    }
    return std::string(value, length - 1);
}

TEST(QuillopVersion, NamesTheProductItsVersionAndDescription) {
    const std::string path = Environment("QUILLOP_EXE", "Quillop.exe");
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version information in " << path;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    EXPECT_EQ(VersionString(info, "ProductName"), "Quillop");
    EXPECT_EQ(VersionString(info, "ProductVersion"), "1.1");
    EXPECT_EQ(VersionString(info, "FileVersion"), "1.1");
    EXPECT_EQ(VersionString(info, "FileDescription"), "Desktop flies");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 1));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 1));
}

}  // namespace
}  // namespace quillop::e2e
