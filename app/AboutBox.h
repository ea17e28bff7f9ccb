// The about box: what Kelvara is, its version, and a link to its web page.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/UResources.h"

#include <string>

class LCommander;

constexpr ResIDT kAboutBoxLayout = 132;
// The message of the link to the product's web page.
constexpr MessageT msg_AboutWebPage = FourCC("Webs");

// Runs the modal about box until the user confirms or closes it. The link opens webPage in the user's
// browser and leaves the box open; with no web page, or a placeholder one, the box shows no link.
void RunAboutBox(LCommander* superCommander, const std::string& webPage);
