// The commander chain: a command that a commander does not handle goes to its super commander.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/PString.h"

#include <cstdint>

// The framework's own command numbers.
constexpr CommandT cmd_About = 1;
constexpr CommandT cmd_Quit = 10;
constexpr CommandT cmd_Preferences = 27;
// The user asked for the running application again: launched it once more, or clicked its tray icon.
constexpr CommandT cmd_ReopenApplication = FourCC("rapp");

class LCommander {
public:
    explicit LCommander(LCommander* superCommander = nullptr);
    virtual ~LCommander();

    LCommander(const LCommander&) = delete;
    LCommander& operator=(const LCommander&) = delete;

    LCommander* GetSuperCommander() const { return mSuperCommander; }
    void SetSuperCommander(LCommander* superCommander) { mSuperCommander = superCommander; }

    // True when this commander, or one above it, handled the command.
    virtual bool ObeyCommand(CommandT command, void* parameter);
    // Sets the enabled flag, the mark and the menu text; unknown commands are asked of the super commander.
    virtual void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name);

    // The commander that receives commands first (the active window, else the application).
    static LCommander* GetTarget() { return sTarget; }
    static void SetTarget(LCommander* target) { sTarget = target; }
    // Sends a command to the target; exceptions are reported and dropped at this boundary.
    static bool ProcessCommand(CommandT command, void* parameter = nullptr);

private:
    LCommander* mSuperCommander;
    static LCommander* sTarget;
};
