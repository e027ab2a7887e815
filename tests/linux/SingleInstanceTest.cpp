// The folder of the lock and the socket where the user has no runtime folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>

#include "main/qt/QtSingleInstance.h"

namespace quillop {
namespace {

std::string Problem(const QString& folder) {
    return PrivateFolderProblem(folder).toStdString();
}

TEST(PrivateFolderTest, MadeForTheUserAloneThenKept) {
    const QTemporaryDir base;
    const QString folder = base.path() + "/quillop-1";
    EXPECT_EQ(Problem(folder), "");
    struct stat info {};
    ASSERT_EQ(lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(Problem(folder), "");
}

TEST(PrivateFolderTest, LinksAndFoldersOthersMayWriteInAreRefused) {
    const QTemporaryDir base;
    const QString folder = base.path() + "/own";
    ASSERT_EQ(Problem(folder), "");
    ASSERT_TRUE(QFile::link(folder, base.path() + "/link"));
    EXPECT_EQ(Problem(base.path() + "/link"),
              (base.path() + "/link is not a folder").toStdString());
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0770), 0);
    EXPECT_EQ(Problem(folder), "others may write in " + folder.toStdString());
}

}  // namespace
}  // namespace quillop
