// The program's texts that reporting and updates read from string list 201.
#pragma once

#include "framework/UResources.h"

constexpr ResIDT kKelvaraStrings = 201;
// The menu text of the record command when it is enabled, and when it is not yet.
constexpr int16_t kSubmitRecordItem = 1;
constexpr int16_t kSubmitRecordLaterItem = 2;
// This program's version text: the one the version check compares and the record carries.
constexpr int16_t kVersionTextItem = 5;
// The http URL of the product-information file.
constexpr int16_t kProductInformationItem = 6;
// The product's web page.
constexpr int16_t kWebSiteItem = 7;
// Where temperature records are sent.
constexpr int16_t kRecordAddressItem = 8;
// The menu text of the version check when it can run, and when the build's address reaches nobody.
constexpr int16_t kCheckForNewVersionItem = 9;
constexpr int16_t kCheckForNewVersionNoAddressItem = 10;
// The menu text of the record command when the record address reaches nobody.
constexpr int16_t kSubmitRecordNoAddressItem = 11;
