#include "framework/LCommander.h"

#include "framework/LException.h"

LCommander* LCommander::sTarget = nullptr;

LCommander::LCommander(LCommander* superCommander)
    : mSuperCommander(superCommander)
{
}

LCommander::~LCommander()
{
    if (sTarget == this)
        sTarget = mSuperCommander;
}

bool LCommander::ObeyCommand(CommandT command, void* parameter)
{
    if (mSuperCommander != nullptr)
        return mSuperCommander->ObeyCommand(command, parameter);
    return false;
}

void LCommander::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name)
{
    if (mSuperCommander != nullptr) {
        mSuperCommander->FindCommandStatus(command, enabled, usesMark, mark, name);
        return;
    }
    enabled = false;
    usesMark = false;
}

bool LCommander::ProcessCommand(CommandT command, void* parameter)
{
    bool handled = false;
    LException::ReportAndDrop("command", [&] {
        if (sTarget != nullptr)
            handled = sTarget->ObeyCommand(command, parameter);
    });
    return handled;
}
