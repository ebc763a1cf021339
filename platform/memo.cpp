#include "memo.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <string>

#include "exception.h"
#include "results_file.h"

namespace {

constexpr QChar kLineEnd = u'\n';

QString JoinedWithLineEnds(const QStringList& lines) {
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines) size += line.size() + 1;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

// The field's text with every line break as '\n'. Unlike toPlainText() it
// keeps non-breaking spaces, so a loaded file is saved back unchanged.
QString FieldText(const QPlainTextEdit& memo) {
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, kLineEnd);
    text.replace(QChar::LineSeparator, kLineEnd);
    return text;
}

}  // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
}

void TMemoLines::Add(const QString& line) {
    if (updating_ > 0) {
        pending_.append(line);
        return;
    }
    AppendToField({line});
}

void TMemoLines::Clear() {
    pending_.clear();
    memo_.clear();
}

QStringList TMemoLines::FieldLines() const {
    QStringList lines = FieldText(memo_).split(kLineEnd);
    if (lines.back().isEmpty()) lines.removeLast();  // nothing after the last line end
    return lines;
}

int TMemoLines::Count() const { return static_cast<int>(FieldLines().size() + pending_.size()); }

QString TMemoLines::Strings(int index) const {
    const QStringList field = FieldLines();
    if (index < 0 || index >= field.size() + pending_.size()) {
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    }
    if (index < field.size()) return field.at(index);
    return pending_.at(index - field.size());
}

QStringList TMemoLines::GetStrings() const { return FieldLines() + pending_; }

void TMemoLines::SetStrings(const QStringList& lines) { SetText(JoinedWithLineEnds(lines)); }

void TMemoLines::SetText(QString endedLines) {
    pending_.clear();
    // Each text block costs the field about 10 µs and 300 bytes, so a list of
    // millions of short lines would take many seconds and a gigabyte to
    // build. Short lines share a block instead, separated by line separators:
    // the field shows them as line breaks and FieldText reads them back as
    // line ends. A block is laid out whole when it comes into view, so it
    // holds few characters.
    constexpr qsizetype kBlockCharacters = 1024;
    qsizetype blockStart = 0;
    QChar* const text = endedLines.data();
    const qsizetype lastLineEnd = endedLines.size() - 1;
    for (qsizetype i = 0; i < lastLineEnd; ++i) {
        if (text[i] != kLineEnd) continue;
        if (i - blockStart < kBlockCharacters) {
            text[i] = QChar::LineSeparator;
        } else {
            blockStart = i + 1;
        }
    }
    memo_.setPlainText(endedLines);
}

void TMemoLines::SaveToFile(const QString& fileName) const {
    SaveLinesToFile(GetStrings(), fileName);
}

void TMemoLines::LoadFromFile(const QString& fileName) { SetText(LoadTextFromFile(fileName)); }

void TMemoLines::EndUpdate() {
    if (updating_ == 0 || --updating_ > 0 || pending_.isEmpty()) return;
    const QStringList lines = std::move(pending_);
    pending_.clear();
    AppendToField(lines);
}

void TMemoLines::AppendToField(const QStringList& lines) {
    QTextDocument* document = memo_.document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    QString text = JoinedWithLineEnds(lines);
    // The last line is ended unless the field is empty or its text already
    // ends with a line end (an empty last block, or a typed line separator).
    const QString lastBlock = document->lastBlock().text();
    if (!document->isEmpty() && !lastBlock.isEmpty() && !lastBlock.endsWith(QChar::LineSeparator)) {
        text.prepend(kLineEnd);
    }
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
}
