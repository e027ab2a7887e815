// The version resource of Quillop.exe, as Explorer's properties read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

// ASLR and DEP as the PE header states them, and the stack protector's handler linked in.
TEST(QuillopVersion, IsBuiltWithAslrDepAndTheStackProtector) {
    std::ifstream file(Environment("QUILLOP_EXE", "Quillop.exe"), std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(file)), {});
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    ASSERT_LT(static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS), image.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
    const WORD flags = nt->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "no ASLR";
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "no DEP";
    EXPECT_NE(image.find("stack smashing detected"), std::string::npos) << "no stack protector";
}

}  // namespace
}  // namespace quillop::e2e
