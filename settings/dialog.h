#pragma once

#include "forms/forms.h"

#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

class Begin1;

// The speed window: three options, Fast, Normal and Slow from the top, and OK. It holds no
// state of its own; whatever it chooses goes to the drill window's Common02.
class Dialog : public Forms::Form
{
    Q_OBJECT
public:
    explicit Dialog(Begin1 *drill);

    void OKButton_Click();
    void Option1_DblClick(int index);

    Forms::Label *Label2 = nullptr;
    QFrame *Frame1 = nullptr;
    Forms::ControlArray<QRadioButton> Option1;
    QPushButton *OKButton = nullptr;

protected:
    void Form_Load() override;
    void closeFromFrame() override { OKButton_Click(); }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply(int index);

    Begin1 *m_drill;
};
