#include "framework/LDialogBox.h"

#include "framework/LApplication.h"
#include "framework/LException.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>

namespace {

MessageT EscapeMessageOf(const LPaneEntry& layout)
{
    std::string code = layout.GetString("escapeMessage");
    return code.empty() ? layout.GetInt("escapeMessage", msg_Cancel) : FourCCFromText(code);
}

}

LDialogBox::LDialogBox(const LPaneEntry& layout)
    : LWindow(layout, Kind::Dialog)
    , mEscapeMessage(EscapeMessageOf(layout))
{
}

bool LDialogBox::HandleKeyPress(int key)
{
    auto usable = [](LPushButton* button) { return button != nullptr && button->IsEnabled() && button->IsVisible(); };
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        LPushButton* button = FindButton(this, &LPushButton::IsDefaultButton);
        if (!usable(button))
            return false;
        button->SimulateHotSpotClick();
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (mEscapeMessage == 0)
            return false;
        if (LPushButton* button = FindButton(this, &LPushButton::IsCancelButton); usable(button))
            button->SimulateHotSpotClick();
        else if (mEscapeMessage == msg_Cancel)
            AttemptClose();
        else
            mLastMessage = mEscapeMessage;
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

LPushButton* LDialogBox::FindButton(LView* view, bool (LPushButton::*which)() const) const
{
    for (const auto& pane : view->GetSubPanes()) {
        if (auto* button = dynamic_cast<LPushButton*>(pane.get()); button != nullptr && (button->*which)())
            return button;
        if (auto* subview = dynamic_cast<LView*>(pane.get())) {
            if (LPushButton* found = FindButton(subview, which))
                return found;
        }
    }
    return nullptr;
}

void LDialogBox::AttemptClose()
{
    mLastMessage = msg_Cancel;
}
