#pragma once

#include <QTableWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "fit_outcome.h"
#include "start_model.h"

// The peak table: one row per start peak (a marker on the curve) or fitted
// peak, by ascending temperature. Before a fit a row is a start the user
// placed or the peak search found; after it, the fitted peak, which is also
// where the next fit starts. The start temperature and the values Et, νt,
// b and Nt (the charge without an area) can be typed in; a checked "固定"
// holds a value in the next fit.
class TPeakTable : public QTableWidget {
    Q_OBJECT

  public:
    // The values a row can hold, in the order of their columns.
    enum class Value { Et, Vt, b, Nt };
    static constexpr int kValues = 4;

    explicit TPeakTable(QWidget* parent);

    // Start peaks alone, as the peak search or the user placed them.
    void SetStarts(std::vector<double> temperatures);
    void AddStart(double T);
    void RemoveStart(int marker);
    // The fitted peaks; values held before stay held where the fit started
    // from the same starts.
    void ShowFit(std::shared_ptr<const FitOutcome> outcome);
    // No rows: a new measurement.
    void Clear();

    // The area Nt is a density over (mm²); without one the table shows the
    // charge. The order decides whether b can be held.
    void SetArea(std::optional<double> areaMm2);
    void SetKinetics(tsc::analysis::Kinetics kinetics);

    using Range = std::optional<std::pair<double, double>>;
    // The start temperatures, ascending: the markers, all or those within
    // a range (K).
    std::vector<double> Markers(const Range& within = std::nullopt) const;
    // The held values by index among Markers(within), in the engine's
    // units; throws the window's error when a checked value has no number.
    std::vector<tsc::analysis::FixedValue> HeldValues(const Range& within) const;
    // The fitted peak of the selected row (or of the only row), if any.
    const tsc::analysis::FittedPeak* SelectedPeak() const;
    // The table as tab-separated lines with a header, numbers in full.
    QString TabSeparatedText() const;

  signals:
    // The markers changed from within the table (a start typed in).
    void startsChanged();

  private:
    struct Row {
        double start;                      // K; NaN for a fitted peak without a marker
        std::array<double, kValues> held;  // the engine's units (the charge for Nt)
        std::array<bool, kValues> fixed{};
        std::array<bool, kValues> typed{};  // typed since the fit
        int result = -1;                    // the fitted peak, or -1
    };

    static Row EmptyRow(double start);
    void Render();
    void RenderRow(int r);
    void SortRows();
    void CellEdited(QTableWidgetItem* item);
    double ChargePerNt() const;
    static bool Within(double start, const Range& range);

    std::vector<Row> rows_;
    std::shared_ptr<const FitOutcome> outcome_;
    std::optional<double> area_;
    tsc::analysis::Kinetics kinetics_ = tsc::analysis::Kinetics::First;
    bool rendering_ = false;
};
