// The settings file's text, its reading without waiting on a FIFO, and saves that keep the old
// file whatever fails, a full disk included.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QSettings>

#include <sched.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "main/posix/PosixAutostart.h"
#include "main/posix/PosixSettingsFile.h"

namespace quillop {
namespace {

namespace fs = std::filesystem;

TEST(IniTextTest, AByteOrderMarkAndWindowsLineEndsAreRead) {
    const auto text = IniText::Parse("\xEF\xBB\xBF[General]\r\nFlies = \"7\"\r\nOnTop=0\r\n");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Value("flies"), "7");
    EXPECT_EQ(text->Value("ONTOP"), "0");
    EXPECT_FALSE(text->Value("Startup").has_value());
}

TEST(IniTextTest, AnOddLineIsKeptAndCostsNoOtherValue) {
    const std::string odd = "; caf\xE9\nno equals sign\n=1\nOnTop=\xFF\n";
    auto text = IniText::Parse("[General]\nFlies=7\n" + odd);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Value("Flies"), "7");
    EXPECT_EQ(text->Value("OnTop"), "\xFF");
    text->Set("Flies", "3");
    EXPECT_EQ(text->Text(), "[General]\nFlies=3\n" + odd);
    EXPECT_FALSE(IniText::Parse(std::string("[General]\nFlies=\0\n", 17)).has_value())
        << "binary bytes are no settings file";
}

TEST(IniTextTest, TheGeneralSectionIsNamedInAnyCase) {
    auto text = IniText::Parse("[general]\nFlies=5\n[GENERAL\nOnTop=0\n[Other]\nStartup=0\n");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Value("Flies"), "5");
    EXPECT_EQ(text->Value("OnTop"), "0") << "a header without its \"]\" still starts a section";
    EXPECT_FALSE(text->Value("Startup").has_value());
    auto bare = IniText::Parse("[gEnErAl]\n");
    ASSERT_TRUE(bare.has_value());
    bare->Set("Flies", "3");
    EXPECT_EQ(bare->Text(), "[gEnErAl]\nFlies=3\n");
}

TEST(IniTextTest, ACommentEndsAValueUnlessItIsQuoted) {
    const std::string rest = "OnTop=0# off\nStartup=\"1;#\"\n";
    auto text = IniText::Parse("Flies=5 ; five\n" + rest);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Value("Flies"), "5");
    EXPECT_EQ(text->Value("OnTop"), "0");
    EXPECT_EQ(text->Value("Startup"), "1;#");
    text->Set("Flies", "3");
    EXPECT_EQ(text->Text(), "Flies=3 ; five\n" + rest);
}

TEST(IniTextTest, SettingKeepsEveryOtherLineAndLeavesOneNameInOneCase) {
    auto text = IniText::Parse("[General]\nflies=5\nFlies=7\nOther=x\n\n[Group]\nFlies=1\n");
    ASSERT_TRUE(text.has_value());
    text->Set("Flies", "3");
    EXPECT_EQ(text->Text(), "[General]\nFlies=3\nOther=x\n\n[Group]\nFlies=1\n");
    EXPECT_EQ(text->Value("Flies"), "3");
}

TEST(IniTextTest, NewNamesStandInTheOrderQtWritesThem) {
    IniText fresh;
    for (const char* name : {"OnTop", "Startup", "Flies"}) {
        fresh.Set(name, "1");
    }
    EXPECT_EQ(fresh.Text(), "[General]\nFlies=1\nOnTop=1\nStartup=1\n");
    auto other = IniText::Parse("[Other]\nx=1\n");
    ASSERT_TRUE(other.has_value());
    other->Set("Flies", "3");
    EXPECT_EQ(other->Text(), "[General]\nFlies=3\n\n[Other]\nx=1\n");
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/quillop-files.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        file = (folder / "QuillopPro.conf").string();
    }
    void TearDown() override {
        umount2(folder.c_str(), MNT_DETACH);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    fs::path folder;
    std::string file;
};

TEST_F(SettingsFileTest, AFifoIsRefusedAtOnceAndASymlinkToAFileIsFollowed) {
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    const FileContent fifo = ReadRegularFile(file);  // would wait for a writer if opened
    EXPECT_FALSE(fifo.Exists);
    EXPECT_NE(fifo.Refusal.find("FIFO"), std::string::npos) << fifo.Refusal;
    EXPECT_EQ(ReadRegularFile((folder / "missing").string()).Refusal, "");

    fs::remove(file);
    std::ofstream(folder / "real.conf") << "[General]\nFlies=4\n";
    fs::create_symlink(folder / "real.conf", file);
    EXPECT_EQ(ReadRegularFile(file).Bytes, "[General]\nFlies=4\n");
    EXPECT_EQ(SaveFile(file, "[General]\nFlies=5\n"), "");
    EXPECT_TRUE(fs::is_symlink(file)) << "a symlink to a regular file is saved through";
    EXPECT_EQ(Contents(folder / "real.conf"), "[General]\nFlies=5\n");
}

TEST_F(SettingsFileTest, SettingAsideKeepsOlderCopiesNumbered) {
    for (const char* content : {"first", "second", "third"}) {
        std::ofstream(file) << content;
        ASSERT_EQ(SetAside(file), "");
    }
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(Contents(file + ".damaged"), "third");
    EXPECT_EQ(Contents(file + ".damaged.1"), "first");
    EXPECT_EQ(Contents(file + ".damaged.2"), "second");
}

TEST_F(SettingsFileTest, WhatQtsSettingsWriteReadsTheSame) {
    const std::map<std::string, int> values{{"OnTop", 0}, {"Startup", 1}, {"Flies", -42}};
    {
        QSettings qt(QString::fromStdString(file), QSettings::IniFormat);
        for (const auto& [key, value] : values) {
            qt.setValue(QString::fromStdString(key), value);
        }
    }
    const auto text = IniText::Parse(ReadRegularFile(file).Bytes);
    ASSERT_TRUE(text.has_value());
    for (const auto& [key, value] : values) {
        EXPECT_EQ(text->Value(key), std::to_string(value)) << key;
    }
}

TEST_F(SettingsFileTest, AnOlderCopysNameTooLongIsReportedNotSearchedForEver) {
    file = (folder / std::string(247, 'q')).string();  // "<file>.damaged.1" is too long a name
    for (const std::string& name : {file, AsideName(file)}) {
        std::ofstream(name) << name.size();
    }
    alarm(10);  // a lookup that never ends fails here
    EXPECT_EQ(SetAside(file), std::strerror(ENAMETOOLONG));
    alarm(0);
    EXPECT_TRUE(fs::exists(file) && fs::exists(AsideName(file)));
}

TEST_F(SettingsFileTest, FoldersMadeForTheFileAreTheUsersAlone) {
    fs::permissions(folder, fs::perms(0755));
    ASSERT_EQ(SaveFile((folder / "made/too/QuillopPro.conf").string(), "[General]\n"), "");
    for (const fs::path& made : {folder / "made", folder / "made/too"}) {
        EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
    }
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms(0755)) << "a folder there is left as is";
}

TEST_F(SettingsFileTest, AProgramPathThatIsNotUtf8WritesNoAutostartEntry) {
    const std::string entry = (folder / "QuillopPro.desktop").string();
    EXPECT_NE(SetAutostartEntry(entry, true, "/opt/\xFF/quillop"), "");
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(SetAutostartEntry(entry, true, "/opt/quillop"), "");
    EXPECT_EQ(Contents(entry), AutostartEntry("/opt/quillop"));
}

// NOTE: the tmpfs is mounted in a mount namespace of the test's own, private all the way down,
// so that nothing outside sees it and it goes with the test's process.
TEST_F(SettingsFileTest, AFullDiskLeavesTheOldFileByteForByte) {
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "no private tmpfs: " << std::strerror(errno);
    }
    const std::string old = "[General]\nFlies=5\nOnTop=0\nStartup=0\n";
    ASSERT_EQ(SaveFile(file, old), "");
    {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(1024, 'x');
        for (int i = 0; i < 64 && filler.write(block.data(), block.size()); ++i) {
        }
    }
    EXPECT_EQ(SaveFile(file, "[General]\nFlies=6\nOnTop=1\nStartup=1\n"), std::strerror(ENOSPC));
    EXPECT_EQ(Contents(file), old);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++files;
    }
    EXPECT_EQ(files, 2u) << "the new file is removed";
}

}  // namespace
}  // namespace quillop
