#include "peak_table.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

#include "command_wiring.h"
#include "evaluation_text.h"
#include "exception.h"
#include "number_text.h"
#include "physical_constants.h"

using namespace tsc::analysis;

namespace {

enum Column {
    kTm,
    kIm,
    kEt,
    kEtFixed,
    kVt,
    kVtFixed,
    kB,
    kBFixed,
    kNt,
    kNtFixed,
    kShare,
    kColumns
};
constexpr int kValueColumns[TPeakTable::kValues] = {kEt, kVt, kB, kNt};
constexpr PeakParameter kParameters[TPeakTable::kValues] = {
    PeakParameter::Et, PeakParameter::Vt, PeakParameter::B, PeakParameter::Charge};
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// What a cell keeps for its editor: the plain number, without ± and marks.
constexpr int kEditTextRole = Qt::UserRole;

int ValueAt(int column) {
    for (int v = 0; v < TPeakTable::kValues; ++v) {
        if (kValueColumns[v] == column || kValueColumns[v] + 1 == column) return v;
    }
    return -1;
}

const Estimate& EstimateOf(const FittedPeak& p, int v) {
    const Estimate* estimates[] = {&p.Et, &p.Vt, &p.b, &p.charge};
    return *estimates[v];
}

// The editor starts from the plain number, not from what the cell shows.
class PlainNumberEditing : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(index.data(kEditTextRole).toString());
        } else {
            QStyledItemDelegate::setEditorData(editor, index);
        }
    }
};

QTableWidgetItem* TextItem(const QString& text, const QString& editText, bool editable) {
    auto* item = new QTableWidgetItem(text);
    item->setData(kEditTextRole, editText);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

QString PeakName(int row) { return Ja("ピーク ") + QString::number(row + 1); }

}  // namespace

TPeakTable::TPeakTable(QWidget* parent) : QTableWidget(0, kColumns, parent) {
    setItemDelegate(new PlainNumberEditing(this));
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    SetArea(std::nullopt);
    const int widths[kColumns] = {70, 80, 130, 34, 150, 34, 100, 34, 150, 34, 70};
    for (int c = 0; c < kColumns; ++c) setColumnWidth(c, widths[c]);
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QTableWidget::itemChanged, this, &TPeakTable::CellEdited);
}

TPeakTable::Row TPeakTable::EmptyRow(double start) {
    Row row{start, {kNoValue, kNoValue, kNoValue, kNoValue}};
    return row;
}

void TPeakTable::SetArea(std::optional<double> areaMm2) {
    area_ = areaMm2;
    const QString fixed = Ja("固定");
    setHorizontalHeaderLabels({Ja("Tm (K)"), Ja("Im (A)"), Ja("Et ± σ (eV)"), fixed,
                               Ja("νt ± σ (Hz)"), fixed, Ja("b ± σ"), fixed,
                               area_ ? Ja("Nt ± σ (cm⁻²)") : Ja("電荷 ± σ (A·s)"), fixed,
                               Ja("面積比 (%)")});
    Render();
}

void TPeakTable::SetKinetics(Kinetics kinetics) {
    kinetics_ = kinetics;
    Render();
}

double TPeakTable::ChargePerNt() const {
    // As tsccurve fit converts a held Nt, so that both hold the same charge.
    return 1 * kElementaryCharge * *area_ * kMm2ToM2 * kPerCm2ToPerM2;
}

void TPeakTable::Clear() {
    rows_.clear();
    outcome_.reset();
    Render();
}

void TPeakTable::SetStarts(std::vector<double> temperatures) {
    rows_.clear();
    for (const double T : temperatures) rows_.push_back(EmptyRow(T));
    SortRows();
    Render();
}

void TPeakTable::AddStart(double T) {
    rows_.push_back(EmptyRow(T));
    SortRows();
    Render();
}

void TPeakTable::RemoveStart(int marker) {
    int seen = 0;
    for (auto it = rows_.begin(); it != rows_.end(); ++it) {
        if (std::isnan(it->start)) continue;
        if (seen++ == marker) {
            rows_.erase(it);
            break;
        }
    }
    Render();
}

void TPeakTable::ShowFit(std::shared_ptr<const FitOutcome> outcome) {
    outcome_ = std::move(outcome);
    kinetics_ = outcome_->description.kinetics;
    const SpectrumFit& fit = outcome_->fit;
    const bool fromStarts = outcome_->starts.size() == fit.peaks.size();
    std::vector<Row> rows;
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        // The next fit starts where this one ended; a peak that ran away
        // starts again where it started, if the user placed it.
        double start = kNoValue;
        if (p.verdict != PeakVerdict::RanAway && std::isfinite(p.Tm.value)) {
            start = StartTemperature(p.Tm.value);
        } else if (fromStarts) {
            start = outcome_->starts[k];
        }
        Row row = EmptyRow(start);
        row.result = static_cast<int>(k);
        for (int v = 0; v < kValues; ++v) row.held[v] = EstimateOf(p, v).value;
        // Values held in this fit stay held in the next.
        for (int v = 0; v < kValues; ++v) {
            const Estimate& e = EstimateOf(p, v);
            row.fixed[v] = !e.fitted && !e.derived && (v != 2 || kinetics_ == Kinetics::General);
        }
        rows.push_back(row);
    }
    rows_ = std::move(rows);
    SortRows();
    Render();
}

void TPeakTable::SortRows() {
    // Fitted peaks without a marker go last, in their order.
    std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
        if (std::isnan(a.start) || std::isnan(b.start))
            return !std::isnan(a.start) && std::isnan(b.start);
        return a.start < b.start;
    });
}

bool TPeakTable::Within(double start, const Range& range) {
    if (std::isnan(start)) return false;
    return !range || (start >= range->first && start <= range->second);
}

std::vector<double> TPeakTable::Markers(const Range& within) const {
    std::vector<double> markers;
    for (const Row& row : rows_) {
        if (Within(row.start, within)) markers.push_back(row.start);
    }
    return markers;
}

std::vector<FixedValue> TPeakTable::HeldValues(const Range& within) const {
    std::vector<FixedValue> held;
    int marker = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        if (!Within(row.start, within)) continue;
        for (int v = 0; v < kValues; ++v) {
            if (!row.fixed[v]) continue;
            if (v == 2 && kinetics_ != Kinetics::General) continue;
            if (!std::isfinite(row.held[v])) {
                throw Exception((PeakName(static_cast<int>(r)) + Ja(" の ") +
                                 model()->headerData(kValueColumns[v], Qt::Horizontal).toString() +
                                 Ja(" を固定するには、値を入力してください。"))
                                    .toStdString());
            }
            held.push_back({marker, kParameters[v], row.held[v]});
        }
        ++marker;
    }
    return held;
}

const FittedPeak* TPeakTable::SelectedPeak() const {
    int r = currentRow();
    if (r < 0 && rows_.size() == 1) r = 0;
    if (r < 0 || r >= static_cast<int>(rows_.size()) || !outcome_) return nullptr;
    const int k = rows_[r].result;
    if (k < 0) return nullptr;
    return &outcome_->fit.peaks[k];
}

void TPeakTable::Render() {
    rendering_ = true;
    clearSpans();
    setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < rowCount(); ++r) RenderRow(r);
    rendering_ = false;
}

void TPeakTable::RenderRow(int r) {
    const Row& row = rows_[r];
    const FittedPeak* peak =
        row.result >= 0 && outcome_ ? &outcome_->fit.peaks[row.result] : nullptr;
    const bool ranAway = peak != nullptr && peak->verdict == PeakVerdict::RanAway;
    setVerticalHeaderItem(r, new QTableWidgetItem(PeakName(r)));

    const QString startText =
        std::isnan(row.start) ? QString() : QString::number(row.start, 'f', 1);
    QString tm = startText + (startText.isEmpty() ? QString() : Ja(" (開始)"));
    if (peak && !ranAway) tm = QString::number(peak->Tm.value, 'f', 2);
    setItem(r, kTm, TextItem(tm, startText, true));
    setItem(r, kIm,
            TextItem(peak && !ranAway ? Significant(peak->Im.value, 4) : QString(), {}, false));

    const double ntPerCharge = area_ ? DensityOfCharge(1, *area_) : 1;
    for (int v = 0; v < kValues; ++v) {
        const double scale = v == 3 ? ntPerCharge : 1;
        const bool plain = !peak || ranAway || row.typed[v];
        const QString held = Significant(row.held[v] * scale, 6);
        const QString editText = std::isfinite(row.held[v]) ? held : QString();
        QTableWidgetItem* value = TextItem(plain ? (std::isfinite(row.held[v]) ? held : QString())
                                                 : WithError(EstimateOf(*peak, v), scale),
                                           editText, v != 2 || kinetics_ == Kinetics::General);
        if (!plain && EstimateOf(*peak, v).undetermined) {
            value->setBackground(QColor(255, 230, 180));
            value->setToolTip(Ja("データから決まらない値です: ") +
                              QString::fromStdString(peak->why));
        }
        setItem(r, kValueColumns[v], value);
        auto* check = new QTableWidgetItem();
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
        if (v != 2 || kinetics_ == Kinetics::General) flags |= Qt::ItemIsEnabled;
        check->setFlags(flags);
        check->setCheckState(row.fixed[v] ? Qt::Checked : Qt::Unchecked);
        check->setToolTip(Ja("チェックすると次のフィットでこの値を固定します"));
        setItem(r, kValueColumns[v] + 1, check);
    }
    setItem(r, kShare,
            TextItem(peak && !ranAway ? Significant(peak->share * 100, 3) : QString(), {}, false));
    if (ranAway) {
        // No values: only why.
        setSpan(r, kIm, 1, kColumns - kIm);
        auto* why = new QTableWidgetItem(Ja("発散しました（値なし）: ") +
                                         QString::fromStdString(peak->why));
        why->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        why->setForeground(QColor(180, 0, 0));
        why->setToolTip(why->text());
        setItem(r, kIm, why);
    } else if (peak && peak->verdict == PeakVerdict::Undetermined) {
        verticalHeaderItem(r)->setToolTip(QString::fromStdString(peak->why));
    }
}

void TPeakTable::CellEdited(QTableWidgetItem* item) {
    if (rendering_) return;
    const int r = item->row();
    const int c = item->column();
    if (r < 0 || r >= static_cast<int>(rows_.size())) return;
    Row& row = rows_[r];
    const int v = ValueAt(c);
    if (v >= 0 && c == kValueColumns[v] + 1) {
        row.fixed[v] = item->checkState() == Qt::Checked;
        return;
    }
    const QString text = item->text().trimmed();
    const QString name = model()->headerData(c, Qt::Horizontal).toString();
    double value = kNoValue;
    QString problem;
    if (!text.isEmpty()) {
        try {
            value = StrToFloat(text.toStdString());
            if (!(std::isfinite(value) && value > 0))
                problem = Ja("は 0 より大きい有限の数にしてください。");
        } catch (const Exception&) {
            problem = Ja("は数値ではありません。");
        }
    } else if (c == kTm) {
        problem = Ja("は空にできません。");
    }
    if (!problem.isEmpty()) {
        Render();  // the cell shows what it held
        const std::string message =
            (PeakName(r) + Ja(" の ") + name + Ja(":「") + text + Ja("」") + problem).toStdString();
        QTimer::singleShot(0, this, [message] { RunCommand([&] { throw Exception(message); }); });
        return;
    }
    if (c == kTm) {
        row.start = value;
        SortRows();
        Render();
        emit startsChanged();
        return;
    }
    if (v < 0) return;
    // A typed value is meant to be held.
    row.held[v] = v == 3 && area_ && std::isfinite(value) ? value * ChargePerNt() : value;
    row.typed[v] = true;
    row.fixed[v] = std::isfinite(value);
    Render();
}

QString TPeakTable::TabSeparatedText() const {
    const bool nt = area_.has_value();
    QStringList lines;
    lines << (QStringList{Ja("ピーク"), Ja("Tm (K)"), Ja("Im (A)"), Ja("Et (eV)"), Ja("σ Et (eV)"),
                          Ja("νt (Hz)"), Ja("σ νt (Hz)"), Ja("b"), Ja("σ b"),
                          nt ? Ja("Nt (cm⁻²)") : Ja("電荷 (A·s)"),
                          nt ? Ja("σ Nt (cm⁻²)") : Ja("σ 電荷 (A·s)"), Ja("面積比 (%)"), Ja("固定"),
                          Ja("判定")})
                 .join(u'\t');
    const auto number = [](double x) {
        return std::isfinite(x) ? QString::number(x, 'g', 10) : QString();
    };
    const double ntPerCharge = nt ? DensityOfCharge(1, *area_) : 1;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        const FittedPeak* p =
            row.result >= 0 && outcome_ ? &outcome_->fit.peaks[row.result] : nullptr;
        const bool values = p && p->verdict != PeakVerdict::RanAway;
        QStringList cells{QString::number(r + 1), number(values ? p->Tm.value : row.start),
                          number(values ? p->Im.value : kNoValue)};
        QStringList held;
        for (int v = 0; v < kValues; ++v) {
            const double scale = v == 3 ? ntPerCharge : 1;
            const Estimate* e = values ? &EstimateOf(*p, v) : nullptr;
            cells << number((e ? e->value : row.held[v]) * scale)
                  << number(e && e->fitted ? e->stderr_ * scale : kNoValue);
            if (row.fixed[v])
                held << model()
                            ->headerData(kValueColumns[v], Qt::Horizontal)
                            .toString()
                            .section(u' ', 0, 0);
        }
        cells << number(values ? p->share * 100 : kNoValue) << held.join(u' ');
        const QString verdict = !p                                        ? Ja("開始値")
                                : p->verdict == PeakVerdict::RanAway      ? Ja("発散")
                                : p->verdict == PeakVerdict::Undetermined ? Ja("未決定あり")
                                                                          : Ja("決定");
        cells << verdict;
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}
