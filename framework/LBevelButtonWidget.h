// The Qt face of a bevel button: a tool button whose pop-up menu shows and drives its LBevelButton.
#pragma once

#include "framework/LBevelButton.h"

#include <QToolButton>

#include <memory>
#include <string_view>

class QMenu;

class LBevelButtonWidget : public QToolButton {
public:
    LBevelButtonWidget();
    ~LBevelButtonWidget() override;

    // The button whose menu this widget shows and drives; null detaches it.
    void Attach(LBevelButton* button);
    LBevelButton* GetBevelButton() const { return mButton; }

private:
    void FollowButton();
    void ShowCurrentItem();

    LBevelButton* mButton = nullptr;
    std::unique_ptr<QMenu> mMenu;
};
