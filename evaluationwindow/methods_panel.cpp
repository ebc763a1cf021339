#include "methods_panel.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "curve_decimation.h"
#include "evaluation_text.h"
#include "plot_style.h"

using namespace tsc::analysis;

namespace {

constexpr double kPerKiloKelvin = 1000;

template <class T, class Show>
std::pair<QString, QString> Either(const Outcome<T>& outcome, Show show) {
    if (const T* value = Applied(outcome)) return {show(*value), {}};
    return {Ja("—"), MethodRefusalText(*Refused(outcome))};
}

QString Kelvin(double T) { return QString::number(T, 'f', 2) + Ja(" K"); }

QString OrderName(KineticOrder order) {
    switch (order) {
        case KineticOrder::First:
            return Ja("一次に近い");
        case KineticOrder::Second:
            return Ja("二次に近い");
        case KineticOrder::General:
            return Ja("一次と二次の間");
    }
    return {};
}

QString Trap(const TrapEstimate& e) {
    return Significant(e.Et, 4) + Ja(" eV,  νt = ") + Significant(e.Vt, 3) + Ja(" Hz");
}

void Attach(QChart* chart, QXYSeries* series, QValueAxis* x, QValueAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QScatterSeries* AddPoints(QChart* chart, QValueAxis* x, QValueAxis* y) {
    auto* points = new QScatterSeries(chart);
    points->setName(Ja("測定値"));
    points->setMarkerSize(4);
    points->setColor(kMeasuredColour);
    points->setBorderColor(Qt::transparent);
    Attach(chart, points, x, y);
    return points;
}

QLineSeries* AddLine(QChart* chart, const QString& name, QValueAxis* x, QValueAxis* y) {
    auto* line = new QLineSeries(chart);
    line->setName(name);
    QPen pen(PeakColour(1), 2);
    pen.setCosmetic(true);
    line->setPen(pen);
    Attach(chart, line, x, y);
    return line;
}

// The axes' ranges around what is drawn.
struct Extent {
    double xLow = 1e300, xHigh = -1e300, yLow = 1e300, yHigh = -1e300;
    void Include(double x, double y) {
        xLow = std::min(xLow, x), xHigh = std::max(xHigh, x);
        yLow = std::min(yLow, y), yHigh = std::max(yHigh, y);
    }
    void Show(QValueAxis* x, QValueAxis* y) {
        if (!(xHigh > xLow)) xHigh = xLow + 1;
        if (!(yHigh > yLow)) yHigh = yLow + 1;
        ShowRoundTicks(x, xLow, xHigh, 6);
        const double room = (yHigh - yLow) * 0.05;
        ShowRoundTicks(y, yLow - room, yHigh + room, 4);
    }
};

}  // namespace

TMethodsPanel::TMethodsPanel(QWidget* parent) : QWidget(parent) {
    caption_ = new QLabel(this);
    caption_->setWordWrap(true);
    Table = new QTableWidget(0, 3, this);
    Table->setObjectName(QStringLiteral("MethodsTable"));
    Table->setHorizontalHeaderLabels({Ja("項目"), Ja("値"), Ja("備考")});
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    Table->setWordWrap(true);

    Plot = MakePlot(Ja("ln (I/A)"), xAxis_, yAxis_);
    points_ = AddPoints(Plot->chart(), xAxis_, yAxis_);
    riseLine_ = AddLine(Plot->chart(), Ja("初期立ち上がり法の直線"), xAxis_, yAxis_);
    WholeCurvePlot = MakePlot(Ja("ln (Q/I/s)"), wholeXAxis_, wholeYAxis_);
    wholePoints_ = AddPoints(WholeCurvePlot->chart(), wholeXAxis_, wholeYAxis_);
    wholeLine_ = AddLine(WholeCurvePlot->chart(), Ja("全曲線法の直線"), wholeXAxis_, wholeYAxis_);

    // The table as tall as its rows, the plot below it as wide as the tab.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(Table);
    auto* plots = new QHBoxLayout;
    plots->addWidget(Plot, 1);
    plots->addWidget(WholeCurvePlot, 1);
    layout->addLayout(plots, 1);
    Clear();
}

void TMethodsPanel::Clear() {
    outcome_.reset();
    caption_->setText(Ja("「古典的手法」を押すと、温度範囲内の曲線を古典的手法で評価します。"));
    Table->setRowCount(0);
    FitTableHeight();
    for (QXYSeries* series :
         std::initializer_list<QXYSeries*>{points_, riseLine_, wholePoints_, wholeLine_}) {
        series->clear();
    }
    for (QValueAxis* axis : {xAxis_, yAxis_, wholeXAxis_, wholeYAxis_}) axis->setRange(0, 1);
}

// A chart of some logarithm against 1000/T, owned by its view, which the
// panel owns.
QChartView* TMethodsPanel::MakePlot(const QString& yTitle, QValueAxis*& x, QValueAxis*& y) {
    auto* chart = new QChart();
    StyleChart(chart, true);
    auto* view = new QChartView(chart, this);  // the view owns the chart
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(160);
    x = new QValueAxis(chart);
    y = new QValueAxis(chart);
    StyleAxis(x, Ja("1000/T (1/K)"));
    StyleAxis(y, yTitle);
    for (QValueAxis* axis : {x, y}) axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    return view;
}

void TMethodsPanel::AddRow(const QString& item, const QString& value, const QString& note) {
    const int row = Table->rowCount();
    Table->insertRow(row);
    Table->setItem(row, 0, new QTableWidgetItem(item));
    Table->setItem(row, 1, new QTableWidgetItem(value));
    auto* noteItem = new QTableWidgetItem(note);
    noteItem->setToolTip(note);
    Table->setItem(row, 2, noteItem);
}

void TMethodsPanel::Show(std::shared_ptr<const MethodsOutcome> outcome) {
    outcome_ = std::move(outcome);
    const std::size_t n = outcome_->T.size();
    caption_->setText(n == 0 ? Ja("温度範囲に測定点がありません。")
                             : Ja("温度範囲 ") + QString::number(outcome_->T.front(), 'f', 1) +
                                   Ja(" 〜 ") + QString::number(outcome_->T.back(), 'f', 1) +
                                   Ja(" K の ") + QString::number(n) + Ja(" 点、β = ") +
                                   Significant(outcome_->betaKPerMin, 6) + Ja(" K/min"));
    Table->setRowCount(0);
    FillTable(outcome_->methods);
    DrawPlot(*outcome_);
    DrawWholeCurve(*outcome_);
}

void TMethodsPanel::FillTable(const CurveMethods& m) {
    const auto row = [this](const QString& item, const std::pair<QString, QString>& shown,
                            const QString& note = {}) {
        AddRow(item, shown.first, shown.second.isEmpty() ? note : shown.second);
    };
    const auto pair = [](const Outcome<double>& a, const Outcome<double>& b) {
        const auto [first, whyFirst] = Either(a, Kelvin);
        const auto [second, whySecond] = Either(b, Kelvin);
        return std::pair{first + Ja(" / ") + second, whyFirst.isEmpty() ? whySecond : whyFirst};
    };
    const PeakLocation* peak = Applied(m.peak);
    row(Ja("ピーク Tm, Im"),
        Either(m.peak,
               [](const PeakLocation& p) {
                   return Kelvin(p.Tm) + Ja(",  ") + Significant(p.Im, 4) + Ja(" A");
               }),
        peak ? QString::number(peak->pointsUsed) + Ja(" 点の局所フィット") : QString());
    row(Ja("半値温度 T1 / T2"), pair(m.T1, m.T2));
    const auto [tauDelta, whyTauDelta] = pair(m.tau, m.delta);
    const auto [omega, whyOmega] = Either(m.omega, Kelvin);
    row(Ja("幅 τ / δ / ω"),
        {tauDelta + Ja(" / ") + omega, whyTauDelta.isEmpty() ? whyOmega : whyTauDelta});
    const PeakWidths* widths = Applied(m.widths);
    row(Ja("対称因子 μg = δ/ω"),
        Either(m.widths, [](const PeakWidths& w) { return QString::number(w.muG, 'f', 3); }),
        widths ? OrderName(widths->order) : QString());
    const char* chenNames[] = {"Chen (τ) Et", "Chen (δ) Et", "Chen (ω) Et"};
    for (std::size_t i = 0; i < m.chen.size(); ++i) row(Ja(chenNames[i]), Either(m.chen[i], Trap));
    const InitialRise* rise = Applied(m.initialRise);
    row(Ja("初期立ち上がり法 Et"),
        Either(m.initialRise,
               [](const InitialRise& r) {
                   return Significant(r.Et, 4) + Ja(" ± ") + Significant(r.stderrEt, 2) + Ja(" eV");
               }),
        rise ? QString::number(rise->points) + Ja(" 点 (") + QString::number(rise->firstT, 'f', 1) +
                   Ja(" 〜 ") + QString::number(rise->lastT, 'f', 1) + Ja(" K, Im の 1〜10 %)")
             : QString());
    const WholeCurve* whole = Applied(m.wholeCurve);
    row(Ja("全曲線法 Et"),
        Either(m.wholeCurve,
               [](const WholeCurve& w) {
                   QString text = Significant(w.Et.value, 4);
                   if (const double* error = Applied(w.Et.standardError)) {
                       text += Ja(" ± ") + Significant(*error, 2);
                   }
                   return text + Ja(" eV,  νt = ") + Significant(w.Vt.value, 3) + Ja(" Hz");
               }),
        whole ? QString::number(whole->points) + Ja(" 点 (") +
                    QString::number(whole->firstT, 'f', 1) + Ja(" 〜 ") +
                    QString::number(whole->lastT, 'f', 1) + Ja(" K), R² = ") +
                    QString::number(whole->r2, 'f', 5)
              : QString());
    Table->resizeColumnToContents(0);
    Table->resizeColumnToContents(1);
    Table->resizeRowsToContents();
    FitTableHeight();
}

void TMethodsPanel::FitTableHeight() {
    Table->setFixedHeight(Table->horizontalHeader()->sizeHint().height() +
                          Table->verticalHeader()->length() + 2 * Table->frameWidth());
}

void TMethodsPanel::DrawPlot(const MethodsOutcome& o) {
    riseLine_->clear();
    if (o.T.empty()) {
        points_->clear();
        return;
    }
    const DrawnSpan span{o.T.front(), o.T.back(), std::max(100, Plot->width())};
    QList<QPointF> points;
    Extent extent;
    for (const QPointF& p : DecimatedPoints(o.T, o.I, span, 1, true)) {
        const QPointF q(kPerKiloKelvin / p.x(), std::log(p.y()));
        points.append(q);
        extent.Include(q.x(), q.y());
    }
    points_->replace(points);
    if (const InitialRise* rise = Applied(o.methods.initialRise)) {
        // ln I = slope/T + intercept over the points used, and a little beyond.
        const double x0 = kPerKiloKelvin / rise->lastT, x1 = kPerKiloKelvin / rise->firstT;
        const double reach = (x1 - x0) * 0.3;
        for (const double x : {x0 - reach, x1 + reach}) {
            riseLine_->append(x, rise->slope * x / kPerKiloKelvin + rise->intercept);
        }
    }
    // Points near zero current lie far below in ln I and are noise: a few
    // e-folds below the peak show the rise.
    extent.yLow = std::max(extent.yLow, extent.yHigh - 10);
    extent.Show(xAxis_, yAxis_);
}

void TMethodsPanel::DrawWholeCurve(const MethodsOutcome& o) {
    wholeLine_->clear();
    const PeakLocation* peak = Applied(o.methods.peak);
    if (o.T.empty() || !peak || o.integralToEnd.size() != o.T.size()) {
        wholePoints_->clear();
        return;
    }
    // Q/I in s, with Q the charge still to come (β in K/s), where the current
    // is above a hundredth of the peak's: below it the ratio is noise.
    const double betaPerSecond = o.betaKPerMin / 60;
    std::vector<double> ratio(o.T.size(), 0.0);
    for (std::size_t i = 0; i < o.T.size(); ++i) {
        if (o.I[i] > 0.01 * peak->Im) ratio[i] = o.integralToEnd[i] / betaPerSecond / o.I[i];
    }
    const DrawnSpan span{o.T.front(), o.T.back(), std::max(100, WholeCurvePlot->width())};
    QList<QPointF> points;
    Extent extent;
    for (const QPointF& p : DecimatedPoints(o.T, ratio, span, 1, true)) {
        const QPointF q(kPerKiloKelvin / p.x(), std::log(p.y()));
        points.append(q);
        extent.Include(q.x(), q.y());
    }
    wholePoints_->replace(points);
    if (const WholeCurve* whole = Applied(o.methods.wholeCurve)) {
        // ln(Q/I) = slope/T + intercept over the points used.
        for (const double T : {whole->firstT, whole->lastT}) {
            wholeLine_->append(kPerKiloKelvin / T, whole->slope / T + whole->intercept);
        }
    }
    extent.Show(wholeXAxis_, wholeYAxis_);
}
