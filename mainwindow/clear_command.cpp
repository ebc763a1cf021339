// "計算結果消去": empties what calculations put on screen and starts the running
// integral afresh. The parameter fields keep their texts.
#include <QLineEdit>

#include "chart.h"
#include "form1.h"
#include "memo.h"
#include "run_calculation.h"

void TForm1::Button2Click(QObject* /*Sender*/) {
    Memo1->Lines.Clear();
    Chart1->GetSeries(0)->Clear();
    Edit9->setText(QString());
    Edit10->setText(QString());
    ResetIntegral(State);
}
