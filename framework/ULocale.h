// What the user's locale says about measuring, for settings that a first run takes from it.
#pragma once

#include <optional>

class ULocale {
public:
    // True where the locale measures in US customary units (and so in degrees Fahrenheit).
    static bool MeasuresInUSUnits();

    // For tests: the answer to give instead of the locale's; nullopt gives the locale's answer back.
    static void SetUSUnitsForTesting(std::optional<bool> usUnits);
};
