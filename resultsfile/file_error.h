#pragma once

#include <QString>

#include "exception.h"

// A results file that cannot be created, written or read. The message names
// the file and says why.
class EFileError : public Exception {
  public:
    using Exception::Exception;
};

// Throws the file error "ファイル "<fileName>" <problem>", followed by the
// system's reason in brackets when there is one.
[[noreturn]] inline void ThrowFileError(const QString& fileName, const QString& problem,
                                        const QString& reason = {}) {
    QString message = QStringLiteral("ファイル \"%1\" %2").arg(fileName, problem);
    if (!reason.isEmpty()) message += QStringLiteral("（%1）").arg(reason);
    throw EFileError(message.toStdString());
}
