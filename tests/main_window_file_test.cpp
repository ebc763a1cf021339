// "ファイル" → "保存" and "開く" on a real main window, through the real file
// dialogs and real files: the bytes written, what opening changes and what it
// leaves alone, the questions the dialogs ask, and the files that cannot be
// written or read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <functional>
#include <ostream>
#include <sstream>

#include "chart.h"
#include "file_bytes.h"
#include "file_dialog.h"
#include "file_dialog_driver.h"
#include "form1_test_support.h"
#include "memo.h"
#include "number_text.h"
#include "qt_printers.h"
#include "tsccurve_cli.h"

namespace {

QString Cancel() { return QString(); }

class ResultsFileMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        form_ = ShowFreshForm();
    }

    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    // Picks "保存" or "開く", types `name` (null: cancels) and confirms.
    DialogSeen Save(const QString& name, DialogUser user = {}) {
        user.name = name;
        return Checked(PickFile(form_->Save1, user));
    }
    DialogSeen Open(const QString& name, DialogUser user = {}) {
        user.name = name;
        return Checked(PickFile(form_->Open1, user));
    }

    static DialogSeen Checked(const DialogSeen& seen) {
        EXPECT_FALSE(seen.gaveUp) << "a dialog or message box stayed open";
        EXPECT_EQ(seen.dialogs, 1);
        return seen;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;
};

// The results file of the sample as tsccurve writes it: one Calculate after
// Clear.
QByteArray SampleResultsFromTheCommandLine() {
    std::ostringstream out;
    std::ostringstream err;
    std::vector<std::string> args = {"--results"};
    args.insert(args.end(), kSampleTexts.begin(), kSampleTexts.end());
    EXPECT_EQ(RunTsccurve(args, out, err), 0) << err.str();
    return QByteArray::fromStdString(out.str());
}

struct SavedList {
    const char* name;
    std::function<void(TForm1&)> prepare;  // from start-up
    std::function<QByteArray()> bytes;     // the file, exactly
};

void PrintTo(const SavedList& value, std::ostream* out) { *out << value.name; }

class SaveWrites : public ResultsFileMenu, public ::testing::WithParamInterface<SavedList> {};

INSTANTIATE_TEST_SUITE_P(
    ResultsFile, SaveWrites,
    ::testing::Values(
        // The one empty line the list starts with.
        SavedList{"FreshWindow", [](TForm1&) {}, [] { return QByteArray("\r\n"); }},
        SavedList{"ClearedWithNothingCalculated",
                  [](TForm1& form) { ASSERT_TRUE(Click(form.Button2).isEmpty()); },
                  [] { return QByteArray(); }},
        // The initial empty line, then the sample's 3003 lines.
        SavedList{"SampleFromStartUp",
                  [](TForm1& form) {
                      TypeParameters(form, kSampleTexts);
                      ASSERT_TRUE(Click(form.Button1).isEmpty());
                  },
                  [] { return "\r\n" + SampleResultsFromTheCommandLine(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(SaveWrites, TheListLineByLineEndedByCrLf) {
    GetParam().prepare(*form_);
    const QStringList before = ListLines(*form_);
    const QString path = PathOf("results.txt");

    const DialogSeen seen = Save(path);

    EXPECT_TRUE(seen.boxes.isEmpty()) << seen.boxes.join(' ').toStdString();
    const QByteArray expected = GetParam().bytes();
    const QByteArray written = ReadBytes(path);
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
    EXPECT_EQ(written.count("\r\n"), before.size());
    EXPECT_EQ(ListLines(*form_), before);
    EXPECT_EQ(form_->SaveDialog1->FileName(), path);
}

TEST_F(ResultsFileMenu, SampleRoundTripRestoresTheListAndNothingElse) {
    TypeParameters(*form_, kSampleTexts);
    ASSERT_TRUE(Click(form_->Button1).isEmpty());
    const QStringList saved = ListLines(*form_);
    ASSERT_EQ(saved.size(), 3004);
    const QString path = PathOf("sample.txt");
    ASSERT_TRUE(Save(path).boxes.isEmpty());

    // Cleared, then the peak fields typed over: opening must not bring back
    // the chart, the peaks or the running integral.
    ASSERT_TRUE(Click(form_->Button2).isEmpty());
    form_->Edit9->setText("typed T");
    const CalcState state = form_->State;

    EXPECT_TRUE(Open(path).boxes.isEmpty());

    EXPECT_EQ(ListLines(*form_), saved);
    EXPECT_EQ(form_->Series1->Count(), 0);
    EXPECT_EQ(form_->Edit9->text(), "typed T");
    EXPECT_EQ(form_->Edit10->text(), "");
    EXPECT_EQ(std::memcmp(&state, &form_->State, sizeof state), 0);
    EXPECT_EQ(form_->Edit1->text(), "0.8");
}

TEST_F(ResultsFileMenu, OpenReplacesTheListAndCalculateAppendsAfterIt) {
    TypeParameters(*form_, kSampleTexts);
    ASSERT_TRUE(Click(form_->Button1).isEmpty());
    ASSERT_EQ(form_->Series1->Count(), 1001);
    const QString edited = PathOf("edited.txt");
    WriteBytes(edited, "loaded\r\nlast");  // no line end after the last line

    EXPECT_TRUE(Open(edited).boxes.isEmpty());
    EXPECT_EQ(ListLines(*form_), (QStringList{"loaded", "last"}));
    EXPECT_EQ(form_->Series1->Count(), 1001);
    EXPECT_EQ(form_->Edit9->text(), "375.79999999999");

    ASSERT_TRUE(Click(form_->Button2).isEmpty());
    ASSERT_TRUE(Open(edited).boxes.isEmpty());
    TypeParameters(*form_, {"0.8", "1e8", "1e13", "200", "200.2", "2", "1", "0.2"});
    ASSERT_TRUE(Click(form_->Button1).isEmpty());
    const QString secondCurrent = QString::fromStdString(FloatToStr(form_->State.Itsc));
    EXPECT_EQ(ListLines(*form_), (QStringList{"loaded", "last", "200", "1.10697111127504E-20", "",
                                              "200.2", secondCurrent, ""}));

    const QString resaved = PathOf("resaved.txt");
    ASSERT_TRUE(Save(resaved).boxes.isEmpty());
    EXPECT_EQ(ReadBytes(resaved), "loaded\r\nlast\r\n200\r\n1.10697111127504E-20\r\n\r\n200.2\r\n" +
                                      secondCurrent.toLatin1() + "\r\n\r\n");
}

struct Command {
    const char* name;
    QAction* TForm1::*item;
    TFileDialog* (*dialog)(TForm1&);
};

void PrintTo(const Command& value, std::ostream* out) { *out << value.name; }

const Command kSave{"Save", &TForm1::Save1,
                    [](TForm1& form) -> TFileDialog* { return form.SaveDialog1; }};
const Command kOpen{"Open", &TForm1::Open1,
                    [](TForm1& form) -> TFileDialog* { return form.OpenDialog1; }};

class EitherCommand : public ResultsFileMenu, public ::testing::WithParamInterface<Command> {
  protected:
    DialogSeen Pick(const QString& name, DialogUser user = {}) {
        user.name = name;
        return Checked(PickFile(form_.get()->*GetParam().item, user));
    }
    TFileDialog* Dialog() { return GetParam().dialog(*form_); }
};

INSTANTIATE_TEST_SUITE_P(ResultsFile, EitherCommand, ::testing::Values(kSave, kOpen),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(EitherCommand, CancelChangesNothing) {
    const QString path = PathOf("kept.txt");
    WriteBytes(path, "kept\r\n");
    form_->Memo1->Lines.SetStrings({"list", "as it was"});

    const DialogSeen seen = Pick(Cancel());

    EXPECT_TRUE(seen.boxes.isEmpty());
    EXPECT_EQ(ListLines(*form_), (QStringList{"list", "as it was"}));
    EXPECT_EQ(ReadBytes(path), "kept\r\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"kept.txt"});
    EXPECT_EQ(Dialog()->FileName(), "");
}

TEST_P(EitherCommand, DialogReopensWithTheNameItLastReturned) {
    const QString path = PathOf("results");  // no extension, and none is added
    WriteBytes(path, "\r\n");
    const DialogSeen first = Pick(path);
    EXPECT_EQ(first.shownName, "");
    EXPECT_EQ(Dialog()->FileName(), path);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"results"});

    const DialogSeen second = Pick(Cancel());
    EXPECT_EQ(second.shownName, "results");
    EXPECT_EQ(QDir(second.shownFolder), QDir(dir_.path()));
    EXPECT_EQ(Dialog()->FileName(), path);  // the cancel keeps it

    const DialogSeen third = Pick(Cancel());
    EXPECT_EQ(third.shownName, "results");
}

TEST_F(ResultsFileMenu, EachDialogKeepsItsOwnName) {
    ASSERT_TRUE(Save(PathOf("saved.txt")).boxes.isEmpty());
    EXPECT_EQ(Open(Cancel()).shownName, "");
    EXPECT_EQ(form_->OpenDialog1->FileName(), "");
}

// The names a dialog lists in its folder, once its model has read as many
// as `expected` holds (it reads the folder in the background).
QStringList ListedFiles(QFileDialog& dialog, const QStringList& expected) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (view == nullptr) return {"no list view"};
    QStringList names;
    const auto read = [&] {
        names.clear();
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            names.append(view->model()->index(row, 0, root).data().toString());
        }
        names.sort();
        return names == expected;
    };
    static_cast<void>(QTest::qWaitFor(read, 5000));
    return names;
}

TEST_P(EitherCommand, ListsSourceFilesFirstThenTextFiles) {
    for (const char* name : {"a.cpp", "b.c", "c.h", "d.txt", "e.dat", "results"}) {
        WriteBytes(PathOf(name), "\r\n");
    }
    ASSERT_FALSE(Pick(PathOf("a.cpp")).gaveUp);  // now the dialog opens in the folder

    QStringList filterNames;
    QStringList sourceFiles;
    QStringList textFiles;
    DialogUser user;
    user.whenShown = [&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (int i = 0; i < types->count(); ++i) filterNames.append(types->itemText(i));
        EXPECT_EQ(types->currentIndex(), 0);
        sourceFiles = ListedFiles(dialog, {"a.cpp", "b.c", "c.h"});
        QTest::keyClick(types, Qt::Key_Down);  // the user picks the second type
        textFiles = ListedFiles(dialog, {"d.txt"});
    };
    Pick(Cancel(), user);

    EXPECT_EQ(filterNames,
              (QStringList{"ソースファイル(*.cpp *.c *.h)", "テキストファイル(*.txt)"}));
    EXPECT_EQ(sourceFiles, (QStringList{"a.cpp", "b.c", "c.h"}));
    EXPECT_EQ(textFiles, QStringList{"d.txt"});
    EXPECT_TRUE(Dialog()->defaultSuffix().isEmpty());
}

struct ReplaceAnswer {
    const char* name;
    QMessageBox::StandardButton answer;
    QByteArray fileAfter;
    QString nameAfter;  // the save dialog's file name afterwards, in the folder
};

void PrintTo(const ReplaceAnswer& value, std::ostream* out) { *out << value.name; }

class SaveOverAnExistingFile : public ResultsFileMenu,
                               public ::testing::WithParamInterface<ReplaceAnswer> {};

INSTANTIATE_TEST_SUITE_P(ResultsFile, SaveOverAnExistingFile,
                         ::testing::Values(ReplaceAnswer{"Replaced", QMessageBox::Yes, "\r\n",
                                                         "old.txt"},
                                           // The dialog stays open, and is then cancelled.
                                           ReplaceAnswer{"Kept", QMessageBox::No, "old\r\n", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(SaveOverAnExistingFile, AsksFirst) {
    const QString path = PathOf("old.txt");
    WriteBytes(path, "old\r\n");
    DialogUser user;
    user.replaceAnswer = GetParam().answer;

    const DialogSeen seen = Save(path, user);

    ASSERT_EQ(seen.boxes.size(), 1);
    EXPECT_TRUE(seen.boxes.front().contains("old.txt")) << seen.boxes.front().toStdString();
    EXPECT_EQ(ReadBytes(path), GetParam().fileAfter);
    const QString expectedName = GetParam().nameAfter.isEmpty() ? "" : PathOf(GetParam().nameAfter);
    EXPECT_EQ(form_->SaveDialog1->FileName(), expectedName);
    // It reopens with the name it returned, not the one typed before a cancel.
    EXPECT_EQ(Save(Cancel()).shownName, GetParam().nameAfter);
}

TEST_F(ResultsFileMenu, OpenAcceptsOnlyAFileThatExists) {
    form_->Memo1->Lines.SetStrings({"kept"});

    const DialogSeen seen = Open(PathOf("missing.txt"));

    EXPECT_FALSE(seen.confirmEnabled);
    ASSERT_EQ(seen.boxes.size(), 1);  // the dialog's own warning; it stays open
    EXPECT_TRUE(seen.boxes.front().contains("missing.txt")) << seen.boxes.front().toStdString();
    EXPECT_EQ(ListLines(*form_), QStringList{"kept"});
    EXPECT_EQ(form_->OpenDialog1->FileName(), "");
}

// A file the command cannot write or read: the command stops with one error
// box naming the file, and the list and every file stay as they were.
struct FileFailure {
    const char* name;
    bool save;             // "保存"; otherwise "開く"
    bool permissionCheck;  // needs a user whom permissions restrict
    // Makes the files; returns the name the user types and may set what
    // happens to the file as the dialog closes.
    QString (*prepare)(const QDir& dir, DialogUser& user);
    // True when the files are as prepare left them (after any change made as
    // the dialog closed).
    bool (*intact)(const QDir& dir);
};

void PrintTo(const FileFailure& value, std::ostream* out) { *out << value.name; }

QString PutFile(const QString& path, const QByteArray& bytes) {
    WriteBytes(path, bytes);
    return path;
}

class FileFailures : public ResultsFileMenu, public ::testing::WithParamInterface<FileFailure> {
  protected:
    void TearDown() override {
        // Let the temporary folder go even where a case took permissions away.
        QFile::setPermissions(PathOf("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

INSTANTIATE_TEST_SUITE_P(
    ResultsFile, FileFailures,
    ::testing::Values(FileFailure{"SaveOverAFolderMadeAsTheDialogCloses", true, false,
                                  [](const QDir& dir, DialogUser& user) {
                                      user.asTheDialogCloses = [](const QString& chosen) {
                                          QDir().mkdir(chosen);
                                      };
                                      return dir.filePath("results.txt");
                                  },
                                  [](const QDir& dir) {
                                      return QFileInfo(dir.filePath("results.txt")).isDir() &&
                                             QDir(dir.filePath("results.txt")).isEmpty();
                                  }},
                      FileFailure{
                          "SaveNewFileInAReadOnlyFolder", true, true,
                          [](const QDir& dir, DialogUser&) {
                              dir.mkdir("locked");
                              QFile::setPermissions(dir.filePath("locked"),
                                                    QFile::ReadOwner | QFile::ExeOwner);
                              return dir.filePath("locked/new.txt");
                          },
                          [](const QDir& dir) { return QDir(dir.filePath("locked")).isEmpty(); }},
                      FileFailure{"OpenAFileRemovedAsTheDialogCloses", false, false,
                                  [](const QDir& dir, DialogUser& user) {
                                      user.asTheDialogCloses = [](const QString& chosen) {
                                          QFile::remove(chosen);
                                      };
                                      return PutFile(dir.filePath("gone.txt"), "gone\r\n");
                                  },
                                  [](const QDir& dir) { return dir.isEmpty(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(FileFailures, StopTheCommandWithAnErrorAndChangeNothing) {
    if (GetParam().permissionCheck && geteuid() == 0) {
        GTEST_SKIP() << "running as root, whom file permissions do not stop";
    }
    form_->Memo1->Lines.SetStrings({"first", "", "last"});
    DialogUser user;
    const QDir dir(dir_.path());
    const QString path = GetParam().prepare(dir, user);

    const DialogSeen seen = GetParam().save ? Save(path, user) : Open(path, user);

    const QStringList errors = seen.boxes.filter(path);
    ASSERT_EQ(errors.size(), 1) << seen.boxes.join(" / ").toStdString();
    EXPECT_EQ(errors.front(), seen.boxes.back());  // the last box: the command's error
    EXPECT_EQ(ListLines(*form_), (QStringList{"first", "", "last"}));
    EXPECT_TRUE(GetParam().intact(dir));

    // The window carries on: the next save works.
    const QString next = PathOf("next.txt");
    EXPECT_TRUE(Save(next).boxes.isEmpty());
    EXPECT_EQ(ReadBytes(next), "first\r\n\r\nlast\r\n");
}

}  // namespace
