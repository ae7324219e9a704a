#pragma once

#include "forms/forms.h"

#include <QPushButton>

// The notice shown under "My Words": seven lines, each led by five spaces, joined by CR LF.
QString noticeText();

// The notice window. Its two labels start empty; the opener fills them.
class NoticeWindow : public Forms::Form
{
    Q_OBJECT
public:
    explicit NoticeWindow(QWidget *owner);

    void closeWindow() { unload(); }

    Forms::Label *titleLabel = nullptr;
    Forms::Label *textLabel = nullptr;
    QPushButton *okButton = nullptr;

protected:
    void closeFromFrame() override { closeWindow(); }
};
