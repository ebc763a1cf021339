#pragma once

#include <QGroupBox>
#include <QString>
#include <optional>
#include <utility>

#include "deconvolution.h"

class QComboBox;
class QLabel;
class QLineEdit;

// The settings of an evaluation as the user gives them: the heating rate,
// the area, the kinetics, the background, the number of peaks and the
// temperature range.
struct EvaluationSettings {
    double betaKPerMin = 0;
    std::optional<double> areaMm2;
    tsc::analysis::Kinetics kinetics = tsc::analysis::Kinetics::First;
    tsc::analysis::BackgroundKind background = tsc::analysis::BackgroundKind::None;
    std::optional<int> peaks;                        // none: as many as the curve shows
    std::optional<std::pair<double, double>> range;  // K; none: the whole curve
};

// The settings panel. Numbers are read as the main window reads its
// fields.
class TEvaluationSettings : public QGroupBox {
    Q_OBJECT

  public:
    explicit TEvaluationSettings(QWidget* parent);

    // The settings, or the window's error naming the field that is not
    // usable. β is needed; S and the range may be left empty.
    EvaluationSettings Read() const;
    // The range alone, none for the whole curve; the window's error when
    // its fields are not usable.
    std::optional<std::pair<double, double>> ReadRange() const;
    // The range as shown, or none when its fields are empty or not usable.
    std::optional<std::pair<double, double>> Range() const;
    std::optional<double> GivenArea() const;
    tsc::analysis::Kinetics ChosenKinetics() const;

    // A new measurement: the range fields show its whole span.
    void ShowWholeRange(double low, double high);
    void SetRange(double low, double high);
    // A text from the main window's field, taken where it is a number.
    void TakeBeta(const QString& text);
    void TakeArea(const QString& text);
    // How many start peaks the next fit uses; with any, the number of
    // peaks is not asked for.
    void ShowStartCount(int markers);

    QLineEdit* Beta;
    QLineEdit* Area;
    QComboBox* Order;
    QComboBox* Background;
    QComboBox* Peaks;
    QLineEdit* RangeLow;
    QLineEdit* RangeHigh;

  signals:
    void rangeEdited();
    void areaEdited();
    void kineticsChanged();

  private:
    QLabel* startNote_;
    std::pair<double, double> whole_{0, 0};
};
