#include "report/ProductAddresses.h"

#include "report/ReportResources.h"

#include <cstdlib>

namespace {

// People who run their own server, or test against one, point Kelvara at it without building it again.
std::string FromEnvironmentOr(const char* variable, int16_t item)
{
    if (const char* value = std::getenv(variable))
        return value;
    return UResources::GetIndString(kKelvaraStrings, item);
}

}

std::string VersionCheckAddress()
{
    return FromEnvironmentOr("KELVARA_VERSION_URL", kProductInformationItem);
}

std::string WebPageAddress()
{
    return UResources::GetIndString(kKelvaraStrings, kWebSiteItem);
}

std::string RecordAddress()
{
    return FromEnvironmentOr("KELVARA_RECORD_ADDRESS", kRecordAddressItem);
}
