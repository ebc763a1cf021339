// "測定データを開く...": a measured curve opened in the evaluation window,
// which is made on first use and can hand a fitted trap back to this
// window's parameter fields.
#include <QLineEdit>

#include "evaluation_form.h"
#include "evaluation_text.h"
#include "file_dialog.h"
#include "form1.h"

namespace {

// A calculation needs a step; one the user left empty gets the sample's.
constexpr char kStepWhenEmpty[] = "0.2";

void ShowFromStart(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->setCursorPosition(0);
}

}  // namespace

TForm1::~TForm1() = default;

TEvaluationForm* TForm1::EvaluationForm() {
    if (evaluationForm_) return evaluationForm_.get();
    TCalculationLink link;
    link.betaText = [this] { return Edit6->text(); };
    link.areaText = [this] { return Edit7->text(); };
    link.writeParameters = [this](const QString(&texts)[7]) {
        // Et, νt, Nt, To, Tend, β and S, in the order of the fields.
        for (int i = 0; i < 7; ++i) {
            if (!texts[i].isEmpty())
                ShowFromStart(ParameterField(static_cast<Parameter>(i)), texts[i]);
        }
        if (Edit8->text().trimmed().isEmpty()) Edit8->setText(QString::fromLatin1(kStepWhenEmpty));
        raise();
    };
    evaluationForm_ = std::make_unique<TEvaluationForm>(std::move(link));
    return evaluationForm_.get();
}

void TForm1::OpenInEvaluation(const QString& fileName) {
    TEvaluationForm* form = EvaluationForm();
    form->TakeMainSettings();
    form->OpenMeasurement(fileName);
}

void TForm1::OpenMeasurement1Click(QObject* /*Sender*/) {
    if (measurementDialog_ == nullptr) {
        measurementDialog_ = new TOpenDialog(this);
        measurementDialog_->setObjectName(QStringLiteral("MeasurementDialog1"));
        measurementDialog_->SetFilter(MeasurementFilter());
    }
    if (measurementDialog_->Execute()) OpenInEvaluation(measurementDialog_->FileName());
}
