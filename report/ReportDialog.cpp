#include "report/ReportDialog.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QPointer>

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
    Hide();
    QPointer<QMainWindow> window(GetTopLevel());
    QMetaObject::invokeMethod(
        qApp,
        [window, this] {
            if (window)
                DoClose();
        },
        Qt::QueuedConnection);
}
