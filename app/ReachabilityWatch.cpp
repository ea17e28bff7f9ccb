#include "app/ReachabilityWatch.h"

#include "display/DockTray.h"
#include "framework/LApplication.h"
#include "framework/LWindow.h"
#include "sensors/SensorMaster.h"

ReachabilityWatch::ReachabilityWatch(SensorMaster& sensors)
{
    sensors.AddListener(this);
}

void ReachabilityWatch::ListenToMessage(MessageT message, void*)
{
    if (message != msg_SamplesRecorded)
        return;
    LApplication* application = LApplication::GetApplication();
    if (application == nullptr || LApplication::IsQuitting())
        return;
    // An open window first: asking the display for its tray is a round trip to the X server.
    if (!LWindow::IsDocumentWindowShown() && !DockTray::IsAvailable())
        application->ObeyCommand(cmd_ReopenApplication, nullptr);
}
