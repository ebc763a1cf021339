#pragma once

#include <QString>

class QFileDevice;

// Why a file could not be created, written or read, in Japanese words for
// the reasons users meet (no permission, no such file or folder, a full
// disk, a folder where a file was expected, a file too large, a read-only
// file system); the system's own text for the rest.
QString FileErrorReason(const QFileDevice& file);

// The Japanese words for an errno value, or an empty text when there are
// none.
QString JapaneseReasonForErrno(int errorCode);

// The Japanese words for an errno value where there are some, the system's
// own text otherwise.
QString ReasonForErrno(int errorCode);
