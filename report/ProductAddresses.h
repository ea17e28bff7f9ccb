// The addresses that the version check, the about box and the temperature record use: the ones the build
// chose, or the run-time variable's where the user set one.
#pragma once

#include <string>

// The product-information file's URL: KELVARA_VERSION_URL when set, else the build's.
std::string VersionCheckAddress();
// The product's web page, as the build chose it.
std::string WebPageAddress();
// Where temperature records go: KELVARA_RECORD_ADDRESS when set, else the build's.
std::string RecordAddress();
