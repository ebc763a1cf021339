#include "results_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <csignal>

#include "file_bytes.h"
#include "file_error.h"
#include "qt_printers.h"

namespace {

class ResultsFile : public ::testing::Test {
  protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    // Writes the bytes to the named file in the test's folder; returns its path.
    QString WriteBytes(const QString& name, const QByteArray& bytes) const {
        ::WriteBytes(PathOf(name), bytes);
        return PathOf(name);
    }

    // The error must be a file error whose message names the file.
    template <typename Call>
    static void ExpectFileError(Call call, const QString& path) {
        try {
            call();
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const EFileError& error) {
            EXPECT_NE(std::string(error.what()).find(path.toStdString()), std::string::npos)
                << error.what();
        }
    }

    QTemporaryDir dir_;
};

QStringList SampleLikeLines(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) lines.append(i % 3 == 0 ? QString() : QString::number(i * 0.2));
    return lines;
}

TEST_F(ResultsFile, SavesEveryLineEndedByCrLfInUtf8) {
    const struct {
        QStringList lines;
        QByteArray bytes;
    } cases[] = {
        {{}, ""},
        {{""}, "\r\n"},
        {{"200", "1.26344583984677E-11", ""}, "200\r\n1.26344583984677E-11\r\n\r\n"},
        {{QStringLiteral("温度Ｔ"), "a"}, "\xE6\xB8\xA9\xE5\xBA\xA6\xEF\xBC\xB4\r\na\r\n"},
    };
    for (const auto& c : cases) {
        const QString path = PathOf("out.txt");
        SaveLinesToFile(c.lines, path);
        EXPECT_EQ(ReadBytes(path), c.bytes) << c.lines.join('|').toStdString();
    }
}

TEST_F(ResultsFile, SaveReplacesALongerFileCompletely) {
    const QString path = WriteBytes("out.txt", QByteArray(10000, 'x'));
    SaveLinesToFile({"1"}, path);
    EXPECT_EQ(ReadBytes(path), "1\r\n");
}

TEST_F(ResultsFile, LoadsEveryLineEndAndAFinalUnterminatedLine) {
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a", {"a"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\r\n\n", {"", "", ""}},
        {"a\r\n\r\nb\n\nc\r\rd", {"a", "", "b", "", "c", "", "d"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadLinesFromFile(WriteBytes("in.txt", c.bytes)), c.lines)
            << QByteArray(c.bytes).toPercentEncoding().toStdString();
    }
}

TEST_F(ResultsFile, DropsAUtf8ByteOrderMarkOnlyAtTheStart) {
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("bom.txt",
                                           "\xEF\xBB\xBF"
                                           "200\r\n")),
              QStringList{"200"});
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("bom.txt", "\xEF\xBB\xBF")), QStringList{});
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("bom.txt", "a\xEF\xBB\xBF")),
              QStringList{QStringLiteral("a\uFEFF")});
}

TEST_F(ResultsFile, ReadsTextThatIsNotUtf8AsShiftJis) {
    const QStringList lines = {QStringLiteral("測定結果 （上：Ｔ　下：Ｉｔｓｃ）"),
                               "375.79999999999", QStringLiteral("ピーク電流Ｉｐｅａｋ＝")};
    QStringEncoder shiftJis("Shift_JIS");
    ASSERT_TRUE(shiftJis.isValid());
    const QByteArray bytes = shiftJis.encode(lines.join("\r\n"));
    ASSERT_FALSE(shiftJis.hasError());
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("sjis.txt", bytes)), lines);
    // A byte-order mark in front does not make the rest UTF-8.
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("sjis.txt", "\xEF\xBB\xBF" + bytes)), lines);
}

TEST_F(ResultsFile, ACharacterCutOffAtTheEndIsNotDroppedSilently) {
    // "ab" then the first two bytes of a three-byte UTF-8 character.
    const QStringList lines = LoadLinesFromFile(WriteBytes("cut.txt", "ab\xE3\x81"));
    ASSERT_EQ(lines.size(), 1);
    // Read as Shift-JIS instead, where the two bytes are one character.
    EXPECT_TRUE(lines[0].startsWith("ab"));
    EXPECT_EQ(lines[0].size(), 3);
}

TEST_F(ResultsFile, LoadsNulBytesAndBinaryContent) {
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("nul.txt", QByteArray("a\0b\r\n\0", 6))),
              (QStringList{QString::fromUtf8("a\0b", 3), QString(QChar(0))}));

    QByteArray binary;
    for (int i = 0; i < 4096; ++i) binary.append(char((i * 7919) % 256));
    const QStringList lines = LoadLinesFromFile(WriteBytes("binary.bin", binary));
    // Split at every line end and nowhere else: the bytes hold 16 CRs and
    // 16 LFs, never adjacent, so 33 lines, with no line end inside one.
    EXPECT_EQ(lines.size(), 33);
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n'));
    }
}

TEST_F(ResultsFile, RefusesAFileLargerThan64MiB) {
    const QString path = PathOf("huge.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kMaxResultsFileBytes + 1));  // sparse: fast, no disk used
    }
    ExpectFileError([&] { LoadLinesFromFile(path); }, path);

    {
        QFile file(path);
        ASSERT_TRUE(file.resize(kMaxResultsFileBytes));
    }
    const QStringList lines = LoadLinesFromFile(path);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].size(), kMaxResultsFileBytes);
}

TEST_F(ResultsFile, LoadFailuresNameTheFile) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder"));
    const QString regular = WriteBytes("regular.txt", "x\r\n");
    for (const QString& path : {PathOf("missing.txt"), PathOf("folder"), regular + "/below.txt"}) {
        ExpectFileError([&] { LoadLinesFromFile(path); }, path);
    }
}

TEST_F(ResultsFile, SaveFailuresNameTheFileAndLeaveOtherFilesAlone) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder"));
    const QString regular = WriteBytes("regular.txt", "old\r\n");
    for (const QString& path :
         {PathOf("folder"), regular + "/below.txt", PathOf("no/such/folder/out.txt")}) {
        ExpectFileError([&] { SaveLinesToFile({"new"}, path); }, path);
    }
    EXPECT_TRUE(QFileInfo(PathOf("folder")).isDir());
    EXPECT_EQ(ReadBytes(regular), "old\r\n");
}

TEST_F(ResultsFile, SaveIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
    ASSERT_TRUE(QDir(dir_.path()).mkdir("locked"));
    const QString path = WriteBytes("locked/out.txt", "old\r\n");
    ASSERT_TRUE(QFile::setPermissions(PathOf("locked"), QFile::ReadOwner | QFile::ExeOwner));
    ExpectFileError([&] { SaveLinesToFile({"new"}, path); }, path);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    QFile::setPermissions(PathOf("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ResultsFile, LoadOfAnUnreadableFileFails) {
    if (geteuid() == 0) GTEST_SKIP() << "root may read a file without read permission";
    const QString path = WriteBytes("secret.txt", "x\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner));
    ExpectFileError([&] { LoadLinesFromFile(path); }, path);
}

// A file-size limit makes the write fail part-way as a full disk would, for
// root too.
TEST_F(ResultsFile, SaveThatFailsPartWayKeepsTheOldFile) {
    const QString path = WriteBytes("out.txt", "old\r\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    ExpectFileError([&] { SaveLinesToFile(SampleLikeLines(3004), path); }, path);

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"out.txt"})
        << "the temporary file is left behind";
}

}  // namespace
