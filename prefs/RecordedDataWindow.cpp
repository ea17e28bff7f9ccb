#include "prefs/RecordedDataWindow.h"

RecordedDataWindow::~RecordedDataWindow()
{
    BroadcastWindowClosing();
}

void RecordedDataWindow::BroadcastWindowClosing()
{
    if (mClosingSent)
        return;
    mClosingSent = true;
    BroadcastMessage(msg_DataWindowClosing, this);
}
