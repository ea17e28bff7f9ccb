// A pane that holds other panes and has an image of its own size, which may be larger than its frame
// (a scroller then shows part of it).
#pragma once

#include "framework/LPane.h"

#include <memory>
#include <vector>

class LView : public LPane {
public:
    LView(const SPaneInfo& info, QWidget* widget = nullptr);
    ~LView() override;

    // The view takes the pane, whose widget becomes a child of the view's.
    void AddSubPane(LPane* pane);
    const std::vector<std::unique_ptr<LPane>>& GetSubPanes() const { return mSubPanes; }

    LPane* FindPaneByID(PaneIDT paneID) override;
    void FinishCreate() override;

    int32_t GetImageWidth() const { return mImageWidth; }
    int32_t GetImageHeight() const { return mImageHeight; }
    virtual void ResizeImageTo(int32_t width, int32_t height, bool refresh);
    virtual int32_t GetImageOriginH() const { return 0; }
    virtual int32_t GetImageOriginV() const { return 0; }

    void ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh) override;
    void Refresh() override;

    // The widget that the subpanes' widgets live in.
    virtual QWidget* GetContentWidget() const { return GetWidget(); }

protected:
    void GetDrawingOrigin(int32_t& h, int32_t& v) const override;
    void PlaceWidget() override;

    int32_t mImageWidth;
    int32_t mImageHeight;
    std::vector<std::unique_ptr<LPane>> mSubPanes;
};
