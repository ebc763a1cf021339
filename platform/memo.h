#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <string_view>

class TMemo;

// The lines of a multi-line text field, seen the way the commands see them:
// the field's text is its lines, each followed by a line end. Text after the
// last line end (typed by the user) is one more line; a text that ends with a
// line end has no empty line after it. So an empty field has no lines and a
// field holding only a line end has one empty line.
//
// Between BeginUpdate and EndUpdate, added lines are kept aside and reach the
// field together at EndUpdate, in one edit; the lines, their count and their
// order are the same as if each had been added on its own.
class TMemoLines {
  public:
    explicit TMemoLines(TMemo& memo) : memo_(memo) {}
    TMemoLines(const TMemoLines&) = delete;
    TMemoLines& operator=(const TMemoLines&) = delete;

    // Appends one line after the last line. A last line without a line end
    // is ended first, so the new text never joins it.
    void Add(const QString& line);
    void Add(std::string_view utf8Line) { Add(QString::fromUtf8(utf8Line)); }
    void Add(const char* utf8Line) { Add(QString::fromUtf8(utf8Line)); }

    // Leaves no lines at all.
    void Clear();

    int Count() const;
    QString Strings(int index) const;  // 0 <= index < Count()

    // All lines at once, for moving them to and from a file.
    QStringList GetStrings() const;
    void SetStrings(const QStringList& lines);
    // The same from the lines as one text, each line followed by '\n'.
    void SetText(QString endedLines);

    // Writes the lines to the file as the results file: each ended by CR LF,
    // the file replaced only once the new one is complete.
    void SaveToFile(const QString& fileName) const;
    // Replaces every line with the file's lines. A file that cannot be read
    // throws before the field is touched, so the lines stay as they were.
    void LoadFromFile(const QString& fileName);

    void BeginUpdate() { ++updating_; }
    void EndUpdate();

  private:
    QStringList FieldLines() const;
    void AppendToField(const QStringList& lines);

    TMemo& memo_;
    QStringList pending_;
    int updating_ = 0;
};

// The results list: a plain multi-line text field with a vertical scroll
// bar, wrapping at its width, where Tab moves on to the next control.
class TMemo : public QPlainTextEdit {
  public:
    explicit TMemo(QWidget* parent);

    TMemoLines Lines{*this};
};
