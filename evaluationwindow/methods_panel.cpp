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

}  // namespace

TMethodsPanel::TMethodsPanel(QWidget* parent) : QWidget(parent) {
    caption_ = new QLabel(this);
    caption_->setWordWrap(true);
    Table = new QTableWidget(0, 3, this);
    Table->setObjectName(QStringLiteral("MethodsTable"));
    Table->setHorizontalHeaderLabels({Ja("項目"), Ja("値"), Ja("備考")});
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setColumnWidth(0, 130);
    Table->setColumnWidth(1, 200);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setWordWrap(false);

    auto* chart = new QChart();
    StyleChart(chart, true);
    Plot = new QChartView(chart, this);  // the view owns the chart
    Plot->setRenderHint(QPainter::Antialiasing);
    Plot->setMinimumWidth(300);
    xAxis_ = new QValueAxis(chart);
    yAxis_ = new QValueAxis(chart);
    StyleAxis(xAxis_, Ja("1000/T (1/K)"));
    StyleAxis(yAxis_, Ja("ln (I/A)"));
    for (QValueAxis* axis : {xAxis_, yAxis_}) axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    points_ = new QScatterSeries(chart);
    points_->setName(Ja("測定値"));
    points_->setMarkerSize(4);
    points_->setColor(kMeasuredColour);
    points_->setBorderColor(Qt::transparent);
    riseLine_ = new QLineSeries(chart);
    riseLine_->setName(Ja("初期立ち上がり法の直線"));
    QPen pen(PeakColour(1), 2);
    pen.setCosmetic(true);
    riseLine_->setPen(pen);
    for (QXYSeries* series :
         {static_cast<QXYSeries*>(points_), static_cast<QXYSeries*>(riseLine_)}) {
        chart->addSeries(series);
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }

    auto* left = new QVBoxLayout;
    left->addWidget(caption_);
    left->addWidget(Table, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 3);
    layout->addWidget(Plot, 2);
    Clear();
}

void TMethodsPanel::Clear() {
    outcome_.reset();
    caption_->setText(Ja("「古典的手法」を押すと、温度範囲内の曲線を古典的手法で評価します。"));
    Table->setRowCount(0);
    points_->clear();
    riseLine_->clear();
    xAxis_->setRange(0, 1);
    yAxis_->setRange(0, 1);
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
}

void TMethodsPanel::FillTable(const CurveMethods& m) {
    const auto row = [this](const QString& item, const std::pair<QString, QString>& shown,
                            const QString& note = {}) {
        AddRow(item, shown.first, shown.second.isEmpty() ? note : shown.second);
    };
    const PeakLocation* peak = Applied(m.peak);
    row(Ja("ピーク温度 Tm"), Either(m.peak, [](const PeakLocation& p) { return Kelvin(p.Tm); }),
        peak ? QString::number(peak->pointsUsed) + Ja(" 点の局所フィット") : QString());
    row(Ja("ピーク電流 Im"),
        Either(m.peak, [](const PeakLocation& p) { return Significant(p.Im, 4) + Ja(" A"); }));
    row(Ja("半値温度 T1"), Either(m.T1, Kelvin));
    row(Ja("半値温度 T2"), Either(m.T2, Kelvin));
    row(Ja("幅 τ = Tm − T1"), Either(m.tau, Kelvin));
    row(Ja("幅 δ = T2 − Tm"), Either(m.delta, Kelvin));
    row(Ja("幅 ω = T2 − T1"), Either(m.omega, Kelvin));
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
    // The whole-curve method's row goes here once CurveMethods carries it:
    //   row(Ja("全曲線法 Et"), Either(m.wholeCurve, <Et ± σ, νt, R²>));
    // and its line ln(Q/I) against 1/T beside the rise's in DrawPlot.
    Table->resizeRowsToContents();
}

void TMethodsPanel::DrawPlot(const MethodsOutcome& o) {
    riseLine_->clear();
    if (o.T.empty()) {
        points_->clear();
        return;
    }
    const DrawnSpan span{o.T.front(), o.T.back(), std::max(100, Plot->width())};
    QList<QPointF> points;
    double xLow = 1e300, xHigh = -1e300, yLow = 1e300, yHigh = -1e300;
    const auto include = [&](double x, double y) {
        xLow = std::min(xLow, x), xHigh = std::max(xHigh, x);
        yLow = std::min(yLow, y), yHigh = std::max(yHigh, y);
    };
    for (const QPointF& p : DecimatedPoints(o.T, o.I, span, 1, true)) {
        const QPointF q(kPerKiloKelvin / p.x(), std::log(p.y()));
        points.append(q);
        include(q.x(), q.y());
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
    if (!(xHigh > xLow)) xHigh = xLow + 1;
    // Points near zero current lie far below in ln I and are noise: a few
    // e-folds below the peak show the rise.
    yLow = std::max(yLow, yHigh - 10);
    if (!(yHigh > yLow)) yHigh = yLow + 1;
    xAxis_->setRange(xLow, xHigh);
    const double room = (yHigh - yLow) * 0.05;
    yAxis_->setRange(yLow - room, yHigh + room);
}
