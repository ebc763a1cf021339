#pragma once

#include <QString>
#include <QStringList>

// The results list as a text file: its lines in order, each ended by CR LF.

// Largest file LoadTextFromFile accepts, so that opening a huge file by
// mistake is refused instead of freezing the window: the list opens any file
// up to this size in well under 3 s and 300 MB (bench/results_open_bench).
// One calculation at the step limit writes about 2.5 MB.
inline constexpr qint64 kMaxResultsFileBytes = 32 * 1024 * 1024;

// Writes every line followed by CR LF, as UTF-8 without a byte-order mark.
// The new content goes to a temporary file that replaces the old one only
// when it is complete, so a failure part-way leaves the old file as it was.
// Throws EFileError naming the file when it cannot be created or written.
void SaveLinesToFile(const QStringList& lines, const QString& fileName);

// Reads the whole file as the results list's text, each line followed by
// '\n': see DecodeResultsText for the encodings and line ends it takes and
// the text it refuses. Throws EFileError naming the file when it is missing,
// unreadable, not a regular file (a folder, FIFO, device or socket: refused
// without waiting for data), of a size that changes while it is read (as
// /proc files do), larger than kMaxResultsFileBytes, or refused by
// DecodeResultsText; nothing is returned then.
QString LoadTextFromFile(const QString& fileName);

// The same as separate lines.
QStringList LoadLinesFromFile(const QString& fileName);
