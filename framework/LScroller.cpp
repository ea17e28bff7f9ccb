#include "framework/LScroller.h"

#include <QScrollArea>
#include <QScrollBar>

LScroller::LScroller(const LPaneEntry& entry)
    : LScroller(entry.GetPaneInfo())
{
}

LScroller::LScroller(const SPaneInfo& info)
    : LView(info, new QScrollArea)
{
    QScrollArea* area = Area();
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(false);
    // Always there, so that the visible height never changes under the scrolled view.
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QScrollArea* LScroller::Area() const
{
    return static_cast<QScrollArea*>(GetWidget());
}

QWidget* LScroller::GetContentWidget() const
{
    return Area()->viewport();
}

LView* LScroller::GetScrolledView() const
{
    return mSubPanes.empty() ? nullptr : dynamic_cast<LView*>(mSubPanes.front().get());
}

int32_t LScroller::GetImageOriginH() const
{
    return -Area()->horizontalScrollBar()->value();
}

void LScroller::FinishCreateSelf()
{
    FitScrolledView();
}

void LScroller::ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh)
{
    LPane::ResizeFrameBy(dWidth, dHeight, refresh);
    FitScrolledView();
}

void LScroller::FitScrolledView()
{
    LView* view = GetScrolledView();
    if (view == nullptr)
        return;
    QScrollArea* area = Area();
    if (area->widget() != view->GetWidget())
        area->setWidget(view->GetWidget());
    int scrollBar = area->horizontalScrollBar()->sizeHint().height();
    int16_t width = static_cast<int16_t>(std::max(0, static_cast<int>(mInfo.width)));
    int16_t height = static_cast<int16_t>(std::max(0, mInfo.height - scrollBar));
    if (view->GetWidth() != width || view->GetHeight() != height)
        view->ResizeFrameTo(width, height, true);
    ImageChanged();
}

void LScroller::ImageChanged()
{
    LView* view = GetScrolledView();
    if (view == nullptr || !view->GetWidget())
        return;
    view->GetWidget()->resize(std::max(view->GetImageWidth(), static_cast<int32_t>(view->GetWidth())),
        std::max(view->GetImageHeight(), static_cast<int32_t>(view->GetHeight())));
}

void LScroller::ScrollImageTo(int32_t h)
{
    Area()->horizontalScrollBar()->setValue(h);
}
