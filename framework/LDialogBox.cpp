#include "framework/LDialogBox.h"

#include "framework/LApplication.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMainWindow>

namespace {

MessageT EscapeMessageOf(const LPaneEntry& layout)
{
    std::string code = layout.GetString("escapeMessage");
    return code.empty() ? layout.GetInt("escapeMessage", msg_Cancel) : FourCCFromText(code);
}

// The push button that Return stands for, when the layout makes one the default.
LPushButton* FindDefaultButton(LView* view)
{
    for (const auto& pane : view->GetSubPanes()) {
        if (auto* button = dynamic_cast<LPushButton*>(pane.get()); button != nullptr && button->IsDefault())
            return button;
        if (auto* subview = dynamic_cast<LView*>(pane.get())) {
            if (LPushButton* button = FindDefaultButton(subview))
                return button;
        }
    }
    return nullptr;
}

}

LDialogBox::LDialogBox(const LPaneEntry& layout)
    : LWindow(layout, Kind::Dialog)
    , mEscapeMessage(EscapeMessageOf(layout))
{
}

bool LDialogBox::HandleKeyPress(int key)
{
    if (key == Qt::Key_Escape) {
        if (mEscapeMessage == 0)
            return false;
        mLastMessage = mEscapeMessage;
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        LPushButton* button = FindDefaultButton(this);
        if (button == nullptr || !button->IsEnabled())
            return false;
        button->SimulateHotSpotClick();
        return true;
    }
    return false;
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
