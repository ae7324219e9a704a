#pragma once

#include <QString>

namespace Speed
{

// Speed option index 0, 1, 2 stands for speed level 1, 2, 3 (Slow, Normal, Fast).
int secondsForIndex(int index);    // 30, 20, 10
float timeStepForIndex(int index); // twips the time bar grows per second
QString wordForSpeed(int speed);   // "Slow", "Normal", "Fast"; "" for anything else

} // namespace Speed
