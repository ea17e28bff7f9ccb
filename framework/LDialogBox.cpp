#include "framework/LDialogBox.h"

#include "framework/LApplication.h"
#include "framework/LException.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>

namespace {

// Hands the dialog the keys that no control inside it took.
class DialogKeys : public QObject {
public:
    DialogKeys(LDialogBox* dialog, QObject* parent)
        : QObject(parent)
        , mDialog(dialog)
    {
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        bool handled = false;
        LException::ReportAndDrop("dialog key", [&] { handled = mDialog->HandleDialogKey(key->key()); });
        return handled;
    }

private:
    LDialogBox* mDialog;
};

}

LDialogBox::LDialogBox(const LPaneEntry& layout)
    : LWindow(layout)
{
    GetTopLevel()->setWindowModality(Qt::ApplicationModal);
    GetTopLevel()->installEventFilter(new DialogKeys(this, GetTopLevel()));
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

bool LDialogBox::HandleDialogKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (LPushButton* button = FindButton(this, &LPushButton::IsDefaultButton);
            button != nullptr && button->IsEnabled() && button->IsVisible()) {
            button->SimulateHotSpotClick();
            return true;
        }
        return false;
    case Qt::Key_Escape:
        if (LPushButton* button = FindButton(this, &LPushButton::IsCancelButton);
            button != nullptr && button->IsEnabled() && button->IsVisible())
            button->SimulateHotSpotClick();
        else
            AttemptClose();
        return true;
    default:
        return false;
    }
}

void LDialogBox::AttemptClose()
{
    mLastMessage = msg_Cancel;
}
