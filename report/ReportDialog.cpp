#include "report/ReportDialog.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QPointer>
#include <QShortcut>

ReportDialog::ReportDialog(const LPaneEntry& layout)
    : LDialogBox(layout)
{
    // The dialog stays up while the program runs on, so nothing waits for a message of the framework's
    // dialog loop: Escape closes it here, as declining does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), GetTopLevel());
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated,
        [this] { LException::ReportAndDrop("closing a dialog", [this] { CloseSoon(); }); });
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
