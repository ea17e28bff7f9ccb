// The about box: what Kelvara is, its version, and a link to its web page.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/UResources.h"

class LCommander;

constexpr ResIDT kAboutBoxLayout = 132;
// The message of the link to the product's web page.
constexpr MessageT msg_AboutWebPage = FourCC("Webs");

// Runs the modal about box until the user confirms or closes it. The link opens the web page in the
// user's browser and leaves the box open; a build without a web page shows no link.
void RunAboutBox(LCommander* superCommander);
