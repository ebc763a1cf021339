#pragma once

#include <QString>
#include <QStringList>

// The results list as a text file: its lines in order, each ended by CR LF.

// Largest file LoadTextFromFile accepts, so that opening a huge file by
// mistake is refused instead of freezing the window: the list opens any file
// up to this size in well under 3 s and 300 MB (bench/results_open_bench).
// One calculation at the step limit writes about 2.5 MB.
inline constexpr qint64 kMaxResultsFileBytes = 32 * 1024 * 1024;

// Writes every line followed by CR LF, as UTF-8 (without a byte-order mark,
// unless the first line starts with that character). A new file, or an
// existing one with one name whose owner and group the new one can be given,
// is replaced atomically: the content goes to a temporary file that takes
// the old one's place only when complete, so a failure part-way leaves the
// old file as it was. An existing file with several names (hard links), of
// an owner or group the new file cannot get, or in a folder that is not
// writable, is written over in place, keeping its names, owner and
// permissions; the space is reserved first, so a full disk leaves it as it
// was, but other failures part-way leave it damaged, and the message says
// so. Through a symbolic link, the file it names is written. Throws
// EFileError naming the file when it cannot be created or written, or when
// it exists and is not a regular file (a folder, FIFO, device or socket).
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
