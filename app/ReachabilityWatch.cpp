#include "app/ReachabilityWatch.h"

#include "display/DockTray.h"
#include "framework/LApplication.h"
#include "framework/LWindow.h"

ReachabilityWatch::ReachabilityWatch()
{
    StartIdling(kCheckSeconds);
}

ReachabilityWatch::~ReachabilityWatch()
{
    StopIdling();
}

void ReachabilityWatch::SpendTime(const EventRecord&)
{
    LApplication* application = LApplication::GetApplication();
    if (application == nullptr || LApplication::IsQuitting())
        return;
    if (!DockTray::IsAvailable() && !LWindow::IsDocumentWindowShown())
        application->ObeyCommand(cmd_ReopenApplication, nullptr);
}
