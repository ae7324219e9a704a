#include "shell/module1.h"

QString gInstallPath;
qint16 gLastPlace = 0;
qint16 gSpeed = 0;
qint16 gGroup = 0;
qint16 gGroupCount = 0;

void resetProgramState()
{
    gInstallPath.clear();
    gLastPlace = 0;
    gSpeed = 0;
    gGroup = 0;
    gGroupCount = 0;
}
