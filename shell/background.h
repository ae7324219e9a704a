#pragma once

#include "forms/forms.h"

#include <QPointer>

class Begin1;

// The backdrop: a maximized black window that reads the installation folder at start
// and, 200 ms later, shows the drill window above itself.
class Background : public Forms::Form
{
    Q_OBJECT
public:
    Background();

    QString GetWindowsDir() const;
    void Timer1_Timer();

    Begin1 *drillWindow() const;

    Forms::Timer *Timer1 = nullptr;
    Forms::Label *Label1 = nullptr;

protected:
    void Form_Load() override;
    void closeFromFrame() override;

private:
    QPointer<Begin1> m_begin1;
};
