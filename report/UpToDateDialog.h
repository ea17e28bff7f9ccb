// Tells the user that the version published is this one, in the modal dialog of layout 136.
#pragma once

#include "framework/UResources.h"

class LCommander;

constexpr ResIDT kUpToDateLayout = 136;

// Runs the dialog until the user confirms it, then closes it. Its 'Vers' text, when it has one, gets this
// program's version text in place of "^0".
void RunUpToDateDialog(LCommander* superCommander);
