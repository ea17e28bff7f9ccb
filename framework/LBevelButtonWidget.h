// The Qt face of a bevel button: a tool button whose pop-up menu shows and drives its LBevelButton.
#pragma once

#include "framework/LBevelButton.h"

#include <QList>
#include <QToolButton>

#include <memory>
#include <string_view>

class QAction;
class QMenu;

class LBevelButtonWidget : public QToolButton {
public:
    LBevelButtonWidget();
    ~LBevelButtonWidget() override;

    // The button whose menu this widget shows and drives; null detaches it.
    void Attach(LBevelButton* button);
    LBevelButton* GetBevelButton() const { return mButton; }
    // The width that shows the button's face whole in its font, whichever item a single-choice menu shows.
    int FittingWidth() const;

private:
    void FollowButton();
    void FollowAllAndNone();
    void ShowCurrentItem();

    LBevelButton* mButton = nullptr;
    std::unique_ptr<QMenu> mMenu;
    // One action per item, in item order; and "All", "None" and a separator above them where offered.
    QList<QAction*> mItemActions;
    QList<QAction*> mAllAndNone;
};
