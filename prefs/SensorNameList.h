// A list of sensor names as the window records, the Dock settings and the sensor menus keep them.
#pragma once

#include "framework/LArray.h"
#include "framework/PString.h"

using SensorNameList = TArray<Str255>;
