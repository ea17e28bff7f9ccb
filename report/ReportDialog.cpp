#include "report/ReportDialog.h"

ReportDialog::ReportDialog(const LPaneEntry& layout)
    : LDialogBox(layout)
{
}

void ReportDialog::ListenToMessage(MessageT message, void* parameter)
{
    if (message == msg_Cancel)
        CloseSoon();
    else
        LDialogBox::ListenToMessage(message, parameter);
}

void ReportDialog::FindCommandStatus(CommandT, bool& enabled, bool& usesMark, uint16_t&, Str255&)
{
    enabled = false;
    usesMark = false;
}

void ReportDialog::AttemptClose()
{
    CloseSoon();
}

void ReportDialog::CloseSoon()
{
    if (mClosing)
        return;
    mClosing = true;
    DoCloseLater();
}
