// A view that shows part of one scrolled view's image, with a scroll bar: horizontal (the default) or,
// with "scroll": "vertical" in the layout, vertical. A vertical bar comes only when there is more to see; the
// scrolled view keeps room for it, unless the layout says "barRoom": false (its window then makes room).
#pragma once

#include "framework/LView.h"

class QScrollArea;

class LScroller : public LView {
public:
    explicit LScroller(const LPaneEntry& entry);
    LScroller(const SPaneInfo& info, bool vertical = false, bool keepsBarRoom = true);

    // The scrolled view is the scroller's one subpane; its frame is the visible part of its image.
    LView* GetScrolledView() const;
    QWidget* GetContentWidget() const override;
    int32_t GetImageOriginH() const override;
    int32_t GetImageOriginV() const override;
    bool IsVertical() const { return mVertical; }

    // The place of the visible part in the image, from 0 to the scroll range.
    int32_t GetScrollPosition() const;
    int32_t GetScrollRange() const;
    void ScrollTo(int32_t position);
    // How wide a vertical scroll bar is (or how high a horizontal one).
    int32_t GetBarWidth() const;

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

    bool mVertical;
    bool mKeepsBarRoom;
};
