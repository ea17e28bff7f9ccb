#include "framework/LDialogBox.h"

#include "framework/LApplication.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMainWindow>

LDialogBox::LDialogBox(const LPaneEntry& layout)
    : LWindow(layout)
{
    GetTopLevel()->setWindowModality(Qt::ApplicationModal);
}

void LDialogBox::FinishCreateSelf()
{
    ListenToButtons(this);
}

void LDialogBox::ListenToButtons(LView* view)
{
    for (const auto& pane : view->GetSubPanes()) {
        if (auto* button = dynamic_cast<LPushButton*>(pane.get()))
            button->AddListener(this);
        if (auto* subview = dynamic_cast<LView*>(pane.get()))
            ListenToButtons(subview);
    }
}

MessageT LDialogBox::DoDialog()
{
    // A quit that arrives while a dialog is up cancels the dialog, so that its caller's loop ends too.
    if (LApplication::IsQuitting())
        return msg_Cancel;
    if (mLastMessage == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 100);
    MessageT message = mLastMessage;
    mLastMessage = 0;
    return message;
}

void LDialogBox::ListenToMessage(MessageT message, void*)
{
    mLastMessage = message;
}

void LDialogBox::AttemptClose()
{
    mLastMessage = msg_Cancel;
}
