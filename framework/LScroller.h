// A view that shows part of one scrolled view's image, with a horizontal scroll bar.
#pragma once

#include "framework/LView.h"

class QScrollArea;

class LScroller : public LView {
public:
    explicit LScroller(const LPaneEntry& entry);
    LScroller(const SPaneInfo& info);

    // The scrolled view is the scroller's one subpane; its frame is the visible part of its image.
    LView* GetScrolledView() const;
    QWidget* GetContentWidget() const override;
    int32_t GetImageOriginH() const override;

    void ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh) override;

    // Called by the scrolled view when its image changes size.
    void ImageChanged();
    // Shows the image from h on (as far as the image reaches).
    void ScrollImageTo(int32_t h);

protected:
    void FinishCreateSelf() override;

private:
    void FitScrolledView();
    QScrollArea* Area() const;
};
