// The evaluation window's long work: a fit cancelled with 中止, a fit
// whose window is closed or destroyed under it, and a million-point file
// that must not stop the window from repainting.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QXYSeries>

#include "curve_decimation.h"
#include "curve_plot.h"
#include "evaluation_test_support.h"
#include "peak_table.h"

namespace {

constexpr int kMillion = 1000000;

// The longest time the event loop went without running a 10 ms timer.
class LoopGaps {
  public:
    LoopGaps() {
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        clock_.start();
        timer_.start(10);
    }
    qint64 LongestMs() const { return longest_; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

class EvaluationWork : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir();
        WriteLargeMeasurement(dir_->filePath(QStringLiteral("million.txt")), kMillion);
        WriteSyntheticMeasurement(dir_->filePath(QStringLiteral("three-levels.txt")));
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static QString Path(const char* name) { return dir_->filePath(QString::fromLatin1(name)); }

    static QTemporaryDir* dir_;
};

QTemporaryDir* EvaluationWork::dir_ = nullptr;

TEST_F(EvaluationWork, MillionPointsOpenFitAndZoomWithoutStallingTheWindow) {
    EvaluationSession session = OpenInEvaluation(Path("three-levels.txt"));
    TEvaluationForm& form = *session.evaluation;
    const LoopGaps gaps;
    DropFile(form.PeakTable, Path("million.txt"));
    ASSERT_TRUE(WaitForWork(form).isEmpty());
    EXPECT_TRUE(form.FileLabel->text().contains(QStringLiteral("1000000")));
    // No more points drawn than two per pixel column.
    auto* measured = qobject_cast<QXYSeries*>(form.CurvePlot->chart()->series().front());
    ASSERT_NE(measured, nullptr);
    EXPECT_LT(measured->count(), 2 * form.CurvePlot->width() + 8);
    QTest::mouseClick(form.FitButton, Qt::LeftButton);
    QTest::qWait(300);
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    form.LogarithmicCurrent->click();
    form.CurvePlot->ZoomAll();
    QTest::qWait(100);
    EXPECT_LT(gaps.LongestMs(), 200);
}

TEST_F(EvaluationWork, CancelStopsALongFitAndKeepsWhatWasShown) {
    EvaluationSession session = OpenInEvaluation(Path("million.txt"));
    TEvaluationForm& form = *session.evaluation;
    ASSERT_TRUE(ClickAndWait(form, form.DetectButton).isEmpty());
    const QString table = form.PeakTable->TabSeparatedText();
    QTest::mouseClick(form.FitButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.CancelButton->isVisible(); }, 2000));
    EXPECT_TRUE(form.BusyIndicator->isVisible());
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    EXPECT_FALSE(form.Busy());
    EXPECT_FALSE(form.CancelButton->isVisible());
    // The fit itself stops soon after, and nothing of it arrives.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(5000));
    EXPECT_LT(clock.elapsed(), 5000);
    QTest::qWait(50);
    EXPECT_EQ(form.PeakTable->TabSeparatedText(), table);
    EXPECT_TRUE(form.Statistics->text().isEmpty());
}

TEST_F(EvaluationWork, ClosingDuringAFitDropsItsResult) {
    EvaluationSession session = OpenInEvaluation(Path("three-levels.txt"));
    TEvaluationForm& form = *session.evaluation;
    ASSERT_TRUE(ClickAndWait(form, form.DetectButton).isEmpty());
    const QString table = form.PeakTable->TabSeparatedText();
    QTest::mouseClick(form.FitButton, Qt::LeftButton);
    ASSERT_TRUE(form.Busy());
    form.close();
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QTest::qWait(50);
    EXPECT_EQ(form.PeakTable->TabSeparatedText(), table);
    EXPECT_TRUE(form.Statistics->text().isEmpty());
}

TEST_F(EvaluationWork, DestroyingTheWindowsDuringAFitEndsIt) {
    EvaluationSession session = OpenInEvaluation(Path("three-levels.txt"));
    QTest::mouseClick(session.evaluation->FitButton, Qt::LeftButton);
    ASSERT_TRUE(session.evaluation->Busy());
    session.main.reset();  // the program ends with the main window
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
}

TEST(CurveDecimation, KeepsEachColumnsExtremesInOrder) {
    std::vector<double> T(kMillion), y(kMillion);
    for (int i = 0; i < kMillion; ++i) {
        T[i] = i * 1e-3;
        y[i] = std::sin(i * 0.37) + (i == 123456 ? 5 : 0) - (i == 654321 ? 5 : 0);
    }
    const QList<QPointF> points = DecimatedPoints(T, y, {0, T.back(), 500}, 2, false);
    EXPECT_LE(points.size(), 4 * 500 + 8);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                               [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    const auto [low, high] =
        std::minmax_element(points.begin(), points.end(),
                            [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_EQ(high->x(), T[123456]);
    EXPECT_DOUBLE_EQ(high->y(), 2 * y[123456]);
    EXPECT_EQ(low->x(), T[654321]);
}

}  // namespace
