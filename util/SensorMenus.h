// Carrying a list of sensor names into and out of the check marks of a bevel button's sensor menu.
#pragma once

#include "prefs/SensorNameList.h"

class LBevelButton;

// Empties names, then appends the text of every checked item, in menu order. Null arguments throw nilP.
void GetSensorMenu(LBevelButton* button, SensorNameList* names);

// Unchecks every item, then checks, for each name, the first item whose text is the same bytes. A name
// that no item carries changes nothing. Null arguments throw nilP.
void SetSensorMenu(LBevelButton* button, SensorNameList* names);
