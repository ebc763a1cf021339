#include "evaluation_settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "evaluation_text.h"
#include "exception.h"
#include "number_text.h"

using namespace tsc::analysis;

namespace {

// The number in a field, or nothing when it is empty; anything else that
// is not a finite number above zero stops with a message naming the field.
std::optional<double> PositiveNumber(const QLineEdit* field, const QString& name) {
    const QString text = field->text().trimmed();
    if (text.isEmpty()) return std::nullopt;
    double value = 0;
    try {
        value = StrToFloat(text.toStdString());
    } catch (const Exception&) {
        throw Exception((name + Ja(":「") + text + Ja("」は数値ではありません。")).toStdString());
    }
    if (!(std::isfinite(value) && value > 0)) {
        throw Exception((name + Ja(" は 0 より大きい有限の数にしてください。")).toStdString());
    }
    return value;
}

// The same without a message: nothing for a text that is not usable.
std::optional<double> NumberIn(const QString& text) {
    try {
        const double value = StrToFloat(text.trimmed().toStdString());
        if (std::isfinite(value) && value > 0) return value;
    } catch (const Exception&) {
    }
    return std::nullopt;
}

QLineEdit* NumberField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMinimumWidth(56);
    return field;
}

}  // namespace

TEvaluationSettings::TEvaluationSettings(QWidget* parent) : QGroupBox(Ja("設定"), parent) {
    Beta = NumberField(this, "Beta");
    Area = NumberField(this, "Area");
    Area->setPlaceholderText(Ja("なし"));
    Order = new QComboBox(this);
    Order->setObjectName(QStringLiteral("Order"));
    Order->addItems({Ja("一次"), Ja("二次"), Ja("一般次数")});
    Background = new QComboBox(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->addItems({Ja("なし"), Ja("定数"), Ja("一次式"), Ja("指数")});
    Peaks = new QComboBox(this);
    Peaks->setObjectName(QStringLiteral("Peaks"));
    Peaks->addItem(Ja("自動"));
    for (int n = 1; n <= kMostPeaks; ++n) Peaks->addItem(QString::number(n));
    RangeLow = NumberField(this, "RangeLow");
    RangeHigh = NumberField(this, "RangeHigh");
    startNote_ = new QLabel(this);
    startNote_->setWordWrap(true);

    auto* range = new QHBoxLayout;
    range->addWidget(RangeLow);
    range->addWidget(new QLabel(Ja("〜"), this));
    range->addWidget(RangeHigh);
    auto* form = new QFormLayout(this);
    form->addRow(Ja("昇温速度 β (K/min)"), Beta);
    form->addRow(Ja("試料断面積 S (mm²)"), Area);
    form->addRow(Ja("反応次数"), Order);
    form->addRow(Ja("バックグラウンド"), Background);
    form->addRow(Ja("ピーク数"), Peaks);
    form->addRow(startNote_);
    form->addRow(Ja("温度範囲 (K)"), range);

    for (QLineEdit* field : {RangeLow, RangeHigh}) {
        connect(field, &QLineEdit::editingFinished, this, &TEvaluationSettings::rangeEdited);
    }
    connect(Area, &QLineEdit::editingFinished, this, &TEvaluationSettings::areaEdited);
    connect(Order, &QComboBox::currentIndexChanged, this, &TEvaluationSettings::kineticsChanged);
    ShowStartCount(0);
}

EvaluationSettings TEvaluationSettings::Read() const {
    EvaluationSettings s;
    const std::optional<double> beta = PositiveNumber(Beta, Ja("昇温速度 β"));
    if (!beta) throw Exception(Ja("昇温速度 β (K/min) を入力してください。").toStdString());
    s.betaKPerMin = *beta;
    s.areaMm2 = PositiveNumber(Area, Ja("試料断面積 S"));
    s.kinetics = ChosenKinetics();
    const BackgroundKind kinds[] = {BackgroundKind::None, BackgroundKind::Constant,
                                    BackgroundKind::Linear, BackgroundKind::Exponential};
    s.background = kinds[std::max(0, Background->currentIndex())];
    if (Peaks->currentIndex() > 0) s.peaks = Peaks->currentIndex();
    s.range = ReadRange();
    return s;
}

std::optional<std::pair<double, double>> TEvaluationSettings::ReadRange() const {
    const std::optional<double> low = PositiveNumber(RangeLow, Ja("温度範囲の下限"));
    const std::optional<double> high = PositiveNumber(RangeHigh, Ja("温度範囲の上限"));
    if (low.has_value() != high.has_value()) {
        throw Exception(
            Ja("温度範囲は下限と上限の両方を入力するか、両方とも空にしてください。").toStdString());
    }
    if (!low) return std::nullopt;
    if (!(*low < *high))
        throw Exception(Ja("温度範囲の下限は上限より小さくしてください。").toStdString());
    // The whole curve is no range: the fit sees the file as it is.
    if (*low <= whole_.first && *high >= whole_.second) return std::nullopt;
    return std::pair{*low, *high};
}

std::optional<std::pair<double, double>> TEvaluationSettings::Range() const {
    const std::optional<double> low = NumberIn(RangeLow->text());
    const std::optional<double> high = NumberIn(RangeHigh->text());
    if (!low || !high || !(*low < *high)) return std::nullopt;
    return std::pair{*low, *high};
}

std::optional<double> TEvaluationSettings::GivenArea() const { return NumberIn(Area->text()); }

Kinetics TEvaluationSettings::ChosenKinetics() const {
    const tsc::analysis::Kinetics kinds[] = {Kinetics::First, Kinetics::Second, Kinetics::General};
    return kinds[std::max(0, Order->currentIndex())];
}

void TEvaluationSettings::ShowWholeRange(double low, double high) {
    SetRange(low, high);
    // As the fields read back, so that the range left as shown is no range.
    whole_ = {StrToFloat(FloatToStr(low)), StrToFloat(FloatToStr(high))};
}

void TEvaluationSettings::SetRange(double low, double high) {
    RangeLow->setText(QString::fromStdString(FloatToStr(low)));
    RangeHigh->setText(QString::fromStdString(FloatToStr(high)));
    RangeLow->setCursorPosition(0);
    RangeHigh->setCursorPosition(0);
}

void TEvaluationSettings::TakeBeta(const QString& text) {
    if (NumberIn(text)) Beta->setText(text.trimmed());
}

void TEvaluationSettings::TakeArea(const QString& text) {
    if (NumberIn(text)) Area->setText(text.trimmed());
}

void TEvaluationSettings::ShowStartCount(int markers) {
    Peaks->setEnabled(markers == 0);
    startNote_->setText(markers == 0 ? Ja("（マーカーがないとき：上の数で検出）")
                                     : Ja("マーカー ") + QString::number(markers) +
                                           Ja(" 個の位置から始めます"));
}
