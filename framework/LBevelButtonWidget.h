// The Qt face of a bevel button: a tool button whose pop-up menu shows and drives its LBevelButton.
#pragma once

#include "framework/LBevelButton.h"

#include <QToolButton>

#include <memory>
#include <string_view>

class QMenu;

class LBevelButtonWidget : public QToolButton {
public:
    // The widget owns its button, which lives as long as the widget.
    LBevelButtonWidget(PaneIDT paneID, LBevelButton::MenuBehavior behavior, QWidget* parent = nullptr);
    ~LBevelButtonWidget() override;

    LBevelButton* GetBevelButton() const { return mButton.get(); }

    // The button's face for a multi-check menu; a single-choice menu shows its current item instead.
    void SetTitle(std::string_view title);

private:
    void FollowButton();

    std::unique_ptr<LBevelButton> mButton;
    std::unique_ptr<QMenu> mMenu;
    QString mTitle;
};
