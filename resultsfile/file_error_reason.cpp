#include "file_error_reason.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

QString JapaneseReasonForErrno(int errorCode) {
    switch (errorCode) {
        case EACCES:
        case EPERM:
            return QStringLiteral("アクセスが許可されていません");
        case ENOENT:
            return QStringLiteral("そのファイルまたはフォルダーはありません");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("ディスクの空きが足りません");
        case EISDIR:
            return QStringLiteral("ファイルではなくフォルダーです");
        case EFBIG:
            return QStringLiteral("ファイルが大きすぎます");
        case EROFS:
            return QStringLiteral("読み取り専用のファイルシステムです");
        default:
            return {};
    }
}

QString ReasonForErrno(int errorCode) {
    const QString words = JapaneseReasonForErrno(errorCode);
    return words.isEmpty() ? QString::fromLocal8Bit(std::strerror(errorCode)) : words;
}

QString FileErrorReason(const QFileDevice& file) {
    const int lastErrorCode = errno;  // before anything here changes it

    // Qt reports a folder in texts of its own, without an errno.
    const QFileInfo named(file.fileName());
    if (named.isDir()) return JapaneseReasonForErrno(EISDIR);

    // Qt keeps only the system's text of the errno, so it is recognised by
    // that text.
    const QString systemText = file.errorString();
    for (const int errorCode : {EACCES, EPERM, ENOENT, ENOSPC, EDQUOT, EISDIR, EFBIG, EROFS}) {
        if (systemText != qt_error_string(errorCode)) continue;
        // Replacing a file that exists can fail for want of a temporary file
        // beside it (in /proc, say): the file is there, it cannot be replaced.
        if (errorCode == ENOENT && named.exists()) {
            return QStringLiteral("このファイルは置き換えられません");
        }
        return JapaneseReasonForErrno(errorCode);
    }
    // A failed flush (of a full disk, say) leaves Qt without a text; the
    // system's reason is then the last one it gave.
    if (systemText == QFile().errorString()) {
        const QString words = JapaneseReasonForErrno(lastErrorCode);
        if (!words.isEmpty()) return words;
    }
    return systemText;
}
