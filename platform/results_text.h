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
// each reading fails) or when they hold characters that the list would not
// keep as they are: line and paragraph separators (U+2028, U+2029) and the
// noncharacters U+FDD0 and U+FDD1, which the text field takes for breaks.
QString DecodeResultsText(QByteArrayView bytes, const QString& fileName);
