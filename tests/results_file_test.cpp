#include "results_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <chrono>
#include <future>

#include "file_bytes.h"
#include "file_error.h"
#include "file_size_limit.h"
#include "qt_printers.h"
#include "results_text.h"

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
    // and says `what`.
    template <typename Call>
    static void ExpectFileError(Call call, const QString& path, const QString& what = {}) {
        try {
            call();
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const EFileError& error) {
            const QString message = QString::fromUtf8(error.what());
            EXPECT_TRUE(message.contains(path) && message.contains(what)) << error.what();
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

TEST_F(ResultsFile, LoadsNulBytes) {
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("nul.txt", QByteArray("a\0b\r\n\0", 6))),
              (QStringList{QString::fromUtf8("a\0b", 3), QString(QChar(0))}));
}

TEST_F(ResultsFile, DecodesUtf16AfterItsByteOrderMark) {
    const QString text = QStringLiteral("温度\r\n200\r\n\U0001F600\uFEFF");
    const QStringList lines = {QStringLiteral("温度"), "200", QStringLiteral("\U0001F600\uFEFF")};
    QByteArray little("\xFF\xFE");
    QByteArray big("\xFE\xFF");
    for (const QChar c : text) {
        little += char(c.unicode() & 0xFF), little += char(c.unicode() >> 8);
        big += char(c.unicode() >> 8), big += char(c.unicode() & 0xFF);
    }
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("le.txt", little)), lines);
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("be.txt", big)), lines);
}

// The message gives the offset where the file stops being each encoding;
// the binary file goes wrong at 0xEF 0xDE for UTF-8 and at 0xA0 for Shift-JIS.
TEST_F(ResultsFile, RefusesTextInNoEncodingItKnowsNamingTheByte) {
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) binary.append(char((i * 7919) % 256));
    const struct {
        QByteArray bytes;
        const char* offsets;
    } cases[] = {
        {"caf\xE9", "3 バイト目から、Shift-JIS としては 3 バイト目"},  // Latin-1
        {"200\r\n\x82\xA0\x80", "5 バイト目から、Shift-JIS としては 7 バイト目"},
        {"\xEF\xBB\xBF\x85\x40", "3 バイト目から、Shift-JIS としては 3 バイト目"},  // unmapped
        {binary, "1 バイト目から、Shift-JIS としては 96 バイト目"},  // 0xEF 0xDE; 0xA0
        {QByteArray("\xFF\xFE"
                    "a\0\0\xDC",
                    6),
         "UTF-16 として 4 バイト目"},  // a lone surrogate
        {"\xFF\xFE"
         "a",
         "UTF-16 として 2 バイト目"},
    };
    for (const auto& c : cases) {
        const QString path = WriteBytes("odd.txt", c.bytes);
        ExpectFileError([&] { LoadLinesFromFile(path); }, path, c.offsets);
    }
}

TEST_F(ResultsFile, RefusesCharactersTheListWouldTakeForBreaks) {
    for (const char* name : {"2028", "2029", "FDD0", "FDD1"}) {
        const QString text =
            QStringLiteral("200\r\na%1b\r\n").arg(QChar(QString(name).toUShort(nullptr, 16)));
        const QString path = WriteBytes("breaks.txt", text.toUtf8());
        ExpectFileError([&] { LoadLinesFromFile(path); }, path, QStringLiteral("U+%1").arg(name));
    }
}

TEST_F(ResultsFile, AFirstLineStartingWithAByteOrderMarkCharacterSurvives) {
    const QByteArray bytes = "\xEF\xBB\xBF\xEF\xBB\xBFx\r\n";
    const QStringList lines = LoadLinesFromFile(WriteBytes("mark.txt", bytes));
    EXPECT_EQ(lines, QStringList{QStringLiteral("\uFEFFx")});
    SaveLinesToFile(lines, PathOf("again.txt"));
    EXPECT_EQ(ReadBytes(PathOf("again.txt")), bytes);
}

TEST_F(ResultsFile, RefusesAFileLargerThanTheLimit) {
    const QString path = PathOf("huge.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kMaxResultsFileBytes + 1));  // sparse: fast, no disk used
    }
    ExpectFileError([&] { LoadLinesFromFile(path); }, path, "32 MiB");

    const QByteArray line = "1.26344583984677E-11\r\n";
    QByteArray atTheLimit = line.repeated(kMaxResultsFileBytes / line.size() + 1);
    atTheLimit.truncate(kMaxResultsFileBytes);  // the last line is cut short
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("full.txt", atTheLimit)).size(),
              atTheLimit.count("\r\n") + 1);
}

TEST_F(ResultsFile, RefusesALineLongerThanTheListTakes) {
    const QByteArray longest(kMaxResultsLineLength, 'x');
    EXPECT_EQ(LoadLinesFromFile(WriteBytes("long.txt", "a\r\n" + longest)).size(), 2);
    const QString path = WriteBytes("longer.txt", "a\r\nb\r\n" + longest + "x\r\n");
    ExpectFileError([&] { LoadLinesFromFile(path); }, path, "3 行目");
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

TEST_F(ResultsFile, SaveIntoAReadOnlyFolderWritesTheFileInPlace) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
    ASSERT_TRUE(QDir(dir_.path()).mkdir("locked"));
    const QString path = WriteBytes("locked/out.txt", "old and longer\r\n");
    ASSERT_TRUE(QFile::setPermissions(PathOf("locked"), QFile::ReadOwner | QFile::ExeOwner));
    SaveLinesToFile({"new"}, path);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    QFile::setPermissions(PathOf("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The file saved to keeps its other names, its owner and its permissions,
// and a symbolic link to it stays a link.
TEST_F(ResultsFile, SaveKeepsTheFilesIdentity) {
    const QString path = WriteBytes("out.txt", "old\r\n");
    ASSERT_TRUE(QFile::link(path, PathOf("symbolic")));
    ASSERT_EQ(
        ::link(QFile::encodeName(path).constData(), QFile::encodeName(PathOf("hard")).constData()),
        0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    SaveLinesToFile({"via the link"}, PathOf("symbolic"));
    EXPECT_TRUE(QFileInfo(PathOf("symbolic")).isSymLink());
    EXPECT_EQ(ReadBytes(PathOf("hard")), "via the link\r\n");

    const QString single = WriteBytes("single.txt", "old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(single).constData(), 0640), 0);
    constexpr uid_t kNobody = 65534;
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(single).constData(), kNobody, kNobody), 0);
    }
    SaveLinesToFile({"new"}, single);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(single).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (asRoot) {
        EXPECT_EQ(status.st_uid, kNobody);
    }
    EXPECT_EQ(ReadBytes(single), "new\r\n");
}

// Saving over a FIFO or a device would put a regular file in its place.
TEST_F(ResultsFile, SaveRefusesWhatIsNotARegularFile) {
    const QString fifo = PathOf("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ExpectFileError([&] { SaveLinesToFile({"new"}, fifo); }, fifo);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    if (geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
    const QString device = PathOf("null");  // the numbers of /dev/null
    ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)), 0);
    ExpectFileError([&] { SaveLinesToFile({"new"}, device); }, device);
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

TEST_F(ResultsFile, RefusesWhatIsNotARegularFileWithoutWaiting) {
    const QString fifo = PathOf("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto load = std::async(std::launch::async,
                           [&] { ExpectFileError([&] { LoadLinesFromFile(fifo); }, fifo); });
    if (load.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "opening a FIFO waits for a writer";
        QFile writer(fifo);  // one that closes at once lets the load go on
        EXPECT_TRUE(writer.open(QIODevice::WriteOnly));
    }
    load.get();
    // A device, and a file whose size says 0 but which has content.
    for (const QString path : {"/dev/null", "/proc/self/status"}) {
        ExpectFileError([&] { LoadLinesFromFile(path); }, path);
    }
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
    {
        const FileSizeLimit limit(4096);
        ExpectFileError([&] { SaveLinesToFile(SampleLikeLines(3004), path); }, path);
    }
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"out.txt"})
        << "the temporary file is left behind";
}

}  // namespace
