// The main window's fixed layout: every control with its name, position and
// size in the client area below the menu bar, caption, font and tab order.
#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QFrame>
#include <QGraphicsLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPen>
#include <QPushButton>
#include <span>

#include "chart.h"
#include "command_wiring.h"
#include "evaluation_form.h"
#include "file_dialog.h"
#include "file_drop.h"
#include "font_substitutes.h"
#include "form1.h"
#include "memo.h"

TForm1* Form1 = nullptr;

namespace {

// The outer frame's top left corner on the screen.
constexpr QPoint kWindowPosition(211, 129);
constexpr int kClientWidth = 681;
constexpr int kClientHeight = 412;
constexpr int kChartFontHeight = 12;
// Room around the plot: the right one keeps the last axis label whole.
constexpr QMargins kChartMargins(4, 4, 16, 4);

enum class LabelStyle {
    Plain,    // the window font
    Heading,  // red, bold, 13 px
    Results,  // black, bold, 16 px
    Unit,     // bold, 13 px
};

struct LabelLayout {
    QLabel* TForm1::*member;
    const char* name;
    QRect rect;
    const char* caption;
    LabelStyle style;
};

// In the order the labels are created; the bevels come between them. The
// first eight name the parameters, in their order.
constexpr LabelLayout kLabels[] = {
    {&TForm1::Label1, "Label1", {16, 56, 119, 12}, "活性化エネルギーＥｔ＝", LabelStyle::Plain},
    {&TForm1::Label2, "Label2", {48, 72, 88, 12}, "脱出周波数νｔ＝", LabelStyle::Plain},
    {&TForm1::Label3, "Label3", {48, 88, 87, 12}, "全トラップ数Ｎｔ＝", LabelStyle::Plain},
    {&TForm1::Label4, "Label4", {40, 104, 98, 12}, "測定開始温度Ｔｏ＝", LabelStyle::Plain},
    {&TForm1::Label5, "Label5", {24, 120, 112, 12}, "測定修了温度Ｔｅｎｄ＝", LabelStyle::Plain},
    {&TForm1::Label6, "Label6", {56, 136, 84, 12}, "温度上昇率β＝", LabelStyle::Plain},
    {&TForm1::Label7, "Label7", {56, 152, 81, 12}, "試料断面積Ｓ＝", LabelStyle::Plain},
    {&TForm1::Label8, "Label8", {72, 168, 66, 12}, "積分間隔a＝", LabelStyle::Plain},
    {&TForm1::Label9,
     "Label9",
     {16, 32, 294, 13},
     "ＴＳＣ法を用いた表とグラフの作成アプリケーション",
     LabelStyle::Heading},
    // Bevel1, Bevel2
    {&TForm1::Label10,
     "Label10",
     {32, 256, 198, 16},
     "測定結果 （上：Ｔ　下：Ｉｔｓｃ）",
     LabelStyle::Results},
    {&TForm1::Label11, "Label11", {232, 56, 30, 13}, "（eV)", LabelStyle::Unit},
    {&TForm1::Label12, "Label12", {232, 72, 26, 13}, "(Hz)", LabelStyle::Unit},
    {&TForm1::Label13, "Label13", {232, 88, 51, 13}, "(cm^-2)", LabelStyle::Unit},
    {&TForm1::Label14, "Label14", {232, 104, 19, 13}, "(K)", LabelStyle::Unit},
    {&TForm1::Label15, "Label15", {232, 120, 19, 13}, "(K)", LabelStyle::Unit},
    {&TForm1::Label16, "Label16", {232, 136, 50, 13}, "(K/min)", LabelStyle::Unit},
    {&TForm1::Label17, "Label17", {232, 152, 46, 13}, "(mm^2)", LabelStyle::Unit},
    {&TForm1::Label18, "Label18", {232, 168, 19, 13}, "(K)", LabelStyle::Unit},
    // Bevel3
    {&TForm1::Label19, "Label19", {344, 360, 103, 12}, "ピーク温度Ｔｐｅａｋ＝", LabelStyle::Plain},
    {&TForm1::Label20, "Label20", {352, 392, 99, 12}, "ピーク電流Ｉｐｅａｋ＝", LabelStyle::Plain},
    {&TForm1::Label21, "Label21", {608, 360, 19, 13}, "(K)", LabelStyle::Unit},
    {&TForm1::Label22, "Label22", {608, 392, 19, 13}, "(A)", LabelStyle::Unit},
};

struct FieldLayout {
    QLineEdit* TForm1::*member;
    const char* name;
    QRect rect;
};

// Each parameter field overlaps the next by four pixels. In the order of the
// parameters.
constexpr FieldLayout kParameterFields[] = {
    {&TForm1::Edit1, "Edit1", {136, 56, 89, 20}},  {&TForm1::Edit2, "Edit2", {136, 72, 89, 20}},
    {&TForm1::Edit3, "Edit3", {136, 88, 89, 20}},  {&TForm1::Edit4, "Edit4", {136, 104, 89, 20}},
    {&TForm1::Edit5, "Edit5", {136, 120, 89, 20}}, {&TForm1::Edit6, "Edit6", {136, 136, 89, 20}},
    {&TForm1::Edit7, "Edit7", {136, 152, 89, 20}}, {&TForm1::Edit8, "Edit8", {136, 168, 89, 20}},
};

static_assert(std::size(kParameterFields) == kParameters.size());

// Where the bevels come between the labels: Bevel1 and Bevel2 after Label9,
// Bevel3 after Label18.
constexpr std::size_t kLabelsBeforeBevel1 = 9;
constexpr std::size_t kLabelsBeforeBevel3 = 18;

constexpr FieldLayout kPeakFields[] = {
    {&TForm1::Edit9, "Edit9", {448, 360, 145, 20}},
    {&TForm1::Edit10, "Edit10", {448, 392, 145, 20}},
};

const char kChartTitle[] = "温度Ｔの変化に対する熱刺激放出電流Ｉｔｓｃの変化";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

void Place(QWidget* widget, const char* name, const QRect& rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect);
}

void StyleLabel(QLabel* label, LabelStyle style) {
    QPalette palette = label->palette();
    switch (style) {
        case LabelStyle::Plain:
            return;
        case LabelStyle::Heading:
            label->setFont(DesignFont(kWindowFontFamily, 13, true));
            palette.setColor(QPalette::WindowText, Qt::red);
            break;
        case LabelStyle::Results:
            label->setFont(DesignFont(kWindowFontFamily, 16, true));
            palette.setColor(QPalette::WindowText, Qt::black);
            break;
        case LabelStyle::Unit:
            label->setFont(DesignFont(kWindowFontFamily, 13, true));
            break;
    }
    label->setPalette(palette);
}

QFrame* CreateBevel(QWidget* client, const char* name, const QRect& rect, int shape) {
    auto* bevel = new QFrame(client);
    Place(bevel, name, rect);
    bevel->setFrameStyle(shape);
    bevel->setLineWidth(1);
    bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    return bevel;
}

// Creates the labels kLabels[begin] up to, not including, kLabels[end].
void CreateLabels(TForm1& form, QWidget* client, std::size_t begin, std::size_t end) {
    for (const LabelLayout& layout : std::span(kLabels).subspan(begin, end - begin)) {
        auto* label = new QLabel(Text(layout.caption), client);
        Place(label, layout.name, layout.rect);
        StyleLabel(label, layout.style);
        form.*layout.member = label;
    }
}

void CreateFields(TForm1& form, QWidget* client, std::span<const FieldLayout> fields) {
    for (const FieldLayout& layout : fields) {
        auto* field = new QLineEdit(client);
        Place(field, layout.name, layout.rect);
        field->setFont(FieldFont(form.font()));
        form.*layout.member = field;
    }
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFont(DesignFont(kWindowFontFamily, kWindowFontHeight));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    CreateLabelsAndBevels(client);
    CreateParameterFieldsAndButtons(client);
    CreateResultsListAndChart(client);
    CreatePeakFields(client);
    CreateMenu();
    CreateFileDialogs();
    SetTabOrder();
    WireCommands();

    // The controls need the whole client area below the menu bar; the frame
    // around it is the window system's.
    move(kWindowPosition);
    resize(kClientWidth, kClientHeight + MainMenu1->sizeHint().height());
    Edit1->setFocus();
}

QLineEdit* TForm1::ParameterField(Parameter parameter) const {
    return this->*kParameterFields[static_cast<std::size_t>(parameter)].member;
}

QString TForm1::ParameterName(Parameter parameter) {
    QString caption = Text(kLabels[static_cast<std::size_t>(parameter)].caption);
    caption.chop(QStringView(u"＝").size());
    return caption;
}

void TForm1::CreateLabelsAndBevels(QWidget* client) {
    CreateLabels(*this, client, 0, kLabelsBeforeBevel1);
    Bevel1 = CreateBevel(client, "Bevel1", {8, 48, 305, 201}, QFrame::Box | QFrame::Sunken);
    Bevel2 = CreateBevel(client, "Bevel2", {8, 24, 305, 25}, QFrame::Panel | QFrame::Raised);
    CreateLabels(*this, client, kLabelsBeforeBevel1, kLabelsBeforeBevel3);
    Bevel3 = CreateBevel(client, "Bevel3", {0, 0, 681, 1}, QFrame::Panel | QFrame::Sunken);
    CreateLabels(*this, client, kLabelsBeforeBevel3, std::size(kLabels));
}

void TForm1::CreateParameterFieldsAndButtons(QWidget* client) {
    CreateFields(*this, client, kParameterFields);
    Button1 = new QPushButton(Text("計算開始"), client);
    Place(Button1, "Button1", {40, 208, 75, 25});
    Button2 = new QPushButton(Text("計算結果消去"), client);
    Place(Button2, "Button2", {152, 208, 83, 25});
    // Enter and Escape in a field do nothing: no button is a default one.
    for (QPushButton* button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void TForm1::CreateResultsListAndChart(QWidget* client) {
    Memo1 = new TMemo(client);
    Place(Memo1, "Memo1", {16, 280, 281, 129});
    Memo1->Lines.SetStrings({QString()});

    Chart1 = new TChart(client);
    Place(Chart1, "Chart1", {312, 24, 345, 329});
    Chart1->setFocusPolicy(Qt::StrongFocus);
    QChart* chart = Chart1->chart();
    chart->setTitle(Text(kChartTitle));
    chart->setTitleFont(DesignFont(kChartFontFamily, kChartFontHeight, true));
    chart->setTitleBrush(Qt::blue);
    // Drawn flat on the window's face colour, with a clear back wall.
    chart->setBackgroundBrush(palette().window());
    chart->setPlotAreaBackgroundVisible(false);
    const QFont chartFont = DesignFont(kChartFontFamily, kChartFontHeight);
    for (QCategoryAxis* axis : {Chart1->BottomAxis(), Chart1->LeftAxis()}) {
        axis->setLabelsFont(chartFont);
        axis->setLabelsBrush(Qt::black);
        axis->setTitleFont(chartFont);
        axis->setTitleBrush(Qt::black);
    }
    chart->legend()->setFont(chartFont);
    chart->legend()->setLabelColor(Qt::black);
    // With its one curve the chart needs no legend; the plot gets the room.
    chart->legend()->hide();
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(kChartMargins);

    Series1 = Chart1->AddSeries();
    QLineSeries* curve = Series1->Curve();
    curve->setName(QStringLiteral("Series1"));
    curve->setPen(QPen(Qt::red));
    curve->setPointsVisible(false);
    curve->setPointLabelsVisible(false);
}

void TForm1::CreatePeakFields(QWidget* client) { CreateFields(*this, client, kPeakFields); }

void TForm1::CreateMenu() {
    // No item has a shortcut or an accelerator letter, and there is no exit
    // item: closing the window ends the program.
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);
    File1 = MainMenu1->addMenu(Text("ファイル"));
    File1->setObjectName(QStringLiteral("File1"));
    Open1 = File1->addAction(Text("開く"));
    Open1->setObjectName(QStringLiteral("Open1"));
    Save1 = File1->addAction(Text("保存"));
    Save1->setObjectName(QStringLiteral("Save1"));
    File1->addSeparator();
    OpenMeasurement1 = File1->addAction(Text("測定データを開く..."));
    OpenMeasurement1->setObjectName(QStringLiteral("OpenMeasurement1"));
    Help1 = MainMenu1->addMenu(Text("ヘルプ"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Tutorial1 = Help1->addAction(Text("使い方"));
    Tutorial1->setObjectName(QStringLiteral("Tutorial1"));
    // The menus open as windows of their own, which do not take the window
    // font from the main window.
    for (QMenu* menu : {File1, Help1}) menu->setFont(font());
}

void TForm1::CreateFileDialogs() {
    // Both list results files under the same two types, source files first.
    // Neither sets a folder, a title or an extension to add.
    const QString filter =
        Text("ソースファイル(*.cpp *.c *.h)|*.cpp;*.c;*.h|テキストファイル(*.txt)|*.txt");
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->SetFilter(filter);
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->SetFilter(filter);
}

void TForm1::SetTabOrder() {
    QWidget* const order[] = {Edit1, Edit2,   Edit3,   Edit4, Edit5,  Edit6, Edit7,
                              Edit8, Button1, Button2, Memo1, Chart1, Edit9, Edit10};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TForm1::WireCommands() {
    WireClick(Button1, this, &TForm1::Button1Click);
    WireClick(Button2, this, &TForm1::Button2Click);
    WireClick(Open1, this, &TForm1::Open1Click);
    WireClick(Save1, this, &TForm1::Save1Click);
    WireClick(Tutorial1, this, &TForm1::Tutorial1Click);
    WireClick(OpenMeasurement1, this, &TForm1::OpenMeasurement1Click);
    // A file dropped anywhere on the window is a measurement to evaluate.
    new TFileDrop(this, [this](const QString& file) { OpenInEvaluation(file); });
}
