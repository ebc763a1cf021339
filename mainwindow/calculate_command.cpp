// "計算開始": reads the eight parameters and writes every result row into the
// peak fields, the results list and the chart.
#include <QLineEdit>
#include <optional>
#include <string>

#include "chart.h"
#include "exception.h"
#include "form1.h"
#include "memo.h"
#include "number_text.h"
#include "parameter_check.h"
#include "refusal_message.h"
#include "result_lines.h"
#include "run_calculation.h"
#include "update_scope.h"

namespace {

// Replaces the field's text and scrolls it to its beginning, so that a long
// current shows its leading digits.
void ShowFromStart(QLineEdit* field, const std::string& utf8) {
    field->setText(QString::fromStdString(utf8));
    field->setCursorPosition(0);
}

}  // namespace

void TForm1::Button1Click(QObject* /*Sender*/) {
    // Each value is stored before the next field is read; a text that is not
    // a number stops the command at its field, with nothing calculated.
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        const QString text = ParameterField(static_cast<Parameter>(i))->text();
        State.*kParameters[i].member = StrToFloat(text.toStdString());
    }
    if (const auto refusal = CheckParameters(State)) {
        throw Exception(RefusalMessage(*refusal).toStdString());
    }

    // Nothing is repainted while the command runs, so what the rows write
    // can reach the widgets together when it returns: the list and the
    // series take the rows' lines and points in row order, and the peak
    // fields the texts of the last row, at a fraction of the cost of one
    // widget update per row.
    TFastLineSeries* series = Chart1->GetSeries(0);
    std::optional<std::string> peakT;
    std::optional<std::string> peakI;
    {
        const TUpdateScope listUpdate(Memo1->Lines);
        const TUpdateScope seriesUpdate(*series);
        RunCalculation(State, [&](const ResultRow& row) {
            peakT = FloatToStr(row.Tpeak);
            peakI = FloatToStr(row.Ipeak);
            for (const std::string& line : ResultLines(row)) Memo1->Lines.Add(line);
            series->AddXY(row.T, row.Itsc, QString(), clTeeColor);
        });
    }
    if (peakT) ShowFromStart(Edit9, *peakT);  // a run without rows leaves them as they are
    if (peakI) ShowFromStart(Edit10, *peakI);
}
