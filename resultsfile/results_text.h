#pragma once

#include <QByteArrayView>
#include <QString>

// The results file's bytes as the results list's text: every line followed
// by '\n', whatever line ends the file used (CR LF, LF or CR), and a last line
// without a line end ended too; an empty file gives an empty text.
//
// A file that starts with a UTF-16 byte-order mark is UTF-16. Otherwise a
// leading UTF-8 byte-order mark is dropped and the rest is UTF-8, or, when it
// is not, Shift-JIS, the encoding of results files written on Japanese
// Windows. Only that first byte-order mark is a marker; one after it is text.
//
// Throws EFileError naming `fileName`, and returns nothing, when the bytes
// are in none of these encodings (the message gives the byte offset where
// each reading fails), when they hold characters that the list would not
// keep as they are: line and paragraph separators (U+2028, U+2029) and the
// noncharacters U+FDD0 and U+FDD1, which the text field takes for breaks, or
// when a line is longer than kMaxResultsLineLength (the message gives the
// line's number).
QString DecodeResultsText(QByteArrayView bytes, const QString& fileName);

// The longest line, in UTF-16 units, that the list takes from a file. The
// text field lays out a line that has no break opportunity in a time that
// grows with the square of its length (a quarter of a second for 16,384
// characters, over a second for 64 KiB, see bench/results_open_bench) and
// needs about 45 bytes a character for it; the lines the program writes are
// at most 22 characters long.
inline constexpr qsizetype kMaxResultsLineLength = 16384;
