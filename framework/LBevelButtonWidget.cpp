#include "framework/LBevelButtonWidget.h"

#include "framework/LException.h"

#include <QAction>
#include <QMenu>

namespace {

QString ItemText(const Str255& text)
{
    // Item texts are shown literally: an ampersand would otherwise mark a shortcut letter.
    QString shown = QString::fromUtf8(reinterpret_cast<const char*>(text.data() + 1), text[0]);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return shown;
}

}

LBevelButtonWidget::LBevelButtonWidget()
    : mMenu(std::make_unique<QMenu>())
{
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setMenu(mMenu.get());
}

LBevelButtonWidget::~LBevelButtonWidget()
{
    Attach(nullptr);
    setMenu(nullptr);
}

void LBevelButtonWidget::Attach(LBevelButton* button)
{
    if (mButton != nullptr)
        mButton->SetChangeHandler({});
    mButton = button;
    if (mButton != nullptr) {
        mButton->SetChangeHandler([this] { FollowButton(); });
        FollowButton();
    }
}

void LBevelButtonWidget::FollowButton()
{
    if (mButton == nullptr)
        return;
    // Actions are updated in place, and surplus ones deleted later: this may run while an action's own
    // triggered signal is being delivered, and that action must outlive the call.
    QList<QAction*> actions = mMenu->actions();
    int16_t count = mButton->CountMenuItems();
    for (qsizetype extra = actions.size(); extra > count; --extra) {
        mMenu->removeAction(actions[extra - 1]);
        actions[extra - 1]->deleteLater();
    }
    for (int16_t item = static_cast<int16_t>(actions.size()) + 1; item <= count; ++item) {
        QAction* action = mMenu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, item] {
            if (mButton != nullptr)
                LException::ReportAndDrop("pop-up menu", [&] { mButton->UserChoseItem(item); });
        });
    }
    actions = mMenu->actions();
    for (int16_t item = 1; item <= count; ++item) {
        Str255 text;
        mButton->GetMenuItemText(item, text);
        QAction* action = actions[item - 1];
        bool separator = mButton->IsMenuItemSeparator(item);
        action->setSeparator(separator);
        action->setCheckable(!separator);
        action->setText(separator ? QString() : ItemText(text));
        action->setChecked(mButton->IsMenuItemChecked(item));
    }

    if (mButton->GetMenuBehavior() == LBevelButton::MenuBehavior::SingleChoice && mButton->GetCurrentMenuItem() > 0) {
        Str255 current;
        mButton->GetMenuItemText(mButton->GetCurrentMenuItem(), current);
        setText(ItemText(current));
    } else {
        setText(QString::fromStdString(mButton->GetDescriptor()));
    }
}
