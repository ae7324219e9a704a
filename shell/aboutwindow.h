#pragma once

#include "forms/forms.h"

#include <QFrame>
#include <QPushButton>

// The About window: name, version, three contact lines and OK, which answers both Enter
// and Esc.
class AboutWindow : public Forms::Form
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *owner);

    void closeWindow() { unload(); }

    QLabel *iconLabel = nullptr;
    Forms::Label *titleLabel = nullptr;
    Forms::Label *versionLabel = nullptr;
    Forms::ControlArray<Forms::Label> contactLines;
    Forms::ControlArray<QFrame> grooveLines;
    Forms::Label *statementLabel = nullptr;
    QPushButton *okButton = nullptr;

protected:
    void closeFromFrame() override { closeWindow(); }
    void keyPressEvent(QKeyEvent *event) override;
};
