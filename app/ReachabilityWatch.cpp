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
    if (!DockTray::IsAvailable() && !LWindow::IsDocumentWindowShown())
        application->ObeyCommand(cmd_ReopenApplication, nullptr);
}
