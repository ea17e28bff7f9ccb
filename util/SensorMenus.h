// Carrying a list of sensor names into and out of the check marks of a bevel button's sensor menu.
#pragma once

#include "prefs/SensorNameList.h"

#include <string>
#include <vector>

class LBevelButton;

// Empties names, then appends the text of every checked item, in menu order. Null arguments throw nilP.
void GetSensorMenu(LBevelButton* button, SensorNameList* names);

// GetSensorMenu for a list that the menu may not carry whole: a name of names that no item of the menu
// carries (a sensor missing at this launch: a driver that loads later, a drive unplugged) is kept, after
// the names that stood before it, so that the choice comes back with the sensor. Null arguments throw nilP.
void GetSensorMenuKeepingAbsent(LBevelButton* button, SensorNameList* names);

// names becomes a copy of from.
void CopySensorNames(const SensorNameList& from, SensorNameList& names);

// Unchecks every item, then checks, for each name, the first item whose text is the same bytes. A name
// that no item carries changes nothing. Null arguments throw nilP.
void SetSensorMenu(LBevelButton* button, SensorNameList* names);

// The menu's items become names, in that order (sensors that joined while the program runs come in at their
// place), and the items named by checked are checked. Null arguments throw nilP.
void RenewSensorMenu(LBevelButton* button, const std::vector<std::string>& names, SensorNameList* checked);

// Each item whose text is names[i] shows shown[i] (the name the user gave that sensor), or its own text when
// the two are the same. The texts, which the records keep, do not change. Null arguments throw nilP.
void LabelSensorMenu(
    LBevelButton* button, const std::vector<std::string>& names, const std::vector<std::string>& shown);
