#pragma once

#include <QString>

// Program-wide state shared by the windows. Zero or empty at process start.
extern QString gInstallPath; // installation folder, ending in "/" once set
extern qint16 gLastPlace;    // place (1-10) the last saved run took, or 0
extern qint16 gSpeed;        // 1 Slow, 2 Normal, 3 Fast
extern qint16 gGroup;        // group loaded in the drill window, or 0
extern qint16 gGroupCount;   // number of group files found

// Puts every program-wide variable back to its start value (tests start each case clean).
void resetProgramState();
