#pragma once

#include "base/speedlevel.h"

#include <QString>

// What the windows share for the whole life of the program. main() makes the one instance
// and hands it to the windows that need it; tests make their own.
struct ProgramState {
    QString installPath;  // installation folder, ending in "/" once set
    qint16 lastPlace = 0; // place (1-10) the last saved run took in its group's record, or 0
    qint16 group = 0;      // group loaded in the drill window, or 0
    qint16 groupCount = 0; // number of group files found
};
