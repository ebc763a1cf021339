#include "form1_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "memo.h"
#include "message_box_catcher.h"

std::unique_ptr<TForm1> ShowFreshForm() {
    auto form = std::make_unique<TForm1>();
    form->show();
    QApplication::setActiveWindow(form.get());
    static_cast<void>(QTest::qWaitForWindowActive(form.get()));
    return form;
}

void TypeParameters(TForm1& form, const ParameterTexts& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        QLineEdit* field = form.ParameterField(static_cast<Parameter>(i));
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, QString::fromUtf8(texts[i]));
    }
}

QStringList Click(QAbstractButton* button) {
    const MessageBoxCatcher catcher;
    QTest::mouseClick(button, Qt::LeftButton);
    return catcher.Texts();
}

QStringList ListLines(const TForm1& form) { return form.Memo1->Lines.GetStrings(); }
