#include "prefs/RecordedGraphWindow.h"

RecordedGraphWindow::~RecordedGraphWindow()
{
    BroadcastWindowClosing();
}

void RecordedGraphWindow::BroadcastWindowClosing()
{
    if (mClosingSent)
        return;
    mClosingSent = true;
    BroadcastMessage(msg_GraphWindowClosing, this);
}
