#include "evaluation_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <random>

#include "file_dialog_driver.h"
#include "form1_test_support.h"
#include "glow_curve.h"
#include "message_box_catcher.h"

namespace {

void WriteColumns(const QString& path, const std::vector<double>& T, const std::vector<double>& I) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write("T_K\tI_A\n");
    char line[64];
    QByteArray text;
    text.reserve(static_cast<qsizetype>(T.size()) * 40);
    for (std::size_t i = 0; i < T.size(); ++i) {
        text.append(line, std::snprintf(line, sizeof line, "%.17g\t%.17g\n", T[i], I[i]));
    }
    file.write(text);
}

}  // namespace

void WriteSyntheticMeasurement(const QString& path) {
    std::vector<GlowPeak> peaks;
    for (const SyntheticLevel& level : kSyntheticLevels) {
        peaks.push_back({level.Et, level.Tm, level.height});
    }
    GlowCurve curve = MakeGlowCurve(peaks, kSyntheticBeta / 60, 120, 330, 0.25);
    AddNoise(curve, 0.005, 19);
    WriteColumns(path, curve.T, curve.I);
}

void WriteLargeMeasurement(const QString& path, int points) {
    std::vector<double> T(points), I(points);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.02e-12);
    for (int i = 0; i < points; ++i) {
        T[i] = 120 + 210.0 * i / (points - 1);
        double sum = 0;
        for (const SyntheticLevel& level : kSyntheticLevels) {
            const double z = (T[i] - level.Tm) / 8;
            sum += level.height * std::exp(-z * z / 2);
        }
        I[i] = sum + noise(random);
    }
    WriteColumns(path, T, I);
}

EvaluationSession OpenInEvaluation(const QString& path, const QString& beta, const QString& area) {
    EvaluationSession session;
    session.main = ShowFreshForm();
    session.main->Edit6->setText(beta);
    session.main->Edit7->setText(area);
    DialogUser user;
    user.name = path;
    session.boxes = PickFile(session.main->OpenMeasurement1, user).boxes;
    session.evaluation = session.main->EvaluationForm();
    session.boxes += WaitForWork(*session.evaluation);
    return session;
}

QStringList WaitForWork(TEvaluationForm& form, int patienceMs) {
    const MessageBoxCatcher catcher(patienceMs);
    static_cast<void>(QTest::qWaitFor([&] { return !form.Busy(); }, patienceMs));
    QTest::qWait(20);  // a box shown as the work ends
    return catcher.Texts();
}

QStringList ClickAndWait(TEvaluationForm& form, QAbstractButton* button) {
    const MessageBoxCatcher catcher;
    QTest::mouseClick(button, Qt::LeftButton);
    // A box shown as the work ends may be closed by either catcher.
    const QStringList waited = WaitForWork(form);
    return catcher.Texts() + waited;
}

void DropFile(QWidget* target, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QWidget* window = target->window();
    const QPoint at = target->mapTo(window, target->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &drop);
}
