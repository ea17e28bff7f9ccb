// The application object: the top of the commander chain and the owner of the event loop.
#pragma once

#include "framework/LCommander.h"

#include <memory>

class UQuitSignals;

class LApplication : public LCommander {
public:
    LApplication();
    ~LApplication() override;

    // Runs the event loop until the user quits; StartUp is called once, from inside the loop.
    void Run();

    // Ends the event loop (and any modal loop inside it); the caller's Run then returns.
    virtual void DoQuit();

    bool ObeyCommand(CommandT command, void* parameter) override;
    void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name) override;

    // After a window closed at the user's wish (the window is gone by now).
    virtual void WindowClosed();

    static LApplication* GetApplication() { return sApplication; }
    // True once the user asked to quit: loops of their own (modal dialogs) end then.
    static bool IsQuitting() { return sQuitting; }

protected:
    virtual void StartUp();
    virtual void ShowAboutBox();
    virtual void DoPreferences();
    // cmd_ReopenApplication: bring the application's windows forward. The default does nothing.
    virtual void DoReopenApp();

private:
    std::unique_ptr<UQuitSignals> mQuitSignals;
    static LApplication* sApplication;
    static bool sQuitting;
};
