#include "framework/ULocale.h"

#include <QLocale>

namespace {

std::optional<bool>& Override()
{
    static std::optional<bool> usUnits;
    return usUnits;
}

}

bool ULocale::MeasuresInUSUnits()
{
    if (Override())
        return *Override();
    // Only the US system: the United Kingdom's imperial units leave temperatures in Celsius.
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
}

void ULocale::SetUSUnitsForTesting(std::optional<bool> usUnits)
{
    Override() = usUnits;
}
