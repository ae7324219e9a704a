#pragma once

#include "forms/forms.h"

#include <QPushButton>

// The notice shown under "My Words": seven lines, each led by five spaces, joined by CR LF.
QString noticeText();

// The notice window. Its two labels start empty; the opener fills them.
class Dialog2 : public Forms::Form
{
    Q_OBJECT
public:
    explicit Dialog2(QWidget *owner);

    void OKButton_Click() { unload(); }

    Forms::Label *Label2 = nullptr; // title strip
    Forms::Label *Label1 = nullptr; // the text
    QPushButton *OKButton = nullptr;

protected:
    void closeFromFrame() override { OKButton_Click(); }
};
