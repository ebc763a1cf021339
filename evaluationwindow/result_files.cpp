#include "result_files.h"

#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

#include "evaluation_text.h"
#include "exception.h"
#include "fit_csv.h"
#include "fit_json.h"
#include "fit_outcome.h"
#include "fit_text.h"

std::optional<ResultFormat> FormatOfName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"txt") return ResultFormat::Report;
    if (suffix == u"json") return ResultFormat::Json;
    if (suffix == u"csv") return ResultFormat::Csv;
    if (suffix == u"png") return ResultFormat::Picture;
    return std::nullopt;
}

QByteArray ResultBytes(const FitOutcome& o, ResultFormat format) {
    std::string text;
    switch (format) {
        case ResultFormat::Report:
            text = tsc::analysis::FitText(o.fit, o.description);
            break;
        case ResultFormat::Json:
            text = tsc::analysis::FitJsonText(o.fit, o.description);
            break;
        case ResultFormat::Csv:
            text = tsc::analysis::FitCsv(o.fit, o.measured, true);
            break;
        case ResultFormat::Picture:
            break;
    }
    return QByteArray::fromStdString(text);
}

namespace {

[[noreturn]] void Refuse(const QString& fileName, const QString& reason) {
    throw Exception((Ja("結果を保存できませんでした。\nファイル: ") + fileName + Ja("\n理由: ") +
                     reason + Ja("\n元のファイルはそのままです。"))
                        .toStdString());
}

}  // namespace

void WriteWhole(const QString& fileName, const QByteArray& bytes) {
    if (QFileInfo(fileName).isDir()) Refuse(fileName, Ja("フォルダーです"));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) Refuse(fileName, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        Refuse(fileName, reason);
    }
    if (!file.commit()) Refuse(fileName, file.errorString());
}

void WritePicture(const QString& fileName, const QImage& picture) {
    if (QFileInfo(fileName).isDir()) Refuse(fileName, Ja("フォルダーです"));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) Refuse(fileName, file.errorString());
    if (!picture.save(&file, "PNG")) {
        file.cancelWriting();
        Refuse(fileName, Ja("PNG 画像を書き込めません"));
    }
    if (!file.commit()) Refuse(fileName, file.errorString());
}
