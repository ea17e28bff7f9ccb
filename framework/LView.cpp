#include "framework/LView.h"

#include "framework/LException.h"
#include "framework/LScroller.h"

LView::LView(const SPaneInfo& info, QWidget* widget)
    : LPane(info, widget)
    , mImageWidth(info.width)
    , mImageHeight(info.height)
{
}

LView::~LView()
{
    // Subpanes go first, while the widgets they live in still exist.
    while (!mSubPanes.empty())
        mSubPanes.pop_back();
}

void LView::AddSubPane(LPane* pane)
{
    ThrowIfNil_(pane);
    pane->mSuperView = this;
    mSubPanes.emplace_back(pane);
    if (QWidget* widget = pane->GetWidget()) {
        widget->setParent(GetContentWidget());
        pane->PlaceWidget();
        widget->setVisible(pane->IsVisible());
        widget->setEnabled(pane->IsEnabled());
    }
}

LPane* LView::FindPaneByID(PaneIDT paneID)
{
    if (paneID == mInfo.paneID && paneID != 0)
        return this;
    for (const auto& pane : mSubPanes) {
        if (LPane* found = pane->FindPaneByID(paneID))
            return found;
    }
    return nullptr;
}

void LView::FinishCreate()
{
    for (const auto& pane : mSubPanes)
        pane->FinishCreate();
    FinishCreateSelf();
}

void LView::ResizeImageTo(int32_t width, int32_t height, bool refresh)
{
    mImageWidth = width;
    mImageHeight = height;
    if (auto* scroller = dynamic_cast<LScroller*>(mSuperView))
        scroller->ImageChanged();
    if (refresh)
        Refresh();
}

void LView::ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh)
{
    int16_t oldWidth = mInfo.width;
    int16_t oldHeight = mInfo.height;
    LPane::ResizeFrameBy(dWidth, dHeight, refresh);
    int32_t changeH = mInfo.width - oldWidth;
    int32_t changeV = mInfo.height - oldHeight;
    // An image that matched the frame follows it.
    if (mImageWidth == oldWidth)
        mImageWidth = mInfo.width;
    if (mImageHeight == oldHeight)
        mImageHeight = mInfo.height;
    if (changeH != 0 || changeV != 0) {
        for (const auto& pane : mSubPanes)
            pane->AdaptToSuperFrameSize(changeH, changeV, refresh);
    }
}

void LView::Refresh()
{
    LPane::Refresh();
    for (const auto& pane : mSubPanes)
        pane->Refresh();
}

void LView::GetDrawingOrigin(int32_t& h, int32_t& v) const
{
    h = 0;
    v = 0;
}

void LView::PlaceWidget()
{
    // A scrolled view's widget is its whole image; the scroller places it.
    if (dynamic_cast<LScroller*>(mSuperView) != nullptr) {
        if (mWidget)
            mWidget->resize(std::max(mImageWidth, static_cast<int32_t>(mInfo.width)),
                std::max(mImageHeight, static_cast<int32_t>(mInfo.height)));
        return;
    }
    LPane::PlaceWidget();
}
