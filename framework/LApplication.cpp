#include "framework/LApplication.h"

#include "framework/LException.h"
#include "framework/LWindow.h"
#include "framework/UQuitSignals.h"

#include <QCoreApplication>
#include <QTimer>

LApplication* LApplication::sApplication = nullptr;
bool LApplication::sQuitting = false;

LApplication::LApplication()
{
    sApplication = this;
    sQuitting = false;
    SetTarget(this);
}

LApplication::~LApplication()
{
    // Windows hold pointers into the application's objects: they go before it does.
    LWindow::DeleteAllWindows();
    // Only now, with every file written by the application's own destructor, may a signal end the program.
    mQuitSignals.reset();
    if (sApplication == this)
        sApplication = nullptr;
    if (GetTarget() == this)
        SetTarget(nullptr);
}

void LApplication::Run()
{
    sQuitting = false;
    mQuitSignals = std::make_unique<UQuitSignals>([this](int) { ProcessCommand(cmd_Quit); });
    QTimer::singleShot(0, [this] { LException::ReportAndDrop("start-up", [this] { StartUp(); }); });
    QCoreApplication::exec();
    // The quit has begun: the caller's saving must not be cut short by a second Ctrl+C or SIGTERM.
    mQuitSignals->IgnoreFurtherSignals();
}

void LApplication::DoQuit()
{
    // exit() ends every running event loop, so a quit that arrives during a modal alert still quits.
    sQuitting = true;
    QCoreApplication::exit(0);
}

bool LApplication::ObeyCommand(CommandT command, void* parameter)
{
    switch (command) {
    case cmd_About:
        ShowAboutBox();
        return true;
    case cmd_Quit:
        DoQuit();
        return true;
    case cmd_Preferences:
        DoPreferences();
        return true;
    case cmd_ReopenApplication:
        DoReopenApp();
        return true;
    default:
        return LCommander::ObeyCommand(command, parameter);
    }
}

void LApplication::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name)
{
    switch (command) {
    case cmd_About:
    case cmd_Quit:
    case cmd_Preferences:
    case cmd_ReopenApplication:
        enabled = true;
        usesMark = false;
        break;
    default:
        LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
        break;
    }
}

void LApplication::StartUp() { }
void LApplication::ShowAboutBox() { }
void LApplication::DoPreferences() { }
void LApplication::DoReopenApp() { }
void LApplication::WindowClosed() { }
