// How long "開く" takes and how much memory the program needs for it, on files
// of the shapes that cost most: the largest list the program writes itself,
// files at the size limit made of short lines, of empty lines and of long
// lines, and one line as long as a line may be. Each case runs in a process
// of its own, so that its peak memory is its own; the time runs from the load
// to the end of the window's next paint. Run by hand; prints one line a case.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "application.h"
#include "file_error.h"
#include "form1.h"
#include "memo.h"
#include "results_file.h"
#include "results_text.h"

namespace {

struct Shape {
    const char* name;
    std::function<QByteArray()> bytes;
};

QByteArray Repeated(const QByteArray& line, qint64 totalBytes) {
    QByteArray bytes;
    bytes.reserve(totalBytes);
    while (bytes.size() + line.size() <= totalBytes) bytes += line;
    return bytes;
}

// The lines one calculation of `steps` steps appends, each number at its
// longest text.
QByteArray ProgramWritten(int steps) {
    return Repeated("-1.23456789012345E-308\r\n-1.23456789012345E-308\r\n\r\n", qint64(steps) * 50);
}

const Shape kShapes[] = {
    {"50,000 steps written by the program", [] { return ProgramWritten(50000); }},
    {"100,000 steps written by the program", [] { return ProgramWritten(100000); }},
    {"limit: sample-like lines",
     [] { return Repeated("1.26344583984677E-11\r\n", kMaxResultsFileBytes); }},
    {"limit: empty lines (LF)", [] { return Repeated("\n", kMaxResultsFileBytes); }},
    {"limit: lines of 1000 characters",
     [] { return Repeated(QByteArray(1000, 'x') + "\r\n", kMaxResultsFileBytes); }},
    {"limit: longest lines",
     [] {
         return Repeated(QByteArray(kMaxResultsLineLength, 'x') + "\r\n", kMaxResultsFileBytes);
     }},
    {"one longest line", [] { return QByteArray(kMaxResultsLineLength, 'x'); }},
    {"one line of 64 KiB", [] { return QByteArray(64 * 1024, 'x'); }},
    {"one line of 256 KiB", [] { return QByteArray(256 * 1024, 'x'); }},
    {"one line of 1 MiB", [] { return QByteArray(1024 * 1024, 'x'); }},
    {"one line of 8 MiB", [] { return QByteArray(8 * 1024 * 1024, 'x'); }},
};

long PeakResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return -1;
}

// One case, in this process: writes the file, opens it in a fresh window and
// paints.
int RunCase(int index) {
    const Shape& shape = kShapes[index];
    QTemporaryDir dir;
    const QString path = dir.filePath("results.txt");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(shape.bytes()) < 0) return 1;
    }
    auto form = std::make_unique<TForm1>();
    form->show();
    static_cast<void>(QTest::qWaitForWindowExposed(form.get()));
    QCoreApplication::processEvents();
    const long before = PeakResidentKiB();

    const auto start = std::chrono::steady_clock::now();
    QString outcome = "opened";
    try {
        form->Memo1->Lines.LoadFromFile(path);
    } catch (const EFileError& error) {
        outcome = QStringLiteral("refused: ") + QString::fromUtf8(error.what()).section(' ', -1);
    }
    for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
    form->repaint();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("%-40s %6.1f MiB  %7.2f s  peak %5ld MiB (before %4ld)  %s\n", shape.name,
                QFileInfo(path).size() / 1048576.0, seconds, PeakResidentKiB() / 1024,
                before / 1024, qPrintable(outcome));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--case") == 0) {
        QApplication toolkit(argc, argv);
        Application->Initialize();
        return RunCase(std::stoi(argv[2]));
    }
    QCoreApplication runner(argc, argv);
    std::printf("Open a results file in a fresh window, one process a case; limit %lld MiB\n",
                static_cast<long long>(kMaxResultsFileBytes >> 20));
    int failures = 0;
    for (std::size_t i = 0; i < std::size(kShapes); ++i) {
        if (argc == 2 && !QString(kShapes[i].name).contains(argv[1])) continue;
        std::fflush(stdout);
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QString::fromLocal8Bit(argv[0]), {"--case", QString::number(i)});
        if (!run.waitForFinished(-1) || run.exitCode() != 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
