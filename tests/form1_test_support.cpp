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
    QLineEdit* const fields[] = {form.Edit1, form.Edit2, form.Edit3, form.Edit4,
                                 form.Edit5, form.Edit6, form.Edit7, form.Edit8};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        fields[i]->selectAll();
        QTest::keyClick(fields[i], Qt::Key_Delete);
        QTest::keyClicks(fields[i], QString::fromUtf8(texts[i]));
    }
}

QStringList Click(QAbstractButton* button) {
    const MessageBoxCatcher catcher;
    QTest::mouseClick(button, Qt::LeftButton);
    return catcher.Texts();
}

QStringList ListLines(const TForm1& form) { return form.Memo1->Lines.GetStrings(); }
