// The reasons the results file's errors give, for failures made with real
// files: in Japanese for those users meet, never a misleading one.
#include "file_error_reason.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "file_error.h"
#include "file_size_limit.h"
#include "results_file.h"

namespace {

class FileErrorReasons : public ::testing::Test {
  protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    // The message of the file error the call throws.
    template <typename Call>
    static std::string MessageOf(Call call) {
        try {
            call();
        } catch (const EFileError& error) {
            return error.what();
        }
        return "no error";
    }

    QTemporaryDir dir_;
};

void ExpectReason(const std::string& message, const char* reason) {
    EXPECT_NE(message.find(std::string("（") + reason + "）"), std::string::npos) << message;
}

TEST_F(FileErrorReasons, MissingFileAndFolder) {
    ExpectReason(MessageOf([&] { LoadLinesFromFile(PathOf("missing.txt")); }),
                 "そのファイルまたはフォルダーはありません");
    ExpectReason(MessageOf([&] { SaveLinesToFile({"x"}, PathOf("no/such/out.txt")); }),
                 "そのファイルまたはフォルダーはありません");
}

TEST_F(FileErrorReasons, AFolderWhereAFileWasNamed) {
    for (const auto& call : {+[](const QString& path) { LoadLinesFromFile(path); },
                             +[](const QString& path) { SaveLinesToFile({"x"}, path); }}) {
        ExpectReason(MessageOf([&] { call(dir_.path()); }), "ファイルではなくフォルダーです");
    }
}

// Not "no such file": the file is there.
TEST_F(FileErrorReasons, AFileThatCannotBeReplacedWhereItIs) {
    if (!QFile::exists("/proc/version")) GTEST_SKIP() << "no /proc";
    const std::string message = MessageOf([] { SaveLinesToFile({"x"}, "/proc/version"); });
    EXPECT_EQ(message.find("そのファイルまたはフォルダーはありません"), std::string::npos)
        << message;
    EXPECT_NE(message.find("ファイルは元のままです"), std::string::npos) << message;
}

TEST_F(FileErrorReasons, AFileLargerThanTheSystemAllows) {
    std::string message;
    {
        const FileSizeLimit limit(4096);
        message = MessageOf(
            [&] { SaveLinesToFile(QStringList(2000, "0.123456789"), PathOf("big.txt")); });
    }
    ExpectReason(message, "ファイルが大きすぎます");
}

// Also run as an unprivileged user, whom permissions stop.
TEST_F(FileErrorReasons, ReadOnlyFolderDeniesPermission) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
    ASSERT_TRUE(QDir(dir_.path()).mkdir("locked"));
    ASSERT_TRUE(QFile::setPermissions(PathOf("locked"), QFile::ReadOwner | QFile::ExeOwner));
    ExpectReason(MessageOf([&] { SaveLinesToFile({"x"}, PathOf("locked/out.txt")); }),
                 "アクセスが許可されていません");
    QFile::setPermissions(PathOf("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A full disk and a read-only file system cannot be made here; their system
// texts are recognised the same way.
TEST(FileErrorReason, FullDiskAndWriteProtectedFileSystemInJapanese) {
    EXPECT_EQ(JapaneseReasonForErrno(ENOSPC), "ディスクの空きが足りません");
    EXPECT_EQ(JapaneseReasonForErrno(EROFS), "読み取り専用のファイルシステムです");
    EXPECT_EQ(JapaneseReasonForErrno(EIO), "");
}

}  // namespace
