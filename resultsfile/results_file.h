#pragma once

#include <QString>
#include <QStringList>

// The results list as a text file: its lines in order, each ended by CR LF.

// Largest file LoadLinesFromFile accepts, so that opening a huge file by
// mistake is refused instead of freezing the window.
inline constexpr qint64 kMaxResultsFileBytes = 64 * 1024 * 1024;

// Writes every line followed by CR LF, as UTF-8 without a byte-order mark.
// The new content goes to a temporary file that replaces the old one only
// when it is complete, so a failure part-way leaves the old file as it was.
// Throws EFileError naming the file when it cannot be created or written.
void SaveLinesToFile(const QStringList& lines, const QString& fileName);

// Reads the whole file and splits it at CR LF, lone LF and lone CR; a last
// line without a line end is still a line, and an empty file has no lines.
// A leading UTF-8 byte-order mark is dropped. Text that is not valid UTF-8 is
// taken as Shift-JIS, the encoding of results files written on Japanese
// Windows. Throws EFileError naming the file when it is missing, a directory,
// unreadable or larger than kMaxResultsFileBytes; nothing is returned then.
QStringList LoadLinesFromFile(const QString& fileName);
