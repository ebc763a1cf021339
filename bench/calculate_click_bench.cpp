// How long one click on "計算開始" takes, without a display: from the click to
// the handler's return and on to the window's next paint, and how much of it
// is the calculation. Run by hand; prints one line per case.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "application.h"
#include "calc_test_support.h"
#include "chart.h"
#include "form1.h"
#include "memo.h"
#include "run_calculation.h"
#include "sample_values.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Times {
    std::vector<double> calculation, click, paint, secondClick, secondPaint;
};

// The calculation alone, with a sink that does nothing.
double CalculationOnly(double a) {
    CalcState state = SampleWithStep(a);
    const auto start = Clock::now();
    RunCalculation(state, [](const ResultRow&) {});
    return MillisecondsSince(start);
}

// Click, then the paint the event loop would do next, forced at once.
std::pair<double, double> ClickAndPaint(TForm1& form) {
    auto start = Clock::now();
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    const double click = MillisecondsSince(start);
    start = Clock::now();
    // The chart lays its series out when the event loop gets to it; the
    // paint follows.
    for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
    form.repaint();
    return {click, MillisecondsSince(start)};
}

void Measure(const char* name, const char* aText, double a, int repetitions) {
    Times times;
    std::array<const char*, 8> texts = kSampleTexts;
    texts.back() = aText;
    for (int i = 0; i < repetitions; ++i) {
        times.calculation.push_back(CalculationOnly(a));
        auto form = std::make_unique<TForm1>();
        form->show();
        static_cast<void>(QTest::qWaitForWindowExposed(form.get()));
        for (std::size_t f = 0; f < texts.size(); ++f) {
            form->ParameterField(static_cast<Parameter>(f))->setText(texts[f]);
        }
        QCoreApplication::processEvents();

        const auto [click, paint] = ClickAndPaint(*form);
        times.click.push_back(click);
        times.paint.push_back(paint);
        // Again without Clear: the new points fall in among the earlier ones.
        const auto [secondClick, secondPaint] = ClickAndPaint(*form);
        times.secondClick.push_back(secondClick);
        times.secondPaint.push_back(secondPaint);
        if (form->Memo1->Lines.Count() < 2) std::fprintf(stderr, "%s: nothing calculated\n", name);
    }
    const double calculation = Median(times.calculation);
    const double click = Median(times.click);
    std::printf(
        "%-22s click %8.1f ms (calculation %7.1f, widgets %7.1f), next paint %7.1f ms | "
        "repeated run: click %8.1f ms, paint %7.1f ms\n",
        name, click, calculation, click - calculation, Median(times.paint),
        Median(times.secondClick), Median(times.secondPaint));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication toolkit(argc, argv);
    Application->Initialize();
    std::printf("Calculate click, median of the runs; widgets = click - calculation\n");
    Measure("sample (1001 steps)", "0.2", 0.2, 7);
    Measure("a=0.01 (20001 steps)", "0.01", 0.01, 3);
    return 0;
}
