#pragma once

#include "forms/forms.h"

#include <QFrame>
#include <QPushButton>

// The About window: name, version, three contact lines and OK, which answers both Enter
// and Esc.
class frmAbout : public Forms::Form
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner);

    void cmdOK_Click() { unload(); }

    QLabel *picIcon = nullptr;
    Forms::Label *lblTitle = nullptr;
    Forms::Label *lblVersion = nullptr;
    Forms::ControlArray<Forms::Label> lblDescription;
    Forms::ControlArray<QFrame> Line1;
    Forms::Label *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;

protected:
    void closeFromFrame() override { cmdOK_Click(); }
    void keyPressEvent(QKeyEvent *event) override;
};
